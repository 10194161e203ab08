// CPropertySheet: a modal property sheet, or wizard, of CPropertyPage objects.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "CArray.h"
#include "CPropertyPage.h"

// The control ids of a wizard sheet's own buttons.
#define ID_WIZBACK 0x3023
#define ID_WIZNEXT 0x3024
#define ID_WIZFINISH 0x3025

class CPropertySheet : public CWnd {
    DECLARE_DYNAMIC(CPropertySheet)

public:
    explicit CPropertySheet(UINT nIDCaption, CWnd* pParentWnd = NULL, UINT iSelectPage = 0);

    // Pages are shown in the order they are added; the sheet does not own them.
    void AddPage(CPropertyPage* pPage);
    int GetPageCount() const { return m_pages.GetSize(); }
    // Runs the sheet until it closes; the system's result.
    virtual INT_PTR DoModal();

    // Posted, so it takes effect after the current notification is answered.
    void SetWizardButtons(DWORD dwFlags);
    void SetFinishText(LPCSTR lpszText);

    // Sized as the first layout, the only one the common controls of
    // Windows 95 and NT 4.0 accept; the fields after pfnCallback are unused.
    PROPSHEETHEADERA m_psh;

private:
    CArray<CPropertyPage*> m_pages;
    CString m_strCaption;
};
