#include "framework/MessageQueue.h"

void DispatchWaitingMessages(HWND threadMessageWindow)
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            continue;
        if (message.hwnd == nullptr && threadMessageWindow != nullptr)
            message.hwnd = threadMessageWindow;
        DispatchMessageW(&message);
    }
}
