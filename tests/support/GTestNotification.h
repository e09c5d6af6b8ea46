#pragma once
// Forced into every GoogleTest compile of the Windows build. GoogleTest's thread-start signal
// (testing::internal::Notification) is written with std::mutex, which the win32 thread model
// of our cross compiler lacks; this one is a Win32 manual-reset event. Everything else in
// GoogleTest's Windows threading is plain Win32 already.
#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
public:
    Notification() : m_event(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { CloseHandle(m_event); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { SetEvent(m_event); }
    void WaitForNotification() { WaitForSingleObject(m_event, INFINITE); }

private:
    HANDLE m_event;
};

} // namespace internal
} // namespace testing
