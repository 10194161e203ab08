// CWnd: a C++ object attached to a window.
//
// How messages reach handlers: every window the framework creates (dialogs,
// property sheets and pages) or subclasses (controls bound to objects) runs
// CWnd::StdWndProc, which finds the object and calls its virtual
// WindowProc. OnWndMsg there turns each message into a call of a virtual
// handler with the framework's name (OnCreate, OnPaint, ...). A handler that
// is not overridden, or an override that wants the usual behaviour, calls
// Default(), which hands the message being handled to the window's own
// procedure (the dialog manager, the property sheet, the list box).
//
// The object is attached before the window's first message: the creator
// calls HookWindowCreate(this) just before the system creates the window,
// and a CBT hook subclasses the new window as soon as it exists.
#pragma once
#include <windows.h>

#include "CDC.h"
#include "CObject.h"
#include "CString.h"

class CWnd : public CObject {
    DECLARE_DYNAMIC(CWnd)

public:
    CWnd();
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // The object attached to hWnd, or a temporary wrapper for a window that
    // has none (such as a control or a window of another class). Temporary
    // wrappers live until the outermost message handler returns.
    static CWnd* FromHandle(HWND hWnd);
    static CWnd* FromHandlePermanent(HWND hWnd);

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return GetSafeHwnd(); }

    // Routes an existing window's messages through this object.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);

    // The next dialog-class window created on this thread belongs to pWnd.
    static void HookWindowCreate(CWnd* pWnd);
    static void UnhookWindowCreate();

    // Thin wrappers over the window functions of the same names.
    CWnd* GetParent() const;
    CWnd* GetDlgItem(int nID) const;
    int GetDlgCtrlID() const;
    void SetWindowText(LPCSTR lpszString);
    CString GetWindowText() const;
    void SetDlgItemText(int nID, LPCSTR lpszString);
    BOOL ShowWindow(int nCmdShow);
    BOOL IsWindowVisible() const;
    BOOL EnableWindow(BOOL bEnable = TRUE);
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    void GetWindowRect(LPRECT lpRect) const;
    void GetClientRect(LPRECT lpRect) const;
    void ScreenToClient(LPRECT lpRect) const;
    CWnd* SetFocus();
    void Invalidate(BOOL bErase = TRUE);
    DWORD GetStyle() const;
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT SendDlgItemMessage(int nID, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    int MessageBox(LPCSTR lpszText, LPCSTR lpszCaption = NULL, UINT nType = MB_OK);
    HMENU GetSystemMenu(BOOL bRevert) const;
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse);
    BOOL KillTimer(UINT_PTR nIDEvent);

    HWND m_hWnd;

protected:
    // Dispatches one message; the base calls OnWndMsg and, for what that
    // leaves unhandled, DefWindowProc.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // TRUE when a handler took the message; *pResult is then its answer.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // The window's own procedure for the message being handled.
    LRESULT Default();
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // A child's notification (owner drawing, WM_NOTIFY) offered to the
    // child's own object first; TRUE when it took it.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // WM_COMMAND: TRUE when handled.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // WM_NOTIFY: TRUE when handled, with the answer in *pResult.
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);

    // Handlers; each base version does what the window would do by itself.
    virtual int OnCreate(LPCREATESTRUCT lpCreateStruct);  // -1 cancels creation
    virtual void OnSysCommand(UINT nID, LPARAM lParam);
    virtual BOOL OnHelpInfo(HELPINFO* pHelpInfo);  // TRUE: help was given
    virtual void OnPaint();
    virtual void OnTimer(UINT_PTR nIDEvent);
    // nCtlColor is a CTLCOLOR_ kind; returns the background brush.
    virtual HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    virtual void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
    // Called after the window is gone (WM_NCDESTROY); the object is detached.
    virtual void PostNcDestroy();
    // Called when an existing window is about to be routed through this object.
    virtual void PreSubclassWindow();

private:
    static LRESULT CALLBACK StdWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK CreationHook(int nCode, WPARAM wParam, LPARAM lParam);
    void Attach(HWND hWnd);
    void Detach();

    WNDPROC m_pfnSuper;  // the window's own procedure before we subclassed it
};
