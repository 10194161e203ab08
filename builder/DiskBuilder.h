// DiskBuilder: writes the chosen disks of the package onto floppies in the
// chosen drive. Build shows the copy progress dialog, which calls back into
// BuildDisks once it is on the screen; everything runs on the GUI thread.
#pragma once
#include "DestinationFloppy.h"
#include "drives/DriveList.h"
#include "framework/CFile.h"
#include "framework/CWnd.h"
#include "fat/FloppyFiles.h"
#include "package/PackageInfo.h"
#include "verify/FileComparer.h"

class CCopyProgressDlg;

class DiskBuilder {
public:
    DiskBuilder(PackageInfo* pPackage, DriveList* pDrives);

    // Whether each disk is read back and compared with the package once its
    // files are written; on unless the user turned it off.
    void SetVerify(BOOL bVerify) { m_bVerify = bVerify; }
    // Whether a used floppy gets the question to erase it rather than only
    // the not-blank box; off unless the user turned it on.
    void SetEraseUsed(BOOL bEraseUsed) { m_bEraseUsed = bEraseUsed; }

    // TRUE when every chosen disk was built (the dialog ended with IDOK).
    BOOL Build(CWnd* pParentWnd);
    // Label, prompt, floppy check and copy, for each chosen disk in order.
    // Never lets an exception out: the dialog has to end whatever happens.
    BOOL BuildDisks();
    // TRUE when a blank floppy of at least 1.44 MB is in the drive (a used
    // one erased first, when the user wants that); FALSE when the user
    // cancels. Remembers the floppy's serial number.
    BOOL CheckDestinationDisk(DriveInfo* pDrive, LPCSTR lpszLabel);

    enum CopyResult { kCopyDone, kCopyStopped, kCopyOnAnotherFloppy };
    // Every file of the disk copied or skipped; kCopyOnAnotherFloppy when
    // a floppy swapped at a Retry was checked and the disk is to be
    // written again from its first file.
    CopyResult CopyDiskFiles(DriveInfo* pDrive, DiskInfo* pDisk);
    // One file into the root lpszRoot ("A:\"), where the floppy rule lands
    // it, with Abort, Retry and Ignore on failures; kCopyDone when it was
    // copied or the user chose Ignore.
    CopyResult CopyOneFile(LPCSTR lpszEntry, LPCSTR lpszSource, LPCSTR lpszRoot);
    // Copies exactly the source's length, block by block; leaves the number
    // of the failure's message in *pnMessage. FALSE on failure or cancel.
    BOOL CopyFileData(LPCSTR lpszEntry, CFile& source, CFile& destination, UINT* pnMessage);

    enum VerifyResult { kVerified, kVerifyCancelled, kVerifyRetry, kVerifyOnAnotherFloppy, kVerifyGiveUp };
    // Reads back every file that landed on the floppy and compares it with
    // its source. On a mismatch, removes what this build wrote there, tells
    // the user and asks whether to write the disk again; on a floppy that
    // is no longer the one checked, removes nothing and checks it instead.
    VerifyResult VerifyDiskFiles(DriveInfo* pDrive, LPCSTR lpszLabel);

private:
    enum EraseResult { kErased, kEraseDeclined, kEraseFailed, kEraseCancelled, kMediumChanged };
    // The question whether to erase the used floppy shown, and the erase
    // after a Yes, of that floppy only. kEraseFailed leaves in *pstrWhy why
    // it is not blank, and in shown what is left on it.
    EraseResult OfferErase(LPCSTR lpszLabel, DestinationFloppy& shown, CString* pstrWhy);
    // Looks at the floppy in the drive: is it the one this build writes to?
    BOOL IsSameFloppy(DestinationFloppy* pFloppy);
    static BOOL ShowVerifyProgress(void* pContext, int nPercent);
    static BOOL ShowEraseProgress(void* pContext, LPCSTR lpszName, int nPercent);

    PackageInfo* m_pPackage;
    DriveList* m_pDrives;
    CCopyProgressDlg* m_pProgressDlg;  // while Build runs; owner of every message box
    BOOL m_bVerify;
    BOOL m_bEraseUsed;
    DriveInfo* m_pDrive;  // the chosen drive, while Build runs
    CString m_strLabel;   // of the disk being written
    // Of the disk being written: what should be on the floppy now, slot by
    // slot; only those files may be removed again.
    FloppyFiles m_landed;
    // Of the floppy last checked: what tells it from another one.
    WrittenFloppy m_written;
    CString m_strVerifyEntry;  // shown while it is read back
};
