#include "checks/TempDrivePrompt.h"

#include "app/BrennixInstallerApp.h"
#include "app/Log.h"
#include "checks/TempFolderDialog.h"
#include "framework/StringTable.h"
#include "res/resource.h"

namespace {

// Changes the number of open prompts, then wakes the main thread: its wait loop reads the
// count only when it wakes, and nothing else may wake it when the prompt closes, so the
// splash would stay hidden after the prompt.
void ChangePromptCount(int32_t change)
{
    theApp.m_nPromptCount += change;
    PostThreadMessageW(theApp.m_nThreadID, WM_NULL, 0, 0);
}

} // namespace

ResultCode PromptForTempDrive(std::wstring& path)
{
    if (theApp.m_bSilent) {
        WriteLog(L"Not Prompting the user as silent installation\n");
        return Result::Fail;
    }
    CTempFolderDialog dialog(LoadResString(IDS_APPLICATION_NAME));
    dialog.m_strFolder = path;
    ChangePromptCount(+1);
    const int answer = dialog.DoModal();
    ChangePromptCount(-1);
    if (answer != IDOK)
        return Result::Fail;
    path = dialog.m_strFolder;
    return Result::Ok;
}
