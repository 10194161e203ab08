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
// A test still running after this is taken for hung (the slowest, the
// damaged-list series, takes under a minute), and so is one still running
// this long after its first failed check: the program is ended, naming it,
// since a loop in the test's own thread cannot be interrupted.
const DWORD kTestMilliseconds = 120000, kAfterFailureMilliseconds = 30000;

volatile LONG g_testStarted = 0, g_testFailedAt = 0;  // GetTickCount; 0: none
char g_testName[300] = "";

class FailFastListener : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo& test) override
    {
        snprintf(g_testName, sizeof(g_testName), "%s.%s", test.test_suite_name(), test.name());
        InterlockedExchange(&g_testFailed, 0);
        InterlockedExchange(&g_testFailedAt, 0);
        InterlockedExchange(&g_testStarted, static_cast<LONG>(GetTickCount() | 1));
    }
    void OnTestEnd(const ::testing::TestInfo&) override { InterlockedExchange(&g_testStarted, 0); }
    void OnTestPartResult(const ::testing::TestPartResult& result) override
    {
        if (result.failed() && InterlockedExchange(&g_testFailed, 1) == 0)
            InterlockedExchange(&g_testFailedAt, static_cast<LONG>(GetTickCount() | 1));
    }
};

void EndAHungTest()
{
    // The stamps first, the clock after: a test that starts in between must
    // not look as if it had started in the future (a wrapped, huge age).
    DWORD started = g_testStarted, failedAt = g_testFailedAt;
    if (started == 0)
        return;
    DWORD now = GetTickCount();
    auto age = [now](DWORD since) { return static_cast<LONG>(now - since); };
    bool hung = age(started) > static_cast<LONG>(kTestMilliseconds);
    bool failed = failedAt != 0 && age(failedAt) > static_cast<LONG>(kAfterFailureMilliseconds);
    if (hung || failed) {
        fprintf(stderr, "%s has not ended %s: the test program is ended.\n", g_testName,
                failed ? "30 s after its first failed check" : "in 120 s");
        fflush(stderr);
        fflush(stdout);
        TerminateProcess(GetCurrentProcess(), 3);
    }
}

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
        EndAHungTest();
    }
}
}  // namespace

void InstallFailFast()
{
    ::testing::UnitTest::GetInstance()->listeners().Append(new FailFastListener);
    CloseHandle(CreateThread(NULL, 0, SweepBoxes, NULL, 0, NULL));
}
