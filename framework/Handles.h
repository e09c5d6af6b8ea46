#pragma once
// Owners for platform handles: each releases its handle on every path, so early returns are
// safe by construction.
#include <windows.h>

#include <memory>
#include <utility>

// A handle with its traits: Traits::Handle is its type, Traits::Invalid() the value that means
// "no handle", Traits::Release(handle) gives it back to the platform.
template <typename Traits>
class UniqueHandle {
    using Handle = typename Traits::Handle;
    static Handle Invalid() { return Traits::Invalid(); }

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
    bool IsValid() const { return m_handle != Invalid(); }
    explicit operator bool() const { return IsValid(); }

    // The address to receive a new handle; the old one is released first.
    Handle* Receive()
    {
        Reset();
        return &m_handle;
    }

    Handle Release() { return std::exchange(m_handle, Invalid()); }

    void Reset(Handle handle = Traits::Invalid())
    {
        if (m_handle != Invalid())
            Traits::Release(m_handle);
        m_handle = handle;
    }

private:
    Handle m_handle = Traits::Invalid();
};

// Traits for a handle type whose "none" is null.
template <typename H, void (*ReleaseFunction)(H)>
struct NullInvalid {
    using Handle = H;
    static Handle Invalid() { return nullptr; }
    static void Release(Handle handle) { ReleaseFunction(handle); }
};

// Traits for a handle type whose "none" is INVALID_HANDLE_VALUE.
template <void (*ReleaseFunction)(HANDLE)>
struct InvalidValueInvalid {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Release(Handle handle) { ReleaseFunction(handle); }
};

namespace HandleRelease {
inline void Close(HANDLE handle) { ::CloseHandle(handle); }
inline void Find(HANDLE handle) { ::FindClose(handle); }
inline void RegKey(HKEY key) { ::RegCloseKey(key); }
inline void Sid(PSID sid) { ::FreeSid(sid); }
inline void Local(HLOCAL memory) { ::LocalFree(memory); }
inline void Gdi(HGDIOBJ object) { ::DeleteObject(object); }
inline void MemoryDc(HDC dc) { ::DeleteDC(dc); }
inline void Library(HMODULE module) { ::FreeLibrary(module); }
} // namespace HandleRelease

// Kernel objects that use null for "none" (events, threads, processes, tokens).
using ObjectHandle = UniqueHandle<NullInvalid<HANDLE, HandleRelease::Close>>;
// Files, whose "none" is INVALID_HANDLE_VALUE.
using FileHandle = UniqueHandle<InvalidValueInvalid<HandleRelease::Close>>;
using FindHandle = UniqueHandle<InvalidValueInvalid<HandleRelease::Find>>;
using RegKey = UniqueHandle<NullInvalid<HKEY, HandleRelease::RegKey>>;
using SidHandle = UniqueHandle<NullInvalid<PSID, HandleRelease::Sid>>;
using LocalMemory = UniqueHandle<NullInvalid<HLOCAL, HandleRelease::Local>>;
using GdiObject = UniqueHandle<NullInvalid<HGDIOBJ, HandleRelease::Gdi>>;
// Device contexts made with CreateCompatibleDC.
using MemoryDc = UniqueHandle<NullInvalid<HDC, HandleRelease::MemoryDc>>;
using LibraryHandle = UniqueHandle<NullInvalid<HMODULE, HandleRelease::Library>>;
