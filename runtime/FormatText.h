// Text formatting of our own, with printf's format strings: what the
// program's texts and the console tools' output go through, in every build.
// It knows the integer, character, string and pointer conversions with
// their flags ('-', '0', '+', ' ', '#'), widths and precisions ('*'
// included) and sizes (h, l, ll, I64, I32, z); no floating point. A
// conversion it does not know is copied as it stands.
#pragma once
#include <stdarg.h>
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

// Receives the formatted text in pieces, in order.
typedef void (*FormatSink)(void* context, const char* text, size_t length);

// Formats into the sink; returns the length of the whole text.
size_t FormatToSink(FormatSink sink, void* context, const char* format, va_list args);

// As the system's _vsnprintf: the length of the text when it fits in size
// characters (with its terminating zero when there is room for one), else
// -1, with the first size characters written.
int FormatText(char* buffer, size_t size, const char* format, va_list args);

#ifdef __cplusplus
}
#endif
