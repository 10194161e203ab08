#include "DiskBuilder.h"

#include <utility>

#include "CopyProgressDlg.h"
#include "drives/DriveError.h"
#include "fat/FatTime.h"
#include "framework/SystemError.h"
#include "package/PackageCheck.h"
#include "res/resource.h"
#include "verify/FloppyFileReader.h"

namespace {
const UINT kBlockSize = 32768;
// One transfer buffer for the process: only one copy ever runs at a time.
BYTE g_transferBuffer[kBlockSize];

CString LoadText(UINT nID)
{
    CString strText;
    strText.LoadString(nID);
    return strText;
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

}  // namespace

DiskBuilder::DiskBuilder(PackageInfo* pPackage, DriveList* pDrives)
    : m_pPackage(pPackage),
      m_pDrives(pDrives),
      m_pProgressDlg(NULL),
      m_bVerify(TRUE),
      m_bEraseUsed(FALSE),
      m_pDrive(NULL)
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
                m_written.RemoveAll();
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
    // A floppy that an erase could not empty gets the box with the reason,
    // not the question again, until something on it changes.
    DestinationFloppy notErased(pDrive->m_strRoot);
    CString strNotErasedWhy;
    for (;;) {
        UINT nReason = 0;
        CString strWhy;
        DestinationFloppy floppy(pDrive->m_strRoot);
        DWORD dwError = NO_ERROR;
        if (!floppy.Survey(&dwError)) {
            if (!IsNoFloppyError(dwError))
                nReason = IDS_DRIVE_ERROR;
            else if (bNotReadyAllowed)
                bNotReadyAllowed = FALSE;
            else
                nReason = IDS_NO_DISK;
        } else if (!floppy.IsBlank()) {
            nReason = IDS_DISK_NOT_BLANK;
            if (!strNotErasedWhy.IsEmpty() && floppy.SameMediumAs(notErased)) {
                strWhy = strNotErasedWhy;
            } else if (m_bEraseUsed && floppy.MayBeErased()) {
                EraseResult erase = OfferErase(lpszLabel, floppy, &strWhy);
                if (erase == kEraseCancelled)
                    return FALSE;
                if (erase == kErased || erase == kMediumChanged)
                    continue;  // looked at again, as at the prompt
                if (erase == kEraseFailed) {
                    notErased = std::move(floppy);
                    strNotErasedWhy = strWhy;
                }
            }
        } else if (floppy.HasRoomForADisk()) {
            m_written.bHasSerial = floppy.m_bHasVolume;
            m_written.dwSerial = floppy.m_dwSerial;
            return TRUE;
        } else {
            nReason = IDS_DISK_TOO_SMALL;
        }

        CString strText;
        if (nReason != 0)
            strText = LoadText(nReason) + (strWhy.IsEmpty() ? CString() : "  " + strWhy) + "\n\n";
        strText += LoadText(IDS_INSERT_BLANK_DISK);
        if (m_pProgressDlg->MessageBox(strText, LoadText(IDS_CHECK_CAPTION),
                                       MB_OKCANCEL | MB_ICONEXCLAMATION) == IDCANCEL)
            return FALSE;
    }
}

