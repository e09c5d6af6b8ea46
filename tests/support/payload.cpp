// Test payload: stands in for the managed installer. It reports what it received and behaves
// as the test asks, through its environment (which the stub passes on unchanged):
//   BRENNIX_PAYLOAD_REPORT  file to write the report to (UTF-8)
//   BRENNIX_PAYLOAD_EXIT    exit code: decimal, may be negative, or 0x-hexadecimal for the
//                           full 32 bits, e.g. 0x80131700 (default 0)
//   BRENNIX_PAYLOAD_WINDOW  none (default) | hidden | visible:<delay ms>
//   BRENNIX_PAYLOAD_LINGER  ms to keep running after the window is shown (default 0)
//   BRENNIX_PAYLOAD_APPEND  file to append the line "payload was here" to, opened without
//                           sharing (as an installer appending to the log it was handed)
//   BRENNIX_PAYLOAD_READONLY  file, relative to the current folder, to make read-only
//   BRENNIX_PAYLOAD_CHILD   <ms>:<file>: start a copy of this program that holds <file>
//                           (relative to the current folder) open without sharing for <ms>
//                           milliseconds and outlives this one, which does not wait for it
//   BRENNIX_PAYLOAD_CRASH   1: end in an access violation, as a crashing installer does (the
//                           exit code is then 0xC0000005), after everything else
// Report lines: "cmdline\t<raw command line>", "arg\t<each argv element>", "cwd\t<folder>",
// "exe\t<own path>", "file\t<path relative to own folder>\t<size>", "started\t<performance
// counter at start>", and with APPEND "append\tok" or "append\tbusy <error>".
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::wstring Environment(const wchar_t* name)
{
    wchar_t buffer[4096];
    const DWORD length = GetEnvironmentVariableW(name, buffer, 4096);
    return length > 0 && length < 4096 ? std::wstring(buffer, length) : std::wstring();
}

std::string Utf8(const std::wstring& text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

void Line(FILE* file, const wchar_t* key, const std::wstring& value)
{
    fprintf(file, "%s\t%s\n", Utf8(key).c_str(), Utf8(value).c_str());
}

void ListFiles(FILE* file, const std::wstring& root, const std::wstring& relative)
{
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((root + relative + L"*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ListFiles(file, root, relative + name + L"\\");
        } else {
            const unsigned long long size = (static_cast<unsigned long long>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
            fprintf(file, "file\t%s\t%llu\n", Utf8(relative + name).c_str(), size);
        }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
}

// Appends a line to `target`; "ok", or "busy <error>" when it cannot be opened exclusively.
std::wstring AppendLine(const std::wstring& target)
{
    HANDLE file = CreateFileW(target.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return L"busy " + std::to_wstring(GetLastError());
    const char line[] = "payload was here\r\n";
    DWORD written = 0;
    WriteFile(file, line, sizeof(line) - 1, &written, nullptr);
    CloseHandle(file);
    return L"ok";
}

void WriteReport(const std::wstring& path, const std::wstring& appended, LONGLONG started)
{
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (file == nullptr)
        return;
    Line(file, L"cmdline", GetCommandLineW());
    for (int i = 0; i < __argc; ++i)
        Line(file, L"arg", __wargv[i]);
    wchar_t buffer[MAX_PATH * 2];
    GetCurrentDirectoryW(MAX_PATH * 2, buffer);
    Line(file, L"cwd", buffer);
    GetModuleFileNameW(nullptr, buffer, MAX_PATH * 2);
    std::wstring self = buffer;
    Line(file, L"exe", self);
    ListFiles(file, self.substr(0, self.find_last_of(L'\\') + 1), L"");
    Line(file, L"started", std::to_wstring(started));
    if (!appended.empty())
        Line(file, L"append", appended);
    fclose(file);
}

// The child's part of BRENNIX_PAYLOAD_CHILD: hold the file, then end.
int HoldFile(const std::wstring& request)
{
    const size_t colon = request.find(L':');
    const DWORD milliseconds = wcstoul(request.c_str(), nullptr, 10);
    HANDLE file = CreateFileW(request.substr(colon + 1).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    Sleep(milliseconds);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return 0;
}

// Starts this program again as a child that holds a file (see HoldFile), and does not wait.
void StartHoldingChild(const std::wstring& request)
{
    SetEnvironmentVariableW(L"BRENNIX_PAYLOAD_HOLD", request.c_str());
    SetEnvironmentVariableW(L"BRENNIX_PAYLOAD_CHILD", nullptr);
    wchar_t self[MAX_PATH * 2];
    GetModuleFileNameW(nullptr, self, MAX_PATH * 2);
    std::wstring commandLine = L"\"" + std::wstring(self) + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (CreateProcessW(self, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        // Started once it runs: give it the moment to open the file before this one ends.
        WaitForInputIdle(process.hProcess, 1000);
        Sleep(300);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

LONG WINAPI EndWithTheException(EXCEPTION_POINTERS*)
{
    // Ends the process with the exception's code, as an unhandled crash does, without a
    // debugger being asked to attach.
    return EXCEPTION_EXECUTE_HANDLER;
}

void Crash()
{
    SetUnhandledExceptionFilter(EndWithTheException);
    *static_cast<volatile int*>(nullptr) = 1;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    const std::wstring hold = Environment(L"BRENNIX_PAYLOAD_HOLD");
    if (!hold.empty())
        return HoldFile(hold);
    LARGE_INTEGER started;
    QueryPerformanceCounter(&started);
    const std::wstring appendTarget = Environment(L"BRENNIX_PAYLOAD_APPEND");
    const std::wstring appended = appendTarget.empty() ? std::wstring() : AppendLine(appendTarget);
    const std::wstring report = Environment(L"BRENNIX_PAYLOAD_REPORT");
    if (!report.empty())
        WriteReport(report, appended, started.QuadPart);

    const std::wstring window = Environment(L"BRENNIX_PAYLOAD_WINDOW");
    if (window == L"hidden" || window.rfind(L"visible", 0) == 0) {
        const bool visible = window != L"hidden";
        const DWORD delay = visible && window.size() > 8 ? wcstoul(window.c_str() + 8, nullptr, 10) : 0;
        Sleep(delay);
        HWND handle = CreateWindowExW(0, L"STATIC", L"Brennix test payload", WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0),
                                      100, 100, 320, 160, nullptr, nullptr, instance, nullptr);
        const DWORD linger = wcstoul(Environment(L"BRENNIX_PAYLOAD_LINGER").c_str(), nullptr, 10);
        const DWORD end = GetTickCount() + linger;
        MSG message;
        do {
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&message);
            Sleep(20);
        } while (static_cast<LONG>(end - GetTickCount()) > 0);
        DestroyWindow(handle);
    }
    const std::wstring readOnly = Environment(L"BRENNIX_PAYLOAD_READONLY");
    if (!readOnly.empty())
        SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    const std::wstring child = Environment(L"BRENNIX_PAYLOAD_CHILD");
    if (!child.empty())
        StartHoldingChild(child);
    if (Environment(L"BRENNIX_PAYLOAD_CRASH") == L"1")
        Crash();
    // Parsed 64-bit wide so that values above 0x7FFFFFFF keep their bits instead of saturating.
    const std::wstring exitCode = Environment(L"BRENNIX_PAYLOAD_EXIT");
    const bool hexadecimal = exitCode.rfind(L"0x", 0) == 0 || exitCode.rfind(L"0X", 0) == 0;
    return static_cast<int>(static_cast<uint32_t>(wcstoll(exitCode.c_str(), nullptr, hexadecimal ? 16 : 10)));
}
