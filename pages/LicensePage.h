// CLicensePage: shows license.txt beside the program, read only, on the
// window colour. Part of the wizard only when that file exists.
#pragma once
#include "framework/CPropertyPage.h"

// The full path of license.txt beside the program, or empty text when no
// file or directory of that name is there.
CString GetLicenseFilePath();

class CLicensePage : public CPropertyPage {
    DECLARE_DYNAMIC(CLicensePage)

public:
    CLicensePage();
    ~CLicensePage() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    BOOL OnQueryCancel() override;
    LRESULT OnWizardNext() override;
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) override;

    HBRUSH m_hWindowBrush;

private:
    void LoadLicenseText();
};
