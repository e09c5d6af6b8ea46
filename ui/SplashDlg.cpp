#include "ui/SplashDlg.h"

#include "payload/ExtractionProgress.h"
#include "res/resource.h"
#include "ui/ApplicationIcon.h"

SplashDlg::SplashDlg() : CDialog(IDD_SPLASH), m_hIcon(LoadApplicationIcon()) {}

const MessageMap* SplashDlg::GetMessageMap() const
{
    static const MessageEntry entries[] = {
        OnMessage(WM_EXTRACTION_PROGRESS, &SplashDlg::OnExtractionProgress),
    };
    static const MessageMap map = {CDialog::GetMessageMap(), entries, sizeof(entries) / sizeof(entries[0])};
    return &map;
}

BOOL SplashDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowIcons(m_hWnd, m_hIcon);
    // The template's one control is the picture.
    if (m_picture.SubclassWindow(GetWindow(m_hWnd, GW_CHILD)))
        FitAroundPicture();
    return TRUE;
}

void SplashDlg::FitAroundPicture()
{
    m_picture.FitToPicture();
    RECT picture = {};
    GetWindowRect(m_picture.GetSafeHwnd(), &picture);
    RECT outside = {0, 0, picture.right - picture.left, picture.bottom - picture.top};
    AdjustWindowRectEx(&outside, static_cast<DWORD>(GetWindowLongW(m_hWnd, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(m_hWnd, GWL_EXSTYLE)));
    SetWindowPos(m_hWnd, nullptr, 0, 0, outside.right - outside.left, outside.bottom - outside.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(m_picture.GetSafeHwnd(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    CenterWindow();
}

LRESULT SplashDlg::OnExtractionProgress(WPARAM step, LPARAM)
{
    m_picture.ShowProgress(static_cast<uint32_t>(step));
    return 0;
}
