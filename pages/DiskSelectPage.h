// CDiskSelectPage: a check list of the package's disks; Next writes the
// checks into the disks' chosen flags and refuses when none is checked.
#pragma once
#include "framework/CCheckListBox.h"
#include "framework/CPropertyPage.h"
#include "package/PackageInfo.h"

class CDiskSelectPage : public CPropertyPage {
    DECLARE_DYNAMIC(CDiskSelectPage)

public:
    CDiskSelectPage(const CString& productName, PackageInfo* pPackage);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    BOOL OnQueryCancel() override;
    LRESULT OnWizardNext() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    void OnSelectAll();
    void OnClearSelections();

    CString m_strName;
    DiskCursor m_disks;
    CCheckListBox m_checkList;

private:
    void CheckAll(int nCheck);
};
