#include "app/BrennixInstallerApp.h"
#include "app/ErrorReport.h"
#include "app/Log.h"
#include "framework/StringTable.h"
#include "ui/BrennixInstallerDlg.h"

void CBrennixInstallerApp::ReportError(ResultCode result)
{
    ReportFacts facts;
    facts.result = result;
    facts.exitCode = m_nExitCode;
    facts.commandTail = m_lpCmdLine != nullptr ? m_lpCmdLine : L"";
    facts.requiredDiskMB = m_nRequiredDiskMB;
    facts.diskDrive = m_strDiskDrive;
    facts.requiredNetName = m_strRequiredNetName;
    facts.requiredNetSP = m_nRequiredNetSP;
    facts.requiredNetMajor = m_nRequiredNetMajor;
    facts.requiredNetMinor = m_nRequiredNetMinor;
    facts.requiredNetBuild = m_nRequiredNetBuild;
    const ReportText report = ComposeReport(facts, LoadResString);

    WriteLog(report.message);
    WriteLog(L"\n");
    if (m_bSilent)
        return;

    CBrennixInstallerDlg notice(false);
    notice.m_strMessage = report.message;
    notice.m_strLink = report.link;
    m_pMainWnd = &notice;
    notice.DoModal();
    // The framework cleared it when the window went; not so when no window could be made.
    m_pMainWnd = nullptr;
}

void CBrennixInstallerApp::GetDownloadPage(std::wstring& page)
{
    const std::wstring found = DownloadPage(m_nRequiredNetMajor, m_nRequiredNetMinor, m_nRequiredNetBuild);
    if (!found.empty())
        page = found;
}
