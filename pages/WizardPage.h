// What the wizard's pages share: setting the sheet's buttons on
// activation, and asking the sheet's quit question on Cancel.
#pragma once
#include "framework/CPropertyPage.h"

// When the page's parent is a property sheet: posts the wizard buttons and
// shows or hides the Back button (SW_SHOW or SW_HIDE).
void SetWizardButtonsFromPage(CPropertyPage* pPage, DWORD dwButtons, int nBackShow);
// The quit question of the wizard sheet; TRUE (cancel) with any other parent.
BOOL ConfirmCancelFromPage(CPropertyPage* pPage);
