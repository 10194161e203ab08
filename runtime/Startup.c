// The process entry of a release program, in place of MinGW's start-up
// object, which is built for a Pentium Pro. It does what our programs ask
// of it: the C run-time's arguments, the static constructors, the main
// function, and exit, which runs the destructors and flushes the streams.
#include <windows.h>
#include <stdlib.h>

typedef struct {
    int newmode;
} StartupInfo;

// MSVCRT.DLL's start-up entries, as every version of it has them.
__declspec(dllimport) void __cdecl __set_app_type(int appType);
__declspec(dllimport) int __cdecl __getmainargs(int* argc, char*** argv, char*** envp, int expandWildcards,
                                                StartupInfo* info);
__declspec(dllimport) _onexit_t __cdecl _onexit(_onexit_t function);

// MinGW's settings (whether arguments are globbed, whether malloc calls the
// new handler) and gcc's constructor runner.
extern int _dowildcard;
extern int _newmode;
void __main(void);
void _fpreset(void);

// A console program has main, a windowed one WinMain.
int main(int argc, char** argv, char** envp) __attribute__((weak));
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
    __attribute__((weak));

enum { CONSOLE_APP = 1, GUI_APP = 2 };

// The framework's split of the command line, so that a program has one.
// Weak: a console program does not link it.
LPCSTR AfxCommandLineTail(LPCSTR lpszCommandLine) __attribute__((weak));

static void __attribute__((noreturn)) Start(int appType)
{
    __set_app_type(appType);
    // The floating-point unit as MinGW's start-up leaves it.
    _fpreset();
    int argc;
    char** argv;
    char** envp;
    StartupInfo info = {_newmode};
    __getmainargs(&argc, &argv, &envp, _dowildcard, &info);
    __main();

    int nResult;
    if (appType == GUI_APP) {
        STARTUPINFOA startup;
        startup.cb = sizeof(startup);
        GetStartupInfoA(&startup);
        int nCmdShow = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
        LPCSTR lpszTail = AfxCommandLineTail != NULL ? AfxCommandLineTail(GetCommandLineA()) : "";
        nResult = WinMain(GetModuleHandleA(NULL), NULL, (LPSTR)lpszTail, nCmdShow);
    } else {
        nResult = main(argc, argv, envp);
    }
    exit(nResult);
}

// The system calls these with its own stack alignment.
__attribute__((force_align_arg_pointer)) void WinMainCRTStartup(void)
{
    Start(GUI_APP);
}

__attribute__((force_align_arg_pointer)) void mainCRTStartup(void)
{
    Start(CONSOLE_APP);
}

// gcc registers the static destructors here; exit runs them.
int atexit(void (*function)(void))
{
    return _onexit((_onexit_t)function) != NULL ? 0 : -1;
}
