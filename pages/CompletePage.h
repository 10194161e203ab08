// CCompletePage: the last page; reports success and ends the wizard with a
// single "Done" button where Cancel was.
#pragma once
#include "framework/CPropertyPage.h"

class CCompletePage : public CPropertyPage {
    DECLARE_DYNAMIC(CCompletePage)

public:
    explicit CCompletePage(const CString& productName);

    // TRUE once the page was shown: every chosen disk was built, and the
    // wizard can only end here.
    BOOL m_bReached = FALSE;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    BOOL OnQueryCancel() override;

    CString m_strName;
};
