// Real windows inside the test program itself: steps that run from a timer
// while the code under test sits in a modal loop, message boxes answered as
// they appear, and wizards of chosen pages run step by step. For windows of
// another process see Driver.h; for texts, buttons and waiting, Window.h.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ImportPatch.h"
#include "Window.h"

class CPropertyPage;

// Runs action once, after delay ms, from whatever message loop is running.
void Later(UINT delay, std::function<void()> action);

struct MessageBoxCall {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};

// While it lives, every MessageBoxA of this program is recorded and shown
// for real, and answered with what answer() returns for it. With
// QUORVANE_SCREENSHOTS set, each box is photographed before it is answered,
// named by BoxPhotoName.
class MessageBoxAnswerer {
public:
    explicit MessageBoxAnswerer(std::function<int(const MessageBoxCall&)> answer);
    ~MessageBoxAnswerer();

    std::vector<MessageBoxCall> calls;

private:
    static int WINAPI RecordingMessageBox(HWND, LPCSTR, LPCSTR, UINT);
    static LRESULT CALLBACK ActivationHook(int, WPARAM, LPARAM);

    std::function<int(const MessageBoxCall&)> m_answer;
    ImportPatch m_patch;
    HHOOK m_hook;
    int m_pendingAnswer = 0;
};
// What the photographs of boxes are called, before their number; the unit
// tests name them after the running test.
extern std::function<std::string()> BoxPhotoName;

// The current page of a property sheet in this process, and pressing one
// of its buttons (PSBTN_NEXT ...), done when it returns. Driver.h's Wizard
// does the same for another process.
HWND Page(HWND sheet);
void Press(HWND sheet, int psbtn);

// Runs a wizard of the given pages; each step runs in turn, a moment after
// the previous one, and the wizard is cancelled after the last. Question
// boxes (such as the quit question) are answered Yes and others OK, unless
// answer says otherwise. Returns the message boxes shown on the way. A
// program that calls it links the program's wizard library.
std::vector<MessageBoxCall> RunWizard(const std::vector<CPropertyPage*>& pages,
                                      std::vector<std::function<void(HWND sheet)>> steps,
                                      std::function<int(const MessageBoxCall&)> answer = nullptr);
