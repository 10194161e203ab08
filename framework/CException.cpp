#include "CException.h"

#include <new>

void CException::Delete()
{
    if (m_bAutoDelete)
        delete this;
}

void AfxThrowMemoryException()
{
    static CMemoryException outOfMemory(FALSE);
    throw &outOfMemory;
}

CFileException::CFileException(int cause, LONG lOsError, LPCSTR lpszFileName)
    : m_cause(cause), m_lOsError(lOsError), m_strFileName(lpszFileName)
{
}

int CFileException::OsErrorToException(LONG lOsError)
{
    struct Mapping {
        LONG error;
        int cause;
    };
    static const Mapping table[] = {
        {ERROR_FILE_NOT_FOUND, fileNotFound},
        {ERROR_PATH_NOT_FOUND, badPath},
        {ERROR_TOO_MANY_OPEN_FILES, tooManyOpenFiles},
        {ERROR_ACCESS_DENIED, accessDenied},
        {ERROR_INVALID_HANDLE, fileNotFound},
        {ERROR_BAD_FORMAT, invalidFile},
        {ERROR_INVALID_ACCESS, accessDenied},
        {ERROR_INVALID_DRIVE, badPath},
        {ERROR_CURRENT_DIRECTORY, removeCurrentDir},
        {ERROR_NOT_SAME_DEVICE, badPath},
        {ERROR_NO_MORE_FILES, fileNotFound},
        {ERROR_WRITE_PROTECT, accessDenied},
        {ERROR_BAD_UNIT, hardIO},
        {ERROR_NOT_READY, hardIO},
        {ERROR_BAD_COMMAND, hardIO},
        {ERROR_CRC, hardIO},
        {ERROR_BAD_LENGTH, badSeek},
        {ERROR_SEEK, badSeek},
        {ERROR_NOT_DOS_DISK, invalidFile},
        {ERROR_SECTOR_NOT_FOUND, badSeek},
        {ERROR_WRITE_FAULT, accessDenied},
        {ERROR_READ_FAULT, badSeek},
        {ERROR_SHARING_VIOLATION, sharingViolation},
        {ERROR_LOCK_VIOLATION, lockViolation},
        {ERROR_WRONG_DISK, badPath},
        {ERROR_SHARING_BUFFER_EXCEEDED, tooManyOpenFiles},
        {ERROR_HANDLE_EOF, endOfFile},
        {ERROR_HANDLE_DISK_FULL, diskFull},
        {ERROR_DUP_NAME, badPath},
        {ERROR_BAD_NETPATH, badPath},
        {ERROR_NETWORK_BUSY, accessDenied},
        {ERROR_DEV_NOT_EXIST, badPath},
        {ERROR_ADAP_HDW_ERR, hardIO},
        {ERROR_BAD_NET_RESP, accessDenied},
        {ERROR_UNEXP_NET_ERR, hardIO},
        {ERROR_BAD_REM_ADAP, invalidFile},
        {ERROR_NO_SPOOL_SPACE, directoryFull},
        {ERROR_NETNAME_DELETED, accessDenied},
        {ERROR_NETWORK_ACCESS_DENIED, accessDenied},
        {ERROR_BAD_DEV_TYPE, invalidFile},
        {ERROR_BAD_NET_NAME, badPath},
        {ERROR_TOO_MANY_NAMES, tooManyOpenFiles},
        {ERROR_SHARING_PAUSED, badPath},
        {ERROR_REQ_NOT_ACCEP, accessDenied},
        {ERROR_FILE_EXISTS, accessDenied},
        {ERROR_CANNOT_MAKE, accessDenied},
        {ERROR_ALREADY_ASSIGNED, badPath},
        {ERROR_INVALID_PASSWORD, accessDenied},
        {ERROR_NET_WRITE_FAULT, hardIO},
        {ERROR_DISK_CHANGE, fileNotFound},
        {ERROR_DRIVE_LOCKED, lockViolation},
        {ERROR_BUFFER_OVERFLOW, badPath},
        {ERROR_DISK_FULL, diskFull},
        {ERROR_NO_MORE_SEARCH_HANDLES, tooManyOpenFiles},
        {ERROR_INVALID_TARGET_HANDLE, invalidFile},
        {ERROR_INVALID_CATEGORY, hardIO},
        {ERROR_INVALID_NAME, badPath},
        {ERROR_INVALID_LEVEL, badPath},
        {ERROR_NO_VOLUME_LABEL, badPath},
        {ERROR_NEGATIVE_SEEK, badSeek},
        {ERROR_SEEK_ON_DEVICE, badSeek},
        {ERROR_DIR_NOT_ROOT, badPath},
        {ERROR_DIR_NOT_EMPTY, removeCurrentDir},
        {ERROR_LABEL_TOO_LONG, badPath},
        {ERROR_BAD_PATHNAME, badPath},
        {ERROR_LOCK_FAILED, lockViolation},
        {ERROR_BUSY, accessDenied},
        {ERROR_INVALID_ORDINAL, invalidFile},
        {ERROR_ALREADY_EXISTS, accessDenied},
        {ERROR_INVALID_EXE_SIGNATURE, invalidFile},
        {ERROR_BAD_EXE_FORMAT, invalidFile},
        {ERROR_FILENAME_EXCED_RANGE, badPath},
        {ERROR_META_EXPANSION_TOO_LONG, badPath},
        {ERROR_DIRECTORY, badPath},
        {ERROR_OPERATION_ABORTED, hardIO},
        {ERROR_IO_INCOMPLETE, hardIO},
        {ERROR_IO_PENDING, hardIO},
        {ERROR_SWAPERROR, accessDenied},
    };
    for (const Mapping& m : table) {
        if (m.error == lOsError)
            return m.cause;
    }
    return genericException;
}

void CFileException::ThrowOsError(LONG lOsError, LPCSTR lpszFileName)
{
    AfxThrowFileException(OsErrorToException(lOsError), lOsError, lpszFileName);
}

void AfxThrowFileException(int cause, LONG lOsError, LPCSTR lpszFileName)
{
    CFileException* e = new (std::nothrow) CFileException(cause, lOsError, lpszFileName);
    if (e == NULL)
        AfxThrowMemoryException();
    throw e;
}
