#include "checks/MsiEngineCheck.h"

#include "checks/FixedFileVersion.h"
#include "framework/SystemLibrary.h"

#include <shlobj.h>

#include <memory>
#include <new>

namespace {

// version.dll is not on the known-DLL list: it is reached through the system-folder loader.
constexpr wchar_t kVersionLibrary[] = L"version.dll";
using GetFileVersionInfoSizeFunction = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
using GetFileVersionInfoFunction = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
using VerQueryValueFunction = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);

// Gives an item list back to the shell's allocator.
struct ShellItemListRelease {
    void operator()(ITEMIDLIST* items) const
    {
        IMalloc* allocator = nullptr;
        if (SUCCEEDED(SHGetMalloc(&allocator))) {
            allocator->Free(items);
            allocator->Release();
        }
    }
};
using ShellItemList = std::unique_ptr<ITEMIDLIST, ShellItemListRelease>;

} // namespace

bool GetSystemFolder(std::wstring& path)
{
    ITEMIDLIST* located = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_SYSTEM, &located)) || located == nullptr)
        return false;
    const ShellItemList items(located);
    wchar_t folder[MAX_PATH] = {};
    if (!SHGetPathFromIDListW(items.get(), folder))
        return false;
    path = folder;
    path += L"\\";
    return true;
}

bool ReadFileVersion(const std::wstring& path, int32_t& major, int32_t& minor)
{
    static const auto getSize = GetSystemProc<GetFileVersionInfoSizeFunction>(kVersionLibrary, "GetFileVersionInfoSizeW");
    static const auto getInfo = GetSystemProc<GetFileVersionInfoFunction>(kVersionLibrary, "GetFileVersionInfoW");
    static const auto queryValue = GetSystemProc<VerQueryValueFunction>(kVersionLibrary, "VerQueryValueW");
    if (getSize == nullptr || getInfo == nullptr || queryValue == nullptr)
        return false;

    DWORD ignored = 0;
    const DWORD size = getSize(path.c_str(), &ignored);
    if (size == 0)
        return false;
    const std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[size]);
    if (!block || !getInfo(path.c_str(), 0, size, block.get()))
        return false;
    void* fixed = nullptr;
    UINT fixedSize = 0;
    if (!queryValue(block.get(), L"\\", &fixed, &fixedSize))
        return false;
    return DecodeFixedFileVersion(fixed, fixedSize, major, minor);
}

bool IsMsiEngineUsable(const std::wstring& libraryPath)
{
    int32_t major = 0;
    int32_t minor = 0;
    return ReadFileVersion(libraryPath, major, minor) && IsMsiEngineVersionUsable(major);
}

bool CheckMsiEngine()
{
    std::wstring path;
    if (!GetSystemFolder(path))
        return false;
    // Read, never loaded: a 32-bit process on 64-bit Windows sees the 32-bit engine here.
    return IsMsiEngineUsable(path + L"MSI.DLL");
}
