#include "ui/SplashDlg.h"

#include "res/resource.h"
#include "ui/ApplicationIcon.h"

SplashDlg::SplashDlg() : CDialog(IDD_SPLASH), m_hIcon(LoadApplicationIcon()) {}

BOOL SplashDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowIcons(m_hWnd, m_hIcon);
    return TRUE;
}
