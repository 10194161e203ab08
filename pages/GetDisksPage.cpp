#include "GetDisksPage.h"

#include "WizardPage.h"
#include "builder/DiskBuilder.h"
#include "package/PackageCheck.h"
#include "res/resource.h"

IMPLEMENT_DYNAMIC(CGetDisksPage, CPropertyPage)

CGetDisksPage::CGetDisksPage(PackageInfo* pPackage, DriveList* pDrives)
    : CPropertyPage(IDD_GET_DISKS), m_pPackage(pPackage), m_pDrives(pDrives)
{
    m_psp.dwFlags &= ~PSP_HASHELP;
}

void CGetDisksPage::DoDataExchange(CDataExchange*) {}

BOOL CGetDisksPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    SendDlgItemMessage(IDC_VERIFY, BM_SETCHECK, m_pPackage->GetVerifyDisks() ? BST_CHECKED : BST_UNCHECKED);
    SendDlgItemMessage(IDC_ERASE_USED, BM_SETCHECK, m_pPackage->GetEraseUsed() ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

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
    if (!ConfirmPackageProblems())
        return -1;
    // The build shows its own messages; anything short of every disk
    // written leaves the user here, free to try again.
    DiskBuilder builder(m_pPackage, m_pDrives);
    builder.SetVerify(SendDlgItemMessage(IDC_VERIFY, BM_GETCHECK) == BST_CHECKED);
    builder.SetEraseUsed(SendDlgItemMessage(IDC_ERASE_USED, BM_GETCHECK) == BST_CHECKED);
    return builder.Build(this) ? 0 : -1;
}

BOOL CGetDisksPage::ConfirmPackageProblems()
{
    // A missing file or a disk too full is cheaper to learn now than in the
    // middle of a disk, after others were written.
    PackageCheck check;
    check.Run(m_pPackage, m_pPackage->GetDiskImagesDir(), TRUE);
    if (check.IsClean())
        return TRUE;

    // A box taller than a 640 x 480 screen would hide its own buttons.
    const int kMostShown = 6;
    CString strList;
    int nProblems = check.m_problems.GetSize();
    for (int i = 0; i < nProblems && i < kMostShown; ++i)
        strList += check.m_problems[i] + "\n\n";
    if (nProblems > kMostShown) {
        CString strMore;
        strMore.Format(IDS_CHECK_MORE, nProblems - kMostShown);
        strList += strMore + "\n\n";
    }
    CString strText, strCaption;
    strText.Format(IDS_CHECK_PROBLEMS, static_cast<LPCSTR>(strList));
    strCaption.LoadString(IDS_CHECK_PROBLEMS_CAPTION);
    return MessageBox(strText, strCaption, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}
