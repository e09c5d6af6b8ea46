#pragma once
// Dialogs from templates of the program's resources, modal or modeless, with data exchange
// between the dialog object's fields and its controls.
#include "framework/Wnd.h"

#include <string>

// One run of a dialog's data exchange, in one direction: from the fields to the controls
// when the dialog opens, from the controls to the fields when the user presses OK.
class CDataExchange {
public:
    CDataExchange(CWnd& dialog, bool saveAndValidate) : m_dialog(dialog), m_bSaveAndValidate(saveAndValidate) {}

    // Text of control `id` to or from `value`. A missing control leaves `value` as it is.
    void ExchangeText(int id, std::wstring& value);
    // Binds control `id` to `control`, so that the control object handles its messages from
    // now on. Done once, whichever the direction; a missing control fails the exchange.
    void BindControl(int id, CWnd& control);

    bool Failed() const { return m_bFailed; }

    CWnd& m_dialog;
    const bool m_bSaveAndValidate;

private:
    bool m_bFailed = false;
};

class CDialog : public CWnd {
public:
    // The dialog of template `templateId`; `parent` owns it (null: for a modal run, the
    // application's main window when the calling thread owns it, else no owner).
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    // Destroys the window of a modeless dialog that is still open.
    ~CDialog() override;

    // Creates the window from the template, runs it modally and returns the code it was
    // ended with (IDOK, IDCANCEL, ...), or -1 when the window cannot be created.
    virtual int DoModal();
    // Creates the window modelessly (shown only if the template says visible). False when
    // it cannot be created; the object then has no window.
    bool Create();
    // Ends the dialog with `result`: a modal run returns it; a modeless window is hidden.
    void EndDialog(int result);
    // Runs the data exchange in one direction; false when it failed.
    bool UpdateData(bool saveAndValidate);

protected:
    // Binds and exchanges the dialog's controls; the base has nothing to exchange.
    virtual void DoDataExchange(CDataExchange& dx);
    // Called once the controls exist: runs the exchange towards the controls. Returns true
    // when the platform is to set the initial focus.
    virtual BOOL OnInitDialog();
    // The OK command: reads the controls back and ends the dialog with IDOK.
    virtual void OnOK();
    // The Cancel command (also Escape and the close box): ends the dialog with IDCANCEL.
    virtual void OnCancel();

    const MessageMap* GetMessageMap() const override;

    const UINT m_nIDTemplate;
    CWnd* const m_pParentWnd;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
    HWND OwnerWindow() const;
};
