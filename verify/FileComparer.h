// FileComparer: whether a file written to a floppy (or into an image of
// one) holds its source: the same length, the same bytes, and the same
// last-write time as a FAT floppy keeps it. Reads 32 KB blocks into two
// buffers that live as long as the process, one for each side.
#pragma once
#include <windows.h>

#include "../framework/CString.h"
#include "../framework/SystemError.h"

// The written file, read back. A floppy's file and a file inside an image
// are read differently; the comparison is the same.
class CopyReader {
public:
    virtual ~CopyReader() = default;
    // FALSE with the system's error code when the file cannot be opened;
    // ERROR_FILE_NOT_FOUND means it is not there.
    virtual BOOL Open(DWORD* pdwError) = 0;
    virtual ULONGLONG GetLength() = 0;
    virtual BOOL GetLastWriteTime(FILETIME* pTime) = 0;
    // Fills pBuffer (sector-aligned, kBlockSize long) with the next block;
    // *pnRead is short only at the end. FALSE with the error code.
    virtual BOOL ReadBlock(BYTE* pBuffer, UINT* pnRead, DWORD* pdwError) = 0;
};

enum CompareResult {
    kCompareSame,
    kCompareMissing,        // not on the floppy
    kCompareWrongLength,
    kCompareDiffers,        // nOffset: the first byte that differs
    kCompareWrongTime,
    kCompareUnreadable,     // the copy cannot be read back; dwError says why
    kCompareSourceUnreadable,
    kCompareStopped,        // the progress callback asked to stop
};

struct CompareOutcome {
    CompareResult result = kCompareSame;
    ULONGLONG nOffset = 0;
    DWORD dwError = 0;
    // Of a wrong time: it is the source's, one hour apart.
    BOOL bHourApart = FALSE;
};

class FileComparer {
public:
    enum { kBlockSize = 32768 };
    // Called before the first block and after each one; FALSE stops.
    typedef BOOL (*ProgressProc)(void* pContext, int nPercent);

    // Times are compared as FatTime::Same does.
    static CompareOutcome Compare(LPCSTR lpszSource, CopyReader& copy, ProgressProc pfnProgress = NULL,
                                  void* pContext = NULL);
};

// Why a file did not verify, as the words after its name: "is missing
// from the floppy", "differs from its source at byte 1,024".
CString DescribeMismatch(const CompareOutcome& outcome);

