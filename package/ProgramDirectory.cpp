#include "ProgramDirectory.h"

CString GetProgramDirectory()
{
    char szPath[MAX_PATH];
    DWORD nLength = ::GetModuleFileNameA(NULL, szPath, MAX_PATH);
    CString strPath(szPath, nLength < MAX_PATH ? static_cast<int>(nLength) : MAX_PATH - 1);
    int nSlash = strPath.ReverseFind('\\');
    return nSlash >= 0 ? strPath.Left(nSlash) : CString();
}
