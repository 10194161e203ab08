#include "Clock.h"

#include <psapi.h>

#include <cstdio>

double Now()
{
    static LARGE_INTEGER frequency;
    if (frequency.QuadPart == 0)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

long long PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return static_cast<long long>(counters.PagefileUsage);
}

Watchdog::Watchdog(double seconds, long long bytes) : m_limitSeconds(seconds), m_limitBytes(bytes)
{
    m_thread = CreateThread(NULL, 0, Watch, this, 0, NULL);
}

Watchdog::~Watchdog()
{
    m_stop = true;
    WaitForSingleObject(m_thread, INFINITE);
    CloseHandle(m_thread);
}

void Watchdog::Start(const std::string& what)
{
    lstrcpynA(m_what, what.c_str(), sizeof(m_what));
    m_base = PrivateBytes();
    m_peak = m_base.load();
    m_started = Now();
    m_active = true;
}

long long Watchdog::Stop()
{
    m_seconds = Now() - m_started;
    Sample();
    m_active = false;
    return m_peak - m_base;
}

void Watchdog::Sample()
{
    long long now = PrivateBytes();
    long long peak = m_peak;
    while (now > peak && !m_peak.compare_exchange_weak(peak, now)) {
    }
}

DWORD WINAPI Watchdog::Watch(LPVOID param)
{
    auto* self = static_cast<Watchdog*>(param);
    while (!self->m_stop) {
        if (self->m_active) {
            self->Sample();
            double seconds = Now() - self->m_started;
            long long growth = self->m_peak - self->m_base;
            if (self->m_active && (seconds > self->m_limitSeconds || growth > self->m_limitBytes)) {
                fprintf(stderr, "\n%s: still running after %.0f s, %lld MB more memory: ending the program\n",
                        self->m_what, seconds, growth / kMegabyte);
                fflush(stderr);
                TerminateProcess(GetCurrentProcess(), 3);
            }
        }
        Sleep(2);
    }
    return 0;
}
