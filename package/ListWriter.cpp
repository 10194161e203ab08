#include "ListWriter.h"

#include "../framework/FileReplace.h"
#include "../framework/SystemError.h"

namespace {
CString Sentence(LPCSTR lpszFormat, LPCSTR lpszPath, DWORD dwError)
{
    CString strSentence;
    strSentence.Format(lpszFormat, lpszPath, static_cast<LPCSTR>(SystemErrorText(dwError)));
    return strSentence;
}

// NO_ERROR when a new file holds exactly the text, flushed; *pbCreated
// when the file is this call's, to remove on failure. A file already under
// the name is somebody's and stays untouched.
DWORD WriteWhole(LPCSTR lpszPath, const CString& strText, BOOL* pbCreated)
{
    HANDLE hFile = ::CreateFileA(lpszPath, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
    *pbCreated = hFile != INVALID_HANDLE_VALUE;
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

    CString strTemporary = CString(lpszPath) + ".tmp";
    BOOL bCreated = FALSE;
    DWORD dwError = WriteWhole(strTemporary, strText, &bCreated);
    if (dwError != NO_ERROR) {
        if (bCreated)
            ::DeleteFileA(strTemporary);
        if (dwError == ERROR_FILE_EXISTS || dwError == ERROR_ALREADY_EXISTS)
            pstrProblem->Format("%s is in the way: it is not ours to replace", static_cast<LPCSTR>(strTemporary));
        else
            *pstrProblem = Sentence("%s cannot be written (%s)", strTemporary, dwError);
        return kListFailed;
    }
    if (!PutInPlace(strTemporary, lpszPath, pstrProblem)) {
        ::DeleteFileA(strTemporary);
        return kListFailed;
    }
    return kListWritten;
}
