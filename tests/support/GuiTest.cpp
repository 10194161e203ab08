#include "GuiTest.h"

#include <cstdio>
#include <cstdlib>
#include <map>

#include "Screenshot.h"

std::function<std::string()> BoxPhotoName = [] { return std::string("box"); };

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
    // A box that keeps coming back is a loop the answers keep going: once
    // the test has failed, or far past any real build, it is left instead.
    int nShown = 0;
    for (const MessageBoxCall& earlier : g_answerer->calls)
        nShown += earlier.text == call.text;
    if (nShown > (g_testFailed ? 3 : 100)) {
        fprintf(stderr, "\"%s\" came back %d times: answered with its way out\n", call.text.c_str(), nShown);
        g_answerer->m_pendingAnswer = WayOut(type);
    } else {
        g_answerer->m_pendingAnswer = g_answerer->m_answer(call);
    }
    return g_realMessageBox(owner, text, caption, type);
}

LRESULT CALLBACK MessageBoxAnswerer::ActivationHook(int code, WPARAM wParam, LPARAM lParam)
{
    // A message box being activated: press the button chosen for it.
    HWND hwnd = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_ACTIVATE && g_answerer != NULL && g_answerer->m_pendingAnswer != 0 && IsMessageBox(hwnd)) {
        int answer = g_answerer->m_pendingAnswer;
        g_answerer->m_pendingAnswer = 0;
        if (getenv("QUORVANE_SCREENSHOTS") == NULL) {
            PressButton(hwnd, answer);
        } else {
            // Photographed once it is on the screen, then answered.
            Later(400, [hwnd, answer] {
                static int count = 0;
                SaveScreenshot(BoxPhotoName() + "-" + std::to_string(++count));
                PressButton(hwnd, answer);
            });
        }
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}
