#include "framework/SystemLibrary.h"

#include "framework/DllSearchPath.h"

#include <string>

HMODULE LoadSystemLibrary(const wchar_t* name)
{
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    const std::wstring path = std::wstring(folder, length) + L"\\" + name;
    // The library's own dependencies must come from the system folder too: with the search
    // path restricted that is the default; without it, the altered search order looks beside
    // the library (the system folder) and never beside the setup file. A library already
    // loaded is just counted again; the handle is kept for the life of the process.
    const DWORD flags = IsDllSearchPathRestricted() ? LOAD_LIBRARY_SEARCH_SYSTEM32 : LOAD_WITH_ALTERED_SEARCH_PATH;
    return LoadLibraryExW(path.c_str(), nullptr, flags);
}
