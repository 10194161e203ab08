// CQuorvaneDlg: the wizard sheet. It adds the icon, a minimise box, an
// About entry in the system menu and the quit question to the system's
// wizard, and switches Help off.
#pragma once
#include "framework/CPropertySheet.h"

class CQuorvaneDlg : public CPropertySheet {
    DECLARE_DYNAMIC(CQuorvaneDlg)

public:
    explicit CQuorvaneDlg(CWnd* pParentWnd = NULL);

    // Asks whether to quit; TRUE when the user answers Yes.
    BOOL ConfirmCancel();

protected:
    int OnCreate(LPCREATESTRUCT lpCreateStruct) override;
    void OnSysCommand(UINT nID, LPARAM lParam) override;
    BOOL OnHelpInfo(HELPINFO* pHelpInfo) override;

    HICON m_hIcon;  // a shared resource icon: never destroyed

private:
    void AdjustSystemMenu();
};
