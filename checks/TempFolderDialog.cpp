#include "checks/TempFolderDialog.h"

#include "res/resource.h"

#include <utility>

CTempFolderDialog::CTempFolderDialog(std::wstring title) : CDialog(IDD_TEMP_FOLDER), m_strTitle(std::move(title)) {}

void CTempFolderDialog::DoDataExchange(CDataExchange& dx)
{
    dx.ExchangeText(IDC_TEMP_FOLDER, m_strFolder);
    dx.BindControl(IDC_TEMP_FOLDER, m_edit);
}

BOOL CTempFolderDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetText(m_strTitle);
    // The prompt comes from the worker thread while the main thread's splash (a window without
    // owner) may be up, and nothing owns the prompt to lift it: put it above every window and
    // give it the keyboard.
    SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(m_hWnd);
    m_edit.SetFocus();
    m_edit.SetSel(0, -1);
    m_edit.ScrollCaret();
    return FALSE;
}
