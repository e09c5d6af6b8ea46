#include "checks/TempDrivePrompt.h"

#include "app/BrennixInstallerApp.h"
#include "app/Log.h"
#include "checks/TempFolderDialog.h"
#include "framework/StringTable.h"
#include "res/resource.h"

ResultCode PromptForTempDrive(std::wstring& path)
{
    if (theApp.m_bSilent) {
        WriteLog(L"Not Prompting the user as silent installation\n");
        return Result::Fail;
    }
    CTempFolderDialog dialog(LoadResString(IDS_APPLICATION_NAME));
    dialog.m_strFolder = path;
    ++theApp.m_nPromptCount;
    const int answer = dialog.DoModal();
    --theApp.m_nPromptCount;
    if (answer != IDOK)
        return Result::Fail;
    path = dialog.m_strFolder;
    return Result::Ok;
}
