#pragma once
// The splash picture (template 131) shown while the worker unpacks and starts the installer.
// Modeless, created hidden with no parent; the main thread's wait shows, hides and ends it.
#include "framework/Dialog.h"

class SplashDlg : public CDialog {
public:
    SplashDlg();

protected:
    // Sets the application icon as the window's big and small icon.
    BOOL OnInitDialog() override;

private:
    HICON m_hIcon;
};
