#include "DiskInfo.h"

#include <utility>

#include "ProfileFile.h"

DiskInfo::DiskInfo() : m_bChosen(TRUE), m_nNumber(-1) {}

BOOL DiskInfo::LoadFromFile(int k, LPCSTR lpszPath, DiskFault* pFault)
{
    m_nNumber = k;
    CString strSection;
    strSection.Format("Disk%d", k);

    int nFiles = static_cast<int>(::GetPrivateProfileIntA(strSection, "Files", 0, lpszPath));
    if (nFiles <= 0) {
        *pFault = ProfileSectionExists(strSection, lpszPath) ? kDiskCountInvalid : kDiskSectionMissing;
        m_files.RemoveAll();
        return FALSE;
    }

    // The count is only a claim: the entries grow with the keys that are
    // really there, and the first gap ends the reading.
    CStringArray entries;
    DiskFault fault = kDiskRead;
    CString strKey;
    CString strEntry;
    for (int j = 0; j < nFiles; ++j) {
        strKey.Format("File%d", j);
        if (!ReadProfileValue(strSection, strKey, lpszPath, strEntry)) {
            fault = kDiskEntryMissing;
            break;
        }
        if (strEntry.IsEmpty()) {
            fault = kDiskEntryEmpty;
            break;
        }
        // An exact copy: the read buffer is sized for the longest value.
        entries.Add(CString(strEntry, strEntry.GetLength()));
    }
    m_files = std::move(entries);
    *pFault = fault;
    return fault == kDiskRead;
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
