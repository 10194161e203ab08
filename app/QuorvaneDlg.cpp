#include "QuorvaneDlg.h"

#include "AboutDlg.h"
#include "framework/AfxGlobals.h"
#include "res/resource.h"

IMPLEMENT_DYNAMIC(CQuorvaneDlg, CPropertySheet)

CQuorvaneDlg::CQuorvaneDlg(CWnd* pParentWnd) : CPropertySheet(IDS_SHEET_CAPTION, pParentWnd, 0)
{
    m_hIcon = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    m_psh.dwFlags |= PSH_USEHICON | PSH_WIZARD;
    m_psh.dwFlags &= ~PSH_HASHELP;
    m_psh.hIcon = m_hIcon;
    m_psh.hInstance = AfxGetInstanceHandle();
}

int CQuorvaneDlg::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CPropertySheet::OnCreate(lpCreateStruct) == -1)
        return -1;

    // A wizard has neither of these by itself.
    ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, GetStyle() | WS_SYSMENU | WS_MINIMIZEBOX);
    AdjustSystemMenu();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    return 0;
}

void CQuorvaneDlg::AdjustSystemMenu()
{
    HMENU hSysMenu = GetSystemMenu(FALSE);
    if (hSysMenu == NULL)
        return;
    CString strAbout;
    strAbout.LoadString(IDS_ABOUTBOX);
    if (!strAbout.IsEmpty()) {
        ::AppendMenuA(hSysMenu, MF_SEPARATOR, 0, NULL);
        ::AppendMenuA(hSysMenu, MF_STRING, IDM_ABOUTBOX, strAbout);
    }
    // The wizard keeps its size.
    ::DeleteMenu(hSysMenu, SC_MAXIMIZE, MF_BYCOMMAND);
    ::DeleteMenu(hSysMenu, SC_SIZE, MF_BYCOMMAND);
}

void CQuorvaneDlg::OnSysCommand(UINT nID, LPARAM lParam)
{
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout;
        dlgAbout.DoModal();
    } else {
        CPropertySheet::OnSysCommand(nID, lParam);
    }
}

BOOL CQuorvaneDlg::OnHelpInfo(HELPINFO*)
{
    return FALSE;  // there is no help
}

BOOL CQuorvaneDlg::ConfirmCancel()
{
    CString strCaption, strQuestion;
    strCaption.LoadString(IDS_QUIT_CAPTION);
    strQuestion.LoadString(IDS_QUIT_QUESTION);
    return MessageBox(strQuestion, strCaption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}
