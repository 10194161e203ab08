// CAboutDlg: the About box, opened from the wizard's system menu.
#pragma once
#include "framework/CDialog.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();
};
