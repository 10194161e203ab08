#include "LegacyImports.h"

#include <cstring>
#include <cwchar>

namespace {
// NULL stays NULL. FALSE, with the last error set, when the name cannot be
// spelled in the ANSI code page exactly: a best-fit spelling could name a
// different module or semaphore.
BOOL ToAnsi(LPCWSTR lpszWide, char (&szAnsi)[MAX_PATH], LPCSTR* ppszAnsi)
{
    *ppszAnsi = NULL;
    if (lpszWide == NULL)
        return TRUE;
    size_t nLength = wcslen(lpszWide);
    if (nLength >= MAX_PATH) {
        ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return FALSE;
    }
    int nWide = static_cast<int>(nLength);
    BOOL bDefaultUsed = FALSE;
    int nAnsi = ::WideCharToMultiByte(CP_ACP, 0, lpszWide, nWide + 1, szAnsi, MAX_PATH, NULL,
                                      &bDefaultUsed);
    if (nAnsi == 0) {
        ::SetLastError(::GetLastError() == ERROR_INSUFFICIENT_BUFFER ? ERROR_FILENAME_EXCED_RANGE
                                                                     : ERROR_NO_UNICODE_TRANSLATION);
        return FALSE;
    }
    WCHAR szBack[MAX_PATH];
    int nBack = ::MultiByteToWideChar(CP_ACP, 0, szAnsi, nAnsi, szBack, MAX_PATH);
    if (bDefaultUsed || nBack != nWide + 1 || memcmp(szBack, lpszWide, nBack * sizeof(WCHAR)) != 0) {
        ::SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return FALSE;
    }
    *ppszAnsi = szAnsi;
    return TRUE;
}
}  // namespace

namespace legacy {

HANDLE WINAPI CreateSemaphoreW(LPSECURITY_ATTRIBUTES lpAttributes, LONG lInitialCount,
                               LONG lMaximumCount, LPCWSTR lpName)
{
    char szName[MAX_PATH];
    LPCSTR lpszName;
    if (!ToAnsi(lpName, szName, &lpszName))
        return NULL;
    return ::CreateSemaphoreA(lpAttributes, lInitialCount, lMaximumCount, lpszName);
}

HMODULE WINAPI GetModuleHandleW(LPCWSTR lpModuleName)
{
    char szName[MAX_PATH];
    LPCSTR lpszName;
    if (!ToAnsi(lpModuleName, szName, &lpszName))
        return NULL;
    return ::GetModuleHandleA(lpszName);
}

HMODULE WINAPI LoadLibraryW(LPCWSTR lpLibFileName)
{
    char szName[MAX_PATH];
    LPCSTR lpszName;
    if (lpLibFileName == NULL) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return NULL;
    }
    if (!ToAnsi(lpLibFileName, szName, &lpszName))
        return NULL;
    return ::LoadLibraryA(lpszName);
}

BOOL WINAPI IsDBCSLeadByteEx(UINT CodePage, BYTE TestChar)
{
    // GetCPInfo on Windows 95 is not documented to take the symbolic code pages.
    if (CodePage == CP_ACP)
        CodePage = ::GetACP();
    else if (CodePage == CP_OEMCP)
        CodePage = ::GetOEMCP();
    CPINFO info;
    if (!::GetCPInfo(CodePage, &info))
        return FALSE;
    // Pairs of first and last lead byte, ended by a pair of zeros.
    for (int i = 0; i + 1 < MAX_LEADBYTES && (info.LeadByte[i] != 0 || info.LeadByte[i + 1] != 0); i += 2) {
        if (TestChar >= info.LeadByte[i] && TestChar <= info.LeadByte[i + 1])
            return TRUE;
    }
    return FALSE;
}

}  // namespace legacy

// The run-time calls these through its import slots. A slot defined here
// is found before the system's import library is searched, so the program
// names none of the four, and its calls land in the functions above.
#if defined(__i386__)
#define QV_IMPORT_SLOT(name, argBytes) "__imp__" #name "@" #argBytes
#else
#define QV_IMPORT_SLOT(name, argBytes) "__imp_" #name
#endif

extern "C" {
__attribute__((used)) decltype(&legacy::CreateSemaphoreW) qv_slot_CreateSemaphoreW
    __asm__(QV_IMPORT_SLOT(CreateSemaphoreW, 16)) = legacy::CreateSemaphoreW;
__attribute__((used)) decltype(&legacy::GetModuleHandleW) qv_slot_GetModuleHandleW
    __asm__(QV_IMPORT_SLOT(GetModuleHandleW, 4)) = legacy::GetModuleHandleW;
__attribute__((used)) decltype(&legacy::LoadLibraryW) qv_slot_LoadLibraryW
    __asm__(QV_IMPORT_SLOT(LoadLibraryW, 4)) = legacy::LoadLibraryW;
__attribute__((used)) decltype(&legacy::IsDBCSLeadByteEx) qv_slot_IsDBCSLeadByteEx
    __asm__(QV_IMPORT_SLOT(IsDBCSLeadByteEx, 8)) = legacy::IsDBCSLeadByteEx;
}
