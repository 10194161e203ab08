#include "WizardPage.h"

#include "app/QuorvaneDlg.h"

void SetWizardButtonsFromPage(CPropertyPage* pPage, DWORD dwButtons, int nBackShow)
{
    CPropertySheet* pSheet = DYNAMIC_DOWNCAST(CPropertySheet, pPage->GetParent());
    if (pSheet == NULL)
        return;
    pSheet->SetWizardButtons(dwButtons);
    if (CWnd* pBack = pSheet->GetDlgItem(ID_WIZBACK))
        pBack->ShowWindow(nBackShow);
}

BOOL ConfirmCancelFromPage(CPropertyPage* pPage)
{
    CQuorvaneDlg* pSheet = DYNAMIC_DOWNCAST(CQuorvaneDlg, pPage->GetParent());
    return pSheet != NULL ? pSheet->ConfirmCancel() : TRUE;
}
