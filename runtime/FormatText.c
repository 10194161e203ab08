#include "FormatText.h"

#include <stdint.h>

typedef struct {
    FormatSink sink;
    void* context;
    size_t total;
} Output;

static void Put(Output* out, const char* text, size_t length)
{
    if (length > 0) {
        out->sink(out->context, text, length);
        out->total += length;
    }
}

static void PutRepeated(Output* out, char ch, int count)
{
    char run[32];
    for (int i = 0; i < (int)sizeof(run); ++i)
        run[i] = ch;
    while (count > 0) {
        int n = count < (int)sizeof(run) ? count : (int)sizeof(run);
        Put(out, run, (size_t)n);
        count -= n;
    }
}

enum { LEFT = 1, ZERO = 2, PLUS = 4, SPACE = 8, ALTERNATE = 16 };

// The field: the sign or prefix, the zeros the precision asks for, and the
// digits or text, padded to the width on the side the flags say.
static void PutField(Output* out, int flags, int width, const char* prefix, int nPrefix, int nZeros,
                     const char* body, int nBody)
{
    int nPad = width - nPrefix - nZeros - nBody;
    if (nPad > 0 && !(flags & LEFT) && !(flags & ZERO))
        PutRepeated(out, ' ', nPad);
    Put(out, prefix, (size_t)nPrefix);
    if (nPad > 0 && !(flags & LEFT) && (flags & ZERO))
        PutRepeated(out, '0', nPad);
    PutRepeated(out, '0', nZeros);
    Put(out, body, (size_t)nBody);
    if (nPad > 0 && (flags & LEFT))
        PutRepeated(out, ' ', nPad);
}

static void PutInteger(Output* out, char conversion, uint64_t value, int negative, int flags, int width,
                       int precision)
{
    unsigned base = conversion == 'o' ? 8 : (conversion == 'x' || conversion == 'X' || conversion == 'p') ? 16 : 10;
    const char* digits = conversion == 'x' ? "0123456789abcdef" : "0123456789ABCDEF";
    char text[24];
    int nDigits = 0;
    // A 32-bit value divides without the 64-bit helper.
    if (value <= 0xFFFFFFFFu) {
        uint32_t small = (uint32_t)value;
        while (small != 0) {
            text[sizeof(text) - 1 - nDigits++] = digits[small % base];
            small /= base;
        }
    } else {
        while (value != 0) {
            text[sizeof(text) - 1 - nDigits++] = digits[value % base];
            value /= base;
        }
    }
    // Precision 0 prints no digit for a zero; without a precision a zero is "0".
    if (precision < 0 && nDigits == 0)
        text[sizeof(text) - 1 - nDigits++] = '0';

    char prefix[2];
    int nPrefix = 0;
    if (negative)
        prefix[nPrefix++] = '-';
    else if (flags & PLUS)
        prefix[nPrefix++] = '+';
    else if (flags & SPACE)
        prefix[nPrefix++] = ' ';
    if ((flags & ALTERNATE) && nDigits > 0 && text[sizeof(text) - nDigits] != '0') {
        if (base == 16) {
            prefix[nPrefix++] = '0';
            prefix[nPrefix++] = conversion;
        } else if (base == 8) {
            prefix[nPrefix++] = '0';
        }
    }
    int nZeros = precision > nDigits ? precision - nDigits : 0;
    if (precision >= 0)
        flags &= ~ZERO;
    PutField(out, flags, width, prefix, nPrefix, nZeros, text + sizeof(text) - nDigits, nDigits);
}

