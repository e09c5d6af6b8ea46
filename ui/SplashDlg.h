#pragma once
// The splash picture shown while the worker unpacks and starts the installer.
#include "framework/Wnd.h"

class SplashDlg : public CWnd {
public:
    // Creates the window, hidden, with no parent. False when it cannot be created.
    bool Create();
};
