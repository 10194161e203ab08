#include "CWnd.h"

#include <cstring>
#include <utility>

#include "CArray.h"
#include "CException.h"

IMPLEMENT_DYNAMIC(CWnd, CObject)

namespace {
// A handful of windows at a time: a list searched in order is quick enough.
class CHandleMap {
public:
    struct Entry {
        HWND hWnd;
        CWnd* pWnd;
    };

    int GetSize() const { return m_entries.GetSize(); }
    const Entry& GetAt(int nIndex) const { return m_entries.GetAt(nIndex); }
    CWnd* Lookup(HWND hWnd) const
    {
        int nIndex = Find(hWnd);
        return nIndex >= 0 ? m_entries.GetAt(nIndex).pWnd : NULL;
    }
    // The entry of hWnd, made empty if there is none.
    CWnd*& operator[](HWND hWnd)
    {
        int nIndex = Find(hWnd);
        if (nIndex < 0)
            nIndex = m_entries.Add(Entry{hWnd, NULL});
        return m_entries[nIndex].pWnd;
    }
    void RemoveKey(HWND hWnd)
    {
        int nIndex = Find(hWnd);
        if (nIndex < 0)
            return;
        int nLast = m_entries.GetSize() - 1;
        m_entries[nIndex] = m_entries[nLast];
        m_entries.SetSize(nLast);
    }

private:
    int Find(HWND hWnd) const
    {
        for (int i = 0; i < m_entries.GetSize(); ++i) {
            if (m_entries.GetAt(i).hWnd == hWnd)
                return i;
        }
        return -1;
    }

    CArray<Entry> m_entries;
};

// One GUI thread: plain statics are enough.
CHandleMap g_permanent;
CHandleMap g_temporary;
int g_nDispatchDepth = 0;
MSG g_current = {};  // the message being handled, for Default()

CWnd* g_pWndInit = NULL;  // waits for its window to be created
HHOOK g_hCreationHook = NULL;

void DeleteTemporaries()
{
    CHandleMap temporaries(std::move(g_temporary));
    for (int i = 0; i < temporaries.GetSize(); ++i) {
        temporaries.GetAt(i).pWnd->m_hWnd = NULL;
        delete temporaries.GetAt(i).pWnd;
    }
}
}  // namespace

CWnd::CWnd() : m_hWnd(NULL), m_pfnSuper(NULL) {}

CWnd::~CWnd()
{
    // An object that goes before its window hands the window back.
    if (m_hWnd != NULL && FromHandlePermanent(m_hWnd) == this)
        Detach();
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    return g_permanent.Lookup(hWnd);
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    if (hWnd == NULL)
        return NULL;
    if (CWnd* pWnd = FromHandlePermanent(hWnd))
        return pWnd;
    CWnd*& pTemp = g_temporary[hWnd];
    if (pTemp == NULL) {
        pTemp = new CWnd;
        pTemp->m_hWnd = hWnd;
    }
    return pTemp;
}

void CWnd::Attach(HWND hWnd)
{
    m_hWnd = hWnd;
    g_permanent[hWnd] = this;
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StdWndProc)));
}

void CWnd::Detach()
{
    if (m_pfnSuper != NULL)
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    g_permanent.RemoveKey(m_hWnd);
    m_pfnSuper = NULL;
    m_hWnd = NULL;
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (hWnd == NULL || m_hWnd != NULL || FromHandlePermanent(hWnd) != NULL)
        return FALSE;
    Attach(hWnd);
    PreSubclassWindow();
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    return SubclassWindow(::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID)));
}

void CWnd::HookWindowCreate(CWnd* pWnd)
{
    if (g_hCreationHook == NULL)
        g_hCreationHook = ::SetWindowsHookExA(WH_CBT, CreationHook, NULL, ::GetCurrentThreadId());
    g_pWndInit = pWnd;
}

void CWnd::UnhookWindowCreate()
{
    if (g_hCreationHook != NULL) {
        ::UnhookWindowsHookEx(g_hCreationHook);
        g_hCreationHook = NULL;
    }
    g_pWndInit = NULL;
}

