// CPropertyPage: one page of a property sheet or wizard, from a dialog
// template. The sheet's notifications arrive as the virtual calls below,
// and OnNotify hands their answers back to the sheet.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "CDialog.h"

class CPropertyPage : public CDialog {
    DECLARE_DYNAMIC(CPropertyPage)

public:
    // nIDCaption 0: the page's title is its template's caption.
    explicit CPropertyPage(UINT nIDTemplate, UINT nIDCaption = 0);

    // Each time the page becomes current. TRUE accepts; the base refreshes
    // the controls from the data on every activation but the first.
    virtual BOOL OnSetActive();
    // Before the page is left. TRUE lets it go; the base saves the controls' data.
    virtual BOOL OnKillActive();
    // Back and Next in a wizard: 0 moves to the neighbouring page, -1 stays,
    // a dialog id moves to that page.
    virtual LRESULT OnWizardBack();
    virtual LRESULT OnWizardNext();
    // Finish in a wizard: TRUE lets the wizard close.
    virtual BOOL OnWizardFinish();
    // Cancel, the close box or Escape: TRUE lets the sheet close.
    virtual BOOL OnQueryCancel();

    // The page as the system takes it; the framework sets PSP_HASHELP, so a
    // page without Help clears it. The first layout, the only one the common
    // controls of Windows 95 and NT 4.0 accept.
    PROPSHEETPAGEA_V1 m_psp;

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    // A page does not end anything itself: the sheet owns OK and Cancel.
    void OnOK() override {}
    void OnCancel() override {}

private:
    // Back, Next or Finish; a failure that escapes the handler refuses the
    // move and is told to the user.
    LRESULT OnWizardButton(UINT nCode);
    static UINT CALLBACK PageCallback(HWND hWnd, UINT uMsg, LPPROPSHEETPAGEA ppsp);

    CString m_strCaption;
    BOOL m_bFirstSetActive;
};
