#pragma once
// Starting the unpacked installer and waiting for it.
#include "app/ResultCode.h"

#include <windows.h>

#include <cstdint>
#include <string>

// Starts `program` with the command line "\"program\" " + `arguments` in the working folder,
// under the processor-mode guard, and waits for it with the log file closed. Sets
// `closeSplashEvent` (when given) once the program shows a visible top-level window. 0 when it
// was started and waited for, its exit code in `exitCode`; E_ABORT when the processor mode
// forbids the launch; E_INVALIDARG when the process cannot be created; the Win32 error when
// the exit code cannot be read (`exitCode` then stays 0).
ResultCode RunProgram(const std::wstring& program, const std::wstring& arguments, int32_t* exitCode,
                      HANDLE closeSplashEvent);
