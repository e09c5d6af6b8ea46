#pragma once
// GoogleTest's thread notification needs std::mutex, which the win32-threads mingw toolchain
// does not have; this Win32 event stands in for it (force-included in the Windows test build).
#include <windows.h>

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
