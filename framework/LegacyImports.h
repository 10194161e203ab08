// The few system functions that the static C and C++ run-time calls but
// Windows 95 lacks, or has only as a stub that fails: the program answers
// them itself, on top of the ANSI functions every Windows has.
// LegacyImports.cpp puts them in the place of the system's, so it must be
// linked into the program as an object, never from an archive.
#pragma once
#include <windows.h>

namespace legacy {
// The wide names are turned into the ANSI code page; a name that has no
// ANSI spelling fails with ERROR_NO_UNICODE_TRANSLATION, and one that does
// not fit MAX_PATH with ERROR_FILENAME_EXCED_RANGE.
HANDLE WINAPI CreateSemaphoreW(LPSECURITY_ATTRIBUTES lpAttributes, LONG lInitialCount,
                               LONG lMaximumCount, LPCWSTR lpName);
HMODULE WINAPI GetModuleHandleW(LPCWSTR lpModuleName);
HMODULE WINAPI LoadLibraryW(LPCWSTR lpLibFileName);
// From the code page's lead byte ranges; FALSE for a code page the system
// does not know.
BOOL WINAPI IsDBCSLeadByteEx(UINT CodePage, BYTE TestChar);
}  // namespace legacy
