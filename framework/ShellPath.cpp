#include "framework/ShellPath.h"

#include "framework/SystemLibrary.h"

namespace {
constexpr wchar_t kShellLightweight[] = L"shlwapi.dll";
}

BOOL PathAppendSystem(wchar_t* path, const wchar_t* more)
{
    using Function = BOOL(WINAPI*)(LPWSTR, LPCWSTR);
    static const auto call = GetSystemProc<Function>(kShellLightweight, "PathAppendW");
    return call != nullptr ? call(path, more) : FALSE;
}

BOOL PathRemoveFileSpecSystem(wchar_t* path)
{
    using Function = BOOL(WINAPI*)(LPWSTR);
    static const auto call = GetSystemProc<Function>(kShellLightweight, "PathRemoveFileSpecW");
    return call != nullptr ? call(path) : FALSE;
}

BOOL PathIsDirectoryAnsiSystem(const char* path)
{
    using Function = BOOL(WINAPI*)(LPCSTR);
    static const auto call = GetSystemProc<Function>(kShellLightweight, "PathIsDirectoryA");
    return call != nullptr ? call(path) : FALSE;
}
