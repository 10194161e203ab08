// CCopyProgressDlg: the modal "Copying Files" dialog inside which the disks
// are built. Once painted it starts the build from a one-shot timer, shows
// the disk, the file and the file's progress, and lets the user cancel.
#pragma once
#include "drives/DriveInfo.h"
#include "framework/CDialog.h"
#include "res/resource.h"

class DiskBuilder;

class CCopyProgressDlg : public CDialog {
public:
    CCopyProgressDlg(CWnd* pParentWnd, DiskBuilder* pBuilder);

    // The disk line shows the label; the file line is cleared, the bar emptied.
    void SetDiskLabel(LPCSTR lpszLabel);
    // Asks for the labelled floppy; returns when the user presses OK.
    void PromptForDisk(LPCSTR lpszLabel, const DriveInfo* pDrive);
    // Shows the progress and dispatches every waiting message without
    // waiting; FALSE once the user has confirmed cancelling. nFileFormat
    // says what is done with the file: "Copying %s" or "Verifying %s".
    BOOL PumpMessages(LPCSTR lpszEntry, int nPercent, UINT nFileFormat = IDS_COPYING_FILE);
    void ShowProgress(LPCSTR lpszEntry, int nPercent, UINT nFileFormat = IDS_COPYING_FILE);

    enum { kStartTimer = 8466, kStartDelay = 250 };

protected:
    BOOL OnInitDialog() override;
    void OnPaint() override;
    void OnTimer(UINT_PTR nIDEvent) override;
    void OnCancel() override;
    // There is no OK: only the end of the build may end the dialog, or a
    // stray IDOK would report disks as built that never were.
    void OnOK() override {}

    DiskBuilder* m_pBuilder;
    BOOL m_bCancelled;
    CString m_strDiskLabel;
    BOOL m_bTimerStarted;
};
