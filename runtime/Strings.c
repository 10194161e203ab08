// The C library's string and memory functions that the release programs
// and their run-time call. Compiled without the compiler's own knowledge of
// these functions, which would turn the loops back into calls to them.
// The copies and fills are the 486's string instructions (32-bit only).
#include <stddef.h>
#include <string.h>
#include <wchar.h>

// Four bytes at a time, then the rest: the copies of whole clusters and
// buffers are the ones that count.
void* memcpy(void* target, const void* source, size_t count)
{
    void* t = target;
    const void* s = source;
    size_t words = count / 4, bytes = count % 4;
    __asm__ volatile("rep movsl\n\tmovl %[bytes], %%ecx\n\trep movsb"
                     : "+D"(t), "+S"(s), "+c"(words)
                     : [bytes] "r"(bytes)
                     : "memory");
    return target;
}

void* memmove(void* target, const void* source, size_t count)
{
    unsigned char* t = (unsigned char*)target;
    const unsigned char* s = (const unsigned char*)source;
    if (t <= s || t >= s + count)
        return memcpy(target, source, count);
    while (count-- > 0)
        t[count] = s[count];
    return target;
}

void* memset(void* target, int value, size_t count)
{
    void* t = target;
    unsigned fill = (unsigned char)value * 0x01010101u;
    size_t words = count / 4, bytes = count % 4;
    __asm__ volatile("rep stosl\n\tmovl %[bytes], %%ecx\n\trep stosb"
                     : "+D"(t), "+c"(words)
                     : "a"(fill), [bytes] "r"(bytes)
                     : "memory");
    return target;
}

int memcmp(const void* first, const void* second, size_t count)
{
    const unsigned char* a = (const unsigned char*)first;
    const unsigned char* b = (const unsigned char*)second;
    for (size_t i = 0; i < count; ++i) {
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    }
    return 0;
}

void* memchr(const void* block, int value, size_t count)
{
    const unsigned char* p = (const unsigned char*)block;
    for (size_t i = 0; i < count; ++i) {
        if (p[i] == (unsigned char)value)
            return (void*)(p + i);
    }
    return NULL;
}

size_t strlen(const char* text)
{
    const char* p = text;
    while (*p != '\0')
        ++p;
    return (size_t)(p - text);
}

size_t strnlen(const char* text, size_t most)
{
    size_t n = 0;
    while (n < most && text[n] != '\0')
        ++n;
    return n;
}

int strcmp(const char* first, const char* second)
{
    const unsigned char* a = (const unsigned char*)first;
    const unsigned char* b = (const unsigned char*)second;
    while (*a != '\0' && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b ? 0 : (*a < *b ? -1 : 1);
}

int strncmp(const char* first, const char* second, size_t count)
{
    const unsigned char* a = (const unsigned char*)first;
    const unsigned char* b = (const unsigned char*)second;
    for (; count > 0; --count, ++a, ++b) {
        if (*a != *b)
            return *a < *b ? -1 : 1;
        if (*a == '\0')
            break;
    }
    return 0;
}

char* strchr(const char* text, int ch)
{
    for (;; ++text) {
        if (*text == (char)ch)
            return (char*)text;
        if (*text == '\0')
            return NULL;
    }
}

size_t wcslen(const wchar_t* text)
{
    const wchar_t* p = text;
    while (*p != L'\0')
        ++p;
    return (size_t)(p - text);
}
