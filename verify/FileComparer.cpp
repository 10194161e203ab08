#include "FileComparer.h"

#include <cstring>

#include "../framework/CException.h"
#include "../fat/FatTime.h"
#include "../package/PackageCheck.h"
#include "FileHandle.h"
#include "res/resource.h"

namespace {
// Page-aligned, so also sector-aligned as reads past the cache require.
// Taken once and kept: a verification must not fail halfway for memory.
BYTE* ProcessBuffer(int nWhich)
{
    static BYTE* buffers[2];
    if (buffers[nWhich] == NULL) {
        buffers[nWhich] = static_cast<BYTE*>(
            ::VirtualAlloc(NULL, FileComparer::kBlockSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        if (buffers[nWhich] == NULL)
            AfxThrowMemoryException();
    }
    return buffers[nWhich];
}

CompareOutcome Outcome(CompareResult result, ULONGLONG nOffset = 0, DWORD dwError = 0)
{
    CompareOutcome outcome;
    outcome.result = result;
    outcome.nOffset = nOffset;
    outcome.dwError = dwError;
    return outcome;
}
}  // namespace

CompareOutcome FileComparer::Compare(LPCSTR lpszSource, CopyReader& copy, ProgressProc pfnProgress,
                                     void* pContext)
{
    BYTE* pCopyBlock = ProcessBuffer(0);
    BYTE* pSourceBlock = ProcessBuffer(1);

    DWORD dwError = 0;
    if (!copy.Open(&dwError)) {
        BOOL bMissing = dwError == ERROR_FILE_NOT_FOUND || dwError == ERROR_PATH_NOT_FOUND;
        return Outcome(bMissing ? kCompareMissing : kCompareUnreadable, 0, dwError);
    }
    FileHandle source(::CreateFileA(lpszSource, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN, NULL));
    DWORD dwHigh = 0;
    FILETIME ftSource;
    if (source.m_h == INVALID_HANDLE_VALUE)
        return Outcome(kCompareSourceUnreadable, 0, ::GetLastError());
    ::SetLastError(NO_ERROR);
    DWORD dwLow = ::GetFileSize(source.m_h, &dwHigh);
    if ((dwLow == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR) ||
        !::GetFileTime(source.m_h, NULL, NULL, &ftSource))
        return Outcome(kCompareSourceUnreadable, 0, ::GetLastError());
    ULONGLONG nLength = (static_cast<ULONGLONG>(dwHigh) << 32) | dwLow;
    if (copy.GetLength() != nLength)
        return Outcome(kCompareWrongLength);

    if (pfnProgress != NULL && !pfnProgress(pContext, 0))
        return Outcome(kCompareStopped);
    ULONGLONG nCompared = 0;
    while (nCompared < nLength) {
        UINT nRead = 0;
        if (!copy.ReadBlock(pCopyBlock, &nRead, &dwError))
            return Outcome(kCompareUnreadable, nCompared, dwError);
        if (nRead == 0 || nRead > nLength - nCompared)
            return Outcome(kCompareWrongLength);  // it changed under us
        DWORD dwSourceRead = 0;
        if (!::ReadFile(source.m_h, pSourceBlock, nRead, &dwSourceRead, NULL))
            return Outcome(kCompareSourceUnreadable, nCompared, ::GetLastError());
        if (dwSourceRead != nRead)  // the source shrank since it was measured
            return Outcome(kCompareSourceUnreadable, nCompared, ERROR_HANDLE_EOF);
        if (memcmp(pCopyBlock, pSourceBlock, nRead) != 0) {
            UINT i = 0;
            while (pCopyBlock[i] == pSourceBlock[i])
                ++i;
            return Outcome(kCompareDiffers, nCompared + i);
        }
        nCompared += nRead;
        if (pfnProgress != NULL && !pfnProgress(pContext, static_cast<int>(nCompared * 100 / nLength)))
            return Outcome(kCompareStopped);
    }

    FILETIME ftCopy;
    if (!copy.GetLastWriteTime(&ftCopy))
        return Outcome(kCompareUnreadable, 0, ::GetLastError());
    if (!FatTime::Same(ftSource, ftCopy)) {
        CompareOutcome outcome = Outcome(kCompareWrongTime);
        outcome.bHourApart = FatTime::SameOneHourApart(ftSource, ftCopy);
        return outcome;
    }
    return Outcome(kCompareSame);
}

CString DescribeMismatch(const CompareOutcome& outcome)
{
    CString strWhat;
    switch (outcome.result) {
    case kCompareSame:
    case kCompareStopped:
        break;
    case kCompareMissing:
        strWhat.LoadString(IDS_VERIFY_MISSING);
        break;
    case kCompareWrongLength:
        strWhat.LoadString(IDS_VERIFY_WRONG_LENGTH);
        break;
    case kCompareDiffers:
        strWhat.Format(IDS_VERIFY_DIFFERS, static_cast<LPCSTR>(FormatByteCount(outcome.nOffset)));
        break;
    case kCompareWrongTime:
        strWhat.LoadString(IDS_VERIFY_WRONG_TIME);
        break;
    case kCompareSourceUnreadable:
        strWhat.Format(IDS_VERIFY_SOURCE_UNREADABLE, static_cast<LPCSTR>(SystemErrorText(outcome.dwError)));
        break;
    case kCompareUnreadable:
        strWhat.Format(IDS_VERIFY_UNREADABLE, static_cast<LPCSTR>(SystemErrorText(outcome.dwError)));
        break;
    }
    return strWhat;
}
