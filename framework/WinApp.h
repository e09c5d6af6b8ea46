#pragma once
// The application object's base: the entry point constructs nothing but the one static
// application object, calls InitInstance and then ExitInstance, and ends the process with the
// latter's result.
#include "framework/CommandLineInfo.h"

#include <windows.h>

class CWnd;

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();

    // Runs the application. Returning FALSE skips the message loop and goes to ExitInstance.
    virtual BOOL InitInstance();
    // Returns the process exit code.
    virtual int ExitInstance();

    // Hands each argument of the process's argument vector (as the C runtime split the
    // command line) after the program's own name to `info`.
    void ParseCommandLine(CCommandLineInfo& info);

    HINSTANCE m_hInstance = nullptr;
    // The raw command-line tail: the command line without the program's own name.
    LPWSTR m_lpCmdLine = nullptr;
    // The application's main window; when its window is destroyed the framework posts a quit
    // message to the thread and clears this pointer.
    CWnd* m_pMainWnd = nullptr;
    // The thread that runs the application: InitInstance, its windows and its message queue.
    DWORD m_nThreadID = 0;
};

// The one application object, registered by its construction.
CWinApp* AfxGetApp();

// Runs the registered application object; called by the entry point.
int AfxWinMain(HINSTANCE instance, LPWSTR commandTail);
