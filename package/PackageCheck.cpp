#include "PackageCheck.h"

#include "../framework/CFile.h"
#include "../fat/FloppyFiles.h"
#include "res/resource.h"

namespace {
// What the source of an entry weighs; FALSE with a problem's string id when
// the build could not copy it.
BOOL MeasureSource(LPCSTR lpszSource, ULONGLONG* pnSize, UINT* pnProblem)
{
    DWORD dwAttributes = ::GetFileAttributesA(lpszSource);
    if (dwAttributes == INVALID_FILE_ATTRIBUTES) {
        DWORD dwError = ::GetLastError();
        *pnProblem = dwError == ERROR_FILE_NOT_FOUND || dwError == ERROR_PATH_NOT_FOUND ||
                             dwError == ERROR_INVALID_NAME || dwError == ERROR_BAD_NETPATH
                         ? IDS_CHECK_MISSING
                         : IDS_CHECK_UNREADABLE;
        return FALSE;
    }
    if (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        *pnProblem = IDS_CHECK_DIRECTORY;
        return FALSE;
    }
    // Opened as the build opens it, so a file held by another program shows now.
    CFile source;
    if (!source.Open(lpszSource, CFile::modeRead)) {
        *pnProblem = IDS_CHECK_UNREADABLE;
        return FALSE;
    }
    try {
        *pnSize = source.GetLength();
    } catch (CFileException* e) {
        e->Delete();
        *pnProblem = IDS_CHECK_UNREADABLE;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

LONGLONG DiskReport::RoomLeft() const
{
    return static_cast<LONGLONG>(nCapacity) - static_cast<LONGLONG>(nFloppyBytes);
}

void PackageCheck::Run(PackageInfo* pPackage, LPCSTR lpszImagesDir, BOOL bChosenOnly)
{
    m_disks.RemoveAll();
    m_problems.RemoveAll();

    DiskCursor disks(pPackage);
    DiskInfo* pDisk = NULL;
    while (disks.Next(&pDisk)) {
        if (bChosenOnly && !pDisk->m_bChosen)
            continue;
        DiskReport report;
        report.strLabel = pPackage->GetDiskLabel(disks.m_nPosition);
        report.nCapacity = m_pFormat->Capacity();

        // What lands on the floppy, slot by slot: a later entry that a
        // lookup of its name takes to an earlier file overwrites it, one
        // that cannot be copied lands nothing.
        FloppyFiles landed;
        CArray<ULONGLONG> sizes;  // of each slot's file
        FileCursor files(pDisk);
        CString strEntry;
        while (files.Next(strEntry)) {
            CString strName = FloppyFiles::LandingName(strEntry);
            if (FloppyFiles::CanLand(strName) == FloppyFiles::kDeviceName) {
                CString strProblem;
                strProblem.Format(IDS_CHECK_DEVICE_NAME, static_cast<LPCSTR>(report.strLabel),
                                  static_cast<LPCSTR>(strName));
                m_problems.Add(strProblem);
                continue;
            }
            // A device is no file, and is not counted as one.
            ++report.nEntries;
            CString strSource = CString(lpszImagesDir) + "\\" + strEntry;
            ULONGLONG nSize = 0;
            UINT nProblem = 0;
            BOOL bMeasured = MeasureSource(strSource, &nSize, &nProblem);
            int nSame = landed.Find(strName);
            if (nSame >= 0) {
                const FloppyFile& earlier = landed[nSame];
                CString strProblem;
                if (bMeasured && !FloppyFiles::SameName(strName, earlier.strName)) {
                    strProblem.Format(IDS_CHECK_SHORT_NAME, static_cast<LPCSTR>(report.strLabel),
                                      static_cast<LPCSTR>(strName), static_cast<LPCSTR>(earlier.strName));
                } else {
                    // A second that cannot be copied overwrites nothing.
                    strProblem.Format(bMeasured ? IDS_CHECK_DUPLICATE : IDS_CHECK_DUPLICATE_FIRST_STAYS,
                                      static_cast<LPCSTR>(report.strLabel), static_cast<LPCSTR>(earlier.strEntry),
                                      static_cast<LPCSTR>(strEntry), static_cast<LPCSTR>(earlier.strName));
                }
                m_problems.Add(strProblem);
            }
            if (!bMeasured) {
                CString strProblem;
                strProblem.Format(nProblem, static_cast<LPCSTR>(report.strLabel),
                                  static_cast<LPCSTR>(strEntry), static_cast<LPCSTR>(strSource));
                m_problems.Add(strProblem);
                continue;
            }
            int nSlot = landed.Put(strEntry, strSource);
            if (nSlot == sizes.GetSize())
                sizes.Add(nSize);
            else if (nSlot >= 0)
                sizes[nSlot] = nSize;
        }

        for (int i = 0; i < landed.GetSize(); ++i) {
            report.Add(sizes[i], landed[i].RootEntries(), *m_pFormat);
        }
        if (report.RoomLeft() < 0) {
            CString strProblem;
            strProblem.Format(IDS_CHECK_TOO_BIG, static_cast<LPCSTR>(report.strLabel),
                              static_cast<LPCSTR>(FormatByteCount(report.nFloppyBytes)), m_pFormat->lpszCheckName,
                              static_cast<LPCSTR>(FormatByteCount(-report.RoomLeft())));
            m_problems.Add(strProblem);
        }
        if (report.nRootEntries > m_pFormat->nRootEntries) {
            CString strProblem;
            strProblem.Format(IDS_CHECK_TOO_MANY_NAMES, static_cast<LPCSTR>(report.strLabel),
                              report.nRootEntries, m_pFormat->nRootEntries, m_pFormat->lpszCheckName);
            m_problems.Add(strProblem);
        }
        m_disks.Add(report);
    }
}

CString FormatByteCount(ULONGLONG nBytes)
{
    char digits[24];
    int nDigits = 0;
    do {
        digits[nDigits++] = static_cast<char>('0' + nBytes % 10);
        nBytes /= 10;
    } while (nBytes != 0);
    CString strText;
    for (int i = nDigits - 1; i >= 0; --i) {
        strText += digits[i];
        if (i > 0 && i % 3 == 0)
            strText += ',';
    }
    return strText;
}
