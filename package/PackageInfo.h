// PackageInfo: the product and its disks, read once from the package list;
// DiskCursor walks the disks.
#pragma once
#include "../framework/CArray.h"
#include "../framework/CString.h"
#include "DiskInfo.h"

class PackageInfo {
public:
    PackageInfo() = default;
    PackageInfo(const PackageInfo&) = delete;
    PackageInfo& operator=(const PackageInfo&) = delete;

    // TRUE when the name, the disk count and every disk were read. After
    // FALSE whatever was read stays, and the program is meant to end.
    // Time and memory follow what the file holds, never the counts in it.
    BOOL LoadFromFile(LPCSTR lpszPath);
    // After a FALSE load: the first rule of the package list that was
    // broken, in words a user can act on, naming section and key. Empty
    // after a successful load.
    CString GetLoadError() const;

    // The profile reader holds the whole file in memory, many times its
    // size, before it answers. Windows 95's reader sees only the first 64 KB
    // of a file anyway, so a list larger than this is no package list.
    static constexpr DWORD kMostListBytes = 1024 * 1024;
    CString GetName() const;
    // The label of disk nNumber (from 1), as the insert-disk prompt, the
    // checks and the image files name it: "Disk 1 - Corvela".
    CString GetDiskLabel(int nNumber) const;
    int CountChosenDisks() const;
    // Read afresh from Quorvane.ini on every call; the program directory
    // when no setting is given. Used exactly as written.
    CString GetDiskImagesDir() const;
    // Whether disks are read back after writing: [Options] Verify of
    // Quorvane.ini; only 0, no, off or false turn it off.
    BOOL GetVerifyDisks() const;
    // Whether a used floppy may be erased, after a question: [Options]
    // EraseUsed of Quorvane.ini; off unless it says 1, yes, on or true.
    BOOL GetEraseUsed() const;

private:
    friend class DiskCursor;

    enum ListFault {
        kListRead,
        kListUnreadable,
        kListTooLarge,
        kListNameMissing,
        kListNumberInvalid,
        kListDiskFault,  // m_diskFault, m_nFaultDisk and m_nFaultEntry say more
        kListOutOfMemory,
    };

    // Raises CMemoryException when memory runs out.
    BOOL ReadList(LPCSTR lpszPath);

    CArray<DiskInfo> m_disks;  // sized once, so disk addresses stay valid
    CString m_strName;
    // Kept as numbers, not text: the fault may be running out of memory.
    ListFault m_fault = kListRead;
    DiskFault m_diskFault = kDiskRead;
    int m_nFaultDisk = 0;
    int m_nFaultEntry = 0;
};

class DiskCursor {
public:
    explicit DiskCursor(PackageInfo* pPackage);
    void Reset();
    // Yields the address of the next disk inside the package; FALSE after the last.
    BOOL Next(DiskInfo** ppDisk);

    PackageInfo* m_pPackage;
    int m_nPosition;  // after a successful Next: 1-based number of the disk
};

// "Disk 1 - Corvela": the one way a disk's label is written, for a package
// loaded or one being planned.
CString FormatDiskLabel(int nNumber, LPCSTR lpszProduct);
