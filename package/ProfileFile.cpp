#include "ProfileFile.h"

#include "../framework/CFile.h"

namespace {
// Handed to the reader as the default. No INI value can hold a line break,
// so getting it back means the key is not there.
const char kAbsent[] = "\n";

// Where the reader looks for the file: a bare name means the Windows
// directory, anything else the path as given.
CString ProfileFilePath(LPCSTR lpszPath)
{
    CString strPath(lpszPath);
    if (strPath.Find('\\') >= 0 || strPath.Find('/') >= 0 ||
        (strPath.GetLength() >= 2 && strPath[1] == ':'))
        return strPath;
    char szWindows[MAX_PATH];
    UINT nLength = ::GetWindowsDirectoryA(szWindows, MAX_PATH);
    if (nLength == 0 || nLength >= MAX_PATH)
        return strPath;
    return CString(szWindows) + "\\" + strPath;
}
}  // namespace

BOOL ReadProfileValue(LPCSTR lpszSection, LPCSTR lpszKey, LPCSTR lpszPath, CString& strValue)
{
    DWORD nCopied = ::GetPrivateProfileStringA(lpszSection, lpszKey, kAbsent,
                                               strValue.GetBuffer(kProfileValueBuffer),
                                               kProfileValueBuffer, lpszPath);
    strValue.ReleaseBuffer(static_cast<int>(nCopied));
    if (strValue == kAbsent) {
        strValue.Empty();
        return FALSE;
    }
    return TRUE;
}

BOOL ReadProfileSwitch(LPCSTR lpszSection, LPCSTR lpszKey, BOOL bDefault, LPCSTR lpszPath)
{
    CString strValue;
    if (!ReadProfileValue(lpszSection, lpszKey, lpszPath, strValue))
        return bDefault;
    // Only the words of the other side leave the default.
    static const char* const kOff[] = {"0", "no", "off", "false"};
    static const char* const kOn[] = {"1", "yes", "on", "true"};
    for (LPCSTR lpszWord : bDefault ? kOff : kOn) {
        if (::lstrcmpiA(strValue, lpszWord) == 0)
            return !bDefault;
    }
    return bDefault;
}

BOOL ProfileSectionExists(LPCSTR lpszSection, LPCSTR lpszPath)
{
    // The first few characters are enough to tell; the rest is not copied.
    char szStart[16];
    return ::GetPrivateProfileSectionA(lpszSection, szStart, sizeof(szStart), lpszPath) > 0;
}

BOOL CanReadProfileFile(LPCSTR lpszPath)
{
    CString strPath = ProfileFilePath(lpszPath);
    DWORD dwAttributes = ::GetFileAttributesA(strPath);
    if (dwAttributes == INVALID_FILE_ATTRIBUTES || (dwAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return FALSE;
    CFile file;
    return file.Open(strPath, CFile::modeRead | CFile::shareDenyNone);
}

BOOL ProfileFileLargerThan(LPCSTR lpszPath, DWORD nBytes)
{
    CFile file;
    if (!file.Open(ProfileFilePath(lpszPath), CFile::modeRead | CFile::shareDenyNone))
        return FALSE;
    try {
        return file.GetLength() > nBytes;
    } catch (CFileException* e) {
        e->Delete();
        return FALSE;
    }
}

void ForgetProfileFile(LPCSTR lpszPath)
{
    ::WritePrivateProfileStringA(NULL, NULL, NULL, lpszPath);
}
