#include "DestinationFloppy.h"

#include <utility>

#include "fat/FloppyFiles.h"
#include "package/PackageCheck.h"
#include "res/resource.h"

namespace {
// A blank 1.44 MB floppy has 1,457,664 bytes free; anything from this up
// will hold an installation disk.
const ULONGLONG kMinimumFreeBytes = 1430000;
const ULONGLONG kLargestFloppyBytes = 2949120;  // 2.88 MB

BOOL IsDots(LPCSTR lpszName)
{
    return lpszName[0] == '.' && (lpszName[1] == '\0' || (lpszName[1] == '.' && lpszName[2] == '\0'));
}

// What the system itself keeps in a volume's root: never the user's data,
// and not ours to delete.
BOOL IsSystemsOwn(LPCSTR lpszName)
{
    return FloppyFiles::SameName(lpszName, "System Volume Information") ||
           FloppyFiles::SameName(lpszName, ".windows-label") || FloppyFiles::SameName(lpszName, ".windows-serial");
}

// A junction, or what Wine makes of a symbolic link: it may lead anywhere.
BOOL IsLink(DWORD dwAttributes)
{
    return (dwAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

BOOL SameTime(const FILETIME& a, const FILETIME& b)
{
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

// As the build left it: a file of the length and time it gave it.
BOOL Carries(const FloppyEntry& found, const FloppyEntry& written)
{
    return !found.IsFolder() && found.nLength == written.nLength && SameTime(found.lastWrite, written.lastWrite);
}

FloppyEntry EntryOf(const WIN32_FIND_DATAA& found, const CString& strPath, const CString& strShortPath)
{
    FloppyEntry entry;
    entry.strPath = strPath + found.cFileName;
    entry.strShortPath = strShortPath + (found.cAlternateFileName[0] ? found.cAlternateFileName : found.cFileName);
    entry.nLength = (static_cast<ULONGLONG>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    entry.lastWrite = found.ftLastWriteTime;
    entry.dwAttributes = found.dwFileAttributes;
    entry.bInRoot = strPath.IsEmpty();
    return entry;
}

// Deletes one entry by its long name, or by its short one when the long
// name cannot be addressed (a character the code page lacks, a trailing
// space another system wrote). FALSE with the system's error;
// ERROR_MEDIA_CHANGED when a file there is no longer the one the look
// found: messages are pumped between deletions, and a floppy can be
// swapped meanwhile.
BOOL DeleteEntry(const CString& strRoot, const FloppyEntry& entry, DWORD* pdwError)
{
    const DWORD kProtecting = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    for (int nTry = 0; nTry < 2; ++nTry) {
        if (nTry == 1 && entry.strShortPath == entry.strPath)
            break;
        CString strPath = strRoot + (nTry == 0 ? entry.strPath : entry.strShortPath);
        if (!entry.IsFolder()) {
            // A folder's time changes as it empties; RemoveDirectory
            // refuses one that holds anything anyway.
            WIN32_FIND_DATAA found;
            HANDLE hFind = ::FindFirstFileA(strPath, &found);
            if (hFind == INVALID_HANDLE_VALUE) {
                *pdwError = ::GetLastError();
                continue;
            }
            ::FindClose(hFind);
            FloppyEntry now = EntryOf(found, "", "");
            if (now.IsFolder() || now.nLength != entry.nLength || !SameTime(now.lastWrite, entry.lastWrite)) {
                *pdwError = ERROR_MEDIA_CHANGED;
                return FALSE;
            }
        }
        BOOL bUnprotected = (entry.dwAttributes & kProtecting) != 0;
        if (bUnprotected && !::SetFileAttributesA(strPath, FILE_ATTRIBUTE_NORMAL)) {
            bUnprotected = FALSE;
            if (::GetLastError() == ERROR_WRITE_PROTECT) {
                *pdwError = ERROR_WRITE_PROTECT;
                return FALSE;
            }
        }
        // A link goes as a link; what it leads to is not this floppy's.
        if (entry.IsFolder() ? ::RemoveDirectoryA(strPath) : ::DeleteFileA(strPath))
            return TRUE;
        *pdwError = ::GetLastError();
        // What stays keeps the protection its owner gave it.
        if (bUnprotected)
            ::SetFileAttributesA(strPath, entry.dwAttributes & (kProtecting | FILE_ATTRIBUTE_ARCHIVE));
    }
    return FALSE;
}
}  // namespace

BOOL FloppyEntry::SameAs(const FloppyEntry& other) const
{
    return strPath == other.strPath && strShortPath == other.strShortPath && nLength == other.nLength &&
           SameTime(lastWrite, other.lastWrite) && dwAttributes == other.dwAttributes;
}

void WrittenFloppy::Wrote(LPCSTR lpszName)
{
    if (!HasWritten(lpszName))
        names.Add(lpszName);
}

BOOL WrittenFloppy::HasWritten(LPCSTR lpszName) const
{
    for (int i = 0; i < names.GetSize(); ++i) {
        if (FloppyFiles::SameName(names[i], lpszName))
            return TRUE;
    }
    return FALSE;
}

void WrittenFloppy::Forget(LPCSTR lpszName)
{
    CArray<FloppyEntry> kept;
    for (int i = 0; i < files.GetSize(); ++i) {
        if (!FloppyFiles::SameName(files[i].strPath, lpszName))
            kept.Add(files[i]);
    }
    files = std::move(kept);
}

BOOL DestinationFloppy::Survey(DWORD* pdwError)
{
    m_entries.RemoveAll();
    DWORD dwSectorsPerCluster = 0, dwBytesPerSector = 0, dwFreeClusters = 0, dwTotalClusters = 0;
    // Its counts, not GetDiskFreeSpaceExA's total: that one is the user's
    // quota on NT, which can make a large card look like a floppy.
    if (!::GetDiskFreeSpaceA(m_strRoot, &dwSectorsPerCluster, &dwBytesPerSector, &dwFreeClusters,
                             &dwTotalClusters)) {
        *pdwError = ::GetLastError();
        return FALSE;
    }
    m_nClusterBytes = static_cast<ULONGLONG>(dwSectorsPerCluster) * dwBytesPerSector;
    m_nTotalClusters = dwTotalClusters;
    m_nFreeClusters = dwFreeClusters;
    char szLabel[MAX_PATH + 1] = "", szFileSystem[MAX_PATH + 1] = "";
    m_dwSerial = 0;
    m_bHasVolume = ::GetVolumeInformationA(m_strRoot, szLabel, sizeof(szLabel), &m_dwSerial, NULL, NULL,
                                           szFileSystem, sizeof(szFileSystem));
    m_strLabel = m_bHasVolume ? szLabel : "";
    m_strFileSystem = m_bHasVolume ? szFileSystem : "";
    return SurveyFolder("", "", pdwError);
}

BOOL DestinationFloppy::SurveyFolder(const CString& strPath, const CString& strShortPath, DWORD* pdwError)
{
    WIN32_FIND_DATAA found;
    HANDLE hFind = ::FindFirstFileA(m_strRoot + strPath + "*.*", &found);
    if (hFind == INVALID_HANDLE_VALUE && strShortPath != strPath)
        hFind = ::FindFirstFileA(m_strRoot + strShortPath + "*.*", &found);
    if (hFind == INVALID_HANDLE_VALUE) {
        DWORD dwError = ::GetLastError();
        if (dwError == ERROR_FILE_NOT_FOUND || dwError == ERROR_NO_MORE_FILES)
            return TRUE;  // an empty folder
        *pdwError = dwError;
        return FALSE;
    }
    int nFirst = m_entries.GetSize();
    do {
        if (!IsDots(found.cFileName) && !(strPath.IsEmpty() && IsSystemsOwn(found.cFileName)))
            m_entries.Add(EntryOf(found, strPath, strShortPath));
    } while (::FindNextFileA(hFind, &found));
    // A bad directory sector ends the listing early: what was not seen
    // could be the user's.
    DWORD dwEnd = ::GetLastError();
    ::FindClose(hFind);
    if (dwEnd != ERROR_NO_MORE_FILES) {
        *pdwError = dwEnd;
        return FALSE;
    }
    int nEnd = m_entries.GetSize();
    for (int i = nFirst; i < nEnd; ++i) {
        FloppyEntry folder = m_entries[i];  // a copy: the array grows below
        if (folder.IsFolder() && !IsLink(folder.dwAttributes) &&
            !SurveyFolder(folder.strPath + "\\", folder.strShortPath + "\\", pdwError))
            return FALSE;
    }
    return TRUE;
}

BOOL DestinationFloppy::LookAt(LPCSTR lpszName, FloppyEntry* pEntry) const
{
    WIN32_FIND_DATAA found;
    HANDLE hFind = ::FindFirstFileA(m_strRoot + lpszName, &found);
    if (hFind == INVALID_HANDLE_VALUE)
        return FALSE;
    ::FindClose(hFind);
    *pEntry = EntryOf(found, "", "");
    pEntry->strPath = lpszName;  // the name the build knows it by
    return !pEntry->IsFolder();
}

BOOL DestinationFloppy::IsBlank() const
{
    // A FAT12 floppy's root lies outside the clusters: the count alone
    // would take one small file for nothing.
    return UsedBytes() <= m_nClusterBytes && m_entries.IsEmpty();
}

BOOL DestinationFloppy::HasRoomForADisk() const
{
    return m_nClusterBytes * m_nFreeClusters >= kMinimumFreeBytes;
}

BOOL DestinationFloppy::MayBeErased() const
{
    // A medium that tells no size is not known to be a floppy.
    return m_nTotalClusters != 0 && m_nClusterBytes * m_nTotalClusters <= kLargestFloppyBytes;
}

ULONGLONG DestinationFloppy::UsedBytes() const
{
    return m_nFreeClusters >= m_nTotalClusters ? 0 : (m_nTotalClusters - m_nFreeClusters) * m_nClusterBytes;
}

BOOL DestinationFloppy::SameMediumAs(const DestinationFloppy& other) const
{
    if (m_bHasVolume != other.m_bHasVolume || m_dwSerial != other.m_dwSerial || m_strLabel != other.m_strLabel ||
        m_nClusterBytes != other.m_nClusterBytes || m_nTotalClusters != other.m_nTotalClusters ||
        m_entries.GetSize() != other.m_entries.GetSize())
        return FALSE;
    for (int i = 0; i < m_entries.GetSize(); ++i) {
        if (!m_entries[i].SameAs(other.m_entries[i]))
            return FALSE;
    }
    return TRUE;
}

BOOL DestinationFloppy::IsWrittenBy(const WrittenFloppy& written) const
{
    if (written.bHasSerial && m_bHasVolume && m_dwSerial != written.dwSerial)
        return FALSE;
    // Under Wine every floppy in a drive has one serial, and floppies
    // formatted in one batch can share theirs: what is on it decides.
    BOOL bOneAsWritten = FALSE;
    for (int i = 0; i < m_entries.GetSize(); ++i) {
        const FloppyEntry& entry = m_entries[i];
        if (!entry.InRoot())
            continue;
        BOOL bOurs = FALSE;
        for (int j = 0; j < written.names.GetSize() && !bOurs; ++j)
            bOurs = FloppyFiles::SameName(written.names[j], entry.strPath);
        if (!bOurs)
            return FALSE;
        for (int j = 0; j < written.files.GetSize(); ++j)
            bOneAsWritten |= FloppyFiles::SameName(written.files[j].strPath, entry.strPath) &&
                             Carries(entry, written.files[j]);
    }
    return bOneAsWritten;
}

CString DestinationFloppy::EraseQuestion(char chDrive, LPCSTR lpszLabel) const
{
    int nFolders = 0;
    for (int i = 0; i < m_entries.GetSize(); ++i)
        nFolders += m_entries[i].IsFolder() ? 1 : 0;
    int nFiles = m_entries.GetSize() - nFolders;
    CString strLabelLine, strFiles, strFolders, strNames;
    if (!m_strLabel.IsEmpty())
        strLabelLine.Format(IDS_ERASE_LABEL, static_cast<LPCSTR>(m_strLabel));
    if (nFiles == 1)
        strFiles.LoadString(IDS_ERASE_ONE_FILE);
    else
        strFiles.Format(IDS_ERASE_FILES, nFiles);
    if (nFolders == 1)
        strFolders.LoadString(IDS_ERASE_ONE_FOLDER);
    else
        strFolders.Format(IDS_ERASE_FOLDERS, nFolders);
    const int kNamesShown = 5;  // of the root, in the order found
    for (int i = 0, nShown = 0; i < m_entries.GetSize(); ++i) {
        if (!m_entries[i].InRoot())
            continue;
        if (nShown++ == kNamesShown) {
            strNames += ", ...";
            break;
        }
        strNames += (nShown > 1 ? ", " : "") + m_entries[i].strPath;
    }
    CString strText;
    strText.Format(IDS_ERASE_QUESTION, chDrive, lpszLabel, static_cast<LPCSTR>(strLabelLine),
                   static_cast<LPCSTR>(strFiles), static_cast<LPCSTR>(strFolders),
                   static_cast<LPCSTR>(FormatByteCount(UsedBytes())), static_cast<LPCSTR>(strNames));
    return strText;
}

BOOL DestinationFloppy::Erase(ProgressProc pfnProgress, void* pContext, CString* pstrFailed, DWORD* pdwError) const
{
    int nTotal = m_entries.GetSize();
    // Last found first: what a folder holds goes before the folder.
    for (int nDone = 0; nDone < nTotal; ++nDone) {
        const FloppyEntry& entry = m_entries[nTotal - 1 - nDone];
        *pstrFailed = entry.strPath;
        if (!pfnProgress(pContext, entry.strPath, nDone * 100 / nTotal)) {
            *pdwError = ERROR_CANCELLED;
            return FALSE;
        }
        if (!DeleteEntry(m_strRoot, entry, pdwError))
            return FALSE;
    }
    return TRUE;
}

const FloppyEntry* DestinationFloppy::FindInRoot(LPCSTR lpszName) const
{
    for (int i = 0; i < m_entries.GetSize(); ++i) {
        if (m_entries[i].InRoot() && FloppyFiles::SameName(m_entries[i].strPath, lpszName))
            return &m_entries[i];
    }
    return NULL;
}

void DestinationFloppy::RemoveUnchanged(const WrittenFloppy& written) const
{
    for (int i = 0; i < written.files.GetSize(); ++i) {
        const FloppyEntry* pFound = FindInRoot(written.files[i].strPath);
        DWORD dwError = NO_ERROR;
        if (pFound != NULL && Carries(*pFound, written.files[i]))
            DeleteEntry(m_strRoot, *pFound, &dwError);  // what stays is seen at the next check
    }
}
