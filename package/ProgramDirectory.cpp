#include "ProgramDirectory.h"

CString GetProgramDirectory()
{
    char szPath[MAX_PATH];
    DWORD nLength = ::GetModuleFileNameA(NULL, szPath, MAX_PATH);
    CString strPath(szPath, nLength < MAX_PATH ? static_cast<int>(nLength) : MAX_PATH - 1);
    int nSlash = strPath.ReverseFind('\\');
    return nSlash >= 0 ? strPath.Left(nSlash) : CString();
}

CString PackageListPath(LPCSTR lpszArgument)
{
    if (lpszArgument == NULL || *lpszArgument == '\0')
        lpszArgument = "packlist.ini";
    BOOL bFullPath = (lpszArgument[0] != '\0' && lpszArgument[1] == ':') || lpszArgument[0] == '\\';
    return bFullPath ? CString(lpszArgument) : GetProgramDirectory() + "\\" + lpszArgument;
}

BOOL EndsInSeparator(const CString& strPath)
{
    int nLength = strPath.GetLength();
    return nLength > 0 && (strPath.ReverseFind('\\') == nLength - 1 || strPath[nLength - 1] == '/');
}

CString FolderPath(const CString& strDir)
{
    if (strDir.IsEmpty() || EndsInSeparator(strDir))
        return strDir;
    return strDir + "\\";
}
