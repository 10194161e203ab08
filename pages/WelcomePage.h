// CWelcomePage: the first page; greets the user with the product name.
#pragma once
#include "framework/CPropertyPage.h"

class CWelcomePage : public CPropertyPage {
    DECLARE_DYNAMIC(CWelcomePage)

public:
    explicit CWelcomePage(const CString& productName);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    BOOL OnQueryCancel() override;

    CString m_strName;
};
