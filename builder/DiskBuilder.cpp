#include "DiskBuilder.h"

#include "CopyProgressDlg.h"
#include "res/resource.h"

namespace {
const UINT kBlockSize = 32768;
// One transfer buffer for the process: only one copy ever runs at a time.
BYTE g_transferBuffer[kBlockSize];

// A blank 1.44 MB floppy has 1,457,664 bytes free; anything from this up
// will hold an installation disk.
const ULONGLONG kMinimumFreeBytes = 1430000;

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
}  // namespace

DiskBuilder::DiskBuilder(PackageInfo* pPackage, DriveList* pDrives)
    : m_pPackage(pPackage), m_pDrives(pDrives), m_pProgressDlg(NULL), m_bVerify(TRUE)
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

    try {
        DiskCursor disks(m_pPackage);
        DiskInfo* pDisk = NULL;
        while (disks.Next(&pDisk)) {
            if (!pDisk->m_bChosen)
                continue;
            CString strLabel;
            strLabel.Format(IDS_DISK_LABEL, disks.m_nPosition,
                            static_cast<LPCSTR>(m_pPackage->GetName()));
            // A disk that does not verify is written again from its first
            // file, on whatever floppy the user puts in.
            VerifyResult result = kVerifyRetry;
            while (result == kVerifyRetry) {
                m_pProgressDlg->SetDiskLabel(strLabel);
                m_pProgressDlg->PromptForDisk(strLabel, pDrive);
                if (!CheckDestinationDisk(pDrive))
                    return FALSE;
                m_landed.RemoveAll();
                if (!CopyDiskFiles(pDrive, pDisk))
                    return FALSE;
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

BOOL DiskBuilder::CheckDestinationDisk(DriveInfo* pDrive)
{
    // One drive-not-ready per disk is taken as the drive spinning up.
    BOOL bNotReadyAllowed = TRUE;
    for (;;) {
        UINT nReason = 0;
        DiskSpace space;
        if (GetDiskSpace(pDrive->m_strRoot, &space)) {
            // Blank: at most one cluster in use (the root directory's).
            if (space.nFree < space.nTotal && space.nTotal - space.nFree > space.nCluster) {
                nReason = IDS_DISK_NOT_BLANK;
            } else if (space.nFree >= kMinimumFreeBytes) {
                return TRUE;
            } else {
                nReason = IDS_DISK_TOO_SMALL;
            }
        } else if (::GetLastError() != ERROR_NOT_READY) {
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
    }
}

BOOL DiskBuilder::CopyDiskFiles(DriveInfo* pDrive, DiskInfo* pDisk)
{
    CString strImagesDir = m_pPackage->GetDiskImagesDir();
    // "A:\" and the name: always the root. "A:" alone would follow the
    // current directory of A: that the process inherited from its starter.
    const CString& strRoot = pDrive->m_strRoot;

    FileCursor files(pDisk);
    CString strEntry;
    while (files.Next(strEntry)) {
        CString strSource = strImagesDir + "\\" + strEntry;
        if (!CopyOneFile(strEntry, strSource, strRoot))
            return FALSE;
    }
    return TRUE;
}

BOOL DiskBuilder::CopyOneFile(LPCSTR lpszEntry, LPCSTR lpszSource, LPCSTR lpszRoot)
{
    if (*lpszSource == '\0')
        return FALSE;

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
                if (bCopied) {
                    FILETIME ftCreated, ftAccessed, ftWritten;
                    if (::GetFileTime(source.m_hFile, &ftCreated, &ftAccessed, &ftWritten))
                        ::SetFileTime(destination.m_hFile, &ftCreated, &ftAccessed, &ftWritten);
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
            if (bCopied)
                m_landed.Put(lpszEntry, lpszSource);
            return bCopied;
        }

        CString strCaption = LoadText(IDS_FILE_ERROR_CAPTION);
        if (!bOfferChoice) {
            m_pProgressDlg->MessageBox(LoadText(nMessage), strCaption, MB_OK | MB_ICONEXCLAMATION);
            return FALSE;
        }
        switch (m_pProgressDlg->MessageBox(LoadText(nMessage) + LoadText(IDS_ABORT_RETRY_IGNORE),
                                           strCaption, MB_ABORTRETRYIGNORE | MB_ICONEXCLAMATION)) {
        case IDRETRY:
            continue;  // both files are opened afresh
        case IDIGNORE:
            return TRUE;  // whatever was written of it is already gone
        default:
            return FALSE;
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

        // Never leave a floppy that failed looking like a good disk. It was
        // blank before this build, so nothing of the user's goes with it.
        RemoveWrittenFiles(pDrive->m_strRoot);
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

void DiskBuilder::RemoveWrittenFiles(const CString& strRoot)
{
    // What this build wrote and what should still be there are the same
    // files: one that failed was deleted at once.
    for (int i = 0; i < m_landed.GetSize(); ++i)
        ::DeleteFileA(strRoot + m_landed[i].strName);
    m_landed.RemoveAll();
}
