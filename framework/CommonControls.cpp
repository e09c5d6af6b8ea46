#include "framework/CommonControls.h"

#include "framework/DllSearchPath.h"
#include "framework/SystemLibrary.h"

#include <commctrl.h>

namespace {
constexpr wchar_t kCommonControls[] = L"comctl32.dll";
}

bool InitCommonControlsSystem(DWORD classes)
{
    // Kept loaded for the life of the process: the classes live in it.
    const HMODULE library = IsDllSearchPathRestricted() ? LoadLibraryW(kCommonControls) : LoadSystemLibrary(kCommonControls);
    if (library == nullptr)
        return false;
    using Function = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const auto initCommonControlsEx =
        reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, "InitCommonControlsEx")));
    if (initCommonControlsEx == nullptr)
        return false;
    const INITCOMMONCONTROLSEX controls = {sizeof(controls), classes};
    return initCommonControlsEx(&controls) != FALSE;
}
