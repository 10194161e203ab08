#include "SetPlanner.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "../framework/SystemError.h"
#include "../fat/FloppyFiles.h"
#include "ProgramDirectory.h"

namespace {
// Only a name with a numeric tail can be another file's alias; disks that
// hold one get the exact test of what lands where.
bool MayBeAlias(const CString& strName)
{
    return strName.Find('~') >= 0;
}

template <class Less>
void SortIndices(CArray<int>& indices, Less less)
{
    if (indices.GetSize() > 1)
        std::sort(&indices[0], &indices[0] + indices.GetSize(), less);
}
}  // namespace

void SetPlanner::AddFile(const CString& strEntry, ULONGLONG nSize)
{
    PlanFile file;
    file.strEntry = strEntry;
    file.strName = FloppyFiles::LandingName(strEntry);
    file.strNameKey = FloppyFiles::NameKey(file.strName);
    file.strEntryKey = FloppyFiles::NameKey(strEntry);
    file.nSize = nSize;
    // Capped: a file that large is refused anyway, and sums must not overflow.
    ULONGLONG nClusters = m_pFormat->Rounded(nSize) / m_pFormat->ClusterBytes();
    file.nClusters = nClusters > 0x1000000 ? 0x1000000 : static_cast<int>(nClusters);
    FloppyFiles alone;
    file.bLands = alone.Put(strEntry, "") == 0;
    file.nRootEntries = file.bLands ? alone[0].RootEntries() : 1;
    m_files.Add(std::move(file));
}

BOOL SetPlanner::AddFolder(LPCSTR lpszFolder, LPCSTR lpszPrefix, const CStringArray& leftOut, CString* pstrProblem)
{
    CString strFolder = FolderPath(lpszFolder);  // "Q:\\" as well as "Q:\\sets"
    WIN32_FIND_DATAA found;
    HANDLE hFind = ::FindFirstFileA(strFolder + "*", &found);
    if (hFind == INVALID_HANDLE_VALUE) {
        DWORD dwError = ::GetLastError();
        if (dwError == ERROR_FILE_NOT_FOUND || dwError == ERROR_NO_MORE_FILES)
            return TRUE;
        pstrProblem->Format("%s cannot be read (%s)", lpszFolder, static_cast<LPCSTR>(SystemErrorText(dwError)));
        return FALSE;
    }
    BOOL bRead = TRUE;
    do {
        CString strName = found.cFileName, strPath = strFolder + strName;
        if (strName == "." || strName == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            bRead = AddFolder(strPath, CString(lpszPrefix) + strName + "\\", leftOut, pstrProblem);
            continue;
        }
        BOOL bLeftOut = FALSE;
        // One name is as long as the other: most are told apart without a look.
        for (int i = 0; i < leftOut.GetSize() && !bLeftOut; ++i)
            bLeftOut = leftOut[i].GetLength() == strPath.GetLength() && FloppyFiles::SameName(leftOut[i], strPath);
        if (!bLeftOut)
            AddFile(CString(lpszPrefix) + strName,
                    static_cast<ULONGLONG>(found.nFileSizeHigh) << 32 | found.nFileSizeLow);
    } while (bRead && ::FindNextFileA(hFind, &found));
    // A listing that ends on an error leaves files out of the set unseen.
    DWORD dwEnd = ::GetLastError();
    ::FindClose(hFind);
    if (bRead && dwEnd != ERROR_NO_MORE_FILES) {
        pstrProblem->Format("%s cannot be read (%s)", lpszFolder, static_cast<LPCSTR>(SystemErrorText(dwEnd)));
        return FALSE;
    }
    return bRead;
}

BOOL SetPlanner::PutFirst(const CStringArray& names, CString* pstrUnmatched)
{
    for (int j = 0; j < names.GetSize(); ++j) {
        BOOL bFound = FALSE;
        for (int i = 0; i < m_files.GetSize() && !bFound; ++i)
            bFound = FloppyFiles::SameName(m_files[i].strName, names[j]);
        if (!bFound) {
            *pstrUnmatched = names[j];
            return FALSE;
        }
        m_first.Add(names[j]);
    }
    return TRUE;
}

CArray<int> SetPlanner::TooLarge() const
{
    CArray<int> tooLarge;
    for (int i = 0; i < m_files.GetSize(); ++i) {
        FloppyRoom room;
        room.Add(m_files[i].nSize, m_files[i].nRootEntries, *m_pFormat);
        if (!room.Fits(*m_pFormat))
            tooLarge.Add(i);
    }
    return tooLarge;
}

