#include "checks/TempDrivePrompt.h"

ResultCode PromptForTempDrive(std::wstring&)
{
    return Result::Fail;  // stands in until the drive prompt lands: no other folder is offered
}
