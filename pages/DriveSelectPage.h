// CDriveSelectPage: the removable drives with their shell icons and names;
// Next makes the selected one the drive the disks are written to.
#pragma once
#include "drives/DriveList.h"
#include "framework/CPropertyPage.h"

class CDriveSelectPage : public CPropertyPage {
    DECLARE_DYNAMIC(CDriveSelectPage)

public:
    explicit CDriveSelectPage(DriveList* pDrives);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    BOOL OnQueryCancel() override;
    LRESULT OnWizardNext() override;
    void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct) override;

    DriveCursor m_drives;
};
