// The worker thread's run and the main thread's wait for it.
#include "app/BrennixInstallerApp.h"
#include "app/Log.h"
#include "checks/TempDrivePrompt.h"
#include "framework/MessageQueue.h"
#include "framework/Wnd.h"
#include "payload/EmbeddedInformation.h"
#include "payload/Extraction.h"
#include "payload/ProgramLaunch.h"
#include "payload/TempFolder.h"

#include <objbase.h>

unsigned WorkerThreadProc(void* parameter)
{
    auto* app = static_cast<CBrennixInstallerApp*>(parameter);
    CoInitialize(nullptr);
    app->m_nResult = app->RunEmbeddedResource(&app->m_nExitCode);
    // The result is written before the event: the main thread reads it only after the event.
    SetEvent(app->m_hDoneEvent);
    CoUninitialize();
    return 0;
}

ResultCode CBrennixInstallerApp::RunEmbeddedResource(int32_t* exitCode)
{
    WriteLog(L"Run Embedded Resources \n");
    *exitCode = 0;

    ResultCode result = ParseOptions();
    if (result != Result::Ok) {
        WriteLog(L"Failed to parse parameters\n");
        return result;
    }
    if (m_hInstance == nullptr) {
        WriteLog(L"RunEmbeddedResource hLibrary is not set\n");
        return result;
    }

    if (ProbeTempFolder(m_strTempFolder) != Result::Ok) {
        const ResultCode prompt = PromptForTempDrive(m_strTempFolder);
        if (prompt != Result::Ok)
            return prompt;
        const ResultCode probe = ProbeTempFolder(m_strTempFolder);
        if (probe != Result::Ok)
            return probe;
    }
    if (m_bZeroGuid)
        SetZeroGuid();

    WriteEmbeddedInformation();

    std::wstring programPath;
    result = EnumerateResources(m_hInstance, m_listResources, programPath);
    if (m_bRunInstaller && result == Result::Ok)
        result = RunProgram(programPath, m_strCommandLine, exitCode, m_hCloseSplashEvent);

    WriteLogFormat(L"Remove folder '%s'\n", m_bRemoveTempFolder ? L"Yes" : L"No");
    if (m_bRemoveTempFolder)
        RemoveTempFolder(m_listResources);
    return result;
}

int WaitForWorker(const HANDLE events[2], CBrennixInstallerApp* app, CWnd* splash)
{
    HWND splashWindow = splash != nullptr ? splash->GetSafeHwnd() : nullptr;
    int32_t seenPromptCount = 0;
    for (;;) {
        // The worker's progress reports go to the splash while it is up.
        DispatchWaitingMessages(splashWindow);

        const int32_t promptCount = app->m_nPromptCount;
        if (promptCount != seenPromptCount && splashWindow != nullptr) {
            if (promptCount == 0)
                ShowWindow(splashWindow, SW_SHOW);
            else if (seenPromptCount == 0 && promptCount == 1)
                ShowWindow(splashWindow, SW_HIDE);
        }
        seenPromptCount = promptCount;

        const DWORD wait = MsgWaitForMultipleObjects(2, events, FALSE, INFINITE, QS_ALLINPUT);
        if (wait == WAIT_OBJECT_0 + 2)
            continue;
        if (WaitForSingleObject(events[1], 0) == WAIT_OBJECT_0) {
            if (splashWindow != nullptr)
                EndDialog(splashWindow, 5);
            return 0;
        }
        if (wait == WAIT_OBJECT_0) {
            ResetEvent(events[0]);
            if (splashWindow != nullptr)
                EndDialog(splashWindow, 5);
            splashWindow = nullptr;
        }
    }
}
