#pragma once
// The splash picture (template 131) shown while the worker unpacks and starts the installer.
// Modeless, created hidden with no parent; the main thread's wait shows, hides and ends it,
// and hands it the worker's progress reports (WM_EXTRACTION_PROGRESS).
#include "framework/Dialog.h"
#include "ui/SplashPicture.h"

class SplashDlg : public CDialog {
public:
    SplashDlg();

protected:
    // Sets the application icon as the window's big and small icon, fits the window around
    // the picture shown at its own size, and centres it on the screen.
    BOOL OnInitDialog() override;
    const MessageMap* GetMessageMap() const override;

private:
    LRESULT OnExtractionProgress(WPARAM step, LPARAM);
    void FitAroundPicture();

    HICON m_hIcon;
    CSplashPicture m_picture;
};
