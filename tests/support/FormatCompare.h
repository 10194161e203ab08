// FormatCompare: formats one format string and its arguments with the
// program's FormatText and with the system's _vsnprintf (msvcrt.dll's, as
// Windows has it), into buffers of the same size, for a test to compare.
#pragma once
#include <windows.h>

#include <cstdarg>
#include <string>

#include "runtime/FormatText.h"

struct Formatted {
    int nResult;          // what the function returned
    std::string buffer;   // the whole buffer after the call: what it wrote, and the fill '#' beyond
    bool operator==(const Formatted& other) const { return nResult == other.nResult && buffer == other.buffer; }
};

typedef int(__cdecl* VsnprintfFunction)(char*, size_t, const char*, va_list);

// The system's _vsnprintf, whatever the headers make of the name.
inline VsnprintfFunction SystemVsnprintf()
{
    return reinterpret_cast<VsnprintfFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("msvcrt.dll"), "_vsnprintf")));
}

inline Formatted FormatWith(VsnprintfFunction function, size_t nSize, const char* format, ...)
{
    std::string buffer(nSize + 4, '#');
    va_list args;
    va_start(args, format);
    int nResult = function(&buffer[0], nSize, format, args);
    va_end(args);
    return {nResult, buffer};
}

// The text in a buffer of room to spare, in one exactly as long as the text
// and in one a character short, by both functions: {ours, system's} each.
struct FormatComparison {
    Formatted ours[3], system[3];
};

template <class... Args>
FormatComparison CompareFormat(const char* format, Args... args)
{
    FormatComparison c;
    int nLength = FormatWith(SystemVsnprintf(), 1024, format, args...).nResult;
    size_t sizes[3] = {1024, static_cast<size_t>(nLength), static_cast<size_t>(nLength > 0 ? nLength - 1 : 0)};
    for (int i = 0; i < 3; ++i) {
        c.ours[i] = FormatWith(FormatText, sizes[i], format, args...);
        c.system[i] = FormatWith(SystemVsnprintf(), sizes[i], format, args...);
    }
    return c;
}