LRESULT CALLBACK CWnd::CreationHook(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HCBT_CREATEWND && g_pWndInit != NULL) {
        // Dialogs, sheets and pages are all of the dialog class; anything
        // else made first (an input method window) is not ours.
        HWND hWnd = reinterpret_cast<HWND>(wParam);
        char szClass[16] = "";
        ::GetClassNameA(hWnd, szClass, sizeof(szClass));
        if (strcmp(szClass, "#32770") == 0) {
            CWnd* pWnd = g_pWndInit;
            UnhookWindowCreate();
            pWnd->Attach(hWnd);
            return 0;
        }
    }
    return ::CallNextHookEx(g_hCreationHook, nCode, wParam, lParam);
}

LRESULT CALLBACK CWnd::StdWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = FromHandlePermanent(hWnd);
    if (pWnd == NULL)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);

    MSG saved = g_current;
    g_current.hwnd = hWnd;
    g_current.message = message;
    g_current.wParam = wParam;
    g_current.lParam = lParam;
    ++g_nDispatchDepth;

    LRESULT lResult = 0;
    try {
        lResult = pWnd->WindowProc(message, wParam, lParam);
    } catch (CException* e) {
        // Exceptions cannot unwind through the system's dispatch frames;
        // a handler that lets one escape loses only this message.
        e->Delete();
    }

    --g_nDispatchDepth;
    g_current = saved;

    if (message == WM_NCDESTROY && FromHandlePermanent(hWnd) == pWnd) {
        pWnd->Detach();
        pWnd->PostNcDestroy();
    }
    if (g_nDispatchDepth == 0)
        DeleteTemporaries();
    return lResult;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT lResult = 0;
    if (!OnWndMsg(message, wParam, lParam, &lResult))
        lResult = DefWindowProc(message, wParam, lParam);
    return lResult;
}

LRESULT CWnd::Default()
{
    return DefWindowProc(g_current.message, g_current.wParam, g_current.lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper != NULL)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    switch (message) {
    case WM_CREATE:
        *pResult = OnCreate(reinterpret_cast<LPCREATESTRUCT>(lParam));
        return TRUE;
    case WM_SYSCOMMAND:
        OnSysCommand(static_cast<UINT>(wParam), lParam);
        return TRUE;
    case WM_HELP:
        *pResult = OnHelpInfo(reinterpret_cast<HELPINFO*>(lParam));
        return TRUE;
    case WM_PAINT:
        OnPaint();
        return TRUE;
    case WM_TIMER:
        OnTimer(wParam);
        return TRUE;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
        CDC dc(reinterpret_cast<HDC>(wParam));
        *pResult = reinterpret_cast<LRESULT>(OnCtlColor(
            &dc, FromHandle(reinterpret_cast<HWND>(lParam)), message - WM_CTLCOLORMSGBOX));
        return TRUE;
    }
    case WM_DRAWITEM: {
        auto* lpDIS = reinterpret_cast<LPDRAWITEMSTRUCT>(lParam);
        if (lpDIS != NULL && lpDIS->CtlType != ODT_MENU) {
            CWnd* pChild = FromHandlePermanent(lpDIS->hwndItem);
            if (pChild != NULL && pChild->OnChildNotify(message, wParam, lParam, pResult))
                return TRUE;
        }
        OnDrawItem(static_cast<int>(wParam), lpDIS);
        *pResult = TRUE;
        return TRUE;
    }
    case WM_COMMAND: {
        CWnd* pChild = FromHandlePermanent(reinterpret_cast<HWND>(lParam));
        if (pChild != NULL && pChild->OnChildNotify(message, wParam, lParam, pResult))
            return TRUE;
        return OnCommand(wParam, lParam);
    }
    case WM_NOTIFY: {
        auto* pNMHDR = reinterpret_cast<NMHDR*>(lParam);
        CWnd* pChild = FromHandlePermanent(pNMHDR->hwndFrom);
        if (pChild != NULL && pChild->OnChildNotify(message, wParam, lParam, pResult))
            return TRUE;
        return OnNotify(wParam, lParam, pResult);
    }
    }
    return FALSE;
}

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*)
{
    return FALSE;
}

