#pragma once
// Owners for platform handles: each releases its handle on every path, so early returns are
// safe by construction.
#include <windows.h>

#include <memory>
#include <utility>

// A handle with a release function; Invalid is the value that means "no handle".
template <typename Handle, typename Releaser, Handle Invalid>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : m_handle(handle) {}
    ~UniqueHandle() { Reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }

    Handle Get() const { return m_handle; }
    bool IsValid() const { return m_handle != Invalid; }
    explicit operator bool() const { return IsValid(); }

    // The address to receive a new handle; the old one is released first.
    Handle* Receive()
    {
        Reset();
        return &m_handle;
    }

    Handle Release() { return std::exchange(m_handle, Invalid); }

    void Reset(Handle handle = Invalid)
    {
        if (m_handle != Invalid)
            Releaser()(m_handle);
        m_handle = handle;
    }

private:
    Handle m_handle = Invalid;
};

struct CloseHandleReleaser {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
struct FindCloseReleaser {
    void operator()(HANDLE handle) const { ::FindClose(handle); }
};
struct RegCloseKeyReleaser {
    void operator()(HKEY key) const { ::RegCloseKey(key); }
};
struct FreeSidReleaser {
    void operator()(PSID sid) const { ::FreeSid(sid); }
};
struct LocalFreeReleaser {
    void operator()(HLOCAL memory) const { ::LocalFree(memory); }
};
struct DeleteObjectReleaser {
    void operator()(HGDIOBJ object) const { ::DeleteObject(object); }
};
struct FreeLibraryReleaser {
    void operator()(HMODULE module) const { ::FreeLibrary(module); }
};

// Kernel objects that use null for "none" (events, threads, processes, tokens).
using ObjectHandle = UniqueHandle<HANDLE, CloseHandleReleaser, nullptr>;
// Files, whose "none" is INVALID_HANDLE_VALUE.
using FileHandle = UniqueHandle<HANDLE, CloseHandleReleaser, INVALID_HANDLE_VALUE>;
using FindHandle = UniqueHandle<HANDLE, FindCloseReleaser, INVALID_HANDLE_VALUE>;
using RegKey = UniqueHandle<HKEY, RegCloseKeyReleaser, nullptr>;
using SidHandle = UniqueHandle<PSID, FreeSidReleaser, nullptr>;
using LocalMemory = UniqueHandle<HLOCAL, LocalFreeReleaser, nullptr>;
using GdiObject = UniqueHandle<HGDIOBJ, DeleteObjectReleaser, nullptr>;
using LibraryHandle = UniqueHandle<HMODULE, FreeLibraryReleaser, nullptr>;
