#pragma once
// Libraries that are not on the platform's known-DLL list (trust, crypto, version, shell
// light-weight) are loaded by full path from the system folder, never by name: a copy planted
// beside the setup file must not be picked up. Link such libraries only through these calls,
// never with an import library (an import is resolved at process start, before the search
// path is restricted). The common controls have their own loader (CommonControls.h).
#include <windows.h>

// The library `name` (e.g. L"wintrust.dll") from the system folder, loaded once and kept for
// the life of the process; null when it cannot be loaded.
HMODULE LoadSystemLibrary(const wchar_t* name);

// The export `procName` of system library `library`, or null.
template <typename Function>
Function GetSystemProc(const wchar_t* library, const char* procName)
{
    HMODULE module = LoadSystemLibrary(library);
    return module != nullptr ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, procName)))
                             : nullptr;
}
