// The C library's output to the standard handles for the release programs:
// printf and its kin, written at once with WriteFile, so that a console, a
// pipe and a file all get the same bytes. Each "\n" goes out as "\r\n", as
// the C run-time DLL's text mode writes it; nothing is kept back, so
// fflush has nothing to do and what was printed before a failure stands.
#include <windows.h>

#include "FormatText.h"

// Not stdio.h: its declarations are those of the DLL and of MinGW's own
// printf. Only the streams' addresses count: they tell standard output and
// standard error apart.
typedef struct {
    int unused;
} FILE;
static FILE g_streams[3];
#define stdout (&g_streams[1])
#define EOF (-1)

FILE* __acrt_iob_func(unsigned index)
{
    return &g_streams[index < 3 ? index : 2];
}
// Where the headers' stdout looks: the DLL's import slot, answered here.
__attribute__((used)) FILE* (*qv_slot_acrt_iob_func)(unsigned) __asm__("__imp____acrt_iob_func") =
    __acrt_iob_func;

typedef struct {
    HANDLE handle;
    BOOL bFailed;
    DWORD used;
    char buffer[512];
} Writer;

static void Flush(Writer* writer)
{
    DWORD written;
    if (writer->used > 0 &&
        (!WriteFile(writer->handle, writer->buffer, writer->used, &written, NULL) || written != writer->used))
        writer->bFailed = TRUE;
    writer->used = 0;
}

static void PutText(void* context, const char* text, size_t length)
{
    Writer* writer = (Writer*)context;
    for (size_t i = 0; i < length; ++i) {
        if (writer->used + 2 > sizeof(writer->buffer))
            Flush(writer);
        if (text[i] == '\n')
            writer->buffer[writer->used++] = '\r';
        writer->buffer[writer->used++] = text[i];
    }
}

static void StartWriter(Writer* writer, FILE* stream)
{
    writer->handle = GetStdHandle(stream == &g_streams[2] ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    writer->bFailed = FALSE;
    writer->used = 0;
}

// The count of characters given, or EOF when the system took not all of them.
static int EndWriter(Writer* writer, size_t length)
{
    Flush(writer);
    return writer->bFailed ? EOF : (int)length;
}

int vfprintf(FILE* stream, const char* format, va_list args)
{
    Writer writer;
    StartWriter(&writer, stream);
    return EndWriter(&writer, FormatToSink(PutText, &writer, format, args));
}

int fprintf(FILE* stream, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int result = vfprintf(stream, format, args);
    va_end(args);
    return result;
}

int printf(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int result = vfprintf(stdout, format, args);
    va_end(args);
    return result;
}

size_t fwrite(const void* data, size_t size, size_t count, FILE* stream)
{
    Writer writer;
    StartWriter(&writer, stream);
    PutText(&writer, (const char*)data, size * count);
    return EndWriter(&writer, 0) == EOF ? 0 : count;
}

int fputs(const char* text, FILE* stream)
{
    Writer writer;
    StartWriter(&writer, stream);
    PutText(&writer, text, strlen(text));
    return EndWriter(&writer, 0);
}

int fputc(int ch, FILE* stream)
{
    char c = (char)ch;
    return fwrite(&c, 1, 1, stream) == 1 ? (unsigned char)c : EOF;
}

int puts(const char* text)
{
    Writer writer;
    StartWriter(&writer, stdout);
    PutText(&writer, text, strlen(text));
    PutText(&writer, "\n", 1);
    return EndWriter(&writer, 0);
}

int putchar(int ch)
{
    return fputc(ch, stdout);
}

int fflush(FILE* stream)
{
    (void)stream;
    return 0;
}
