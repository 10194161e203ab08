#include "Window.h"

#include "Clock.h"

DWORD_PTR Ask(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(hwnd, msg, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result))
        return 0;
    return result;
}

namespace {
void Click(HWND list, int x, int index)
{
    int height = static_cast<int>(Ask(list, LB_GETITEMHEIGHT));
    LPARAM at = MAKELPARAM(x, index * height + height / 2);
    Ask(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    Ask(list, WM_LBUTTONUP, 0, at);
}
}  // namespace

volatile LONG g_testFailed = 0;

bool WaitUntil(const std::function<bool()>& cond, DWORD timeout)
{
    double start = Now();
    while (!cond()) {
        DWORD limit = g_testFailed && timeout > kFailedTestTimeout ? kFailedTestTimeout : timeout;
        if (Now() > start + limit / 1000.0)
            return false;
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    }
    return true;
}

std::string Text(HWND hwnd)
{
    if (hwnd == NULL)
        return "";
    char buffer[4096] = "";
    DWORD_PTR length = Ask(hwnd, WM_GETTEXT, sizeof(buffer), reinterpret_cast<LPARAM>(buffer));
    return std::string(buffer, length);
}

std::string ClassName(HWND hwnd)
{
    char name[64] = "";
    GetClassNameA(hwnd, name, sizeof(name));
    return name;
}

bool IsMessageBox(HWND hwnd)
{
    return ClassName(hwnd) == "#32770" && lstrcmpiA(ClassName(GetDlgItem(hwnd, 0xFFFF)).c_str(), "Static") == 0;
}

std::string MessageBoxText(HWND box)
{
    return Text(GetDlgItem(box, 0xFFFF));
}

void PressButton(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

int ListCount(HWND list)
{
    return static_cast<int>(Ask(list, LB_GETCOUNT));
}

std::string ListText(HWND list, int index)
{
    // The wide form is what Wine carries between processes.
    wchar_t wide[1024] = L"";
    DWORD_PTR length = 0;
    SendMessageTimeoutW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(wide), SMTO_ABORTIFHUNG, 5000, &length);
    char text[1024] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof(text), NULL, NULL);
    return text;
}

LRESULT ListData(HWND list, int index)
{
    return static_cast<LRESULT>(Ask(list, LB_GETITEMDATA, index));
}

int ListSelection(HWND list)
{
    return static_cast<int>(Ask(list, LB_GETCURSEL));
}

void ClickCheckBox(HWND list, int index)
{
    Click(list, 6, index);
}

void ClickItem(HWND list, int index)
{
    Click(list, 80, index);
}

HWND FocusOf(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(window, NULL), &info);
    return info.hwndFocus;
}

int WayOut(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
    case MB_RETRYCANCEL:
        return IDCANCEL;
    case MB_ABORTRETRYIGNORE:
        return IDABORT;
    case MB_YESNO:
        return IDNO;
    default:
        return IDOK;
    }
}
