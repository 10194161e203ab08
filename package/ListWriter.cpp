#include "ListWriter.h"

#include "../framework/SystemError.h"

namespace {
CString Sentence(LPCSTR lpszFormat, LPCSTR lpszPath, DWORD dwError)
{
    CString strSentence;
    strSentence.Format(lpszFormat, lpszPath, static_cast<LPCSTR>(SystemErrorText(dwError)));
    return strSentence;
}

// NO_ERROR when the file holds exactly the text, flushed.
DWORD WriteWhole(LPCSTR lpszPath, const CString& strText)
{
    HANDLE hFile = ::CreateFileA(lpszPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return ::GetLastError();
    DWORD dwWritten = 0, dwError = NO_ERROR;
    if (!::WriteFile(hFile, static_cast<LPCSTR>(strText), strText.GetLength(), &dwWritten, NULL) ||
        !::FlushFileBuffers(hFile))
        dwError = ::GetLastError();
    else if (dwWritten != static_cast<DWORD>(strText.GetLength()))
        dwError = ERROR_DISK_FULL;
    if (!::CloseHandle(hFile) && dwError == NO_ERROR)
        dwError = ::GetLastError();
    return dwError;
}
}  // namespace

ListWritten WriteListFile(LPCSTR lpszPath, const CString& strText, BOOL bReplace, CString* pstrProblem)
{
    DWORD dwAttributes = ::GetFileAttributesA(lpszPath);
    BOOL bOld = dwAttributes != INVALID_FILE_ATTRIBUTES;
    if (bOld && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        pstrProblem->Format("%s is a directory", lpszPath);
        return kListFailed;
    }
    if (bOld && !bReplace)
        return kListKept;

    CString strTemporary = CString(lpszPath) + ".tmp", strAside = CString(lpszPath) + ".old";
    DWORD dwError = WriteWhole(strTemporary, strText);
    if (dwError != NO_ERROR) {
        ::DeleteFileA(strTemporary);
        *pstrProblem = Sentence("%s cannot be written (%s)", strTemporary, dwError);
        return kListFailed;
    }
    // MoveFile replaces nothing: the old list is set aside first, and put
    // back when the new one cannot take its name.
    if (bOld) {
        ::DeleteFileA(strAside);
        if (!::MoveFileA(lpszPath, strAside)) {
            dwError = ::GetLastError();
            ::DeleteFileA(strTemporary);
            *pstrProblem = Sentence("%s cannot be replaced (%s)", lpszPath, dwError);
            return kListFailed;
        }
    }
    if (!::MoveFileA(strTemporary, lpszPath)) {
        dwError = ::GetLastError();
        if (bOld)
            ::MoveFileA(strAside, lpszPath);
        ::DeleteFileA(strTemporary);
        *pstrProblem = Sentence("%s cannot be renamed (%s)", strTemporary, dwError);
        return kListFailed;
    }
    if (bOld)
        ::DeleteFileA(strAside);
    return kListWritten;
}
