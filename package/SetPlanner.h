// SetPlanner: which file of a folder goes on which disk of a set. Room is
// counted as the package check counts it (FloppyRoom): whole clusters of
// the format and root entries, long names' extra ones included; two files
// that would land under one FAT name, by long name or alias, never share a
// disk. In order, each disk is filled before the next begins. For the
// fewest disks, the files go largest first, by the larger of their share
// of a disk's clusters and of its root, in four ways (Fit), and the plan
// with the fewest disks is kept.
#pragma once
#include "../framework/CArray.h"
#include "../framework/CString.h"
#include "../fat/FloppyFormat.h"
#include "PackageCheck.h"

struct PlanFile {
    CString strEntry;      // relative to the disk image directory
    CString strName;       // as it lands on the floppy
    CString strNameKey;    // both as FAT compares names
    CString strEntryKey;
    ULONGLONG nSize = 0;
    int nClusters = 0;     // of the format
    int nRootEntries = 0;  // its slot in the root takes these
    bool bLands = true;    // false for a device name, which no floppy can hold
    int nGroup = 0;        // files of one FAT name share it
    int nRank = 0;         // place in the list: /first names first, then FAT's order of the entries
};

struct PlanDisk {
    CArray<int> files;  // into the planner's files, in the list's order
    FloppyRoom room;
    int nMayBeAlias = 0;  // files whose name has a numeric tail
};

class SetPlanner {
public:
    explicit SetPlanner(const FloppyFormat& format) : m_pFormat(&format) {}
    SetPlanner(const SetPlanner&) = delete;
    SetPlanner& operator=(const SetPlanner&) = delete;
    const FloppyFormat& GetFormat() const { return *m_pFormat; }

    void AddFile(const CString& strEntry, ULONGLONG nSize);
    // Every file below the folder, at any depth, as an entry that starts
    // with lpszPrefix; the full paths in leftOut are left out. FALSE with
    // *pstrProblem when a folder cannot be read.
    BOOL AddFolder(LPCSTR lpszFolder, LPCSTR lpszPrefix, const CStringArray& leftOut, CString* pstrProblem);
    // These base names' files go first, in the order given, from Disk 1 on.
    // FALSE with the first name that matches no file.
    BOOL PutFirst(const CStringArray& names, CString* pstrUnmatched);

    // The files no disk of the format can hold, alone; plan only without them.
    CArray<int> TooLarge() const;
    void Plan(BOOL bFewest);
    // No plan can use fewer disks: the clusters of all files over a disk's,
    // their root entries over a disk's, the files more than half a disk
    // (by either), the files of one FAT name.
    int LowerBound() const;

    int GetFileCount() const { return m_files.GetSize(); }
    const PlanFile& GetFile(int nIndex) const { return m_files[nIndex]; }
    const CArray<PlanDisk>& GetDisks() const { return m_disks; }

    // "2 files, 287,930 bytes, 288,256 on the floppy, 1,169,408 left, 19% full"
    CString DescribeDisk(const PlanDisk& disk) const;
    // The package list of the plan: the per-disk lines as comments.
    CString ListText(LPCSTR lpszName) const;

private:
    void Prepare();
    BOOL CanTake(const PlanDisk& disk, int nFile) const;
    void Put(CArray<PlanDisk>& disks, int nDisk, int nFile) const;
    // Every file in order into the disks, a new one when the last is full.
    void FillInOrder(CArray<PlanDisk>& disks, const CArray<int>& files) const;
    // Where each file goes: the first disk with room, or the fullest. Or,
    // onto as many disks as the lower bound from the start: the files that
    // weigh more in root entries than in clusters first, each into the
    // emptiest root, then the rest into the first disk with room (spread);
    // or every file into the disk with the most room of what it weighs
    // more in (level).
    enum Fit { kFirstFit, kBestFit, kSpread, kLevel };
    void Pack(CArray<PlanDisk>& disks, const CArray<int>& files, Fit fit) const;
    // A disk's share of the format used, clusters or root, whichever is more,
    // as a number to compare.
    ULONGLONG Load(int nClusters, int nRootEntries) const;
    // Its share of a disk's root is larger than its share of the clusters.
    BOOL WeighsInEntries(const PlanFile& file) const;

    const FloppyFormat* m_pFormat;
    CArray<PlanFile> m_files;
    CArray<int> m_groupSizes;
    CStringArray m_first;
    int m_nFirstFiles = 0;  // the files of the /first names lead the order
    CArray<PlanDisk> m_disks;
};
