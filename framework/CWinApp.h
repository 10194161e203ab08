// CWinApp: the one application object, and the process entry that runs it.
#pragma once
#include <windows.h>

#include "CWnd.h"

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Start-up; FALSE ends the process without entering Run.
    virtual BOOL InitInstance();
    // The message loop; its result is the exit code.
    virtual int Run();
    // Called as the process ends; its result is the exit code.
    virtual int ExitInstance();

    HINSTANCE m_hInstance;
    // What followed the program's name on the command line, blanks before
    // it skipped, otherwise exactly as given (quotes included).
    LPCSTR m_lpCmdLine;
    int m_nCmdShow;
    CWnd* m_pMainWnd;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// The text after the program's name in a full command line.
// C linkage: the release programs' start-up, in C, splits with it too.
extern "C" LPCSTR AfxCommandLineTail(LPCSTR lpszCommandLine);
int AfxWinMain(HINSTANCE hInstance, int nCmdShow);
