#include "checks/TempFolderDialog.h"

#include "res/resource.h"

#include <utility>

namespace {

std::wstring ReadText(HWND window)
{
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Centres `dialog` on the work area of the screen it is on.
void CenterOnScreen(HWND dialog)
{
    RECT frame = {};
    GetWindowRect(dialog, &frame);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTOPRIMARY), &monitor))
        return;
    const RECT& area = monitor.rcWork;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(dialog, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

CTempFolderDialog::CTempFolderDialog(std::wstring title) : m_strTitle(std::move(title)) {}

INT_PTR CTempFolderDialog::DoModal()
{
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_TEMP_FOLDER), nullptr, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

BOOL CTempFolderDialog::OnInitDialog(HWND dialog)
{
    m_edit = GetDlgItem(dialog, IDC_TEMP_FOLDER);
    SetWindowTextW(dialog, m_strTitle.c_str());
    SetWindowTextW(m_edit, m_strFolder.c_str());
    CenterOnScreen(dialog);
    // The prompt comes from the worker thread while the main thread's splash is up, and has
    // no owner to lift it: put it above everything and give it the keyboard.
    SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(dialog);
    SetFocus(m_edit);
    SendMessageW(m_edit, EM_SETSEL, 0, -1);
    SendMessageW(m_edit, EM_SCROLLCARET, 0, 0);
    return FALSE;
}

INT_PTR CALLBACK CTempFolderDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<CTempFolderDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        self = reinterpret_cast<CTempFolderDialog*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        return self->OnInitDialog(dialog);
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            self->m_strFolder = ReadText(self->m_edit);
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}
