#pragma once
// The calling thread's message queue.

// Dispatches every message waiting in the queue, except the quit message, which is dropped: a
// dialog that was the main window posts one when it is destroyed, and it must not end a later
// modal loop or wait.
void DispatchWaitingMessages();
