// FloppyFiles: what a disk leaves in its floppy's root, name by name, as
// the build writes it. The engine keeps such a list while it copies; the
// console tools derive it from the package list alone.
#pragma once
#include "../framework/CArray.h"
#include "../framework/CString.h"
#include "../package/DiskInfo.h"

struct FloppyFile {
    CString strName;    // in the floppy's root
    CString strEntry;   // as the package list has it
    CString strSource;  // the disk image directory, a backslash, the entry
};

class FloppyFiles {
public:
    // A later entry of a name takes the place of the earlier file, as an
    // overwritten file keeps its directory slot on a FAT floppy. Names are
    // compared without case, as FAT compares them.
    void Put(const CString& strEntry, const CString& strSource);
    // A file the user chose to skip: nothing of that name is to be expected.
    void Drop(const CString& strName);
    void RemoveAll() { m_files.RemoveAll(); }
    int Find(const CString& strName) const;

    // Every entry of the disk, as if each one were copied.
    void ListDisk(DiskInfo* pDisk, LPCSTR lpszImagesDir);

    int GetSize() const { return m_files.GetSize(); }
    const FloppyFile& operator[](int nIndex) const { return m_files[nIndex]; }

private:
    CArray<FloppyFile> m_files;
};
