#include "CopyProgressDlg.h"

#include <commctrl.h>

#include "DiskBuilder.h"
#include "res/resource.h"

CCopyProgressDlg::CCopyProgressDlg(CWnd* pParentWnd, DiskBuilder* pBuilder)
    : CDialog(IDD_COPY_PROGRESS, pParentWnd),
      m_pBuilder(pBuilder),
      m_bCancelled(FALSE),
      m_bTimerStarted(FALSE)
{
}

BOOL CCopyProgressDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SendDlgItemMessage(IDC_PROGRESS_BAR, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    ShowProgress("", 0);
    return TRUE;
}

void CCopyProgressDlg::OnPaint()
{
    PAINTSTRUCT ps;
    ::BeginPaint(m_hWnd, &ps);
    ::EndPaint(m_hWnd, &ps);

    // The build starts only once the dialog is on the screen, so the user
    // sees it before the first prompt.
    if (!m_bTimerStarted) {
        m_bTimerStarted = TRUE;
        if (SetTimer(kStartTimer, kStartDelay) == 0) {
            CString strText, strCaption;
            strText.LoadString(IDS_LOW_RESOURCES);
            strCaption.LoadString(IDS_PROGRESS_CAPTION);
            MessageBox(strText, strCaption, MB_OK);
            EndDialog(IDABORT);
        }
    }
}

void CCopyProgressDlg::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != kStartTimer) {
        CDialog::OnTimer(nIDEvent);
        return;
    }
    KillTimer(kStartTimer);
    if (m_pBuilder->BuildDisks())
        EndDialog(IDOK);
    else
        EndDialog(m_bCancelled ? IDCANCEL : IDABORT);
}

void CCopyProgressDlg::OnCancel()
{
    // The build stops at its next look at PumpMessages; the dialog ends
    // when the build has returned.
    CString strText, strCaption;
    strText.LoadString(IDS_CONFIRM_ABORT);
    strCaption.LoadString(IDS_PROGRESS_CAPTION);
    m_bCancelled = MessageBox(strText, strCaption, MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
}

void CCopyProgressDlg::ShowProgress(LPCSTR lpszEntry, int nPercent, UINT nFileFormat)
{
    if (!m_strDiskLabel.IsEmpty()) {
        CString strDisk;
        strDisk.Format(IDS_CREATING_DISK, static_cast<LPCSTR>(m_strDiskLabel));
        SetDlgItemText(IDC_DISK_LINE, strDisk);
    }
    CString strFile;
    if (lpszEntry != NULL && *lpszEntry != '\0')
        strFile.Format(nFileFormat, lpszEntry);
    SetDlgItemText(IDC_FILE_LINE, strFile);
    SendDlgItemMessage(IDC_PROGRESS_BAR, PBM_SETPOS, static_cast<WPARAM>(nPercent));
}

void CCopyProgressDlg::SetDiskLabel(LPCSTR lpszLabel)
{
    m_strDiskLabel = lpszLabel;
    ShowProgress("", 0);
}

void CCopyProgressDlg::PromptForDisk(LPCSTR lpszLabel, const DriveInfo* pDrive)
{
    CString strText, strCaption;
    strText.Format(IDS_INSERT_DISK, lpszLabel, pDrive->m_chLetter);
    strCaption.LoadString(IDS_PROGRESS_CAPTION);
    MessageBox(strText, strCaption, MB_OK | MB_ICONINFORMATION);
}

BOOL CCopyProgressDlg::PumpMessages(LPCSTR lpszEntry, int nPercent, UINT nFileFormat)
{
    ShowProgress(lpszEntry, nPercent, nFileFormat);
    MSG msg;
    while (::PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Not ours to take: leave it for the loop that waits for it.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        // The dialog's keyboard as in its own modal loop: Escape, and Enter
        // on the focused Cancel button, reach OnCancel while a copy runs.
        if (::IsDialogMessageA(m_hWnd, &msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return !m_bCancelled;
}
