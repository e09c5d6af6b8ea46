#pragma once
// The one message dialog (template 102): the signature question (Yes/No) and every failure
// notice (Cancel only). A banner, a bold heading, the message, an optional link.
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "ui/StaticEx.h"
#include "ui/StaticLink.h"

#include <string>

class CBrennixInstallerDlg : public CDialog {
public:
    // `question`: Yes and No buttons; otherwise a notice with Cancel alone. Nothing is shown
    // until DoModal, which returns 1 (Yes), 2 (No, Cancel, Escape, close box) or -1 (the
    // window could not be created).
    explicit CBrennixInstallerDlg(bool question);

    HICON m_hIcon;
    CStaticEx m_wndHeading;
    CStaticLink m_wndLink;
    CButton m_btnOK;
    CButton m_btnCancel;
    bool m_bQuestion;
    std::wstring m_strMessage;
    std::wstring m_strHeading = L"Error";
    std::wstring m_strLink;

protected:
    const MessageMap* GetMessageMap() const override;
    // Binds the heading, link and buttons and exchanges the three texts, in that order.
    void DoDataExchange(CDataExchange& dx) override;
    // Fills the controls, adds the About item, sets the icons, the caption and the buttons.
    BOOL OnInitDialog() override;

private:
    LRESULT OnSysCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
    LRESULT OnQueryDragIcon(WPARAM wParam, LPARAM lParam);
};
