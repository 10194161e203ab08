#include "DriveSelectPage.h"

#include "WizardPage.h"
#include "res/resource.h"

IMPLEMENT_DYNAMIC(CDriveSelectPage, CPropertyPage)

CDriveSelectPage::CDriveSelectPage(DriveList* pDrives)
    : CPropertyPage(IDD_SELECT_DRIVE), m_drives(pDrives)
{
    m_psp.dwFlags &= ~PSP_HASHELP;
}

void CDriveSelectPage::DoDataExchange(CDataExchange*) {}

BOOL CDriveSelectPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    CWnd* pList = GetDlgItem(IDC_DRIVE_LIST);
    if (pList == NULL)
        return TRUE;

    int nSelect = -1;
    m_drives.Reset();
    DriveInfo* pDrive = NULL;
    while (m_drives.Next(&pDrive)) {
        LRESULT nIndex = pList->SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(
                                                                 static_cast<LPCSTR>(pDrive->m_strDisplayName)));
        if (nIndex == LB_ERR || nIndex == LB_ERRSPACE)
            continue;
        pList->SendMessage(LB_SETITEMDATA, nIndex, reinterpret_cast<LPARAM>(pDrive));
        if (pDrive->m_bChosen)
            nSelect = static_cast<int>(nIndex);
    }
    pList->SendMessage(LB_SETCURSEL, nSelect);
    return TRUE;
}

void CDriveSelectPage::OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDIS)
{
    if (lpDIS == NULL || nIDCtl != IDC_DRIVE_LIST) {
        CPropertyPage::OnDrawItem(nIDCtl, lpDIS);
        return;
    }
    // No record behind an empty list's focus rectangle (item -1).
    LRESULT nData = ::SendMessageA(lpDIS->hwndItem, LB_GETITEMDATA, lpDIS->itemID, 0);
    if (nData != 0 && nData != LB_ERR)
        reinterpret_cast<DriveInfo*>(nData)->DrawItem(lpDIS);
}

BOOL CDriveSelectPage::OnSetActive()
{
    SetWizardButtonsFromPage(this, PSWIZB_BACK | PSWIZB_NEXT, SW_SHOW);
    return CPropertyPage::OnSetActive();
}

BOOL CDriveSelectPage::OnQueryCancel()
{
    return ConfirmCancelFromPage(this);
}

LRESULT CDriveSelectPage::OnWizardNext()
{
    CWnd* pList = GetDlgItem(IDC_DRIVE_LIST);
    LRESULT nIndex = pList != NULL ? pList->SendMessage(LB_GETCURSEL) : LB_ERR;
    if (nIndex != LB_ERR) {
        LRESULT nData = pList->SendMessage(LB_GETITEMDATA, nIndex);
        if (nData != 0 && nData != LB_ERR)
            m_drives.m_pList->ChooseDrive(reinterpret_cast<DriveInfo*>(nData));
    }
    return 0;
}