DiskBuilder::EraseResult DiskBuilder::OfferErase(LPCSTR lpszLabel, DestinationFloppy& shown, CString* pstrWhy)
{
    if (shown.m_entries.IsEmpty()) {
        // Lost clusters: there is nothing to delete, and asking would only
        // bring the same floppy back to the same box.
        pstrWhy->Format(IDS_ERASE_NOTHING_LEFT, static_cast<LPCSTR>(FormatByteCount(shown.UsedBytes())));
        return kEraseFailed;
    }
    CString strText = shown.EraseQuestion(m_pDrive->m_chLetter, lpszLabel);
    if (m_pProgressDlg->MessageBox(strText, LoadText(IDS_CHECK_CAPTION), MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return kEraseDeclined;

    for (;;) {
        // The Yes was for the floppy shown: another one in the drive now
        // is asked about afresh, and nothing of it goes unseen.
        DestinationFloppy now(shown.m_strRoot);
        DWORD dwError = NO_ERROR;
        if (!now.Survey(&dwError) || !now.SameMediumAs(shown))
            return kMediumChanged;
        CString strFailed;
        BOOL bErased = now.Erase(ShowEraseProgress, this, &strFailed, &dwError);
        m_pProgressDlg->ShowProgress("", 0);
        if (bErased)
            return kErased;
        if (dwError == ERROR_CANCELLED)
            return kEraseCancelled;
        if (dwError == ERROR_MEDIA_CHANGED)
            return kMediumChanged;
        CString strReason = SystemErrorText(dwError);
        strText.Format(IDS_ERASE_FAILED, static_cast<LPCSTR>(strFailed), static_cast<LPCSTR>(strReason));
        // What is left now is what a Retry is for.
        if (!shown.Survey(&dwError))
            return kMediumChanged;
        if (m_pProgressDlg->MessageBox(strText, LoadText(IDS_CHECK_CAPTION), MB_RETRYCANCEL | MB_ICONEXCLAMATION) !=
            IDRETRY) {
            pstrWhy->Format(IDS_ERASE_STOPPED, static_cast<LPCSTR>(strFailed), static_cast<LPCSTR>(strReason));
            return kEraseFailed;
        }
    }
}

BOOL DiskBuilder::ShowEraseProgress(void* pContext, LPCSTR lpszName, int nPercent)
{
    DiskBuilder* pThis = static_cast<DiskBuilder*>(pContext);
    return pThis->m_pProgressDlg->PumpMessages(lpszName, nPercent, IDS_ERASING_FILE);
}

BOOL DiskBuilder::IsSameFloppy(DestinationFloppy* pFloppy)
{
    DWORD dwError = NO_ERROR;
    return pFloppy->Survey(&dwError) && pFloppy->IsWrittenBy(m_written);
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
        FloppyEntry found;
        CFile source;
        if (!source.Open(lpszSource, CFile::modeRead)) {
            nMessage = ::GetLastError() == ERROR_FILE_NOT_FOUND ? IDS_SOURCE_NOT_FOUND
                                                                 : IDS_SOURCE_NOT_OPENED;
            bOfferChoice = TRUE;
        } else if (!bLands) {
            // A device name would open the device, not a file on the floppy.
            nMessage = IDS_CANNOT_CREATE_OUTPUT;
        } else if (!m_written.HasWritten(strName) && DestinationFloppy(lpszRoot).LookAt(strName, &found)) {
            // The floppy was blank at its check: a file under a name this
            // build has not written means another floppy is in the drive,
            // and that file is the user's.
            return CheckDestinationDisk(m_pDrive, m_strLabel) ? kCopyOnAnotherFloppy : kCopyStopped;
        } else {
            CFile destination;
            if (!destination.Open(lpszDestination, CFile::modeCreate | CFile::modeWrite)) {
                bOfferChoice = ::GetLastError() == ERROR_WRITE_PROTECT;
                nMessage = bOfferChoice ? IDS_WRITE_PROTECTED : IDS_CANNOT_CREATE_OUTPUT;
            } else {
                // Truncated: whatever the earlier file of the slot was, it is
                // no longer whole on the floppy.
                m_written.Forget(strName);
                m_written.Wrote(strName);
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
            FloppyEntry written;
            if (DestinationFloppy(lpszRoot).LookAt(strName, &written))
                m_written.files.Add(written);
            return kCopyDone;
        }

        CString strCaption = LoadText(IDS_FILE_ERROR_CAPTION);
        if (!bOfferChoice) {
            m_pProgressDlg->MessageBox(LoadText(nMessage), strCaption, MB_OK | MB_ICONEXCLAMATION);
            return kCopyStopped;
        }
        switch (m_pProgressDlg->MessageBox(LoadText(nMessage) + LoadText(IDS_ABORT_RETRY_IGNORE),
                                           strCaption, MB_ABORTRETRYIGNORE | MB_ICONEXCLAMATION)) {
        case IDRETRY: {
            // "The disk is full" sends the user for another floppy: one
            // put in now is checked like a new one before anything is written.
            DestinationFloppy floppy(lpszRoot);
            if (IsSameFloppy(&floppy))
                continue;  // both files are opened afresh
            return CheckDestinationDisk(m_pDrive, m_strLabel) ? kCopyOnAnotherFloppy : kCopyStopped;
        }
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
        DestinationFloppy floppy(pDrive->m_strRoot);
        DWORD dwError = NO_ERROR;
        BOOL bLooked = floppy.Survey(&dwError);
        if (bLooked && !floppy.IsWrittenBy(m_written))
            return CheckDestinationDisk(pDrive, lpszLabel) ? kVerifyOnAnotherFloppy : kVerifyGiveUp;
        // Never leave a floppy that failed looking like a good disk; but a
        // file no longer as this build wrote it is no longer its to delete,
        // and a floppy that cannot be looked at is left as it is.
        if (bLooked)
            floppy.RemoveUnchanged(m_written);
        m_landed.RemoveAll();
        m_written.RemoveAll();
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
