// Time and memory: the figures the benchmarks print, and the hang guard of
// the tests. A test asserts no speed; it may only bound a run far above its
// normal time, so that a hang ends with a message instead of a stuck suite.
#pragma once
#include <windows.h>

#include <atomic>
#include <string>

// Seconds on a monotonic clock.
double Now();
// This process's private memory in use, in bytes.
long long PrivateBytes();
const long long kMegabyte = 1 << 20;

// Watches one step at a time (a load, say) from a second thread. Past the
// bounds the whole program is ended with a message naming the step, since a
// step that hangs or swells would take the run, and the machine, with it.
// Meanwhile it samples the private memory, so a step's peak shows, not just
// its end.
class Watchdog {
public:
    explicit Watchdog(double seconds = 30, long long bytes = 1024 * kMegabyte);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    void Start(const std::string& what);
    // The most the private memory rose above where it stood at Start.
    long long Stop();
    // How long the step between Start and Stop took.
    double Seconds() const { return m_seconds; }

private:
    void Sample();
    static DWORD WINAPI Watch(LPVOID param);

    double m_limitSeconds;
    long long m_limitBytes;
    double m_seconds = 0;
    HANDLE m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_active{false};
    std::atomic<long long> m_base{0};
    std::atomic<long long> m_peak{0};
    std::atomic<double> m_started{0};
    char m_what[200] = "";
};
