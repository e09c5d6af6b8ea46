#pragma once
// The drive prompt (dialog 146): one edit field where the user types another place for the
// temporary folder.
#include <windows.h>

#include <string>

class CTempFolderDialog {
public:
    // The dialog with `title` as its caption and an empty folder text.
    explicit CTempFolderDialog(std::wstring title);

    // Runs the dialog modally on the calling thread, with no owner and in front of every
    // other window. IDOK (the edit's text is then in m_strFolder), IDCANCEL (Cancel, Escape
    // or the close box), or -1 when the window cannot be created.
    INT_PTR DoModal();

    std::wstring m_strTitle;
    // Shown in the edit when the dialog opens, read back from it on OK.
    std::wstring m_strFolder;
    HWND m_edit = nullptr;

private:
    // Fills the caption and the edit, and opens with the whole text selected. Returns FALSE:
    // the focus is set here.
    BOOL OnInitDialog(HWND dialog);
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
};
