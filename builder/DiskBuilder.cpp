#include "DiskBuilder.h"

#include <utility>

#include "CopyProgressDlg.h"
#include "FloppyEraser.h"
#include "fat/FatTime.h"
#include "package/PackageCheck.h"
#include "res/resource.h"
#include "verify/FloppyFileReader.h"

namespace {
const UINT kBlockSize = 32768;
// One transfer buffer for the process: only one copy ever runs at a time.
BYTE g_transferBuffer[kBlockSize];

// A blank 1.44 MB floppy has 1,457,664 bytes free; anything from this up
// will hold an installation disk.
const ULONGLONG kMinimumFreeBytes = 1430000;
// Only a floppy is ever offered for erasing: the drive list shows USB
// sticks and memory cards too, and a user can pick one by mistake.
const ULONGLONG kLargestFloppyBytes = 2949120;  // 2.88 MB

CString LoadText(UINT nID)
{
    CString strText;
    strText.LoadString(nID);
    return strText;
}

// The medium in a drive, in bytes.
struct DiskSpace {
    ULONGLONG nCluster;
    ULONGLONG nTotal;
    ULONGLONG nFree;
};

typedef BOOL(WINAPI* GetDiskFreeSpaceExProc)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

// FALSE with GetDiskFreeSpaceA's error, which tells a missing floppy from
// other trouble. Windows 95 OSR2 and the later 9x cap that function's counts
// at 2 GB, so a larger medium with data on it could pass for blank; where
// the system has the Ex function (all but the first Windows 95, whose
// volumes are never that large) its sizes are the true ones.
BOOL GetDiskSpace(LPCSTR lpszRoot, DiskSpace* pSpace)
{
    DWORD dwSectorsPerCluster = 0, dwBytesPerSector = 0, dwFreeClusters = 0, dwTotalClusters = 0;
    if (!::GetDiskFreeSpaceA(lpszRoot, &dwSectorsPerCluster, &dwBytesPerSector, &dwFreeClusters,
                             &dwTotalClusters))
        return FALSE;
    pSpace->nCluster = static_cast<ULONGLONG>(dwSectorsPerCluster) * dwBytesPerSector;
    pSpace->nTotal = pSpace->nCluster * dwTotalClusters;
    pSpace->nFree = pSpace->nCluster * dwFreeClusters;

    auto pfnGetDiskFreeSpaceEx = reinterpret_cast<GetDiskFreeSpaceExProc>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleA("KERNEL32.DLL"), "GetDiskFreeSpaceExA")));
    ULARGE_INTEGER available, total, free;
    if (pfnGetDiskFreeSpaceEx != NULL && pfnGetDiskFreeSpaceEx(lpszRoot, &available, &total, &free)) {
        pSpace->nTotal = total.QuadPart;
        pSpace->nFree = free.QuadPart;
    }
    return TRUE;
}

// Blank: at most one cluster in use (the root directory's).
BOOL IsBlank(const DiskSpace& space)
{
    return space.nFree >= space.nTotal || space.nTotal - space.nFree <= space.nCluster;
}

// The source's times on the copy. Where the system refuses a time that a
// FAT floppy cannot hold, what FAT stores is set: the nearest end of its
// range, or of 2099 on a system whose conversions stop there.
BOOL CopyFileTimes(HANDLE hSource, HANDLE hDestination)
{
    FILETIME times[3];
    if (!::GetFileTime(hSource, &times[0], &times[1], &times[2]))
        return TRUE;  // nothing to copy; verification compares what is there
    if (::SetFileTime(hDestination, &times[0], &times[1], &times[2]))
        return TRUE;
    for (BOOL bBefore2100 = FALSE; bBefore2100 <= TRUE; ++bBefore2100) {
        FILETIME stored[3];
        BOOL bInRange = TRUE;
        for (int i = 0; i < 3; ++i)
            bInRange &= FatTime::Clamp(times[i], &stored[i], bBefore2100);
        if (!bInRange && ::SetFileTime(hDestination, &stored[0], &stored[1], &stored[2]))
            return TRUE;
    }
    return FALSE;
}

