#pragma once
// Collecting top-level windows, all of them or those of one process.
#include <windows.h>

#include <memory>

// Collects the handles of the top-level windows it accepts, up to its capacity; windows beyond
// it are dropped.
class CWindowIterator {
public:
    static constexpr DWORD kDefaultCapacity = 1024;

    explicit CWindowIterator(DWORD capacity = kDefaultCapacity);
    virtual ~CWindowIterator() = default;
    CWindowIterator(const CWindowIterator&) = delete;
    CWindowIterator& operator=(const CWindowIterator&) = delete;

    // Enumerates every top-level window through VisitWindow.
    void Collect();
    DWORD GetCount() const { return m_nCount; }
    HWND GetWindow(DWORD index) const { return index < m_nCount ? m_pWindows[index] : nullptr; }

protected:
    // Appends the window when it is accepted and there is room; always goes on.
    virtual BOOL VisitWindow(HWND window);
    // Every window, in this class.
    virtual BOOL AcceptWindow(HWND window);

    std::unique_ptr<HWND[]> m_pWindows;
    DWORD m_nCapacity;
    DWORD m_nCount = 0;

private:
    static BOOL CALLBACK EnumerateWindow(HWND window, LPARAM iterator);
};

// The top-level windows of one process, optionally only the visible ones.
class CMainWindowIterator : public CWindowIterator {
public:
    CMainWindowIterator(DWORD processId, BOOL visibleOnly, DWORD capacity = kDefaultCapacity);

protected:
    BOOL AcceptWindow(HWND window) override;

    DWORD m_dwProcessId;
    BOOL m_bVisibleOnly;
};

// True when process `processId` shows at least one visible top-level window.
bool HasProgramWindow(DWORD processId);
