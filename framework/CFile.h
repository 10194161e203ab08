// CFile: a Win32 file handle with the framework's open flags. Failures of
// read, write, flush, close and length raise CFileException.
#pragma once
#include <windows.h>

#include "CException.h"
#include "CString.h"

class CFile {
public:
    enum OpenFlags {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
    };

    CFile();
    virtual ~CFile();  // closes an open file, ignoring errors
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // FALSE when the file cannot be opened; GetLastError() still tells why,
    // and pError, when given, receives the cause.
    BOOL Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError = NULL);
    UINT Read(void* lpBuf, UINT nCount);  // bytes read; 0 at the end
    // Raises diskFull when fewer bytes than asked reach the file.
    void Write(const void* lpBuf, UINT nCount);
    void Flush();
    void Close();
    ULONGLONG GetLength() const;

    static void Remove(LPCSTR lpszFileName);

    HANDLE m_hFile;
    CString m_strFileName;

private:
    [[noreturn]] void ThrowLastError() const;
};