// The length of a file on the floppy; FALSE when it is not there.
BOOL GetFloppyFileLength(LPCSTR lpszPath, ULONGLONG* pnLength)
{
    WIN32_FIND_DATAA found;
    HANDLE hFind = ::FindFirstFileA(lpszPath, &found);
    if (hFind == INVALID_HANDLE_VALUE)
        return FALSE;
    ::FindClose(hFind);
    *pnLength = (static_cast<ULONGLONG>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

BOOL GetVolumeSerial(LPCSTR lpszRoot, DWORD* pdwSerial)
{
    return ::GetVolumeInformationA(lpszRoot, NULL, 0, pdwSerial, NULL, NULL, NULL, 0);
}
}  // namespace

DiskBuilder::DiskBuilder(PackageInfo* pPackage, DriveList* pDrives)
    : m_pPackage(pPackage),
      m_pDrives(pDrives),
      m_pProgressDlg(NULL),
      m_bVerify(TRUE),
      m_bEraseUsed(FALSE),
      m_pDrive(NULL),
      m_bHasSerial(FALSE),
      m_dwSerial(0)
{
}

BOOL DiskBuilder::Build(CWnd* pParentWnd)
{
    CCopyProgressDlg dlgProgress(pParentWnd, this);
    m_pProgressDlg = &dlgProgress;
    INT_PTR nResult = dlgProgress.DoModal();
    m_pProgressDlg = NULL;
    return nResult == IDOK;
}

BOOL DiskBuilder::BuildDisks()
{
    DriveInfo* pDrive = NULL;
    if (!m_pDrives->GetChosenDrive(&pDrive))
        return FALSE;
    m_pDrive = pDrive;

    try {
        DiskCursor disks(m_pPackage);
        DiskInfo* pDisk = NULL;
        while (disks.Next(&pDisk)) {
            if (!pDisk->m_bChosen)
                continue;
            CString strLabel = m_pPackage->GetDiskLabel(disks.m_nPosition);
            m_strLabel = strLabel;
            // A disk that does not verify is written again from its first
            // file, on whatever floppy the user puts in; one found on
            // another floppy than was checked, on that floppy once checked.
            VerifyResult result = kVerifyRetry;
            while (result == kVerifyRetry || result == kVerifyOnAnotherFloppy) {
                m_pProgressDlg->SetDiskLabel(strLabel);
                if (result == kVerifyRetry) {
                    m_pProgressDlg->PromptForDisk(strLabel, pDrive);
                    if (!CheckDestinationDisk(pDrive, strLabel))
                        return FALSE;
                }
                m_landed.RemoveAll();
                m_whole.RemoveAll();
                CopyResult copy = CopyDiskFiles(pDrive, pDisk);
                if (copy == kCopyStopped)
                    return FALSE;
                if (copy == kCopyOnAnotherFloppy)
                    result = kVerifyOnAnotherFloppy;
                else
                    result = m_bVerify ? VerifyDiskFiles(pDrive, strLabel) : kVerified;
            }
            if (result != kVerified)
                return FALSE;
        }
    } catch (CException* e) {
        // Running out of memory for a text: nothing sensible is left to do.
        e->Delete();
        return FALSE;
    }
    return TRUE;
}

BOOL DiskBuilder::CheckDestinationDisk(DriveInfo* pDrive, LPCSTR lpszLabel)
{
    // One drive-not-ready per disk is taken as the drive spinning up.
    BOOL bNotReadyAllowed = TRUE;
    // One question per floppy put in: a floppy that is not blank after an
    // erase gets the box.
    BOOL bMayErase = m_bEraseUsed;
    for (;;) {
        UINT nReason = 0;
        DiskSpace space;
        if (GetDiskSpace(pDrive->m_strRoot, &space)) {
            if (!IsBlank(space)) {
                nReason = IDS_DISK_NOT_BLANK;
                if (bMayErase && space.nTotal <= kLargestFloppyBytes) {
                    bMayErase = FALSE;
                    BOOL bCancelled = FALSE;
                    nReason = OfferErase(pDrive, lpszLabel, space.nTotal - space.nFree, &bCancelled);
                    if (bCancelled)
                        return FALSE;
                    if (nReason == 0)
                        continue;  // measured again, as at the prompt
                }
            } else if (space.nFree >= kMinimumFreeBytes) {
                m_bHasSerial = GetVolumeSerial(pDrive->m_strRoot, &m_dwSerial);
                return TRUE;
            } else {
                nReason = IDS_DISK_TOO_SMALL;
            }
        } else if (!IsNoFloppyError(::GetLastError())) {
            nReason = IDS_DRIVE_ERROR;
        } else if (bNotReadyAllowed) {
            bNotReadyAllowed = FALSE;
        } else {
            nReason = IDS_NO_DISK;
        }

        CString strText;
        if (nReason != 0)
            strText = LoadText(nReason) + "\n\n";
        strText += LoadText(IDS_INSERT_BLANK_DISK);
        if (m_pProgressDlg->MessageBox(strText, LoadText(IDS_CHECK_CAPTION),
                                       MB_OKCANCEL | MB_ICONEXCLAMATION) == IDCANCEL)
            return FALSE;
        bMayErase = m_bEraseUsed;
    }
}

UINT DiskBuilder::OfferErase(DriveInfo* pDrive, LPCSTR lpszLabel, ULONGLONG nUsedBytes, BOOL* pbCancelled)
{
    FloppyEraser eraser(pDrive->m_strRoot);
    eraser.Survey();
    CString strLabelLine, strFiles, strFolders, strNames;
    if (!eraser.m_strLabel.IsEmpty())
        strLabelLine.Format(IDS_ERASE_LABEL, static_cast<LPCSTR>(eraser.m_strLabel));
    if (eraser.m_nFiles == 1)
        strFiles.LoadString(IDS_ERASE_ONE_FILE);
    else
        strFiles.Format(IDS_ERASE_FILES, eraser.m_nFiles);
    if (eraser.m_nFolders == 1)
        strFolders.LoadString(IDS_ERASE_ONE_FOLDER);
    else
        strFolders.Format(IDS_ERASE_FOLDERS, eraser.m_nFolders);
    for (int i = 0; i < eraser.m_firstNames.GetSize(); ++i)
        strNames += (i > 0 ? ", " : "") + eraser.m_firstNames[i];
    if (eraser.m_bMoreNames)
        strNames += ", ...";
    CString strText;
    strText.Format(IDS_ERASE_QUESTION, pDrive->m_chLetter, lpszLabel, static_cast<LPCSTR>(strLabelLine),
                   static_cast<LPCSTR>(strFiles), static_cast<LPCSTR>(strFolders),
                   static_cast<LPCSTR>(FormatByteCount(nUsedBytes)), static_cast<LPCSTR>(strNames));
    if (m_pProgressDlg->MessageBox(strText, LoadText(IDS_CHECK_CAPTION), MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return IDS_DISK_NOT_BLANK;

    DWORD dwError = NO_ERROR;
    BOOL bErased = eraser.Erase(ShowEraseProgress, this, &dwError);
    m_pProgressDlg->ShowProgress("", 0);
    if (bErased)
        return 0;
    *pbCancelled = dwError == ERROR_CANCELLED;
    return dwError == ERROR_WRITE_PROTECT ? IDS_WRITE_PROTECTED : IDS_DISK_NOT_BLANK;
}

BOOL DiskBuilder::ShowEraseProgress(void* pContext, LPCSTR lpszName, int nPercent)
{
    DiskBuilder* pThis = static_cast<DiskBuilder*>(pContext);
    return pThis->m_pProgressDlg->PumpMessages(lpszName, nPercent, IDS_ERASING_FILE);
}

BOOL DiskBuilder::IsSameFloppy(DriveInfo* pDrive)
{
    // Under Wine every floppy in a drive has the same serial: the files decide there.
    DWORD dwSerial = 0;
    if (m_bHasSerial && GetVolumeSerial(pDrive->m_strRoot, &dwSerial) && dwSerial != m_dwSerial)
        return FALSE;
    if (m_whole.IsEmpty()) {
        DiskSpace space;
        return GetDiskSpace(pDrive->m_strRoot, &space) && IsBlank(space);
    }
    for (int i = 0; i < m_whole.GetSize(); ++i) {
        ULONGLONG nLength = 0;
        if (!GetFloppyFileLength(m_whole[i].strPath, &nLength) || nLength != m_whole[i].nLength)
            return FALSE;
    }
    return TRUE;
}

DiskBuilder::CopyResult DiskBuilder::CopyDiskFiles(DriveInfo* pDrive, DiskInfo* pDisk)
{
    CString strImagesDir = m_pPackage->GetDiskImagesDir();
    // "A:\" and the name: always the root. "A:" alone would follow the
    // current directory of A: that the process inherited from its starter.
    const CString& strRoot = pDrive->m_strRoot;

    FileCursor files(pDisk);
    CString strEntry;
    while (files.Next(strEntry)) {
        CString strSource = strImagesDir + "\\" + strEntry;
        CopyResult result = CopyOneFile(strEntry, strSource, strRoot);
        if (result != kCopyDone)
            return result;
    }
    return kCopyDone;
}

DiskBuilder::CopyResult DiskBuilder::CopyOneFile(LPCSTR lpszEntry, LPCSTR lpszSource, LPCSTR lpszRoot)
{
    if (*lpszSource == '\0')
        return kCopyStopped;

    for (;;) {
        UINT nMessage = 0;
        BOOL bOfferChoice = FALSE;
        BOOL bCopied = FALSE;

        // Under the earlier file's long name when a lookup of the entry's
        // name reaches that file: on FAT both open the same file, and a
        // floppy without aliases then holds what a FAT one would.
        int nSlot = -1;
        CString strName;
        BOOL bLands = m_landed.WhereItLands(lpszEntry, &nSlot, &strName);
        CString strDestination = CString(lpszRoot) + strName;
        LPCSTR lpszDestination = strDestination;
        CFile source;
        if (!source.Open(lpszSource, CFile::modeRead)) {
            nMessage = ::GetLastError() == ERROR_FILE_NOT_FOUND ? IDS_SOURCE_NOT_FOUND
                                                                 : IDS_SOURCE_NOT_OPENED;
            bOfferChoice = TRUE;
        } else if (!bLands) {
            // A device name would open the device, not a file on the floppy.
            nMessage = IDS_CANNOT_CREATE_OUTPUT;
        } else {
            CFile destination;
            if (!destination.Open(lpszDestination, CFile::modeCreate | CFile::modeWrite)) {
                bOfferChoice = ::GetLastError() == ERROR_WRITE_PROTECT;
                nMessage = bOfferChoice ? IDS_WRITE_PROTECTED : IDS_CANNOT_CREATE_OUTPUT;
            } else {
                // Truncated: whatever the earlier file of the slot was, it is
                // no longer whole on the floppy.
                ForgetWholeFile(lpszDestination);
                try {
                    bCopied = CopyFileData(lpszEntry, source, destination, &nMessage);
                    bOfferChoice = nMessage != 0;
                } catch (CFileException* e) {
                    // The source's length could not be taken: the build ends.
                    e->Delete();
                    nMessage = IDS_READ_ERROR;
                } catch (CException*) {
                    // Out of memory mid-copy ends the build, but never with
                    // half a file left on the floppy.
                    try {
                        destination.Close();
                        CFile::Remove(lpszDestination);
                    } catch (CFileException* e) {
                        e->Delete();
                    }
                    throw;
                }
                if (bCopied && !CopyFileTimes(source.m_hFile, destination.m_hFile)) {
                    bCopied = FALSE;
                    nMessage = IDS_WRITE_ERROR;
                    bOfferChoice = TRUE;
                }
                try {
                    destination.Close();
                } catch (CFileException* e) {
                    // What was written may not be on the disk: the file
                    // cannot count as copied, and there is nothing to retry.
                    e->Delete();
                    bCopied = FALSE;
                    nMessage = IDS_WRITE_ERROR;
                    bOfferChoice = FALSE;
                }
                if (!bCopied) {
                    // The earlier file of the slot was overwritten: nothing
                    // of it is left to read back, whatever the user chooses.
                    if (nSlot >= 0)
                        m_landed.Drop(nSlot);
                    try {
                        CFile::Remove(lpszDestination);
                    } catch (CFileException* e) {
                        e->Delete();
                    }
                }
            }
            try {
                source.Close();
            } catch (CFileException* e) {
                e->Delete();  // nothing of the copy depends on it
            }
        }

        if (nMessage == 0) {
            if (!bCopied)
                return kCopyStopped;
            m_landed.Put(lpszEntry, lpszSource);
            WholeFile whole;
            whole.strPath = lpszDestination;
            if (GetFloppyFileLength(lpszDestination, &whole.nLength))
                m_whole.Add(whole);
            return kCopyDone;
        }

        CString strCaption = LoadText(IDS_FILE_ERROR_CAPTION);
        if (!bOfferChoice) {
            m_pProgressDlg->MessageBox(LoadText(nMessage), strCaption, MB_OK | MB_ICONEXCLAMATION);
            return kCopyStopped;
        }
        switch (m_pProgressDlg->MessageBox(LoadText(nMessage) + LoadText(IDS_ABORT_RETRY_IGNORE),
                                           strCaption, MB_ABORTRETRYIGNORE | MB_ICONEXCLAMATION)) {
        case IDRETRY:
            // "The disk is full" sends the user for another floppy: one
            // put in now is checked like a new one before anything is written.
            if (IsSameFloppy(m_pDrive))
                continue;  // both files are opened afresh
            return CheckDestinationDisk(m_pDrive, m_strLabel) ? kCopyOnAnotherFloppy : kCopyStopped;
        case IDIGNORE:
            return kCopyDone;  // whatever was written of it is already gone
        default:
            return kCopyStopped;
        }
    }
}

BOOL DiskBuilder::CopyFileData(LPCSTR lpszEntry, CFile& source, CFile& destination, UINT* pnMessage)
{
    ULONGLONG nLength = source.GetLength();
    ULONGLONG nCopied = 0;
    BOOL bError = FALSE;

    // Cancelling is looked at only after a block has been written.
    m_pProgressDlg->PumpMessages(lpszEntry, 0);
    BOOL bGoOn = TRUE;

    // Exactly the length taken at the start: a file that grows meanwhile is
    // copied as it was, and one that shrinks is a read error, not a loop
    // that never ends.
    while (!bError && bGoOn && nCopied < nLength) {
        UINT nWanted = nLength - nCopied < kBlockSize ? static_cast<UINT>(nLength - nCopied) : kBlockSize;
        UINT nRead = 0;
        try {
            nRead = source.Read(g_transferBuffer, nWanted);
        } catch (CFileException* e) {
            e->Delete();
            nRead = 0;
        }
        if (nRead == 0) {  // a read error, or the file ends early
            *pnMessage = IDS_READ_ERROR;
            bError = TRUE;
            break;
        }
        try {
            destination.Write(g_transferBuffer, nRead);
            destination.Flush();
        } catch (CFileException* e) {
            *pnMessage = e->m_cause == CFileException::diskFull ? IDS_DISK_FULL : IDS_WRITE_ERROR;
            e->Delete();
            bError = TRUE;
            break;
        }
        nCopied += nRead;
        bGoOn = m_pProgressDlg->PumpMessages(lpszEntry, static_cast<int>(nCopied * 100 / nLength));
    }
    return !bError && bGoOn;
}

DiskBuilder::VerifyResult DiskBuilder::VerifyDiskFiles(DriveInfo* pDrive, LPCSTR lpszLabel)
{
    for (int i = 0; i < m_landed.GetSize(); ++i) {
        FloppyFile file = m_landed[i];  // a copy: a mismatch empties the list
        m_strVerifyEntry = file.strEntry;
        CompareOutcome outcome;
        {
            // Closed before anything is deleted: NT will not delete an open
            // file, and Windows 95 would delete it under the reader.
            FloppyFileReader copy(pDrive->m_strRoot + file.strName);
            outcome = FileComparer::Compare(file.strSource, copy, ShowVerifyProgress, this);
        }
        if (outcome.result == kCompareSame)
            continue;
        if (outcome.result == kCompareStopped)
            return kVerifyCancelled;

        // A floppy swapped since it was checked is not this build's to
        // clean up: it is checked like a new one, and the disk written again.
        if (!IsSameFloppy(pDrive))
            return CheckDestinationDisk(pDrive, lpszLabel) ? kVerifyOnAnotherFloppy : kVerifyGiveUp;
        // Never leave a floppy that failed looking like a good disk. It was
        // blank when checked, so nothing of the user's goes with it.
        RemoveWrittenFiles();
        CString strText;
        strText.Format(IDS_VERIFY_FAILED, lpszLabel, static_cast<LPCSTR>(file.strName),
                       static_cast<LPCSTR>(DescribeMismatch(outcome)));
        int nAnswer = m_pProgressDlg->MessageBox(strText, LoadText(IDS_VERIFY_CAPTION),
                                                 MB_RETRYCANCEL | MB_ICONEXCLAMATION);
        return nAnswer == IDRETRY ? kVerifyRetry : kVerifyGiveUp;
    }
    return kVerified;
}

BOOL DiskBuilder::ShowVerifyProgress(void* pContext, int nPercent)
{
    DiskBuilder* pThis = static_cast<DiskBuilder*>(pContext);
    return pThis->m_pProgressDlg->PumpMessages(pThis->m_strVerifyEntry, nPercent, IDS_VERIFYING_FILE);
}

void DiskBuilder::RemoveWrittenFiles()
{
    // What this build wrote and what should still be there are the same
    // files: one that failed was deleted at once.
    for (int i = 0; i < m_landed.GetSize(); ++i)
        ::DeleteFileA(m_pDrive->m_strRoot + m_landed[i].strName);
    m_landed.RemoveAll();
    m_whole.RemoveAll();
}

void DiskBuilder::ForgetWholeFile(LPCSTR lpszPath)
{
    CArray<WholeFile> kept;
    for (int i = 0; i < m_whole.GetSize(); ++i) {
        // Paths come from the slots' own names: the same file, the same text.
        if (m_whole[i].strPath != lpszPath)
            kept.Add(m_whole[i]);
    }
    m_whole = std::move(kept);
}
