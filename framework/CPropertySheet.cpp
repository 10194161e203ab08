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
    m_pages.Add(pPage);
}

INT_PTR CPropertySheet::DoModal()
{
    CArray<PROPSHEETPAGEA_V1> pages;
    for (int i = 0; i < m_pages.GetSize(); ++i)
        pages.Add(m_pages[i]->m_psp);
    m_psh.nPages = static_cast<UINT>(pages.GetSize());
    m_psh.ppsp = reinterpret_cast<LPCPROPSHEETPAGEA>(pages.IsEmpty() ? NULL : &pages[0]);

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
