#include "framework/DllSearchPath.h"

#include <windows.h>

namespace {
bool s_bRestricted = false;
}

void RestrictDllSearchPath()
{
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    // kernel32 is always loaded, so looking the call up loads nothing.
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto setDefaultDllDirectories =
        kernel != nullptr ? reinterpret_cast<SetDefaultDllDirectoriesFunction>(
                                reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")))
                          : nullptr;
    if (setDefaultDllDirectories != nullptr && setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        s_bRestricted = true;
        return;
    }
    SetDllDirectoryW(L"");
}

bool IsDllSearchPathRestricted()
{
    return s_bRestricted;
}
