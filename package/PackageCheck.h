// PackageCheck: what each disk of a loaded package will take on a blank
// 1.44 MB floppy, and every problem that would stop a disk from being
// written as the package list means it. Run by the wizard before the first
// floppy is asked for, and by the console checker; it never writes.
#pragma once
#include "../framework/CArray.h"
#include "../framework/CString.h"
#include "PackageInfo.h"

struct DiskReport {
    CString strLabel;             // as on the insert-disk prompt: "Disk 1 - Corvela"
    int nEntries = 0;             // entries listed for the disk
    ULONGLONG nBytes = 0;         // bytes of the files that land on the floppy
    ULONGLONG nFloppyBytes = 0;   // the same, each file rounded up to whole clusters
    int nRootEntries = 0;         // directory entries, long-name ones included

    // Negative when the files do not fit.
    LONGLONG RoomLeft() const;
};

class PackageCheck {
public:
    // A formatted 1.44 MB floppy: 2,847 clusters of 512 bytes, and a root
    // directory of 224 entries in which all of a disk's files land.
    static constexpr ULONGLONG kFloppyBytes = 1457664;
    static constexpr int kClusterBytes = 512;
    static constexpr int kRootEntries = 224;

    // Checks the disks of the package (only the chosen ones when
    // bChosenOnly) against the files below lpszImagesDir, which is used as
    // the build uses it: directory, a backslash, the entry.
    void Run(PackageInfo* pPackage, LPCSTR lpszImagesDir, BOOL bChosenOnly);

    BOOL IsClean() const { return m_problems.IsEmpty(); }

    CArray<DiskReport> m_disks;
    CStringArray m_problems;  // one sentence each, starting with the disk's label
};

// 1457664 as "1,457,664": how the checker writes byte counts.
CString FormatByteCount(ULONGLONG nBytes);
