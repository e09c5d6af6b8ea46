#pragma once
#include "app/ResultCode.h"

#include <windows.h>

#include <cstdint>
#include <string>

// Starts the installer program with `arguments` in the working folder and waits for it.
// Sets `closeSplashEvent` once the program shows a visible window. 0 when it was started and
// waited for (its exit code in `exitCode`), E_ABORT when the processor mode forbids the
// launch, E_INVALIDARG when it cannot be started, the Win32 error when its exit code is unreadable.
ResultCode RunProgram(const std::wstring& program, const std::wstring& arguments, int32_t* exitCode, HANDLE closeSplashEvent);
