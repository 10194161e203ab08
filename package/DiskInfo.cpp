#include "DiskInfo.h"

namespace {
// Values longer than this many characters are cut by the profile reader.
const int kValueBuffer = 260;
}

DiskInfo::DiskInfo() : m_bChosen(TRUE), m_nNumber(-1) {}

BOOL DiskInfo::LoadFromFile(int k, LPCSTR lpszPath)
{
    m_nNumber = k;
    CString strSection;
    strSection.Format("Disk%d", k);

    int nFiles = static_cast<int>(::GetPrivateProfileIntA(strSection, "Files", 0, lpszPath));
    if (nFiles <= 0)
        return FALSE;

    try {
        m_files.SetSize(nFiles);
        for (int j = 0; j < nFiles; ++j) {
            CString strKey;
            strKey.Format("File%d", j);
            CString strEntry;
            DWORD nCopied = ::GetPrivateProfileStringA(strSection, strKey, "",
                                                       strEntry.GetBuffer(kValueBuffer),
                                                       kValueBuffer, lpszPath);
            strEntry.ReleaseBuffer(static_cast<int>(nCopied));
            if (nCopied == 0)
                return FALSE;
            m_files[j] = strEntry;
        }
    } catch (CMemoryException* e) {
        e->Delete();
        return FALSE;
    }
    return TRUE;
}

FileCursor::FileCursor(DiskInfo* pDisk) : m_pDisk(pDisk), m_nPosition(0) {}

BOOL FileCursor::Next(CString& strEntry)
{
    if (m_nPosition >= m_pDisk->m_files.GetSize())
        return FALSE;
    strEntry = m_pDisk->m_files[m_nPosition];
    ++m_nPosition;
    return TRUE;
}
