// Helpers for tests that run real windows inside this test program: steps
// that run from a timer while the code under test sits in a modal loop,
// message boxes that are answered as they appear, and running out of memory.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ImportPatch.h"

// Runs action once, after delay ms, from whatever message loop is running.
void Later(UINT delay, std::function<void()> action);
// Pumps messages until done() holds or timeout ms pass; false on timeout.
bool PumpUntil(const std::function<bool()>& done, DWORD timeout = 5000);

struct MessageBoxCall {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};

// While it lives, every MessageBoxA of this program is recorded and shown
// for real, and answered with what answer() returns for it.
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

// The text of a window, for windows of this or another process.
std::string WindowText(HWND hwnd);

// While it lives, the allocation (malloc) after the first nAllowed ones
// fails. Only that one: the exception that reports it needs memory too.
class AllocationFailure {
public:
    explicit AllocationFailure(int nAllowed);
    // True once the failing allocation was asked for.
    bool Happened() const;

private:
    ImportPatch m_patch;
};
