// DiskBuilder: writes the chosen disks of the package onto floppies in the
// chosen drive. Build shows the copy progress dialog, which calls back into
// BuildDisks once it is on the screen; everything runs on the GUI thread.
#pragma once
#include "drives/DriveList.h"
#include "framework/CFile.h"
#include "framework/CWnd.h"
#include "package/FloppyFiles.h"
#include "package/PackageInfo.h"
#include "verify/FileComparer.h"

class CCopyProgressDlg;

class DiskBuilder {
public:
    DiskBuilder(PackageInfo* pPackage, DriveList* pDrives);

    // Whether each disk is read back and compared with the package once its
    // files are written; on unless the user turned it off.
    void SetVerify(BOOL bVerify) { m_bVerify = bVerify; }

    // TRUE when every chosen disk was built (the dialog ended with IDOK).
    BOOL Build(CWnd* pParentWnd);
    // Label, prompt, floppy check and copy, for each chosen disk in order.
    // Never lets an exception out: the dialog has to end whatever happens.
    BOOL BuildDisks();
    // TRUE when a blank floppy of at least 1.44 MB is in the drive; FALSE
    // when the user cancels.
    BOOL CheckDestinationDisk(DriveInfo* pDrive);
    // TRUE when every file of the disk was copied or skipped.
    BOOL CopyDiskFiles(DriveInfo* pDrive, DiskInfo* pDisk);
    // One file into the root lpszRoot ("A:\"), where the floppy rule lands
    // it, with Abort, Retry and Ignore on failures; TRUE when it was copied
    // or the user chose Ignore.
    BOOL CopyOneFile(LPCSTR lpszEntry, LPCSTR lpszSource, LPCSTR lpszRoot);
    // Copies exactly the source's length, block by block; leaves the number
    // of the failure's message in *pnMessage. FALSE on failure or cancel.
    BOOL CopyFileData(LPCSTR lpszEntry, CFile& source, CFile& destination, UINT* pnMessage);

    enum VerifyResult { kVerified, kVerifyCancelled, kVerifyRetry, kVerifyGiveUp };
    // Reads back every file that landed on the floppy and compares it with
    // its source. On a mismatch, removes what this build wrote there, tells
    // the user and asks whether to write the disk again.
    VerifyResult VerifyDiskFiles(DriveInfo* pDrive, LPCSTR lpszLabel);

private:
    void RemoveWrittenFiles(const CString& strRoot);
    static BOOL ShowVerifyProgress(void* pContext, int nPercent);

    PackageInfo* m_pPackage;
    DriveList* m_pDrives;
    CCopyProgressDlg* m_pProgressDlg;  // while Build runs; owner of every message box
    BOOL m_bVerify;
    // Of the disk being written: what should be on the floppy now.
    FloppyFiles m_landed;
    CString m_strVerifyEntry;  // shown while it is read back
};
