#include "LicensePage.h"

#include <memory>
#include <new>

#include "WizardPage.h"
#include "framework/CFile.h"
#include "framework/CPropertySheet.h"
#include "package/ProgramDirectory.h"
#include "res/resource.h"

IMPLEMENT_DYNAMIC(CLicensePage, CPropertyPage)

CString GetLicenseFilePath()
{
    CString strPath = GetProgramDirectory() + "\\license.txt";
    if (::GetFileAttributesA(strPath) == INVALID_FILE_ATTRIBUTES)
        return CString();
    return strPath;
}

CLicensePage::CLicensePage() : CPropertyPage(IDD_LICENSE)
{
    m_psp.dwFlags &= ~PSP_HASHELP;
    m_hWindowBrush = ::CreateSolidBrush(::GetSysColor(COLOR_WINDOW));
}

CLicensePage::~CLicensePage()
{
    if (m_hWindowBrush != NULL)
        ::DeleteObject(m_hWindowBrush);
}

void CLicensePage::DoDataExchange(CDataExchange*) {}

BOOL CLicensePage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    LoadLicenseText();
    return TRUE;
}

void CLicensePage::LoadLicenseText()
{
    CString strPath = GetLicenseFilePath();
    if (strPath.IsEmpty())
        return;
    CFile file;
    if (!file.Open(strPath, CFile::modeRead))
        return;  // gone, unreadable or a directory: the box stays empty
    try {
        ULONGLONG nLength = file.GetLength();
        // The text is shown whole; a length beyond what a 32-bit program
        // can hold fails like any allocation.
        if (nLength >= 0x7FFFFFFF)
            AfxThrowMemoryException();
        std::unique_ptr<char[]> text(new (std::nothrow) char[static_cast<size_t>(nLength) + 1]);
        if (!text)
            AfxThrowMemoryException();
        UINT nRead = file.Read(text.get(), static_cast<UINT>(nLength));
        text[nRead] = '\0';  // the first zero byte ends what is shown
        SetDlgItemText(IDC_LICENSE_TEXT, text.get());
        SendDlgItemMessage(IDC_LICENSE_TEXT, EM_SETSEL, static_cast<WPARAM>(-1), 0);
        SendDlgItemMessage(IDC_LICENSE_TEXT, EM_SCROLLCARET);
    } catch (CException* e) {
        e->Delete();
    }
    try {
        file.Close();
    } catch (CException* e) {
        e->Delete();
    }
}

BOOL CLicensePage::OnSetActive()
{
    SetWizardButtonsFromPage(this, PSWIZB_BACK | PSWIZB_NEXT, SW_SHOW);
    // Agreeing takes a deliberate Next: the focus starts on Cancel. Posted,
    // because the sheet gives the page's first control the focus after
    // this notification returns.
    if (CWnd* pSheet = DYNAMIC_DOWNCAST(CPropertySheet, GetParent())) {
        if (CWnd* pCancel = pSheet->GetDlgItem(IDCANCEL))
            pSheet->PostMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(pCancel->m_hWnd), TRUE);
    }
    SendDlgItemMessage(IDC_LICENSE_TEXT, EM_SETSEL, static_cast<WPARAM>(-1), 0);
    return CPropertyPage::OnSetActive();
}

BOOL CLicensePage::OnQueryCancel()
{
    return ConfirmCancelFromPage(this);
}

LRESULT CLicensePage::OnWizardNext()
{
    return CPropertyPage::OnWizardNext();
}

HBRUSH CLicensePage::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    HBRUSH hBrush = CPropertyPage::OnCtlColor(pDC, pWnd, nCtlColor);
    // A read-only edit asks as a static; it should still look like a text box.
    if (nCtlColor == CTLCOLOR_STATIC && pWnd != NULL && pWnd->GetDlgCtrlID() == IDC_LICENSE_TEXT) {
        pDC->SetBkColor(::GetSysColor(COLOR_WINDOW));
        return m_hWindowBrush;
    }
    return hBrush;
}
