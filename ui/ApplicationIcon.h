#pragma once
// The application icon (icon resource 5) as the dialogs show it.
#include <windows.h>

// The icon from the program's resources at the system's large-icon size; null when missing.
// Shared by the platform: never destroyed.
HICON LoadApplicationIcon();

// Makes `icon` the window's big and then its small icon.
void SetWindowIcons(HWND window, HICON icon);
