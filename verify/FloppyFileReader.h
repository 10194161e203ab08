// A file on a floppy, read back for verification.
#pragma once
#include "FileComparer.h"
#include "FileHandle.h"

// A file on a floppy, read past the system's cache where the system lets
// it (FILE_FLAG_NO_BUFFERING), else read normally.
class FloppyFileReader : public CopyReader {
public:
    explicit FloppyFileReader(LPCSTR lpszPath) : m_strPath(lpszPath) {}
    BOOL Open(DWORD* pdwError) override;
    ULONGLONG GetLength() override;
    BOOL GetLastWriteTime(FILETIME* pTime) override;
    BOOL ReadBlock(BYTE* pBuffer, UINT* pnRead, DWORD* pdwError) override;

    // Whether the open past the cache was granted (for the tests and the benchmark).
    BOOL IsUnbuffered() const { return m_bUnbuffered; }

private:
    CString m_strPath;
    FileHandle m_file;
    BOOL m_bUnbuffered = FALSE;
    ULONGLONG m_nLength = 0;
};
