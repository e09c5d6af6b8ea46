#pragma once
// Worker-thread start.
#include <windows.h>

using ThreadProc = unsigned (*)(void* parameter);

// Starts `proc(parameter)` on a new thread at normal priority with the default stack. The
// thread cleans up after itself when it ends. Returns 0, or the platform error when the thread
// cannot be started.
DWORD AfxBeginThread(ThreadProc proc, void* parameter);
