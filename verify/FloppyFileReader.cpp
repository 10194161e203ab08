#include "FloppyFileReader.h"

BOOL FloppyFileReader::Open(DWORD* pdwError)
{
    // Past the cache, a bad sector shows now and not on the customer's
    // machine. Where the system refuses that, the data still gets compared.
    m_bUnbuffered = TRUE;
    m_file.Attach(::CreateFileA(m_strPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                FILE_FLAG_NO_BUFFERING | FILE_FLAG_SEQUENTIAL_SCAN, NULL));
    if (!m_file.IsOpen()) {
        DWORD dwError = ::GetLastError();
        if (dwError == ERROR_FILE_NOT_FOUND || dwError == ERROR_PATH_NOT_FOUND) {
            *pdwError = dwError;
            return FALSE;
        }
        m_bUnbuffered = FALSE;
        m_file.Attach(::CreateFileA(m_strPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN, NULL));
        if (!m_file.IsOpen()) {
            *pdwError = ::GetLastError();
            return FALSE;
        }
    }
    DWORD dwHigh = 0;
    ::SetLastError(NO_ERROR);
    DWORD dwLow = ::GetFileSize(m_file.m_h, &dwHigh);
    if (dwLow == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR) {
        *pdwError = ::GetLastError();
        return FALSE;
    }
    m_nLength = (static_cast<ULONGLONG>(dwHigh) << 32) | dwLow;
    return TRUE;
}

ULONGLONG FloppyFileReader::GetLength()
{
    return m_nLength;
}

BOOL FloppyFileReader::GetLastWriteTime(FILETIME* pTime)
{
    return ::GetFileTime(m_file.m_h, NULL, NULL, pTime);
}

BOOL FloppyFileReader::ReadBlock(BYTE* pBuffer, UINT* pnRead, DWORD* pdwError)
{
    // Always a whole block: past the cache a read must be a multiple of the
    // sector, and the system stops it at the file's end.
    DWORD dwRead = 0;
    if (!::ReadFile(m_file.m_h, pBuffer, FileComparer::kBlockSize, &dwRead, NULL)) {
        *pdwError = ::GetLastError();
        return FALSE;
    }
    *pnRead = dwRead;
    return TRUE;
}
