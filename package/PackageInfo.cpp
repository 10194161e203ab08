#include "PackageInfo.h"

#include <utility>

#include "ProfileFile.h"
#include "ProgramDirectory.h"
#include "res/resource.h"

BOOL PackageInfo::LoadFromFile(LPCSTR lpszPath)
{
    m_fault = kListRead;
    BOOL bRead = FALSE;
    try {
        bRead = ReadList(lpszPath);
    } catch (CMemoryException* e) {
        e->Delete();
        m_fault = kListOutOfMemory;
    }
    // Forgetting a file makes the reader open it first: not one it never saw.
    if (m_fault != kListTooLarge)
        ForgetProfileFile(lpszPath);
    return bRead;
}

BOOL PackageInfo::ReadList(LPCSTR lpszPath)
{
    if (ProfileFileLargerThan(lpszPath, kMostListBytes)) {
        m_strName.Empty();
        m_fault = kListTooLarge;
        return FALSE;
    }
    ReadProfileValue("Global", "Name", lpszPath, m_strName);
    if (m_strName.IsEmpty()) {
        // Only now: an unreadable file looks to the reader like an empty one.
        m_fault = CanReadProfileFile(lpszPath) ? kListNameMissing : kListUnreadable;
        return FALSE;
    }

    int nDisks = static_cast<int>(::GetPrivateProfileIntA("Disks", "Number", 0, lpszPath));
    if (nDisks <= 0) {
        m_fault = kListNumberInvalid;
        return FALSE;
    }

    // The disk count is only a claim. The disks grow with the sections that
    // are really there, and the package takes its array in one piece at the
    // end, so the disk addresses it hands out stay valid from then on.
    m_disks.RemoveAll();
    CArray<DiskInfo> disks;
    DiskFault fault = kDiskRead;
    for (int k = 0; k < nDisks && fault == kDiskRead; ++k) {
        int i = disks.Add(DiskInfo());
        disks[i].LoadFromFile(k, lpszPath, &fault);
    }
    m_disks = std::move(disks);

    if (fault != kDiskRead) {
        m_fault = kListDiskFault;
        m_diskFault = fault;
        m_nFaultDisk = m_disks.GetSize() - 1;
        m_nFaultEntry = m_disks[m_nFaultDisk].m_files.GetSize();
        return FALSE;
    }
    return TRUE;
}

CString PackageInfo::GetLoadError() const
{
    CString strError;
    switch (m_fault) {
    case kListRead:
        break;
    case kListUnreadable:
        strError = "The package list cannot be read";
        break;
    case kListTooLarge:
        strError = "The package list is larger than 1 MB, far more than any set of floppies needs";
        break;
    case kListNameMissing:
        strError = "[Global] Name is missing or empty";
        break;
    case kListNumberInvalid:
        strError = "[Disks] Number is missing, zero, negative or not a number";
        break;
    case kListOutOfMemory:
        strError = "Out of memory while reading the package list";
        break;
    case kListDiskFault:
        switch (m_diskFault) {
        case kDiskRead:
            break;
        case kDiskSectionMissing:
            strError.Format("[Disk%d] is missing", m_nFaultDisk);
            break;
        case kDiskCountInvalid:
            strError.Format("[Disk%d] Files is missing, zero, negative or not a number", m_nFaultDisk);
            break;
        case kDiskEntryMissing:
            strError.Format("[Disk%d] File%d is missing", m_nFaultDisk, m_nFaultEntry);
            break;
        case kDiskEntryEmpty:
            strError.Format("[Disk%d] File%d is empty", m_nFaultDisk, m_nFaultEntry);
            break;
        }
        break;
    }
    return strError;
}

CString PackageInfo::GetName() const
{
    return m_strName;  // shares the text until either side changes
}

CString PackageInfo::GetDiskLabel(int nNumber) const
{
    return FormatDiskLabel(nNumber, m_strName);
}

CString FormatDiskLabel(int nNumber, LPCSTR lpszProduct)
{
    CString strLabel;
    strLabel.Format(IDS_DISK_LABEL, nNumber, lpszProduct);
    return strLabel;
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

namespace {
CString SettingsFilePath()
{
    return GetProgramDirectory() + "\\Quorvane.ini";
}
}  // namespace

BOOL PackageInfo::GetVerifyDisks() const
{
    CString strSettings = SettingsFilePath();
    BOOL bVerify = ReadProfileSwitch("Options", "Verify", TRUE, strSettings);
    ForgetProfileFile(strSettings);
    return bVerify;
}

BOOL PackageInfo::GetEraseUsed() const
{
    CString strSettings = SettingsFilePath();
    BOOL bErase = ReadProfileSwitch("Options", "EraseUsed", FALSE, strSettings);
    ForgetProfileFile(strSettings);
    return bErase;
}

CString PackageInfo::GetDiskImagesDir() const
{
    CString strProgramDir = GetProgramDirectory();
    CString strSettings = SettingsFilePath();
    CString strDir;
    ReadProfileValue("Paths", "DiskImages", strSettings, strDir);
    ForgetProfileFile(strSettings);
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
