#include "CCheckListBox.h"

#include <windowsx.h>

namespace {
const int kBoxSize = 13;
const int kBoxMargin = 2;
}

void CCheckListBox::SetCheck(int nIndex, int nCheck)
{
    if (SendMessage(LB_SETITEMDATA, nIndex, nCheck != 0) == LB_ERR)
        return;
    RECT rcItem;
    if (SendMessage(LB_GETITEMRECT, nIndex, reinterpret_cast<LPARAM>(&rcItem)) != LB_ERR)
        ::InvalidateRect(m_hWnd, &rcItem, FALSE);
}

int CCheckListBox::GetCheck(int nIndex)
{
    LRESULT nData = SendMessage(LB_GETITEMDATA, nIndex);
    return nData == LB_ERR ? 0 : static_cast<int>(nData);
}

void CCheckListBox::ToggleCheck(int nIndex)
{
    SetCheck(nIndex, !GetCheck(nIndex));
}

void CCheckListBox::PreSubclassWindow()
{
    // The list asked its parent for the item height before it was ours:
    // make room for the text and the box.
    HDC hDC = ::GetDC(m_hWnd);
    HGDIOBJ hOld = ::SelectObject(hDC, reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)));
    TEXTMETRICA tm;
    ::GetTextMetricsA(hDC, &tm);
    ::SelectObject(hDC, hOld);
    ::ReleaseDC(m_hWnd, hDC);
    int nHeight = tm.tmHeight + 2 > kBoxSize + 2 ? tm.tmHeight + 2 : kBoxSize + 2;
    SendMessage(LB_SETITEMHEIGHT, 0, nHeight);
}

RECT CCheckListBox::CheckBoxRect(const RECT& rcItem) const
{
    int nTop = rcItem.top + (rcItem.bottom - rcItem.top - kBoxSize) / 2;
    RECT rcBox = {rcItem.left + kBoxMargin, nTop, rcItem.left + kBoxMargin + kBoxSize, nTop + kBoxSize};
    return rcBox;
}

BOOL CCheckListBox::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        LRESULT nHit = SendMessage(LB_ITEMFROMPOINT, 0, lParam);
        RECT rcItem;
        if (HIWORD(nHit) == 0 &&
            SendMessage(LB_GETITEMRECT, LOWORD(nHit), reinterpret_cast<LPARAM>(&rcItem)) != LB_ERR) {
            RECT rcBox = CheckBoxRect(rcItem);
            if (pt.x >= rcItem.left && pt.x < rcBox.right + kBoxMargin)
                ToggleCheck(LOWORD(nHit));
        }
        *pResult = Default();  // the click also selects the item
        return TRUE;
    }
    case WM_KEYDOWN:
        if (wParam == VK_SPACE) {
            LRESULT nCaret = SendMessage(LB_GETCARETINDEX);
            if (nCaret != LB_ERR)
                ToggleCheck(static_cast<int>(nCaret));
            return TRUE;
        }
        break;
    case WM_CHAR:
        // Not a search for an item starting with a blank.
        if (wParam == ' ')
            return TRUE;
        break;
    }
    return CWnd::OnWndMsg(message, wParam, lParam, pResult);
}

BOOL CCheckListBox::OnChildNotify(UINT message, WPARAM, LPARAM lParam, LRESULT* pResult)
{
    if (message != WM_DRAWITEM)
        return FALSE;
    DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
    *pResult = TRUE;
    return TRUE;
}

void CCheckListBox::DrawItem(LPDRAWITEMSTRUCT lpDIS)
{
    HDC hDC = lpDIS->hDC;
    RECT rcItem = lpDIS->rcItem;
    if (lpDIS->itemID == static_cast<UINT>(-1)) {  // an empty list showing the focus
        if (lpDIS->itemState & ODS_FOCUS)
            ::DrawFocusRect(hDC, &rcItem);
        return;
    }

    RECT rcBox = CheckBoxRect(rcItem);
    RECT rcText = rcItem;
    rcText.left = rcBox.right + kBoxMargin;
    ::FillRect(hDC, &rcItem, ::GetSysColorBrush(COLOR_WINDOW));
    UINT nState = DFCS_BUTTONCHECK | (GetCheck(static_cast<int>(lpDIS->itemID)) ? DFCS_CHECKED : 0);
    ::DrawFrameControl(hDC, &rcBox, DFC_BUTTON, nState);

    BOOL bSelected = (lpDIS->itemState & ODS_SELECTED) != 0;
    ::SetBkColor(hDC, ::GetSysColor(bSelected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    ::SetTextColor(hDC, ::GetSysColor(bSelected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    char szText[512] = "";
    LRESULT nLength = SendMessage(LB_GETTEXTLEN, lpDIS->itemID);
    if (nLength != LB_ERR && nLength < static_cast<LRESULT>(sizeof(szText)))
        SendMessage(LB_GETTEXT, lpDIS->itemID, reinterpret_cast<LPARAM>(szText));
    else
        nLength = 0;
    SIZE sizeText = {0, 0};
    ::GetTextExtentPoint32A(hDC, szText, static_cast<int>(nLength), &sizeText);
    ::ExtTextOutA(hDC, rcText.left + 1, rcText.top + (rcText.bottom - rcText.top - sizeText.cy) / 2,
                  ETO_OPAQUE, &rcText, szText, static_cast<UINT>(nLength), NULL);
    if (lpDIS->itemState & ODS_FOCUS)
        ::DrawFocusRect(hDC, &rcText);
}
