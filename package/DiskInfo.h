// DiskInfo: one disk of the installation set; FileCursor walks its entries.
#pragma once
#include "../framework/CArray.h"
#include "../framework/CString.h"

// What stopped the reading of a disk's section.
enum DiskFault {
    kDiskRead,            // nothing: the disk was read whole
    kDiskSectionMissing,  // the section holds nothing at all
    kDiskCountInvalid,    // Files is missing, not a number or not above 0
    kDiskEntryMissing,    // File<j> below the count is not there
    kDiskEntryEmpty,      // File<j> below the count is there but empty
};

class DiskInfo {
public:
    DiskInfo();

    // Reads section "Disk<k>" of the package list. FALSE when its Files
    // count is not above 0 or an entry below it is missing or empty;
    // *pFault then says which, and m_files holds the entries before the
    // one at fault. Costs what the section holds, whatever count it claims.
    // Running out of memory raises CMemoryException.
    BOOL LoadFromFile(int k, LPCSTR lpszPath, DiskFault* pFault);

    CStringArray m_files;  // entries relative to the disk image directory
    BOOL m_bChosen;        // to be built; the disk selection page writes it
    int m_nNumber;         // 0-based position in the package; users see +1
    CString m_strLabel;    // never set: the product name stands for it
};

class FileCursor {
public:
    explicit FileCursor(DiskInfo* pDisk);
    void Reset() { m_nPosition = 0; }
    // Copies the next entry into strEntry; FALSE after the last one.
    BOOL Next(CString& strEntry);

    DiskInfo* m_pDisk;
    int m_nPosition;  // after a successful Next: 1-based number of the entry
};
