#pragma once
#include "app/ResultCode.h"

#include <string>

// Asks the user, on the worker thread, for another temp folder in the drive prompt, with
// `path` shown fully selected. 0 when the user pressed OK: `path` is then exactly the text
// typed. E_FAIL, `path` unchanged, when the user cancelled or at once in a silent run (with
// the log line saying so). While the prompt is open the application's prompt count is raised
// by one, which hides the splash.
ResultCode PromptForTempDrive(std::wstring& path);
