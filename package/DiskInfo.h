// DiskInfo: one disk of the installation set; FileCursor walks its entries.
#pragma once
#include "../framework/CArray.h"
#include "../framework/CString.h"

class DiskInfo {
public:
    DiskInfo();

    // Reads section "Disk<k>" of the package list. FALSE when its Files
    // count is not above 0 or an entry below it is missing or empty.
    BOOL LoadFromFile(int k, LPCSTR lpszPath);

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
