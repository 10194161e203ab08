// CCompletePage: the last page; reports success and ends the wizard with a
// single "Done" button where Cancel was.
#pragma once
#include "framework/CPropertyPage.h"

class CCompletePage : public CPropertyPage {
    DECLARE_DYNAMIC(CCompletePage)

public:
    explicit CCompletePage(const CString& productName);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    BOOL OnQueryCancel() override;

    CString m_strName;
};
