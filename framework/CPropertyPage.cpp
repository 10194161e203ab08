#include "CPropertyPage.h"

#include "AfxGlobals.h"
#include "CException.h"
#include "res/resource.h"

IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)

CPropertyPage::CPropertyPage(UINT nIDTemplate, UINT nIDCaption)
    : CDialog(nIDTemplate), m_psp(), m_bFirstSetActive(TRUE)
{
    m_psp.dwSize = sizeof(m_psp);
    m_psp.dwFlags = PSP_USECALLBACK | PSP_HASHELP;
    m_psp.hInstance = AfxGetResourceHandle();
    m_psp.pszTemplate = MAKEINTRESOURCEA(nIDTemplate);
    m_psp.pfnDlgProc = DialogProc;
    m_psp.lParam = reinterpret_cast<LPARAM>(this);
    m_psp.pfnCallback = PageCallback;
    if (nIDCaption != 0) {
        m_strCaption.LoadString(nIDCaption);
        m_psp.pszTitle = m_strCaption;
        m_psp.dwFlags |= PSP_USETITLE;
    }
}

UINT CALLBACK CPropertyPage::PageCallback(HWND, UINT uMsg, LPPROPSHEETPAGEA ppsp)
{
    // The sheet is about to create the page's window: claim it.
    if (uMsg == PSPCB_CREATE)
        HookWindowCreate(reinterpret_cast<CPropertyPage*>(ppsp->lParam));
    return TRUE;
}

BOOL CPropertyPage::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    // The one place where the answers of the overridables go back to the sheet.
    switch (reinterpret_cast<NMHDR*>(lParam)->code) {
    case PSN_SETACTIVE:
        *pResult = OnSetActive() ? 0 : -1;
        return TRUE;
    case PSN_KILLACTIVE:
        *pResult = !OnKillActive();
        return TRUE;
    case PSN_WIZBACK:
    case PSN_WIZNEXT:
    case PSN_WIZFINISH:
        *pResult = OnWizardButton(reinterpret_cast<NMHDR*>(lParam)->code);
        return TRUE;
    case PSN_QUERYCANCEL:
        *pResult = !OnQueryCancel();
        return TRUE;
    }
    return CDialog::OnNotify(wParam, lParam, pResult);
}

LRESULT CPropertyPage::OnWizardButton(UINT nCode)
{
    try {
        if (nCode == PSN_WIZBACK)
            return OnWizardBack();
        if (nCode == PSN_WIZNEXT)
            return OnWizardNext();
        return !OnWizardFinish();
    } catch (CException* e) {
        // Nothing would stop the exception but the window procedure, whose
        // answer 0 moves the wizard on as if the step had worked. What can
        // escape here is memory running out: the engine's file failures
        // have their own messages.
        e->Delete();
    }
    // Loaded into fixed buffers: the memory that just ran out is not needed.
    char szText[256] = "", szCaption[64] = "";
    ::LoadStringA(AfxGetResourceHandle(), AFX_IDS_OUT_OF_MEMORY, szText, sizeof(szText));
    ::LoadStringA(AfxGetResourceHandle(), AFX_IDS_OUT_OF_MEMORY_CAPTION, szCaption, sizeof(szCaption));
    ::MessageBoxA(::GetParent(m_hWnd), szText, szCaption, MB_OK | MB_ICONEXCLAMATION);
    return nCode == PSN_WIZFINISH ? TRUE : -1;  // refused: the sheet stays
}

BOOL CPropertyPage::OnSetActive()
{
    if (m_bFirstSetActive)
        m_bFirstSetActive = FALSE;
    else
        UpdateData(FALSE);
    return TRUE;
}

BOOL CPropertyPage::OnKillActive()
{
    return UpdateData(TRUE);
}

LRESULT CPropertyPage::OnWizardBack()
{
    return 0;
}

LRESULT CPropertyPage::OnWizardNext()
{
    return 0;
}

BOOL CPropertyPage::OnWizardFinish()
{
    return TRUE;
}

BOOL CPropertyPage::OnQueryCancel()
{
    return TRUE;
}
