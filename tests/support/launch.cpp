// Test launcher: starts a program with a hand-written command line, waits for it and writes
// its full 32-bit exit code to a file (a Unix exit status keeps only 8 bits of it).
//   launch.exe --exit-file=PATH --cmdline=RAW [--env=NAME=VALUE]... [--cwd=DIR]
//              [--timeout=MS] [--restricted]
// --restricted starts the program with the Administrators group disabled in its token.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

bool TakeOption(const wchar_t* argument, const wchar_t* name, std::wstring& value)
{
    const size_t length = wcslen(name);
    if (wcsncmp(argument, name, length) != 0)
        return false;
    value = argument + length;
    return true;
}

HANDLE MakeRestrictedToken()
{
    HANDLE processToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &processToken))
        return nullptr;
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                             &administrators);
    SID_AND_ATTRIBUTES disabled = {administrators, 0};
    HANDLE restricted = nullptr;
    if (!CreateRestrictedToken(processToken, 0, 1, &disabled, 0, nullptr, 0, nullptr, &restricted))
        restricted = nullptr;
    FreeSid(administrators);
    CloseHandle(processToken);
    return restricted;
}

void WriteResult(const std::wstring& path, const char* text)
{
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (file == nullptr)
        return;
    fputs(text, file);
    fclose(file);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    std::wstring exitFile, commandLine, currentFolder, value;
    DWORD timeout = INFINITE;
    bool restricted = false;
    for (int i = 1; i < argc; ++i) {
        if (TakeOption(argv[i], L"--exit-file=", value)) {
            exitFile = value;
        } else if (TakeOption(argv[i], L"--cmdline=", value)) {
            commandLine = value;
        } else if (TakeOption(argv[i], L"--cwd=", value)) {
            currentFolder = value;
        } else if (TakeOption(argv[i], L"--timeout=", value)) {
            timeout = wcstoul(value.c_str(), nullptr, 10);
        } else if (TakeOption(argv[i], L"--env=", value)) {
            const size_t equals = value.find(L'=');
            if (equals != std::wstring::npos)
                SetEnvironmentVariableW(value.substr(0, equals).c_str(), value.substr(equals + 1).c_str());
        } else if (wcscmp(argv[i], L"--restricted") == 0) {
            restricted = true;
        } else {
            fwprintf(stderr, L"launch: unknown argument %ls\n", argv[i]);
            return 2;
        }
    }

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    const wchar_t* folder = currentFolder.empty() ? nullptr : currentFolder.c_str();
    BOOL started = FALSE;
    if (restricted) {
        HANDLE token = MakeRestrictedToken();
        started = token != nullptr && CreateProcessAsUserW(token, nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                                                           0, nullptr, folder, &startup, &process);
        if (token != nullptr)
            CloseHandle(token);
    } else {
        started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder, &startup,
                                 &process);
    }
    char text[64];
    if (!started) {
        snprintf(text, sizeof(text), "error %lu\n", GetLastError());
        WriteResult(exitFile, text);
        return 3;
    }
    if (WaitForSingleObject(process.hProcess, timeout) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 0xDEAD);
        WriteResult(exitFile, "timeout\n");
        return 4;
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    snprintf(text, sizeof(text), "0x%08lX\n", exitCode);
    WriteResult(exitFile, text);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}
