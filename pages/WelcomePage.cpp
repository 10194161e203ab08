#include "WelcomePage.h"

#include "WizardPage.h"
#include "res/resource.h"

IMPLEMENT_DYNAMIC(CWelcomePage, CPropertyPage)

CWelcomePage::CWelcomePage(const CString& productName)
    : CPropertyPage(IDD_WELCOME), m_strName(productName)
{
    m_psp.dwFlags &= ~PSP_HASHELP;
}

void CWelcomePage::DoDataExchange(CDataExchange*) {}

BOOL CWelcomePage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    CString strText;
    strText.Format(IDS_WELCOME_TEMPLATETEXT, static_cast<LPCSTR>(m_strName));
    SetDlgItemText(IDC_WELCOME_TEXT, strText);
    strText.Format(IDS_WELCOME_INSTALL, static_cast<LPCSTR>(m_strName));
    SetDlgItemText(IDC_WELCOME_NAME, strText);
    return TRUE;
}

BOOL CWelcomePage::OnSetActive()
{
    // The first page: nothing to go back to.
    SetWizardButtonsFromPage(this, PSWIZB_NEXT, SW_HIDE);
    return CPropertyPage::OnSetActive();
}

BOOL CWelcomePage::OnQueryCancel()
{
    return ConfirmCancelFromPage(this);
}
