// PackageCheck: what each disk of a loaded package will take on a blank
// floppy (1.44 MB, the wizard's, or another format of the table), and
// every problem that would stop a disk from being written as the package
// list means it. Run by the wizard before the first floppy is asked for,
// and by the console checker; it never writes.
#pragma once
#include "../framework/CArray.h"
#include "../framework/CString.h"
#include "../fat/FloppyFormat.h"
#include "PackageInfo.h"

// What files take on a blank floppy of a format, as FAT counts it: each
// file in whole clusters, each slot its directory entries. The package
// check and the set planner count here, so that a planned set checks clean.
struct FloppyRoom {
    ULONGLONG nBytes = 0;         // bytes of the files that land on the floppy
    ULONGLONG nFloppyBytes = 0;   // the same, each file rounded up to whole clusters
    int nRootEntries = 0;         // directory entries, long-name ones included

    // A file of nSize bytes in a slot of nEntries directory entries.
    void Add(ULONGLONG nSize, int nEntries, const FloppyFormat& format)
    {
        nBytes += nSize;
        nFloppyBytes += format.Rounded(nSize);
        nRootEntries += nEntries;
    }
    BOOL Fits(const FloppyFormat& format) const
    {
        return nFloppyBytes <= format.Capacity() && nRootEntries <= format.nRootEntries;
    }
};

struct DiskReport : FloppyRoom {
    CString strLabel;             // as on the insert-disk prompt: "Disk 1 - Corvela"
    int nEntries = 0;             // entries listed for the disk, device names left out
    ULONGLONG nCapacity = FloppyFormat::Standard().Capacity();  // of the floppy checked for

    // Negative when the files do not fit.
    LONGLONG RoomLeft() const;
};

class PackageCheck {
public:
    // Checks for floppies of that format: its clusters, and a root
    // directory in which all of a disk's files land.
    explicit PackageCheck(const FloppyFormat& format = FloppyFormat::Standard()) : m_pFormat(&format) {}
    const FloppyFormat& GetFormat() const { return *m_pFormat; }

    // Checks the disks of the package (only the chosen ones when
    // bChosenOnly) against the files below lpszImagesDir, which is used as
    // the build uses it: directory, a backslash, the entry.
    void Run(PackageInfo* pPackage, LPCSTR lpszImagesDir, BOOL bChosenOnly);

    BOOL IsClean() const { return m_problems.IsEmpty(); }

    CArray<DiskReport> m_disks;
    CStringArray m_problems;  // one sentence each, starting with the disk's label

private:
    const FloppyFormat* m_pFormat;
};

// 1457664 as "1,457,664": how the checker writes byte counts.
CString FormatByteCount(ULONGLONG nBytes);
