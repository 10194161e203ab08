// GoogleTest keeps a Notification for testing its own threads, built on
// std::mutex and std::condition_variable, which the win32 thread model of
// our compilers lacks. None of our tests start a thread; this one waits by
// spinning, which is all GoogleTest needs of it. Included ahead of every
// source of the test programs (tests/CMakeLists.txt).
#pragma once
#ifdef __cplusplus
namespace testing {
namespace internal {
class Notification {
public:
    Notification() = default;
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;
    void Notify() { __atomic_store_n(&m_notified, true, __ATOMIC_RELEASE); }
    void WaitForNotification()
    {
        while (!__atomic_load_n(&m_notified, __ATOMIC_ACQUIRE))
            __builtin_ia32_pause();
    }

private:
    bool m_notified = false;
};
}  // namespace internal
}  // namespace testing
#define GTEST_HAS_NOTIFICATION_ 1
#endif
