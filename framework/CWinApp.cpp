#include "CWinApp.h"

#include <windows.h>
#include <commctrl.h>

namespace {
CWinApp* g_pApp = NULL;
}

CWinApp::CWinApp() : m_hInstance(NULL), m_lpCmdLine(""), m_nCmdShow(SW_SHOWNORMAL), m_pMainWnd(NULL)
{
    g_pApp = this;
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = NULL;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::Run()
{
    MSG msg;
    while (::GetMessageA(&msg, NULL, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return ExitInstance();
}

int CWinApp::ExitInstance()
{
    return 0;
}

CWinApp* AfxGetApp()
{
    return g_pApp;
}

CWnd* AfxGetMainWnd()
{
    return g_pApp != NULL ? g_pApp->m_pMainWnd : NULL;
}

LPCSTR AfxCommandLineTail(LPCSTR lpszCommandLine)
{
    LPCSTR p = lpszCommandLine;
    if (*p == '"') {
        // A quoted program name ends at its closing quote.
        for (++p; *p != '\0' && *p != '"'; p = ::CharNextA(p)) {
        }
        if (*p == '"')
            ++p;
    } else {
        while (static_cast<unsigned char>(*p) > ' ')
            p = ::CharNextA(p);
    }
    while (*p != '\0' && static_cast<unsigned char>(*p) <= ' ')
        ++p;
    return p;
}

int AfxWinMain(HINSTANCE hInstance, int nCmdShow)
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == NULL)
        return -1;
    pApp->m_hInstance = hInstance;
    pApp->m_lpCmdLine = AfxCommandLineTail(::GetCommandLineA());
    pApp->m_nCmdShow = nCmdShow;
    ::InitCommonControls();
    if (!pApp->InitInstance())
        return pApp->ExitInstance();
    return pApp->Run();
}
