#include "FloppyFiles.h"

#include <utility>

int FloppyFiles::Find(const CString& strName) const
{
    for (int i = 0; i < m_files.GetSize(); ++i) {
        if (lstrcmpiA(m_files[i].strName, strName) == 0)
            return i;
    }
    return -1;
}

void FloppyFiles::Put(const CString& strEntry, const CString& strSource)
{
    FloppyFile file;
    file.strName = FloppyFileName(strEntry);
    file.strEntry = strEntry;
    file.strSource = strSource;
    int nSame = Find(file.strName);
    if (nSame >= 0) {
        // The first name written stays, as the directory entry does.
        file.strName = m_files[nSame].strName;
        m_files[nSame] = std::move(file);
    } else {
        m_files.Add(std::move(file));
    }
}

void FloppyFiles::Drop(const CString& strName)
{
    int nDrop = Find(strName);
    if (nDrop < 0)
        return;
    CArray<FloppyFile> kept;
    for (int i = 0; i < m_files.GetSize(); ++i) {
        if (i != nDrop)
            kept.Add(std::move(m_files[i]));
    }
    m_files = std::move(kept);
}

void FloppyFiles::ListDisk(DiskInfo* pDisk, LPCSTR lpszImagesDir)
{
    RemoveAll();
    FileCursor files(pDisk);
    CString strEntry;
    while (files.Next(strEntry))
        Put(strEntry, CString(lpszImagesDir) + "\\" + strEntry);
}
