// CDC: a device context handed to control-colour handlers.
#pragma once
#include <windows.h>

class CDC {
public:
    explicit CDC(HDC hDC = NULL) : m_hDC(hDC) {}
    HDC GetSafeHdc() const { return m_hDC; }
    COLORREF SetBkColor(COLORREF color) { return ::SetBkColor(m_hDC, color); }
    COLORREF SetTextColor(COLORREF color) { return ::SetTextColor(m_hDC, color); }

    HDC m_hDC;
};
