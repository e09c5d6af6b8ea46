#include "app/BrennixInstallerApp.h"
#include "app/Log.h"

void CBrennixInstallerApp::ReportError(ResultCode result)
{
    // Stands in until the report table lands: the code goes to the log only.
    WriteLogFormat(L"Failed with error 0x%08x.\n", result);
}

void CBrennixInstallerApp::GetDownloadPage(std::wstring&) {}
