#pragma once
// The calling thread's message queue.
#include <windows.h>

// Dispatches every message waiting in the queue, except the quit message, which is dropped: a
// dialog that was the main window posts one when it is destroyed, and it must not end a later
// modal loop or wait. Messages posted to the thread itself rather than to a window go to
// `threadMessageWindow` when one is given (another thread's reports), else nowhere.
void DispatchWaitingMessages(HWND threadMessageWindow = nullptr);
