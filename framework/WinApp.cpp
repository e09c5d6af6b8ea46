#include "framework/WinApp.h"

#include <cstdlib>

namespace {
CWinApp* s_pApp = nullptr;
}

CWinApp::CWinApp()
{
    s_pApp = this;
}

CWinApp::~CWinApp()
{
    if (s_pApp == this)
        s_pApp = nullptr;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    return 0;
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info)
{
    ::ParseCommandLine(info, __argc, __wargv);
}

CWinApp* AfxGetApp()
{
    return s_pApp;
}

int AfxWinMain(HINSTANCE instance, LPWSTR commandTail)
{
    CWinApp* app = AfxGetApp();
    if (app == nullptr)
        return -1;
    app->m_hInstance = instance;
    app->m_lpCmdLine = commandTail;
    app->m_nThreadID = GetCurrentThreadId();
    if (app->InitInstance()) {
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return app->ExitInstance();
}
