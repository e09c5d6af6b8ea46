#pragma once
// The drive prompt (dialog 146): one edit field where the user types another place for the
// temporary folder.
#include "framework/Controls.h"
#include "framework/Dialog.h"

#include <string>

class CTempFolderDialog : public CDialog {
public:
    // The dialog with `title` as its caption and an empty folder text. Run with DoModal: it
    // has no owner (it is shown from the worker thread) and opens in front of every other
    // window; IDOK leaves the edit's text in m_strFolder.
    explicit CTempFolderDialog(std::wstring title);

    std::wstring m_strTitle;
    // Shown in the edit when the dialog opens, read back from it on OK.
    std::wstring m_strFolder;
    CEdit m_edit;

protected:
    // The edit's text to and from m_strFolder; binds the edit to m_edit.
    void DoDataExchange(CDataExchange& dx) override;
    // Sets the caption, brings the dialog to the front and opens the edit with its whole text
    // selected. Returns FALSE: the focus is set here.
    BOOL OnInitDialog() override;
};
