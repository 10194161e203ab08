// FloppyFiles: what a disk leaves in its floppy's root, slot by slot, as a
// FAT floppy takes it: which entry ends up in which directory slot, under
// which long name and which 8.3 alias. The only place that decides it: the
// package check, the engine (copy, Ignore, verification), QvImage and
// QvCheck /verify all ask it.
// FloppyFile: one slot of the root.
#pragma once
#include <windows.h>

#include "../framework/CArray.h"
#include "../framework/CString.h"

// An entry's file name: the part after the last backslash or slash
// (multi-byte aware), or the whole entry when it has none.
CString FloppyFileName(const CString& strEntry);

struct FloppyFile {
    CString strName;       // the long name in the root, as the slot's first file wrote it
    CString strShortName;  // its alias as NAME.EXT, in the ANSI code page
    BYTE shortName[11];    // the alias as the directory entry holds it, in the OEM code page
    bool bLongName;        // it takes long-name entries besides the 8.3 one
    CString strEntry;      // the entry whose file is there now, as the package list has it
    CString strSource;     // the disk image directory, a backslash, the entry

    // Directory entries the slot takes: the 8.3 one, and one for every 13
    // characters of a long name.
    int RootEntries() const;
};

class FloppyFiles {
public:
    // Why an entry lands nowhere.
    enum Landing { kLands, kNoName, kDeviceName };

    // The name a file of this entry is created under: the part after the
    // last backslash or slash, without trailing dots and spaces, which the
    // system strips.
    static CString LandingName(const CString& strEntry);
    static Landing CanLand(const CString& strName);
    // FAT's comparison: character by character, each upper-cased as the
    // system upper-cases a single character; never a linguistic one.
    static BOOL SameName(LPCSTR lpszName1, LPCSTR lpszName2);
    // The name as that comparison sees it: two names are one when their
    // keys are equal, and the keys' byte order is FAT's order of names.
    static CString NameKey(LPCSTR lpszName);

    // The slot one lookup of this name reaches, by its long or its short
    // name; -1 when none.
    int Find(const CString& strName) const;
    // The slot the entry would land in now (-1: a new one), and the name
    // its file is opened by: an earlier slot's long name when a lookup of
    // the entry's name reaches that slot. FALSE when it cannot land.
    BOOL WhereItLands(const CString& strEntry, int* pnSlot, CString* pstrName) const;
    // The entry's file landed. A name that reaches an earlier slot replaces
    // that file under the earlier long name; a new name takes a new slot
    // with a fresh alias. The slot, or -1 when it cannot land.
    int Put(const CString& strEntry, const CString& strSource);
    // The slot's file is gone from the floppy.
    void Drop(int nSlot);
    void RemoveAll() { m_files.RemoveAll(); }

    // Every entry of a disk (its m_files), as if each one were copied;
    // with bOnlyFiles, an entry whose source is no file is left out, as
    // the wizard leaves out one the user ignores. FALSE when one was left
    // out, a device name included; pLeftOut, when given, gets each of them.
    BOOL ListDisk(const CStringArray& entries, LPCSTR lpszImagesDir, BOOL bOnlyFiles = FALSE,
                  CStringArray* pLeftOut = NULL);

    int GetSize() const { return m_files.GetSize(); }
    const FloppyFile& operator[](int nIndex) const { return m_files[nIndex]; }

private:
    void MakeShortName(const CString& strName, FloppyFile* pFile) const;
    BOOL IsTaken(const BYTE shortName[11]) const;

    CArray<FloppyFile> m_files;
};