void SetPlanner::Prepare()
{
    int nFiles = m_files.GetSize();
    CArray<int> order;
    order.SetSize(nFiles);
    for (int i = 0; i < nFiles; ++i)
        order[i] = i;
    SortIndices(order, [&](int a, int b) {
        int nOrder = strcmp(m_files[a].strNameKey, m_files[b].strNameKey);
        return nOrder != 0 ? nOrder < 0 : a < b;
    });
    m_groupSizes.RemoveAll();
    for (int k = 0; k < nFiles; ++k) {
        if (k == 0 || m_files[order[k - 1]].strNameKey != m_files[order[k]].strNameKey)
            m_groupSizes.Add(0);
        m_files[order[k]].nGroup = m_groupSizes.GetSize() - 1;
        ++m_groupSizes[m_groupSizes.GetSize() - 1];
    }

    CArray<int> firstOf;  // by file: its /first name's place, or after them all
    firstOf.SetSize(nFiles);
    for (int i = 0; i < nFiles; ++i) {
        firstOf[i] = m_first.GetSize();
        for (int j = 0; j < m_first.GetSize() && firstOf[i] == m_first.GetSize(); ++j) {
            if (FloppyFiles::SameName(m_files[i].strName, m_first[j]))
                firstOf[i] = j;
        }
    }
    SortIndices(order, [&](int a, int b) {
        if (firstOf[a] != firstOf[b])
            return firstOf[a] < firstOf[b];
        int nOrder = strcmp(m_files[a].strEntryKey, m_files[b].strEntryKey);
        return nOrder != 0 ? nOrder < 0 : a < b;
    });
    m_nFirstFiles = 0;
    for (int k = 0; k < nFiles; ++k) {
        m_files[order[k]].nRank = k;
        m_nFirstFiles += firstOf[order[k]] < m_first.GetSize();
    }
}

ULONGLONG SetPlanner::Load(int nClusters, int nRootEntries) const
{
    ULONGLONG nByClusters = static_cast<ULONGLONG>(nClusters) * m_pFormat->nRootEntries;
    ULONGLONG nByEntries = static_cast<ULONGLONG>(nRootEntries) * m_pFormat->Clusters();
    return nByClusters > nByEntries ? nByClusters : nByEntries;
}

BOOL SetPlanner::WeighsInEntries(const PlanFile& file) const
{
    return Load(0, file.nRootEntries) > Load(file.nClusters, 0);
}

BOOL SetPlanner::CanTake(const PlanDisk& disk, int nFile) const
{
    const PlanFile& file = m_files[nFile];
    FloppyRoom room = disk.room;
    room.Add(file.nSize, file.nRootEntries, *m_pFormat);
    if (!room.Fits(*m_pFormat))
        return FALSE;
    if (m_groupSizes[file.nGroup] > 1) {
        for (int i = 0; i < disk.files.GetSize(); ++i) {
            if (m_files[disk.files[i]].nGroup == file.nGroup)
                return FALSE;
        }
    }
    if (disk.nMayBeAlias == 0 && !MayBeAlias(file.strName))
        return TRUE;
    // Aliases depend on the order of the files before them: the disk as it
    // would be listed, every file landing in a slot of its own.
    CArray<int> files;
    for (int i = 0; i < disk.files.GetSize(); ++i)
        files.Add(disk.files[i]);
    files.Add(nFile);
    SortIndices(files, [&](int a, int b) { return m_files[a].nRank < m_files[b].nRank; });
    FloppyFiles landed;
    for (int i = 0; i < files.GetSize(); ++i) {
        int nSlots = landed.GetSize(), nSlot = landed.Put(m_files[files[i]].strEntry, "");
        if (nSlot >= 0 && nSlot != nSlots)
            return FALSE;
    }
    return TRUE;
}

void SetPlanner::Put(CArray<PlanDisk>& disks, int nDisk, int nFile) const
{
    PlanDisk& disk = disks[nDisk];
    const PlanFile& file = m_files[nFile];
    disk.files.Add(nFile);
    disk.room.Add(file.nSize, file.nRootEntries, *m_pFormat);
    disk.nMayBeAlias += MayBeAlias(file.strName);
}

