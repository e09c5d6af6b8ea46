// Test program: releases every key and mouse button that Wine's own input state still holds
// down, and prints the virtual-key codes it released, one a line.
//   release_keys.exe
// Wine keeps the key state of a prefix in its server, for every program of the prefix. A
// release that it never saw (the window the press went to was gone by then) leaves the key
// down there, and the next test's window would start with it pressed.
#include <windows.h>

#include <cstdio>
#include <vector>

namespace {

// The mouse buttons, as the up events that release them.
struct Button {
    int virtualKey;
    DWORD upFlag;
};
constexpr Button kButtons[] = {
    {VK_LBUTTON, MOUSEEVENTF_LEFTUP}, {VK_RBUTTON, MOUSEEVENTF_RIGHTUP}, {VK_MBUTTON, MOUSEEVENTF_MIDDLEUP},
    {VK_XBUTTON1, MOUSEEVENTF_XUP},   {VK_XBUTTON2, MOUSEEVENTF_XUP},
};

bool IsDown(int virtualKey)
{
    return (GetAsyncKeyState(virtualKey) & 0x8000) != 0;
}

const Button* FindButton(int virtualKey)
{
    for (const Button& button : kButtons)
        if (button.virtualKey == virtualKey)
            return &button;
    return nullptr;
}

} // namespace

int wmain()
{
    std::vector<INPUT> releases;
    for (int virtualKey = 1; virtualKey < 256; ++virtualKey) {
        if (!IsDown(virtualKey))
            continue;
        INPUT input = {};
        if (const Button* button = FindButton(virtualKey)) {
            input.type = INPUT_MOUSE;
            input.mi.dwFlags = button->upFlag;
            input.mi.mouseData = virtualKey == VK_XBUTTON1 ? XBUTTON1 : virtualKey == VK_XBUTTON2 ? XBUTTON2 : 0;
        } else {
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = static_cast<WORD>(virtualKey);
            input.ki.dwFlags = KEYEVENTF_KEYUP;
        }
        releases.push_back(input);
        std::printf("%d\n", virtualKey);
    }
    if (!releases.empty() && SendInput(static_cast<UINT>(releases.size()), releases.data(), sizeof(INPUT)) != releases.size())
        return 1;
    return 0;
}
