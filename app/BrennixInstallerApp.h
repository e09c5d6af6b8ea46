#pragma once
// The application object: it owns the run and is the state record that every part of the
// program reads and writes.
#include "app/ResultCode.h"
#include "framework/WinApp.h"
#include "payload/Resource.h"
#include "signature/VerifyFileSignature.h"

#include <atomic>
#include <cstdint>
#include <string>

class CBrennixInstallerApp : public CWinApp {
public:
    CBrennixInstallerApp();

    // Runs the whole installation; always returns FALSE so no message loop follows.
    BOOL InitInstance() override;
    // Returns the process exit code.
    int ExitInstance() override;

    // The worker's run: unpack, launch, clean up. `exitCode` receives the installer's exit code.
    ResultCode RunEmbeddedResource(int32_t* exitCode);
    // Reads the command line into the flags, the temp folder and the installer's command
    // line; may open the log. 0, 1 (help) or 0x80030057 (a value switch used as a flag).
    ResultCode ParseOptions();
    // Puts the run's failure into words: always in the log, in the message dialog unless silent.
    void ReportError(ResultCode result);
    // The download page for the required .NET Framework; `page` is left untouched when none applies.
    void GetDownloadPage(std::wstring& page);
    // True when an acceptable .NET Framework is installed; records the required version.
    bool CheckNetVersion();
    // True when the temp folder's drive has the required free space.
    bool CheckFreeDiskSpace();
    // Logs the signer's details and takes the signed program name.
    void LogSignatureDetails();
    // Runs the signature check of the setup file and, when it fails, the silent or interactive
    // decision; 0 when the run goes on, 0x800B0100 when it stops. Tests pass a stand-in for the
    // trust provider.
    ResultCode VerifyOwnSignature(TrustProviderCall askTrustProvider = AskTrustProvider);

    ResultCode m_nResult = 0;
    int32_t m_nExitCode = 0;
    std::atomic<int32_t> m_nPromptCount{0};
    HANDLE m_hDoneEvent = nullptr;
    HANDLE m_hCloseSplashEvent = nullptr;
    bool m_bZeroGuid = false;
    bool m_bRemoveTempFolder = true;
    bool m_bRunInstaller = true;
    bool m_bSilent = false;
    std::wstring m_strProgramName;
    std::wstring m_strTempFolder;
    std::wstring m_strCommandLine;
    ResourceList m_listResources;
    int64_t m_nRequiredDiskMB = 0;
    int64_t m_nFreeDiskMB = 0;
    std::wstring m_strDiskDrive;
    std::wstring m_strRequiredNetName = L"Unknown .NET Version";
    int32_t m_nRequiredNetSP = 0;
    int32_t m_nRequiredNetMajor = 4;
    int32_t m_nRequiredNetMinor = 5;
    int32_t m_nRequiredNetBuild = 0;
    bool m_bShowHelp = false;

private:
    // Runs the prerequisite checks in order; the first failure's code, or 0.
    ResultCode RunChecks();
    // Starts the worker, shows the splash and waits; the worker's result.
    ResultCode RunWorker();
};

extern CBrennixInstallerApp theApp;

// The worker thread's entry; `parameter` is the application object.
unsigned WorkerThreadProc(void* parameter);

class CWnd;
// The main thread's wait: pumps messages, steers the splash, returns when the worker is done.
// `events` holds the close-splash event first and the done event second.
int WaitForWorker(const HANDLE events[2], CBrennixInstallerApp* app, CWnd* splash);

// The full path of the running setup file.
std::wstring GetModulePath();
