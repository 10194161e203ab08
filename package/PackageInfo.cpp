#include "PackageInfo.h"

#include "ProgramDirectory.h"

namespace {
const int kValueBuffer = 260;

CString ReadProfileString(LPCSTR lpszSection, LPCSTR lpszKey, LPCSTR lpszPath)
{
    CString strValue;
    DWORD nCopied = ::GetPrivateProfileStringA(lpszSection, lpszKey, "",
                                               strValue.GetBuffer(kValueBuffer),
                                               kValueBuffer, lpszPath);
    strValue.ReleaseBuffer(static_cast<int>(nCopied));
    return strValue;
}
}  // namespace

BOOL PackageInfo::LoadFromFile(LPCSTR lpszPath)
{
    m_strName = ReadProfileString("Global", "Name", lpszPath);
    if (m_strName.IsEmpty())
        return FALSE;

    int nDisks = static_cast<int>(::GetPrivateProfileIntA("Disks", "Number", 0, lpszPath));
    if (nDisks <= 0)
        return FALSE;

    try {
        m_disks.RemoveAll();
        m_disks.SetSize(nDisks);
        for (int k = 0; k < nDisks; ++k) {
            if (!m_disks[k].LoadFromFile(k, lpszPath))
                return FALSE;
        }
    } catch (CMemoryException* e) {
        e->Delete();
        return FALSE;
    }
    return TRUE;
}

CString PackageInfo::GetName() const
{
    return m_strName;  // shares the text until either side changes
}

int PackageInfo::CountChosenDisks() const
{
    int nChosen = 0;
    for (int k = 0; k < m_disks.GetSize(); ++k) {
        if (m_disks[k].m_bChosen)
            ++nChosen;
    }
    return nChosen;
}

CString PackageInfo::GetDiskImagesDir() const
{
    CString strProgramDir = GetProgramDirectory();
    CString strDir = ReadProfileString("Paths", "DiskImages", strProgramDir + "\\Quorvane.ini");
    return strDir.IsEmpty() ? strProgramDir : strDir;
}

DiskCursor::DiskCursor(PackageInfo* pPackage) : m_pPackage(pPackage), m_nPosition(0) {}

void DiskCursor::Reset()
{
    m_nPosition = 0;
}

BOOL DiskCursor::Next(DiskInfo** ppDisk)
{
    if (m_nPosition >= m_pPackage->m_disks.GetSize())
        return FALSE;
    *ppDisk = &m_pPackage->m_disks[m_nPosition];
    ++m_nPosition;
    return TRUE;
}
