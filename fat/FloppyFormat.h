// FloppyFormat: the floppy formats a set can be written for, in one table:
// the geometry a boot sector states and what follows from it, the room
// for files. Every one is FAT12 with 512-byte sectors, the boot sector as
// the only reserved sector and two FATs. The package check, the image
// writer and the console tools all read this one table.
#pragma once
#include <windows.h>

struct FloppyFormat {
    int nKilobytes;          // as /format names it
    LPCSTR lpszName;         // "1.44 MB", as sentences name the floppy
    LPCSTR lpszCheckName;    // "1.44MB", as the check's strings have always written it
    int nSectorsPerTrack;
    int nHeads;
    int nCylinders;
    int nSectorsPerCluster;
    int nRootEntries;
    int nFatSectors;
    BYTE nMedia;

    static constexpr int kSectorBytes = 512;
    static constexpr int kEntryBytes = 32;

    constexpr int TotalSectors() const { return nSectorsPerTrack * nHeads * nCylinders; }
    constexpr DWORD ImageBytes() const { return static_cast<DWORD>(TotalSectors()) * kSectorBytes; }
    constexpr int RootSectors() const { return nRootEntries * kEntryBytes / kSectorBytes; }
    constexpr int FatOffset(int nFat) const { return (1 + nFat * nFatSectors) * kSectorBytes; }
    constexpr int RootOffset() const { return FatOffset(2); }
    constexpr int FirstDataSector() const { return 1 + 2 * nFatSectors + RootSectors(); }
    constexpr int ClusterBytes() const { return nSectorsPerCluster * kSectorBytes; }
    // A partial cluster at the end of the disk holds nothing.
    constexpr int Clusters() const { return (TotalSectors() - FirstDataSector()) / nSectorsPerCluster; }
    constexpr ULONGLONG Capacity() const { return static_cast<ULONGLONG>(Clusters()) * ClusterBytes(); }
    // What a file of nBytes takes: whole clusters.
    constexpr ULONGLONG Rounded(ULONGLONG nBytes) const
    {
        return (nBytes + ClusterBytes() - 1) / ClusterBytes() * ClusterBytes();
    }

    // The 1.44 MB floppy, the one the wizard writes.
    static const FloppyFormat& Standard();
    // The format /format names ("720", ...), or NULL.
    static const FloppyFormat* Find(LPCSTR lpszKilobytes);
    // "720, 1200, 1440, 1680, 2880", for a usage line.
    static LPCSTR Choices() { return "720, 1200, 1440, 1680, 2880"; }
};

namespace FloppyFormats {
// The 1.68 MB row is the distribution format large sets shipped on: 21
// sectors to a track, 2 KB clusters and a root of one sector, 16 entries.
inline constexpr FloppyFormat kAll[] = {
    {720, "720 KB", "720KB", 9, 2, 80, 2, 112, 3, 0xF9},
    {1200, "1.2 MB", "1.2MB", 15, 2, 80, 1, 224, 7, 0xF9},
    {1440, "1.44 MB", "1.44MB", 18, 2, 80, 1, 224, 9, 0xF0},
    {1680, "1.68 MB", "1.68MB", 21, 2, 80, 4, 16, 3, 0xF0},
    {2880, "2.88 MB", "2.88MB", 36, 2, 80, 2, 240, 9, 0xF0},
};
inline constexpr int kCount = sizeof(kAll) / sizeof(kAll[0]);

constexpr int MostHeadSectors()
{
    int nMost = 0;
    for (const FloppyFormat& format : kAll)
        nMost = format.FirstDataSector() > nMost ? format.FirstDataSector() : nMost;
    return nMost;
}

// A FAT holds 1.5 bytes for every cluster and the two it reserves.
constexpr bool FatsHoldTheirClusters()
{
    for (const FloppyFormat& format : kAll) {
        if ((format.Clusters() + 2) * 3 / 2 > format.nFatSectors * FloppyFormat::kSectorBytes ||
            format.Clusters() >= 4085)
            return false;
    }
    return true;
}
static_assert(FatsHoldTheirClusters(), "a format's FAT is too small, or it is no FAT12");
}  // namespace FloppyFormats

inline const FloppyFormat& FloppyFormat::Standard()
{
    return FloppyFormats::kAll[2];
}

inline const FloppyFormat* FloppyFormat::Find(LPCSTR lpszKilobytes)
{
    int nKilobytes = 0, nDigits = 0;
    for (; lpszKilobytes[nDigits] >= '0' && lpszKilobytes[nDigits] <= '9' && nDigits < 5; ++nDigits)
        nKilobytes = nKilobytes * 10 + (lpszKilobytes[nDigits] - '0');
    for (const FloppyFormat& format : FloppyFormats::kAll) {
        if (lpszKilobytes[nDigits] == '\0' && lpszKilobytes[0] != '0' && format.nKilobytes == nKilobytes)
            return &format;
    }
    return NULL;
}