void SetPlanner::FillInOrder(CArray<PlanDisk>& disks, const CArray<int>& files) const
{
    for (int i = 0; i < files.GetSize(); ++i) {
        if (disks.IsEmpty() || !CanTake(disks[disks.GetSize() - 1], files[i]))
            disks.Add(PlanDisk());
        Put(disks, disks.GetSize() - 1, files[i]);
    }
}

void SetPlanner::Pack(CArray<PlanDisk>& disks, const CArray<int>& sorted, Fit fit) const
{
    int nClusterBytes = m_pFormat->ClusterBytes();
    // Spread: the files that weigh more in root entries go first.
    CArray<int> files;
    for (int nPass = fit == kSpread ? 0 : 1; nPass < 2; ++nPass) {
        for (int i = 0; i < sorted.GetSize(); ++i) {
            if (fit != kSpread || WeighsInEntries(m_files[sorted[i]]) == (nPass == 0))
                files.Add(sorted[i]);
        }
    }
    for (int nBound = fit >= kSpread ? LowerBound() : 0; disks.GetSize() < nBound;)
        disks.Add(PlanDisk());
    for (int i = 0; i < files.GetSize(); ++i) {
        const PlanFile& file = m_files[files[i]];
        BOOL bByEntries = WeighsInEntries(file);
        // The emptiest disk, by what weighs more of the file, or the fullest.
        BOOL bEmptiest = fit == kLevel || (fit == kSpread && bByEntries);
        int nBest = -1;
        ULONGLONG nBestLoad = 0;
        for (int d = 0; d < disks.GetSize(); ++d) {
            const FloppyRoom& room = disks[d].room;
            int nClusters = static_cast<int>(room.nFloppyBytes / nClusterBytes);
            ULONGLONG nLoad = !bEmptiest ? Load(nClusters + file.nClusters, room.nRootEntries + file.nRootEntries)
                              : bByEntries ? m_pFormat->nRootEntries - room.nRootEntries
                                           : m_pFormat->Clusters() - nClusters;
            if ((nBest >= 0 && nLoad <= nBestLoad) || !CanTake(disks[d], files[i]))
                continue;
            nBest = d;
            nBestLoad = nLoad;
            if (fit == kFirstFit || (fit == kSpread && !bByEntries))
                break;
        }
        if (nBest < 0) {
            nBest = disks.GetSize();
            disks.Add(PlanDisk());
        }
        Put(disks, nBest, files[i]);
    }
    // A disk set out for the spread may have stayed empty.
    CArray<PlanDisk> used;
    for (int d = 0; d < disks.GetSize(); ++d) {
        if (!disks[d].files.IsEmpty())
            used.Add(std::move(disks[d]));
    }
    disks = std::move(used);
}

void SetPlanner::Plan(BOOL bFewest)
{
    Prepare();
    int nFiles = m_files.GetSize();
    CArray<int> order;
    order.SetSize(nFiles);
    for (int i = 0; i < nFiles; ++i)
        order[m_files[i].nRank] = i;
    m_disks.RemoveAll();
    if (!bFewest) {
        FillInOrder(m_disks, order);
        return;
    }

    // The /first files fill the first disks in order. The rest go largest
    // first, the larger share deciding, in list order among equals; but
    // files of one name first of all, each needing a disk of its own,
    // before the disks are full.
    CArray<int> first, rest;
    for (int k = 0; k < nFiles; ++k)
        (k < m_nFirstFiles ? first : rest).Add(order[k]);
    SortIndices(rest, [&](int a, int b) {
        int nSharedA = m_groupSizes[m_files[a].nGroup], nSharedB = m_groupSizes[m_files[b].nGroup];
        if (nSharedA != nSharedB && (nSharedA > 1 || nSharedB > 1))
            return nSharedA > nSharedB;
        ULONGLONG nA = Load(m_files[a].nClusters, m_files[a].nRootEntries);
        ULONGLONG nB = Load(m_files[b].nClusters, m_files[b].nRootEntries);
        return nA != nB ? nA > nB : m_files[a].nRank < m_files[b].nRank;
    });
    for (Fit fit : {kFirstFit, kBestFit, kSpread, kLevel}) {
        CArray<PlanDisk> disks;
        FillInOrder(disks, first);
        Pack(disks, rest, fit);
        if (m_disks.IsEmpty() || disks.GetSize() < m_disks.GetSize())
            m_disks = std::move(disks);
    }
    for (int d = 0; d < m_disks.GetSize(); ++d)
        SortIndices(m_disks[d].files, [&](int a, int b) { return m_files[a].nRank < m_files[b].nRank; });
}

