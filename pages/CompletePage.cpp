#include "CompletePage.h"

#include "framework/CPropertySheet.h"
#include "res/resource.h"

IMPLEMENT_DYNAMIC(CCompletePage, CPropertyPage)

CCompletePage::CCompletePage(const CString& productName)
    : CPropertyPage(IDD_COMPLETE), m_strName(productName)
{
    m_psp.dwFlags &= ~PSP_HASHELP;
}

void CCompletePage::DoDataExchange(CDataExchange*) {}

BOOL CCompletePage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    CString strText;
    strText.Format(IDS_COMPLETE_TEMPLATE, static_cast<LPCSTR>(m_strName), static_cast<LPCSTR>(m_strName));
    SetDlgItemText(IDC_COMPLETE_TEXT, strText);
    return TRUE;
}

BOOL CCompletePage::OnSetActive()
{
    m_bReached = TRUE;
    CPropertySheet* pSheet = DYNAMIC_DOWNCAST(CPropertySheet, GetParent());
    if (pSheet != NULL) {
        CString strDone;
        strDone.LoadString(IDS_DONE);
        pSheet->SetFinishText(strDone);  // shows Finish as "Done", hides Back and Next

        // One button, where Cancel was.
        CWnd* pCancel = pSheet->GetDlgItem(IDCANCEL);
        CWnd* pFinish = pSheet->GetDlgItem(ID_WIZFINISH);
        if (pCancel != NULL && pFinish != NULL) {
            RECT rc;
            pCancel->GetWindowRect(&rc);
            pCancel->ShowWindow(SW_HIDE);
            pSheet->ScreenToClient(&rc);
            pFinish->MoveWindow(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
        }
    }
    return CPropertyPage::OnSetActive();
}

BOOL CCompletePage::OnQueryCancel()
{
    // Nothing is left to lose: closing here is finishing.
    return OnWizardFinish();
}
