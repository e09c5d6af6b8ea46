#include "ui/AboutDlg.h"

#include "framework/StringTable.h"
#include "res/resource.h"

namespace {

// The program's version, fixed at build time: the same numbers as its version resource.
constexpr int kVersion[4] = {BRENNIX_VERSION_MAJOR, BRENNIX_VERSION_MINOR, BRENNIX_VERSION_PATCH, BRENNIX_VERSION_TWEAK};

constexpr wchar_t kCopyright[] = L"Copyright \u00A9 2026 Corvane. All rights reserved.";

} // namespace

CAboutDlg::CAboutDlg(CWnd* owner) : CDialog(IDD_ABOUTBOX, owner) {}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    HWND version = GetDlgItem(IDC_ABOUT_VERSION);
    const std::wstring name = LoadResString(IDS_APPLICATION_NAME);
    SetText(FormatResString(IDS_ABOUT_CAPTION, name.c_str()));
    if (version != nullptr) {
        const std::wstring line =
            FormatResString(IDS_ABOUT_VERSION, name.c_str(), kVersion[0], kVersion[1], kVersion[2], kVersion[3]);
        SetWindowTextW(version, line.c_str());
    }
    if (HWND copyright = GetDlgItem(IDC_ABOUT_COPYRIGHT))
        SetWindowTextW(copyright, kCopyright);
    return TRUE;
}

void AddAboutItem(HWND window)
{
    HMENU menu = GetSystemMenu(window, FALSE);
    if (menu == nullptr)
        return;
    const std::wstring item = FormatResString(IDS_ABOUT_ITEM, LoadResString(IDS_APPLICATION_NAME).c_str());
    if (item.empty())
        return;
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, item.c_str());
}

bool IsAboutCommand(WPARAM command)
{
    return (command & 0xFFF0) == IDM_ABOUTBOX;
}
