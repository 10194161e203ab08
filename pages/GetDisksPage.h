// CGetDisksPage: tells how many blank disks the chosen ones need; Next
// builds them, and only a complete build moves the wizard on.
#pragma once
#include "drives/DriveList.h"
#include "framework/CPropertyPage.h"
#include "package/PackageInfo.h"

class CGetDisksPage : public CPropertyPage {
    DECLARE_DYNAMIC(CGetDisksPage)

public:
    CGetDisksPage(PackageInfo* pPackage, DriveList* pDrives);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    BOOL OnQueryCancel() override;
    LRESULT OnWizardNext() override;

    // Checks the chosen disks before any floppy is asked for; TRUE when
    // they are clean or the user chooses to build them anyway.
    BOOL ConfirmPackageProblems();

    PackageInfo* m_pPackage;
    DriveList* m_pDrives;
};
