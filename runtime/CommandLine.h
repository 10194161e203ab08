// A console program's arguments from its command line, split as the C
// run-time DLL of Windows 95 and NT 4.0's day splits them: the program name
// up to its closing quote or the first blank; then arguments between blanks
// (spaces and tabs), a quote starting or ending a quoted part, 2N
// backslashes before a quote giving N and the quote its meaning, 2N+1
// giving N and a plain quote, "" within a quoted part a plain quote that
// ends the part; no wildcards.
#pragma once
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

// The number of arguments, the program name included. With argv, also
// fills argv[0..count-1] and argv[count] = NULL, the texts going into text,
// which needs room for strlen(line) + 2 characters.
int SplitCommandLine(const char* line, char** argv, char* text);

#ifdef __cplusplus
}
#endif
