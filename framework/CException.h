// CException, CMemoryException, CFileException: the framework's exceptions.
// They are thrown as pointers and released with Delete(), never with delete.
#pragma once
#include <windows.h>
#include "CString.h"

class CException {
public:
    virtual ~CException() = default;
    // Frees a heap exception; the preallocated ones (out of memory) stay.
    void Delete();

protected:
    explicit CException(BOOL bAutoDelete = TRUE) : m_bAutoDelete(bAutoDelete) {}

private:
    BOOL m_bAutoDelete;
};

class CMemoryException : public CException {
public:
    // Allocating an exception object while memory runs out would fail too,
    // so one static object serves every throw.
    explicit CMemoryException(BOOL bAutoDelete = TRUE) : CException(bAutoDelete) {}
};

[[noreturn]] void AfxThrowMemoryException();

class CFileException : public CException {
public:
    enum {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile
    };

    explicit CFileException(int cause = none, LONG lOsError = -1,
                            LPCSTR lpszFileName = NULL);

    // The cause the framework reports for a Win32 error code.
    static int OsErrorToException(LONG lOsError);
    [[noreturn]] static void ThrowOsError(LONG lOsError, LPCSTR lpszFileName = NULL);

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};

[[noreturn]] void AfxThrowFileException(int cause, LONG lOsError = -1,
                                        LPCSTR lpszFileName = NULL);
