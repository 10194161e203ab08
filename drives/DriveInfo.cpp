#include "DriveInfo.h"

#include <shellapi.h>

DriveInfo::DriveInfo()
    : m_chLetter('?'), m_hIcon(NULL), m_hSelectedIcon(NULL), m_bChosen(FALSE)
{
}

BOOL DriveInfo::InitFromRoot(LPCSTR lpszRoot)
{
    if (lpszRoot == NULL || *lpszRoot == '\0')
        return FALSE;

    m_strRoot = lpszRoot;
    // With a zero high word CharUpperA converts the one character it is given.
    m_chLetter = static_cast<char>(reinterpret_cast<UINT_PTR>(
        ::CharUpperA(reinterpret_cast<LPSTR>(static_cast<UINT_PTR>(static_cast<BYTE>(lpszRoot[0]))))));

    SHFILEINFOA sfi = {};
    ::SHGetFileInfoA(m_strRoot, 0, &sfi, sizeof(sfi),
                     SHGFI_ICON | SHGFI_DISPLAYNAME | SHGFI_TYPENAME | SHGFI_SMALLICON);
    m_strDisplayName = sfi.szDisplayName;
    m_hIcon = sfi.hIcon;

    SHFILEINFOA sfiSelected = {};
    ::SHGetFileInfoA(m_strRoot, 0, &sfiSelected, sizeof(sfiSelected),
                     SHGFI_ICON | SHGFI_SMALLICON | SHGFI_SELECTED);
    m_hSelectedIcon = sfiSelected.hIcon;

    return !m_strDisplayName.IsEmpty() && m_hIcon != NULL && m_hSelectedIcon != NULL;
}

void DriveInfo::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) const
{
    HDC hDC = lpDrawItemStruct->hDC;
    if (hDC == NULL)
        return;

    RECT rcItem = lpDrawItemStruct->rcItem;
    int nHeight = rcItem.bottom - rcItem.top;
    SIZE sizeText = {0, 0};
    ::GetTextExtentPoint32A(hDC, m_strDisplayName, m_strDisplayName.GetLength(), &sizeText);

    BOOL bSelected = (lpDrawItemStruct->itemState & ODS_SELECTED) != 0;
    HICON hIcon = bSelected ? m_hSelectedIcon : m_hIcon;
    ::SetBkColor(hDC, ::GetSysColor(bSelected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    ::SetTextColor(hDC, ::GetSysColor(bSelected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));

    // The opaque rectangle fills the whole item, so no separate erase is needed.
    ::ExtTextOutA(hDC, rcItem.left + 24, rcItem.top + (nHeight - sizeText.cy) / 2, ETO_OPAQUE,
                  &rcItem, m_strDisplayName, m_strDisplayName.GetLength(), NULL);
    ::DrawIconEx(hDC, rcItem.left + 4, rcItem.top + (nHeight - 16) / 2, hIcon, 16, 16, 0, NULL,
                 DI_NORMAL);

    if (lpDrawItemStruct->itemState & ODS_FOCUS)
        ::DrawFocusRect(hDC, &rcItem);
}
