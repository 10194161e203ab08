#include "GetDisksPage.h"

#include "WizardPage.h"
#include "builder/DiskBuilder.h"
#include "res/resource.h"

IMPLEMENT_DYNAMIC(CGetDisksPage, CPropertyPage)

CGetDisksPage::CGetDisksPage(PackageInfo* pPackage, DriveList* pDrives)
    : CPropertyPage(IDD_GET_DISKS), m_pPackage(pPackage), m_pDrives(pDrives)
{
    m_psp.dwFlags &= ~PSP_HASHELP;
}

void CGetDisksPage::DoDataExchange(CDataExchange*) {}

BOOL CGetDisksPage::OnSetActive()
{
    SetWizardButtonsFromPage(this, PSWIZB_BACK | PSWIZB_NEXT, SW_SHOW);
    // Counted afresh: the user may have gone back and changed the choice.
    int nDisks = m_pPackage->CountChosenDisks();
    CString strText;
    if (nDisks < 2)
        strText.LoadString(IDS_ONE_DISK_NEEDED);
    else
        strText.Format(IDS_DISKS_NEEDED, nDisks);
    SetDlgItemText(IDC_DISK_COUNT, strText);
    return CPropertyPage::OnSetActive();
}

BOOL CGetDisksPage::OnQueryCancel()
{
    return ConfirmCancelFromPage(this);
}

LRESULT CGetDisksPage::OnWizardNext()
{
    // The build shows its own messages; anything short of every disk
    // written leaves the user here, free to try again.
    DiskBuilder builder(m_pPackage, m_pDrives);
    return builder.Build(this) ? 0 : -1;
}
