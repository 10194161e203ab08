#include "GuiTest.h"

#include <map>

namespace {
std::map<UINT_PTR, std::function<void()>> g_later;
MessageBoxAnswerer* g_answerer = NULL;
using MessageBoxFn = int(WINAPI*)(HWND, LPCSTR, LPCSTR, UINT);
MessageBoxFn g_realMessageBox = NULL;

void CALLBACK LaterProc(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(NULL, id);
    auto it = g_later.find(id);
    if (it == g_later.end())
        return;
    auto action = std::move(it->second);
    g_later.erase(it);
    action();
}
}  // namespace

void Later(UINT delay, std::function<void()> action)
{
    UINT_PTR id = SetTimer(NULL, 0, delay, LaterProc);
    g_later[id] = std::move(action);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeout)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeout)
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

MessageBoxAnswerer::MessageBoxAnswerer(std::function<int(const MessageBoxCall&)> answer)
    : m_answer(std::move(answer)),
      m_patch("user32.dll", "MessageBoxA", reinterpret_cast<const void*>(RecordingMessageBox)),
      m_hook(SetWindowsHookExA(WH_CBT, ActivationHook, NULL, GetCurrentThreadId()))
{
    g_realMessageBox = m_patch.Original<MessageBoxFn>();
    g_answerer = this;
}

MessageBoxAnswerer::~MessageBoxAnswerer()
{
    UnhookWindowsHookEx(m_hook);
    g_answerer = NULL;
}

int WINAPI MessageBoxAnswerer::RecordingMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    MessageBoxCall call = {owner, text ? text : "", caption ? caption : "", type};
    g_answerer->calls.push_back(call);
    g_answerer->m_pendingAnswer = g_answerer->m_answer(call);
    return g_realMessageBox(owner, text, caption, type);
}

LRESULT CALLBACK MessageBoxAnswerer::ActivationHook(int code, WPARAM wParam, LPARAM lParam)
{
    // A message box being activated: press the button chosen for it.
    if (code == HCBT_ACTIVATE && g_answerer != NULL && g_answerer->m_pendingAnswer != 0) {
        HWND hwnd = reinterpret_cast<HWND>(wParam);
        char cls[16] = "";
        GetClassNameA(hwnd, cls, sizeof(cls));
        if (std::string(cls) == "#32770" && GetDlgItem(hwnd, 0xFFFF) != NULL) {
            PostMessageA(hwnd, WM_COMMAND, g_answerer->m_pendingAnswer, 0);
            g_answerer->m_pendingAnswer = 0;
        }
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

std::string WindowText(HWND hwnd)
{
    char buffer[4096] = "";
    DWORD_PTR length = 0;
    SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof(buffer), reinterpret_cast<LPARAM>(buffer),
                        SMTO_ABORTIFHUNG, 2000, &length);
    return std::string(buffer, length);
}