int SetPlanner::LowerBound() const
{
    ULONGLONG nClusters = 0, nRootEntries = 0;
    int nHalfByClusters = 0, nHalfByEntries = 0, nBound = m_files.IsEmpty() ? 0 : 1;
    int nDiskClusters = m_pFormat->Clusters(), nDiskEntries = m_pFormat->nRootEntries;
    for (int i = 0; i < m_files.GetSize(); ++i) {
        const PlanFile& file = m_files[i];
        nClusters += file.nClusters;
        nRootEntries += file.nRootEntries;
        nHalfByClusters += 2 * file.nClusters > nDiskClusters;
        nHalfByEntries += 2 * file.nRootEntries > nDiskEntries;
    }
    int bounds[] = {static_cast<int>((nClusters + nDiskClusters - 1) / nDiskClusters),
                    static_cast<int>((nRootEntries + nDiskEntries - 1) / nDiskEntries), nHalfByClusters,
                    nHalfByEntries};
    for (int nOne : bounds)
        nBound = std::max(nBound, nOne);
    for (int i = 0; i < m_groupSizes.GetSize(); ++i)
        nBound = std::max(nBound, m_groupSizes[i]);
    return nBound;
}

CString SetPlanner::DescribeDisk(const PlanDisk& disk) const
{
    const FloppyRoom& room = disk.room;
    ULONGLONG nCapacity = m_pFormat->Capacity();
    int nFiles = disk.files.GetSize();
    CString strLine;
    strLine.Format("%d file%s, %s bytes, %s on the floppy, %s left, %d%% full", nFiles, nFiles == 1 ? "" : "s",
                   static_cast<LPCSTR>(FormatByteCount(room.nBytes)),
                   static_cast<LPCSTR>(FormatByteCount(room.nFloppyBytes)),
                   static_cast<LPCSTR>(FormatByteCount(nCapacity - room.nFloppyBytes)),
                   static_cast<int>(room.nFloppyBytes * 100 / nCapacity));
    // Where the root fills before the clusters, it is what limits the disk.
    if (Load(0, room.nRootEntries) > Load(static_cast<int>(room.nFloppyBytes / m_pFormat->ClusterBytes()), 0)) {
        CString strRoot;
        strRoot.Format(", %d of %d root entries", room.nRootEntries, m_pFormat->nRootEntries);
        strLine += strRoot;
    }
    return strLine;
}

CString SetPlanner::ListText(LPCSTR lpszName) const
{
    // Joined once at the end: appending would copy the whole text at every line.
    CStringArray lines;
    CString strLine;
    int nDisks = m_disks.GetSize();
    strLine.Format("; %d disk%s of %s; no plan can use fewer than %d\r\n[Global]\r\nName=%s\r\n[Disks]\r\nNumber=%d\r\n",
                   nDisks, nDisks == 1 ? "" : "s", m_pFormat->lpszName, LowerBound(), lpszName, nDisks);
    lines.Add(strLine);
    for (int d = 0; d < nDisks; ++d) {
        const PlanDisk& disk = m_disks[d];
        strLine.Format("; %s: %s\r\n[Disk%d]\r\nFiles=%d\r\n",
                       static_cast<LPCSTR>(FormatDiskLabel(d + 1, lpszName)),
                       static_cast<LPCSTR>(DescribeDisk(disk)), d, disk.files.GetSize());
        lines.Add(strLine);
        for (int j = 0; j < disk.files.GetSize(); ++j) {
            strLine.Format("File%d=%s\r\n", j, static_cast<LPCSTR>(m_files[disk.files[j]].strEntry));
            lines.Add(strLine);
        }
    }
    int nLength = 0;
    for (int i = 0; i < lines.GetSize(); ++i)
        nLength += lines[i].GetLength();
    CString strText;
    LPSTR lpszText = strText.GetBuffer(nLength);
    for (int i = 0, nAt = 0; i < lines.GetSize(); nAt += lines[i++].GetLength())
        memcpy(lpszText + nAt, static_cast<LPCSTR>(lines[i]), lines[i].GetLength());
    strText.ReleaseBuffer(nLength);
    return strText;
}
