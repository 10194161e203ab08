#include "FileReplace.h"

#include "SystemError.h"

namespace {
CString Sentence(LPCSTR lpszFormat, LPCSTR lpszPath, DWORD dwError)
{
    CString strText;
    strText.Format(lpszFormat, lpszPath, static_cast<LPCSTR>(SystemErrorText(dwError)));
    return strText;
}

BOOL IsThere(DWORD dwError)
{
    return dwError == ERROR_FILE_EXISTS || dwError == ERROR_ALREADY_EXISTS;
}
}  // namespace

BOOL PutInPlace(LPCSTR lpszFinished, LPCSTR lpszTarget, CString* pstrProblem)
{
    DWORD dwAttributes = ::GetFileAttributesA(lpszTarget);
    BOOL bOld = dwAttributes != INVALID_FILE_ATTRIBUTES;
    if (bOld && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        pstrProblem->Format("%s is a directory", lpszTarget);
        return FALSE;
    }
    CString strAside = CString(lpszTarget) + ".old";
    if (bOld && !::MoveFileA(lpszTarget, strAside)) {
        DWORD dwError = ::GetLastError();
        if (IsThere(dwError))
            pstrProblem->Format("%s cannot be replaced while %s is there", lpszTarget, static_cast<LPCSTR>(strAside));
        else
            *pstrProblem = Sentence("%s cannot be replaced (%s)", lpszTarget, dwError);
        return FALSE;
    }
    if (!::MoveFileA(lpszFinished, lpszTarget)) {
        // The older file is back before the sentence may run out of memory.
        DWORD dwError = ::GetLastError();
        BOOL bBack = !bOld || ::MoveFileA(strAside, lpszTarget);
        *pstrProblem = Sentence("%s cannot be renamed (%s)", lpszFinished, dwError);
        if (!bBack)
            *pstrProblem += "; the older one is kept as " + strAside;
        return FALSE;
    }
    if (bOld) {
        // Asked to be replaced: a read-only one too, such as a protected image.
        ::SetFileAttributesA(strAside, FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(strAside);
    }
    return TRUE;
}
