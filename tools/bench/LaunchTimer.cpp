// Times for the benchmark, taken inside Windows with the performance counter (one clock for
// every process):
//   launch_timer.exe launch REPORT COMMAND-LINE   milliseconds from just before creating the
//       process to the start of the test payload it leads to, which writes its counter value
//       into REPORT (the variable BRENNIX_PAYLOAD_REPORT is set for it here), then a blank and
//       milliseconds to the end of the process
//   launch_timer.exe copy SOURCE TARGET           milliseconds of one CopyFileW
//   launch_timer.exe verify FILE                  milliseconds of the stub's own signature check
// Prints the numbers, or an error and exit status 1.
#include "signature/VerifyFileSignature.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

double Milliseconds(LONGLONG from, LONGLONG to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to - from) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

LONGLONG Now()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

// The payload's "started" line of its report, or -1.
LONGLONG ReadStarted(const wchar_t* report)
{
    FILE* file = _wfopen(report, L"rb");
    if (file == nullptr)
        return -1;
    char line[4096];
    LONGLONG started = -1;
    while (fgets(line, sizeof(line), file) != nullptr) {
        if (strncmp(line, "started\t", 8) == 0)
            started = _strtoi64(line + 8, nullptr, 10);
    }
    fclose(file);
    return started;
}

int TimeLaunch(const wchar_t* report, const wchar_t* commandLine)
{
    DeleteFileW(report);
    SetEnvironmentVariableW(L"BRENNIX_PAYLOAD_REPORT", report);
    std::wstring writable = commandLine;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    const LONGLONG before = Now();
    if (!CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        fprintf(stderr, "launch_timer: cannot start (error %lu)\n", GetLastError());
        return 1;
    }
    WaitForSingleObject(process.hProcess, 600000);
    const LONGLONG exited = Now();
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    const LONGLONG started = ReadStarted(report);
    if (started < 0) {
        fprintf(stderr, "launch_timer: the payload did not report its start\n");
        return 1;
    }
    printf("%.1f %.1f\n", Milliseconds(before, started), Milliseconds(before, exited));
    return 0;
}

int TimeCopy(const wchar_t* source, const wchar_t* target)
{
    DeleteFileW(target);
    const LONGLONG before = Now();
    if (!CopyFileW(source, target, FALSE)) {
        fprintf(stderr, "launch_timer: copy failed (error %lu)\n", GetLastError());
        return 1;
    }
    printf("%.1f\n", Milliseconds(before, Now()));
    DeleteFileW(target);
    return 0;
}

int TimeVerify(const wchar_t* file)
{
    const LONGLONG before = Now();
    const TrustVerdict verdict = AskTrustProvider(file);
    const LONGLONG after = Now();
    if (verdict.status != 0) {
        fprintf(stderr, "launch_timer: the signature does not verify (0x%08lx)\n", static_cast<unsigned long>(verdict.status));
        return 1;
    }
    printf("%.1f\n", Milliseconds(before, after));
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc == 4 && wcscmp(argv[1], L"launch") == 0)
        return TimeLaunch(argv[2], argv[3]);
    if (argc == 4 && wcscmp(argv[1], L"copy") == 0)
        return TimeCopy(argv[2], argv[3]);
    if (argc == 3 && wcscmp(argv[1], L"verify") == 0)
        return TimeVerify(argv[2]);
    fprintf(stderr, "usage: launch_timer.exe launch REPORT COMMAND-LINE | copy SOURCE TARGET | verify FILE\n");
    return 2;
}
