// The run on the main thread: options, signature, checks, the worker, the report, the exit code.
#include "app/BrennixInstallerApp.h"
#include "app/BuildSettings.h"
#include "app/Log.h"
#include "checks/AdminCheck.h"
#include "checks/MsiEngineCheck.h"
#include "framework/CommonControls.h"
#include "framework/Handles.h"
#include "framework/LongPath.h"
#include "framework/MessageQueue.h"
#include "framework/StringTable.h"
#include "framework/Thread.h"
#include "payload/ExtractionProgress.h"
#include "res/resource.h"
#include "signature/VerifyFileSignature.h"
#include "ui/BrennixInstallerDlg.h"
#include "ui/SplashDlg.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

namespace {

ObjectHandle CreateManualResetEvent()
{
    return ObjectHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr));
}

bool IsReportable(ResultCode result, int32_t exitCode)
{
    return result < 0 || result == Result::MsiEngineTooOld || exitCode < 0;
}

} // namespace

std::wstring GetModulePath()
{
    // A setup file deep in a folder tree has a path beyond MAX_PATH: a cut path would name no
    // file and fail the signature check.
    return ReadWholePath([](wchar_t* buffer, uint32_t size) { return GetModuleFileNameW(nullptr, buffer, size); });
}

BOOL CBrennixInstallerApp::InitInstance()
{
    m_nPromptCount = 0;

    InitCommonControlsSystem(ICC_WIN95_CLASSES);
    CoInitialize(nullptr);  // never undone on this thread: the process ends after the run

    ResultCode result = ParseOptions();
    if (result == Result::Ok) {
        WriteLogFormat(L"Started %ld\n", GetTickCount());
        result = VerifyOwnSignature();
    }
    if (result == Result::Ok) {
        LogSignatureDetails();
        result = RunChecks();
    }
    if (result == Result::Ok)
        result = RunWorker();

    if (m_bShowHelp)
        ShellExecuteW(nullptr, nullptr, BRENNIX_HELP_PAGE, nullptr, nullptr, SW_SHOW);
    if (IsReportable(result, m_nExitCode))
        ReportError(result);

    // A failure found before the worker ran must still reach the exit code, or a deployment
    // script would count it as success; help is not a failure.
    if (result != Result::HelpRequested)
        m_nResult = result;
    return FALSE;
}

ResultCode CBrennixInstallerApp::VerifyOwnSignature(TrustProviderCall askTrustProvider)
{
    std::wstring description;
    const ResultCode status = VerifyFileSignature(GetModulePath(), description, askTrustProvider);
    if (status == Result::Ok)
        return Result::Ok;

    WriteLogFormat(L"Certificate error %0x\n", status);
    if (m_bSilent) {
        if (status == Result::CertChaining) {
            WriteLog(L"Ignore chaining error....\n");
            return Result::Ok;
        }
        if (!m_bRunInstaller) {
            WriteLog(L"Not running so extract anyway\n");
            return Result::Ok;
        }
        WriteLog(L"Not signed correctly so failing now!\n");
        return Result::NoSignature;
    }

    CBrennixInstallerDlg question(true);
    const std::wstring applicationName = LoadResString(IDS_APPLICATION_NAME);
    question.m_strMessage = description;
    WriteLogFormat(L"Not signed correctly %0x\n", status);
    question.m_strHeading = FormatResString(IDS_VERIFICATION_QUESTION, applicationName.c_str());
    m_pMainWnd = &question;
    const int answer = question.DoModal();
    m_pMainWnd = nullptr;
    // Whatever the answer, the quit message posted for the destroyed question must not close
    // the next dialog (after a refusal, the report that explains it).
    DispatchWaitingMessages();
    return answer == IDOK ? Result::Ok : Result::NoSignature;
}

ResultCode CBrennixInstallerApp::RunChecks()
{
    if (IsAdminRequired() && !IsUserAdmin())
        return Result::AdminRightsMissing;
    if (!CheckNetVersion())
        return Result::NetFrameworkMissing;
    if (!CheckMsiEngine())
        return Result::MsiEngineTooOld;
    if (!CheckFreeDiskSpace())
        return Result::MediumFull;
    return Result::Ok;
}

ResultCode CBrennixInstallerApp::RunWorker()
{
    ObjectHandle doneEvent = CreateManualResetEvent();
    if (!doneEvent)
        return Result::FromWin32(GetLastError());
    ObjectHandle closeSplashEvent = CreateManualResetEvent();
    if (!closeSplashEvent)
        return Result::FromWin32(GetLastError());
    // The application object owns the events for the rest of the process: the worker may
    // still touch them while the process ends.
    m_hDoneEvent = doneEvent.Release();
    m_hCloseSplashEvent = closeSplashEvent.Release();

    // Only a splash that can be seen wants to hear how the unpacking goes.
    if (!m_bSilent)
        SetProgressListener(GetCurrentThreadId());
    const DWORD startError = AfxBeginThread(WorkerThreadProc, this);
    if (startError != 0)
        return Result::FromWin32(startError);

    SplashDlg splash;
    splash.Create();
    if (!m_bSilent && m_nPromptCount == 0 && splash.GetSafeHwnd() != nullptr)
        ShowWindow(splash.GetSafeHwnd(), SW_SHOW);

    const HANDLE events[2] = {m_hCloseSplashEvent, m_hDoneEvent};
    WaitForWorker(events, this, &splash);
    return m_nResult;
}

int CBrennixInstallerApp::ExitInstance()
{
    CWinApp::ExitInstance();
    if (m_nResult != 0)
        m_nExitCode = m_nResult;
    WriteLogFormat(L"Ended %ld\n", GetTickCount());
    CloseLogFile();
    return m_nExitCode;
}
