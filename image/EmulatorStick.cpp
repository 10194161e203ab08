#include "EmulatorStick.h"

#include "../fat/FloppyFiles.h"

namespace {
// An error code, or NO_ERROR when lpszPath holds exactly strText.
DWORD WriteTextFile(LPCSTR lpszPath, const CString& strText, DWORD dwCreation)
{
    HANDLE hFile = ::CreateFileA(lpszPath, GENERIC_WRITE, 0, NULL, dwCreation, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return ::GetLastError();
    DWORD dwWritten = 0;
    BOOL bWritten = ::WriteFile(hFile, static_cast<LPCSTR>(strText), strText.GetLength(), &dwWritten, NULL) &&
                    dwWritten == static_cast<DWORD>(strText.GetLength());
    DWORD dwError = bWritten ? NO_ERROR : ::GetLastError();
    if (!::CloseHandle(hFile) && bWritten)
        dwError = ::GetLastError();
    return bWritten || dwError != NO_ERROR ? dwError : ERROR_DISK_FULL;
}

// The first megabyte of a text file: a configuration is never larger.
CString ReadTextFile(LPCSTR lpszPath)
{
    CString strText;
    HANDLE hFile = ::CreateFileA(lpszPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return strText;
    const DWORD kMostBytes = 1 << 20;
    DWORD dwSize = ::GetFileSize(hFile, NULL), dwRead = 0;
    if (dwSize > kMostBytes)
        dwSize = kMostBytes;
    BOOL bRead = ::ReadFile(hFile, strText.GetBuffer(dwSize), dwSize, &dwRead, NULL);
    strText.ReleaseBuffer(bRead ? dwRead : 0);
    ::CloseHandle(hFile);
    return strText;
}
}  // namespace

CString EmulatorStick::SlotName(int nSlot)
{
    CString strName;
    strName.Format("DSKA%04d.IMG", nSlot);
    return strName;
}

DWORD EmulatorStick::SetUpConfig(Config* pConfig) const
{
    CString strConfig = m_strRoot + "FF.CFG";
    if (::GetFileAttributesA(strConfig) != INVALID_FILE_ATTRIBUTES) {
        *pConfig = SetsIndexedNavigation(ReadTextFile(strConfig)) ? kConfigIndexed : kConfigOther;
        return NO_ERROR;
    }
    *pConfig = kConfigWritten;
    DWORD dwError = WriteTextFile(strConfig, "nav-mode = indexed\r\n", CREATE_NEW);
    // Half a file would pass for the user's at every later run.
    if (dwError != NO_ERROR && dwError != ERROR_FILE_EXISTS)
        ::DeleteFileA(strConfig);
    return dwError;
}

bool EmulatorStick::SetsIndexedNavigation(const CString& strText)
{
    bool bIndexed = false;
    CString strLine;
    for (int i = 0; i <= strText.GetLength(); ++i) {
        char ch = i < strText.GetLength() ? strText[i] : '\n';
        if (ch != '\n' && ch != '\r') {
            if (ch != ' ' && ch != '\t')
                strLine += static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
            continue;
        }
        int nComment = strLine.Find('#');
        if (nComment >= 0)
            strLine = strLine.Left(nComment);
        if (strLine.Left(9) == "nav-mode=")
            bIndexed = strLine == "nav-mode=indexed";
        strLine.Empty();
    }
    return bIndexed;
}

CString EmulatorStick::DiskList(const CStringArray& labels)
{
    CString strList = "Slot  Image         Disk\r\n";
    for (int i = 0; i < labels.GetSize(); ++i) {
        CString strLine;
        strLine.Format("%-4d  %s  %s\r\n", i, static_cast<LPCSTR>(SlotName(i)), static_cast<LPCSTR>(labels[i]));
        strList += strLine;
    }
    return strList;
}

DWORD EmulatorStick::WriteDiskList(const CStringArray& labels) const
{
    return WriteTextFile(m_strRoot + "DISKS.TXT", DiskList(labels), CREATE_ALWAYS);
}

CStringArray EmulatorStick::OlderSlots(int nSlots) const
{
    CStringArray older;
    WIN32_FIND_DATAA found;
    HANDLE hFind = ::FindFirstFileA(m_strRoot + "DSKA*.IMG", &found);
    for (BOOL bFound = hFind != INVALID_HANDLE_VALUE; bFound; bFound = ::FindNextFileA(hFind, &found)) {
        bool bOurs = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        for (int i = 0; i < nSlots && !bOurs; ++i)
            bOurs = FloppyFiles::SameName(found.cFileName, SlotName(i)) != FALSE;
        if (bOurs)
            continue;
        int nAt = older.GetSize();
        older.Add(found.cFileName);
        for (; nAt > 0 && lstrcmpiA(older[nAt - 1], found.cFileName) > 0; --nAt)
            older[nAt] = older[nAt - 1];
        older[nAt] = found.cFileName;
    }
    if (hFind != INVALID_HANDLE_VALUE)
        ::FindClose(hFind);
    return older;
}
