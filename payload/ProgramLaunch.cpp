#include "payload/ProgramLaunch.h"

#include "app/Log.h"
#include "checks/ProcessorMode.h"
#include "framework/Handles.h"
#include "payload/TempFolder.h"
#include "payload/WindowIterator.h"

#include <vector>

namespace {

constexpr DWORD kWindowPollMilliseconds = 100;

// Waits for the process to end. Until it shows a visible window the wait wakes every 100 ms
// to look; the look follows every wake, the last one included, so a window shown just before
// the end still sets the event.
void WaitForProgram(const PROCESS_INFORMATION& process, HANDLE closeSplashEvent)
{
    for (;;) {
        const bool ended = WaitForSingleObject(process.hProcess, kWindowPollMilliseconds) != WAIT_TIMEOUT;
        if (HasProgramWindow(process.dwProcessId)) {
            if (closeSplashEvent != nullptr)
                SetEvent(closeSplashEvent);
            if (!ended)
                WaitForSingleObject(process.hProcess, INFINITE);
            return;
        }
        if (ended)
            return;
    }
}

} // namespace

ResultCode RunProgram(const std::wstring& program, const std::wstring& arguments, int32_t* exitCode,
                      HANDLE closeSplashEvent)
{
    *exitCode = 0;
    ResultCode result = Result::Ok;

    // The quotes keep a path with blanks one element; the blank stays even without arguments.
    const std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    std::vector<wchar_t> writableCommandLine(commandLine.c_str(), commandLine.c_str() + commandLine.size() + 1);
    WriteLogFormat(L"RunProgram program '%s'\n", commandLine.c_str());

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};

    // The program inherits the working folder as its starting folder.
    std::wstring workFolder;
    if (GetTempFolder(workFolder))
        SetCurrentDirectoryW(workFolder.c_str());

    CProcessorMode processorMode;
    if (!processorMode.SetProcessorMode()) {
        WriteLog(L"Run Program, Failed to set processor mode\n");
        return Result::Abort;
    }
    const BOOL created = CreateProcessW(nullptr, writableCommandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                        &startup, &process);
    if (!created) {
        WriteLog(L"Run Program returned error\n");
        processorMode.Restore();
        return Result::InvalidArg;
    }
    // Redirection is off only across the creation, never during the wait.
    processorMode.Restore();
    ObjectHandle processHandle(process.hProcess);
    ObjectHandle threadHandle(process.hThread);

    // The installer is handed the same log path; it writes there while the stub is away.
    CloseLogFile();
    WaitForProgram(process, closeSplashEvent);
    DWORD programExitCode = 0;
    if (!GetExitCodeProcess(processHandle.Get(), &programExitCode)) {
        result = static_cast<ResultCode>(GetLastError());
        programExitCode = 0;
    }
    *exitCode = static_cast<int32_t>(programExitCode);
    threadHandle.Reset();
    processHandle.Reset();
    ReopenLogFile();

    WriteLogFormat(L"RunProgram returned %d\n", *exitCode);
    return result;
}
