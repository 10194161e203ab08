#include "PackageCheck.h"

#include <cstring>

#include "../framework/CFile.h"
#include "res/resource.h"

namespace {
// Short names take upper-case letters, digits and these.
bool IsShortNameChar(char ch)
{
    return (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ||
           (ch != '\0' && strchr("!#$%&'()-@^_`{}~", ch) != NULL);
}

bool IsPlainShortName(const CString& strName)
{
    int nLength = strName.GetLength();
    int nDot = strName.Find('.');
    int nBase = nDot < 0 ? nLength : nDot;
    int nExtension = nDot < 0 ? 0 : nLength - nDot - 1;
    if (nBase < 1 || nBase > 8 || nExtension > 3 || (nDot >= 0 && nExtension == 0))
        return false;
    for (int i = 0; i < nLength; ++i) {
        if (i != nDot && !IsShortNameChar(strName[i]))
            return false;
    }
    return true;
}

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

int FindName(const CStringArray& names, const CString& strName)
{
    for (int i = 0; i < names.GetSize(); ++i) {
        // FAT compares names without regard to case.
        if (lstrcmpiA(names[i], strName) == 0)
            return i;
    }
    return -1;
}
}  // namespace

LONGLONG DiskReport::RoomLeft() const
{
    return static_cast<LONGLONG>(nCapacity) - static_cast<LONGLONG>(nFloppyBytes);
}

int PackageCheck::DirectoryEntriesFor(const CString& strName)
{
    if (IsPlainShortName(strName))
        return 1;
    // A long name is kept in UTF-16, 13 characters to an entry.
    int nChars = ::MultiByteToWideChar(CP_ACP, 0, strName, -1, NULL, 0) - 1;
    if (nChars < 1)
        nChars = strName.GetLength();
    return 1 + (nChars + 12) / 13;
}

void PackageCheck::Run(PackageInfo* pPackage, LPCSTR lpszImagesDir, BOOL bChosenOnly)
{
    m_disks.RemoveAll();
    m_problems.RemoveAll();
    CString strProduct = pPackage->GetName();

    DiskCursor disks(pPackage);
    DiskInfo* pDisk = NULL;
    while (disks.Next(&pDisk)) {
        if (bChosenOnly && !pDisk->m_bChosen)
            continue;
        DiskReport report;
        report.strLabel.Format(IDS_DISK_LABEL, disks.m_nPosition, static_cast<LPCSTR>(strProduct));
        report.nCapacity = m_pFormat->Capacity();

        // What lands on the floppy, by name: a later entry of the same name
        // overwrites the earlier file, one that cannot be copied lands nothing.
        CStringArray names, entries;
        CArray<ULONGLONG> sizes;
        FileCursor files(pDisk);
        CString strEntry;
        while (files.Next(strEntry)) {
            ++report.nEntries;
            CString strName = FloppyFileName(strEntry);
            int nSame = FindName(names, strName);
            CString strSource = CString(lpszImagesDir) + "\\" + strEntry;
            ULONGLONG nSize = 0;
            UINT nProblem = 0;
            BOOL bMeasured = MeasureSource(strSource, &nSize, &nProblem);
            if (nSame >= 0) {
                // A second that cannot be copied overwrites nothing.
                CString strProblem;
                strProblem.Format(bMeasured ? IDS_CHECK_DUPLICATE : IDS_CHECK_DUPLICATE_FIRST_STAYS,
                                  static_cast<LPCSTR>(report.strLabel), static_cast<LPCSTR>(entries[nSame]),
                                  static_cast<LPCSTR>(strEntry), static_cast<LPCSTR>(strName));
                m_problems.Add(strProblem);
            }
            if (!bMeasured) {
                CString strProblem;
                strProblem.Format(nProblem, static_cast<LPCSTR>(report.strLabel),
                                  static_cast<LPCSTR>(strEntry), static_cast<LPCSTR>(strSource));
                m_problems.Add(strProblem);
            } else if (nSame >= 0) {
                sizes[nSame] = nSize;
                entries[nSame] = strEntry;
            } else {
                names.Add(strName);
                entries.Add(strEntry);
                sizes.Add(nSize);
            }
        }

        for (int i = 0; i < names.GetSize(); ++i) {
            report.nBytes += sizes[i];
            report.nFloppyBytes += m_pFormat->Rounded(sizes[i]);
            report.nRootEntries += DirectoryEntriesFor(names[i]);
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
