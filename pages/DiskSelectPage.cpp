#include "DiskSelectPage.h"

#include "WizardPage.h"
#include "res/resource.h"

IMPLEMENT_DYNAMIC(CDiskSelectPage, CPropertyPage)

CDiskSelectPage::CDiskSelectPage(const CString& productName, PackageInfo* pPackage)
    : CPropertyPage(IDD_SELECT_DISKS), m_strName(productName), m_disks(pPackage)
{
    m_psp.dwFlags &= ~PSP_HASHELP;
}

void CDiskSelectPage::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_DISK_LIST, m_checkList);
}

BOOL CDiskSelectPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    m_disks.Reset();
    DiskInfo* pDisk = NULL;
    while (m_disks.Next(&pDisk)) {
        CString strLine;
        strLine.Format(IDS_DISK_LIST_LINE, pDisk->m_nNumber + 1, static_cast<LPCSTR>(m_strName));
        int nIndex = static_cast<int>(m_checkList.SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(
                                                                                  static_cast<LPCSTR>(strLine))));
        m_checkList.SetCheck(nIndex, pDisk->m_bChosen);
    }
    return TRUE;
}

BOOL CDiskSelectPage::OnSetActive()
{
    SetWizardButtonsFromPage(this, PSWIZB_BACK | PSWIZB_NEXT, SW_SHOW);
    return CPropertyPage::OnSetActive();
}

BOOL CDiskSelectPage::OnQueryCancel()
{
    return ConfirmCancelFromPage(this);
}

BOOL CDiskSelectPage::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
        case IDC_SELECT_ALL:
            OnSelectAll();
            return TRUE;
        case IDC_CLEAR_SELECTIONS:
            OnClearSelections();
            return TRUE;
        }
    }
    return CPropertyPage::OnCommand(wParam, lParam);
}

void CDiskSelectPage::CheckAll(int nCheck)
{
    for (int i = 0; i < m_checkList.SendMessage(LB_GETCOUNT); ++i)
        m_checkList.SetCheck(i, nCheck);
}

void CDiskSelectPage::OnSelectAll()
{
    CheckAll(1);
}

void CDiskSelectPage::OnClearSelections()
{
    CheckAll(0);
}

LRESULT CDiskSelectPage::OnWizardNext()
{
    // Every flag is written before the test: after a refusal the package
    // holds no chosen disk until the user checks one.
    int nChosen = 0;
    m_disks.Reset();
    DiskInfo* pDisk = NULL;
    while (m_disks.Next(&pDisk)) {
        pDisk->m_bChosen = m_checkList.GetCheck(pDisk->m_nNumber);
        if (pDisk->m_bChosen)
            ++nChosen;
    }
    if (nChosen > 0)
        return CPropertyPage::OnWizardNext();

    CString strText, strCaption;
    strText.LoadString(IDS_NO_DISK_SELECTED);
    strCaption.LoadString(IDS_SELECT_CAPTION);
    MessageBox(strText, strCaption, MB_OK | MB_ICONEXCLAMATION);
    return -1;
}