BOOL CWnd::OnCommand(WPARAM, LPARAM)
{
    return FALSE;
}

BOOL CWnd::OnNotify(WPARAM, LPARAM, LRESULT*)
{
    return FALSE;
}

int CWnd::OnCreate(LPCREATESTRUCT)
{
    return static_cast<int>(Default());
}

void CWnd::OnSysCommand(UINT, LPARAM)
{
    Default();
}

BOOL CWnd::OnHelpInfo(HELPINFO*)
{
    return static_cast<BOOL>(Default());
}

void CWnd::OnPaint()
{
    Default();
}

void CWnd::OnTimer(UINT_PTR)
{
    Default();
}

HBRUSH CWnd::OnCtlColor(CDC*, CWnd*, UINT)
{
    return reinterpret_cast<HBRUSH>(Default());
}

void CWnd::OnDrawItem(int, LPDRAWITEMSTRUCT)
{
    Default();
}

void CWnd::PostNcDestroy() {}

void CWnd::PreSubclassWindow() {}

CWnd* CWnd::GetParent() const
{
    return FromHandle(::GetParent(m_hWnd));
}

CWnd* CWnd::GetDlgItem(int nID) const
{
    return FromHandle(::GetDlgItem(m_hWnd, nID));
}

int CWnd::GetDlgCtrlID() const
{
    return ::GetDlgCtrlID(m_hWnd);
}

void CWnd::SetWindowText(LPCSTR lpszString)
{
    ::SetWindowTextA(m_hWnd, lpszString);
}

CString CWnd::GetWindowText() const
{
    CString strText;
    int nLength = ::GetWindowTextLengthA(m_hWnd);
    ::GetWindowTextA(m_hWnd, strText.GetBuffer(nLength), nLength + 1);
    strText.ReleaseBuffer();
    return strText;
}

void CWnd::SetDlgItemText(int nID, LPCSTR lpszString)
{
    ::SetDlgItemTextA(m_hWnd, nID, lpszString);
}

BOOL CWnd::ShowWindow(int nCmdShow)
{
    return ::ShowWindow(m_hWnd, nCmdShow);
}

BOOL CWnd::IsWindowVisible() const
{
    return ::IsWindowVisible(m_hWnd);
}

BOOL CWnd::EnableWindow(BOOL bEnable)
{
    return ::EnableWindow(m_hWnd, bEnable);
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint)
{
    ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
}

void CWnd::GetWindowRect(LPRECT lpRect) const
{
    ::GetWindowRect(m_hWnd, lpRect);
}

void CWnd::GetClientRect(LPRECT lpRect) const
{
    ::GetClientRect(m_hWnd, lpRect);
}

void CWnd::ScreenToClient(LPRECT lpRect) const
{
    ::MapWindowPoints(NULL, m_hWnd, reinterpret_cast<LPPOINT>(lpRect), 2);
}

CWnd* CWnd::SetFocus()
{
    return FromHandle(::SetFocus(m_hWnd));
}

void CWnd::Invalidate(BOOL bErase)
{
    ::InvalidateRect(m_hWnd, NULL, bErase);
}

DWORD CWnd::GetStyle() const
{
    return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_STYLE));
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::SendDlgItemMessage(int nID, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::SendDlgItemMessageA(m_hWnd, nID, message, wParam, lParam);
}

int CWnd::MessageBox(LPCSTR lpszText, LPCSTR lpszCaption, UINT nType)
{
    return ::MessageBoxA(m_hWnd, lpszText, lpszCaption, nType);
}

HMENU CWnd::GetSystemMenu(BOOL bRevert) const
{
    return ::GetSystemMenu(m_hWnd, bRevert);
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon)
{
    return reinterpret_cast<HICON>(::SendMessageA(m_hWnd, WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL,
                                                  reinterpret_cast<LPARAM>(hIcon)));
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse)
{
    return ::SetTimer(m_hWnd, nIDEvent, nElapse, NULL);
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent)
{
    return ::KillTimer(m_hWnd, nIDEvent);
}
