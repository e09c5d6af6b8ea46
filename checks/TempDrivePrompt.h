#pragma once
#include "app/ResultCode.h"

#include <string>

// Asks the user, on the worker thread, for another temp folder. 0 when the user confirmed a
// new text (stored in `path`); E_FAIL in a silent run or when the user cancelled.
ResultCode PromptForTempDrive(std::wstring& path);
