#include "CommandLine.h"

#include <windows.h>

static int IsBlank(char ch)
{
    return ch == ' ' || ch == '\t';
}

// Writes only where there is an output: SplitCommandLine counts first.
static void Emit(char** out, char ch)
{
    if (*out != NULL)
        *(*out)++ = ch;
}

int SplitCommandLine(const char* line, char** argv, char* text)
{
    char* out = argv != NULL ? text : NULL;
    const char* p = line;
    int argc = 1;
    if (argv != NULL)
        argv[0] = out;
    // The program name takes no backslash rules.
    if (*p == '"') {
        while (*++p != '\0' && *p != '"')
            Emit(&out, *p);
        if (*p == '"')
            ++p;
    } else {
        while (*p != '\0' && !IsBlank(*p))
            Emit(&out, *p++);
    }
    Emit(&out, '\0');

    for (;;) {
        while (IsBlank(*p))
            ++p;
        if (*p == '\0')
            break;
        if (argv != NULL)
            argv[argc] = out;
        ++argc;
        int inQuote = 0;
        while (*p != '\0' && (inQuote || !IsBlank(*p))) {
            // A double-byte character whole: its trail byte may be a
            // backslash's or a quote's.
            if (IsDBCSLeadByte((BYTE)*p) && p[1] != '\0') {
                Emit(&out, *p++);
                Emit(&out, *p++);
                continue;
            }
            int nSlashes = 0;
            while (*p == '\\') {
                ++p;
                ++nSlashes;
            }
            int copy = 1;
            if (*p == '"') {
                if (nSlashes % 2 == 0) {
                    if (inQuote && p[1] == '"')
                        ++p;
                    else
                        copy = 0;
                    inQuote = !inQuote;
                }
                nSlashes /= 2;
            }
            while (nSlashes-- > 0)
                Emit(&out, '\\');
            if (*p == '\0' || (!inQuote && IsBlank(*p)))
                break;
            if (IsDBCSLeadByte((BYTE)*p) && p[1] != '\0')
                continue;  // taken whole above
            if (copy)
                Emit(&out, *p);
            ++p;
        }
        Emit(&out, '\0');
    }
    if (argv != NULL)
        argv[argc] = NULL;
    return argc;
}
