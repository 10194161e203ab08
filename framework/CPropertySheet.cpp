#include "CPropertySheet.h"

#include "AfxGlobals.h"

IMPLEMENT_DYNAMIC(CPropertySheet, CWnd)

CPropertySheet::CPropertySheet(UINT nIDCaption, CWnd* pParentWnd, UINT iSelectPage) : m_psh()
{
    m_strCaption.LoadString(nIDCaption);
    m_psh.dwSize = PROPSHEETHEADERA_V1_SIZE;
    m_psh.dwFlags = PSH_PROPSHEETPAGE;
    m_psh.hwndParent = pParentWnd != NULL ? pParentWnd->m_hWnd : NULL;
    m_psh.hInstance = AfxGetResourceHandle();
    m_psh.pszCaption = m_strCaption;
    m_psh.nStartPage = iSelectPage;
}

void CPropertySheet::AddPage(CPropertyPage* pPage)
{
    m_pages.push_back(pPage);
}

INT_PTR CPropertySheet::DoModal()
{
    std::vector<PROPSHEETPAGEA_V1> pages;
    for (CPropertyPage* pPage : m_pages)
        pages.push_back(pPage->m_psp);
    m_psh.nPages = static_cast<UINT>(pages.size());
    m_psh.ppsp = reinterpret_cast<LPCPROPSHEETPAGEA>(pages.data());

    // The sheet's window is created first; OnCreate sees its WM_CREATE.
    HookWindowCreate(this);
    INT_PTR nResult = ::PropertySheetA(&m_psh);
    UnhookWindowCreate();
    m_psh.ppsp = NULL;
    return nResult;
}

void CPropertySheet::SetWizardButtons(DWORD dwFlags)
{
    PostMessage(PSM_SETWIZBUTTONS, 0, static_cast<LPARAM>(dwFlags));
}

void CPropertySheet::SetFinishText(LPCSTR lpszText)
{
    SendMessage(PSM_SETFINISHTEXT, 0, reinterpret_cast<LPARAM>(lpszText));
}
