// The process entry of a release program, in place of MinGW's start-up
// object, which is built for a Pentium Pro and asks the C run-time DLL for
// the arguments. It does what our programs ask of it: the arguments, the
// static constructors, the main function, and exit, which runs the
// destructors.
#include <windows.h>
#include <stdlib.h>

#include "CommandLine.h"

// gcc's constructor runner.
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

static void WriteError(const char* text)
{
    DWORD written;
    HANDLE hError = GetStdHandle(STD_ERROR_HANDLE);
    if (hError != NULL && hError != INVALID_HANDLE_VALUE)
        WriteFile(hError, text, (DWORD)strlen(text), &written, NULL);
}

// The arguments of a console program; a windowed one splits its own
// command line. Without the memory for them the program does not run at
// all, rather than on other arguments; 2 is the tools' exit code for
// memory running out.
static void Arguments(int* argc, char*** argv)
{
    LPCSTR lpszLine = GetCommandLineA();
    int count = SplitCommandLine(lpszLine, NULL, NULL);
    size_t nLength = strlen(lpszLine);
    char** block = (char**)HeapAlloc(GetProcessHeap(), 0, (count + 1) * sizeof(char*) + nLength + 2);
    if (block == NULL) {
        WriteError("Out of memory for the arguments.\r\n");
        ExitProcess(2);
    }
    *argc = SplitCommandLine(lpszLine, block, (char*)(block + count + 1));
    *argv = block;
}

static int g_appType;

static void __attribute__((noreturn)) Start(int appType)
{
    g_appType = appType;
    // The floating-point unit as MinGW's start-up leaves it.
    _fpreset();
    int argc = 0;
    char** argv = NULL;
    if (appType == CONSOLE_APP)
        Arguments(&argc, &argv);
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
        nResult = main(argc, argv, NULL);
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

// What atexit registered, the last first: gcc registers the static
// destructors here. A block of the heap each, kept to the end.
typedef struct ExitFunction {
    void (*function)(void);
    struct ExitFunction* next;
} ExitFunction;
static ExitFunction* g_exitFunctions;

int atexit(void (*function)(void))
{
    ExitFunction* entry = (ExitFunction*)HeapAlloc(GetProcessHeap(), 0, sizeof(ExitFunction));
    if (entry == NULL)
        return -1;
    entry->function = function;
    entry->next = g_exitFunctions;
    g_exitFunctions = entry;
    return 0;
}

void exit(int status)
{
    // A destructor that calls exit does not run the others twice.
    while (g_exitFunctions != NULL) {
        ExitFunction* entry = g_exitFunctions;
        g_exitFunctions = entry->next;
        entry->function();
    }
    ExitProcess((UINT)status);
}

// As the C run-time DLL ends a program that aborts: its message on the
// standard error, or in a box for a windowed program, which has none; exit
// code 3, no destructors.
void abort(void)
{
    if (g_appType == GUI_APP) {
        char szProgram[MAX_PATH] = "";
        GetModuleFileNameA(NULL, szProgram, MAX_PATH - 1);
        MessageBoxA(NULL, "abnormal program termination", szProgram, MB_OK | MB_ICONSTOP | MB_TASKMODAL);
    } else {
        WriteError("\r\nabnormal program termination\r\n");
    }
    ExitProcess(3);
}
