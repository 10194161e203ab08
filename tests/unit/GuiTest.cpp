#include "GuiTest.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "Screenshot.h"

namespace {
std::map<UINT_PTR, std::function<void()>> g_later;
MessageBoxAnswerer* g_answerer = NULL;
using MessageBoxFn = int(WINAPI*)(HWND, LPCSTR, LPCSTR, UINT);
MessageBoxFn g_realMessageBox = NULL;
int g_mallocsBeforeFailure = -1;

void* __cdecl FailOneMalloc(size_t size)
{
    static auto real = reinterpret_cast<void*(__cdecl*)(size_t)>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("msvcrt.dll"), "malloc")));
    return g_mallocsBeforeFailure-- == 0 ? NULL : real(size);
}

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
        char textClass[16] = "";
        GetClassNameA(GetDlgItem(hwnd, 0xFFFF), textClass, sizeof(textClass));
        if (std::string(cls) == "#32770" && lstrcmpiA(textClass, "Static") == 0) {
            int answer = g_answerer->m_pendingAnswer;
            g_answerer->m_pendingAnswer = 0;
            if (getenv("QUORVANE_SCREENSHOTS") == NULL) {
                PostMessageA(hwnd, WM_COMMAND, answer, 0);
            } else {
                // Photographed once it is on the screen, then answered.
                Later(400, [hwnd, answer] {
                    static int count = 0;
                    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
                    SaveScreenshot(std::string(test ? test->name() : "box") + "-" + std::to_string(++count));
                    PostMessageA(hwnd, WM_COMMAND, answer, 0);
                });
            }
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

AllocationFailure::AllocationFailure(int nAllowed)
    : m_patch("msvcrt.dll", "malloc", reinterpret_cast<const void*>(FailOneMalloc))
{
    g_mallocsBeforeFailure = nAllowed;
}

bool AllocationFailure::Happened() const
{
    return g_mallocsBeforeFailure < 0;
}
