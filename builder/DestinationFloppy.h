// DestinationFloppy: the medium in the chosen drive, as one look finds it:
// its size in clusters, its volume, and every file and folder on it at any
// depth. Whether it is blank, large enough, a floppy that may be erased,
// still the one the user was shown, or the one a build wrote to: all of it
// is asked here, of a look, and the erase and the clean-up work from one.
// FloppyEntry: one file or folder found. WrittenFloppy: what a build knows
// of the floppy it writes to.
#pragma once
#include "framework/CArray.h"
#include "framework/CString.h"

struct FloppyEntry {
    CString strPath;       // below the root: "letters\1998.txt"
    CString strShortPath;  // the same by short names where the system has them
    ULONGLONG nLength = 0;
    FILETIME lastWrite = {0, 0};
    DWORD dwAttributes = 0;
    // Known from where it was found: a backslash in a path may be the trail
    // byte of a double-byte character.
    BOOL bInRoot = FALSE;

    BOOL IsFolder() const { return (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    BOOL InRoot() const { return bInRoot; }
    // The same file as found before: name, length, time and attributes.
    BOOL SameAs(const FloppyEntry& other) const;
};

// The serial number seen at the floppy's check, every root name this build
// created a file under, and the files it wrote there whole, each as a look
// found it right after it was written.
struct WrittenFloppy {
    BOOL bHasSerial = FALSE;
    DWORD dwSerial = 0;
    CStringArray names;
    CArray<FloppyEntry> files;

    void Wrote(LPCSTR lpszName);
    BOOL HasWritten(LPCSTR lpszName) const;
    // The file of this root name is being written over: no longer whole.
    void Forget(LPCSTR lpszName);
    void RemoveAll()
    {
        names.RemoveAll();
        files.RemoveAll();
    }
};

class DestinationFloppy {
public:
    explicit DestinationFloppy(LPCSTR lpszRoot) : m_strRoot(lpszRoot) {}

    // One look at the medium. FALSE with the system's error when it does
    // not answer (IsNoFloppyError tells an empty drive).
    BOOL Survey(DWORD* pdwError);
    // One file of the root, as a look finds it; FALSE when it is not there.
    BOOL LookAt(LPCSTR lpszName, FloppyEntry* pEntry) const;

    // At most one cluster in use, and nothing in the root but what the
    // system keeps there.
    BOOL IsBlank() const;
    BOOL HasRoomForADisk() const;
    // Only a floppy is ever offered for erasing: the drive list shows card
    // readers and USB sticks too.
    BOOL MayBeErased() const;
    ULONGLONG UsedBytes() const;
    // The same medium as another look found: serial, label, size, entries.
    BOOL SameMediumAs(const DestinationFloppy& other) const;
    // The floppy the build wrote to: the serial seen at its check, at least
    // one of its files as written, and nothing in the root it did not write.
    BOOL IsWrittenBy(const WrittenFloppy& written) const;
    // Whether to erase it to write the disk of this label: what the user
    // is shown of it.
    CString EraseQuestion(char chDrive, LPCSTR lpszLabel) const;

    // Before each deletion, with the entry and the share done; FALSE stops.
    typedef BOOL (*ProgressProc)(void* pContext, LPCSTR lpszPath, int nPercent);
    // Deletes every entry the look found, the deepest first. FALSE at the
    // first that will not go, with its path and the system's error
    // (ERROR_CANCELLED when the callback stopped).
    BOOL Erase(ProgressProc pfnProgress, void* pContext, CString* pstrFailed, DWORD* pdwError) const;
    // Deletes the build's files that still carry the length and time it
    // gave them; anything else is no longer the build's to remove.
    void RemoveUnchanged(const WrittenFloppy& written) const;

    CString m_strRoot;  // "A:\"
    ULONGLONG m_nClusterBytes = 0, m_nTotalClusters = 0, m_nFreeClusters = 0;
    BOOL m_bHasVolume = FALSE;
    DWORD m_dwSerial = 0;
    CString m_strLabel, m_strFileSystem;
    // Parents before what they hold; what the system keeps in the root is
    // left out (its restore folder, Wine's label and serial files).
    CArray<FloppyEntry> m_entries;

private:
    BOOL SurveyFolder(const CString& strPath, const CString& strShortPath, DWORD* pdwError);
    const FloppyEntry* FindInRoot(LPCSTR lpszName) const;
};
