// Fat12Image: a freshly formatted floppy of one of the FloppyFormat table's
// formats, built in memory, with files put into its root as Windows 95
// would write them there.
// Fat12ImageFile: such an image on disk, read back: its root's files, its
// free clusters. Fat12FileReader: one of its files, for FileComparer.
#pragma once
#include <windows.h>

#include "../framework/CArray.h"
#include "../framework/CString.h"
#include "../fat/FloppyFiles.h"
#include "../verify/FileComparer.h"
#include "../fat/FloppyFormat.h"


class Fat12Image {
public:
    // An empty floppy. Raises CMemoryException when its bytes are not there.
    explicit Fat12Image(const FloppyFormat& format = FloppyFormat::Standard());
    ~Fat12Image();
    Fat12Image(const Fat12Image&) = delete;
    Fat12Image& operator=(const Fat12Image&) = delete;

    // Puts a file of nSize bytes into the root under the slot's long and
    // short names, after the ones before it, in clusters of its own that
    // follow each other; *ppData is where its bytes go. FALSE, with the
    // image unchanged, when the root or the data area has no room for it or
    // the name is longer than FAT keeps.
    BOOL AddFile(const FloppyFile& file, ULONGLONG nSize, const FILETIME& created, const FILETIME& written,
                 BYTE** ppData);

    int GetRootEntriesUsed() const { return m_nRootUsed; }
    int GetFreeClusters() const { return m_format.Clusters() - (m_nNextCluster - 2); }
    const FloppyFormat& GetFormat() const { return m_format; }
    // The whole image, the format's ImageBytes() long, its serial number
    // set from what it holds.
    const BYTE* GetBytes();

private:
    void SetFat(int nCluster, int nValue);

    const FloppyFormat& m_format;
    BYTE* m_pImage;
    int m_nRootUsed = 0;
    int m_nNextCluster = 2;  // clusters are numbered from 2
};

struct Fat12RootFile {
    WCHAR name[256];  // the long name, or the short one as NAME.EXT
    int nNameLength = 0;
    DWORD nSize = 0;
    int nFirstCluster = 0;
    WORD wDate = 0, wTime = 0;  // last write, local time
};

class Fat12ImageFile {
public:
    explicit Fat12ImageFile(LPCSTR lpszPath) : m_strPath(lpszPath) {}
    ~Fat12ImageFile();
    Fat12ImageFile(const Fat12ImageFile&) = delete;
    Fat12ImageFile& operator=(const Fat12ImageFile&) = delete;

    // Reads the boot sector, the first FAT and the root. FALSE with the
    // system's error code; ERROR_FILE_CORRUPT when it is no image of a
    // format of the table, as Fat12Image writes it.
    BOOL Open(DWORD* pdwError);
    // The files of the root in their order, long-name entries taken apart.
    const CArray<Fat12RootFile>& GetFiles() const { return m_files; }
    int GetRootEntriesUsed() const { return m_nRootUsed; }
    int GetFreeClusters() const;
    // Valid once Open succeeded.
    const FloppyFormat& GetFormat() const { return *m_pFormat; }
    // The file of that name (compared exactly, case included), or NULL.
    const Fat12RootFile* Find(LPCSTR lpszName) const;

    int NextCluster(int nCluster) const;
    // Reads nCount clusters from nFirst on, as they lie in the image.
    BOOL ReadClusters(int nFirst, int nCount, BYTE* pBuffer, DWORD* pdwError);

private:
    CString m_strPath;
    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    const FloppyFormat* m_pFormat = &FloppyFormat::Standard();
    BYTE m_head[FloppyFormats::MostHeadSectors() * FloppyFormat::kSectorBytes];
    CArray<Fat12RootFile> m_files;
    int m_nRootUsed = 0;
};

// A file inside an image on disk, read back through its chain of clusters.
class Fat12FileReader : public CopyReader {
public:
    Fat12FileReader(Fat12ImageFile& image, LPCSTR lpszName) : m_image(image), m_strName(lpszName) {}
    BOOL Open(DWORD* pdwError) override;
    ULONGLONG GetLength() override { return m_pFile->nSize; }
    BOOL GetLastWriteTime(FILETIME* pTime) override;
    BOOL ReadBlock(BYTE* pBuffer, UINT* pnRead, DWORD* pdwError) override;

private:
    Fat12ImageFile& m_image;
    CString m_strName;
    const Fat12RootFile* m_pFile = NULL;
    int m_nCluster = 0;     // the next one to read
    DWORD m_nLeft = 0;      // bytes still to read
};
