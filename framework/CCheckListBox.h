// CCheckListBox: an owner-drawn list box whose items each carry a plain
// two-state check box, drawn by the control itself and toggled with the
// mouse on the box or with the space bar. Bind it to a list box with
// LBS_OWNERDRAWFIXED and LBS_HASSTRINGS through DDX_Control; the parent
// reflects WM_DRAWITEM to it. An item's check is kept as its item data.
#pragma once
#include "CWnd.h"

class CCheckListBox : public CWnd {
public:
    void SetCheck(int nIndex, int nCheck);  // 0 unchecked, 1 checked
    int GetCheck(int nIndex);

protected:
    void PreSubclassWindow() override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);

private:
    void ToggleCheck(int nIndex);
    // The check box's square within an item.
    RECT CheckBoxRect(const RECT& rcItem) const;
};