size_t FormatToSink(FormatSink sink, void* context, const char* format, va_list args)
{
    Output out = {sink, context, 0};
    const char* p = format;
    while (*p != '\0') {
        const char* plain = p;
        while (*p != '\0' && *p != '%')
            ++p;
        Put(&out, plain, (size_t)(p - plain));
        if (*p == '\0')
            break;
        const char* start = p++;

        int flags = 0;
        for (;; ++p) {
            if (*p == '-')
                flags |= LEFT;
            else if (*p == '0')
                flags |= ZERO;
            else if (*p == '+')
                flags |= PLUS;
            else if (*p == ' ')
                flags |= SPACE;
            else if (*p == '#')
                flags |= ALTERNATE;
            else
                break;
        }
        int width = 0;
        if (*p == '*') {
            width = va_arg(args, int);
            if (width < 0) {
                flags |= LEFT;
                width = -width;
            }
            ++p;
        } else {
            while (*p >= '0' && *p <= '9')
                width = width * 10 + (*p++ - '0');
        }
        int precision = -1;
        if (*p == '.') {
            ++p;
            precision = 0;
            if (*p == '*') {
                precision = va_arg(args, int);
                ++p;
            } else {
                while (*p >= '0' && *p <= '9')
                    precision = precision * 10 + (*p++ - '0');
            }
        }
        // 8 for 64 bits, 2 for short, 4 for the native size.
        int size = 4;
        if (*p == 'h') {
            size = 2;
            ++p;
        } else if (*p == 'l') {
            ++p;
            if (*p == 'l') {
                size = 8;
                ++p;
            }
        } else if (p[0] == 'I' && p[1] == '6' && p[2] == '4') {
            size = 8;
            p += 3;
        } else if (p[0] == 'I' && p[1] == '3' && p[2] == '2') {
            p += 3;
        } else if (*p == 'z' || *p == 'I') {
            size = sizeof(size_t);
            ++p;
        }

        char conversion = *p;
        if (conversion == '\0') {
            Put(&out, start, (size_t)(p - start));
            break;
        }
        ++p;
        switch (conversion) {
        case 'd':
        case 'i': {
            int64_t value = size == 8 ? va_arg(args, int64_t) : (int64_t)va_arg(args, int);
            if (size == 2)
                value = (short)value;
            uint64_t magnitude = value < 0 ? 0 - (uint64_t)value : (uint64_t)value;
            PutInteger(&out, conversion, magnitude, value < 0, flags, width, precision);
            break;
        }
        case 'u':
        case 'x':
        case 'X':
        case 'o': {
            uint64_t value = size == 8 ? va_arg(args, uint64_t) : (uint64_t)va_arg(args, unsigned);
            if (size == 2)
                value = (unsigned short)value;
            PutInteger(&out, conversion, value, 0, flags & ~(PLUS | SPACE), width, precision);
            break;
        }
        case 'p':
            PutInteger(&out, 'X', (uintptr_t)va_arg(args, void*), 0, 0, width, (int)(2 * sizeof(void*)));
            break;
        case 'c': {
            char ch = (char)va_arg(args, int);
            PutField(&out, flags, width, "", 0, 0, &ch, 1);
            break;
        }
        case 's': {
            const char* text = va_arg(args, const char*);
            if (text == NULL)
                text = "(null)";
            int length = 0;
            while ((precision < 0 || length < precision) && text[length] != '\0')
                ++length;
            PutField(&out, flags, width, "", 0, 0, text, length);
            break;
        }
        case '%':
            Put(&out, "%", 1);
            break;
        default:
            Put(&out, &conversion, 1);
            break;
        }
    }
    return out.total;
}

typedef struct {
    char* buffer;
    size_t size;
    size_t used;
} Buffer;

static void PutInBuffer(void* context, const char* text, size_t length)
{
    Buffer* b = (Buffer*)context;
    for (size_t i = 0; i < length && b->used < b->size; ++i)
        b->buffer[b->used++] = text[i];
}

int FormatText(char* buffer, size_t size, const char* format, va_list args)
{
    Buffer b = {buffer, size, 0};
    size_t length = FormatToSink(PutInBuffer, &b, format, args);
    if (length > size || length > INT32_MAX)
        return -1;
    if (length < size)
        buffer[length] = '\0';
    return (int)length;
}
