// CDialog: a modal dialog from a dialog template; CDataExchange and
// DDX_Control bind a control of the dialog to a C++ object.
#pragma once
#include "CWnd.h"

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd)
    {
    }
    BOOL m_bSaveAndValidate;  // TRUE: controls to data; FALSE: data to controls
    CWnd* m_pDlgWnd;
};

// Subclasses control nIDC so that rControl receives its messages.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)

public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = NULL);

    // The template's button or EndDialog value; -1 when the dialog could not be created.
    virtual INT_PTR DoModal();
    void EndDialog(int nResult);
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

protected:
    // WM_INITDIALOG; the base runs DoDataExchange. TRUE puts the focus on
    // the first control that takes it.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual void OnOK();      // IDOK: the base ends the dialog with IDOK
    virtual void OnCancel();  // IDCANCEL: the base ends the dialog with IDCANCEL

    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    // The top-level window a modal dialog is owned by.
    HWND GetSafeOwner() const;

    // Every message reaches the object through its subclassed window
    // procedure first, so the dialog procedure itself has nothing to do.
    static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM);

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
};
