#pragma once
// The About box (template 100): the application name with the program's version and its
// copyright line. Opened from the message dialog's system menu.
#include "framework/Dialog.h"

class CAboutDlg : public CDialog {
public:
    // `owner`: the window the box runs over (null: the application's main window).
    explicit CAboutDlg(CWnd* owner = nullptr);

protected:
    // Sets the caption, the version line and the copyright line.
    BOOL OnInitDialog() override;
};

// Appends a separator and the About item (command IDM_ABOUTBOX, text "&About <name>...") to
// the system menu of `window`. Nothing is added when the window has no system menu or the
// item's text is missing from the string table.
void AddAboutItem(HWND window);

// True for the About item's system command; the low four bits of the id are the platform's.
bool IsAboutCommand(WPARAM command);
