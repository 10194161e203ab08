#include "FailFast.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <map>

#include "Clock.h"
#include "Window.h"

namespace {
// Longer than any box of a passing test stays up (a photographed one
// stays 400 ms), short beside ctest's limit.
const double kBoxOpenSeconds = 10;

class FailFastListener : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { InterlockedExchange(&g_testFailed, 0); }
    void OnTestPartResult(const ::testing::TestPartResult& result) override
    {
        if (result.failed())
            InterlockedExchange(&g_testFailed, 1);
    }
};

BOOL CALLBACK CollectBox(HWND hwnd, LPARAM lParam)
{
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    if (process == GetCurrentProcessId() && IsWindowVisible(hwnd) && IsMessageBox(hwnd))
        reinterpret_cast<std::map<HWND, double>*>(lParam)->emplace(hwnd, Now());
    return TRUE;
}

// A box the test's own code opens and nothing answers would hold the test's
// thread for good; from a thread of its own, the box is answered.
DWORD WINAPI SweepBoxes(LPVOID)
{
    std::map<HWND, double> seen;
    for (;;) {
        Sleep(250);
        std::map<HWND, double> open;
        EnumWindows(CollectBox, reinterpret_cast<LPARAM>(&open));
        for (auto& box : open) {
            auto earlier = seen.find(box.first);
            if (earlier != seen.end())
                box.second = earlier->second;
            double limit = g_testFailed ? kFailedTestTimeout / 1000.0 : kBoxOpenSeconds;
            if (Now() - box.second > limit) {
                int way = GetDlgItem(box.first, IDCANCEL) ? IDCANCEL
                          : GetDlgItem(box.first, IDABORT) ? IDABORT
                          : GetDlgItem(box.first, IDNO)    ? IDNO
                                                           : IDOK;
                fprintf(stderr, "A box was left open, now answered with its way out: %s\n",
                        MessageBoxText(box.first).c_str());
                PressButton(box.first, way);
            }
        }
        seen.swap(open);
    }
}
}  // namespace

void InstallFailFast()
{
    ::testing::UnitTest::GetInstance()->listeners().Append(new FailFastListener);
    CloseHandle(CreateThread(NULL, 0, SweepBoxes, NULL, 0, NULL));
}
