#include "framework/SystemLibrary.h"

#include <string>

HMODULE LoadSystemLibrary(const wchar_t* name)
{
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    const std::wstring path = std::wstring(folder, length) + L"\\" + name;
    // Altered search path: the library's own dependencies are looked for beside it, in the
    // system folder, not beside the setup file. A library already loaded is just counted again;
    // the handle is kept for the life of the process.
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
