#pragma once
// The one message dialog: the signature question (Yes/No) and every failure notice (Cancel).
#include "framework/Wnd.h"

#include <string>

class CBrennixInstallerDlg : public CWnd {
public:
    explicit CBrennixInstallerDlg(bool question);

    // Shows the dialog modally: 1 (Yes), 2 (No, Cancel, Escape, close box) or -1.
    int DoModal();

    bool m_bQuestion;
    std::wstring m_strMessage;
    std::wstring m_strHeading = L"Error";
    std::wstring m_strLink;
};
