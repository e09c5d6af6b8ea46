#include "framework/Dialog.h"

#include "framework/WinApp.h"

namespace {

HINSTANCE ResourceModule()
{
    return GetModuleHandleW(nullptr);
}

} // namespace

void CDataExchange::ExchangeText(int id, std::wstring& value)
{
    HWND control = m_dialog.GetDlgItem(id);
    if (control == nullptr)
        return;
    if (!m_bSaveAndValidate) {
        SetWindowTextW(control, value.c_str());
        return;
    }
    value = ReadWindowText(control);
}

void CDataExchange::BindControl(int id, CWnd& control)
{
    if (control.GetSafeHwnd() != nullptr)
        return;
    if (!control.SubclassDlgItem(id, m_dialog))
        m_bFailed = true;
}

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog()
{
    if (m_hWnd != nullptr)
        DestroyWindow(m_hWnd);
}

HWND CDialog::OwnerWindow() const
{
    if (m_pParentWnd != nullptr)
        return m_pParentWnd->GetSafeHwnd();
    // Without a parent the application's main window owns the dialog, but only on the
    // thread that owns that window: an owner on another thread would tie the two threads'
    // input together.
    CWinApp* app = AfxGetApp();
    HWND main = app != nullptr && app->m_pMainWnd != nullptr ? app->m_pMainWnd->GetSafeHwnd() : nullptr;
    if (main != nullptr && GetWindowThreadProcessId(main, nullptr) == GetCurrentThreadId())
        return main;
    return nullptr;
}

int CDialog::DoModal()
{
    const INT_PTR result = DialogBoxParamW(ResourceModule(), MAKEINTRESOURCEW(m_nIDTemplate), OwnerWindow(),
                                           &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    return static_cast<int>(result);
}

bool CDialog::Create()
{
    if (m_hWnd != nullptr)
        return false;
    HWND window = CreateDialogParamW(ResourceModule(), MAKEINTRESOURCEW(m_nIDTemplate),
                                     m_pParentWnd != nullptr ? m_pParentWnd->GetSafeHwnd() : nullptr,
                                     &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    return window != nullptr && m_hWnd == window;
}

void CDialog::EndDialog(int result)
{
    if (m_hWnd != nullptr)
        ::EndDialog(m_hWnd, result);
}

bool CDialog::UpdateData(bool saveAndValidate)
{
    CDataExchange dx(*this, saveAndValidate);
    DoDataExchange(dx);
    return !dx.Failed();
}

void CDialog::DoDataExchange(CDataExchange&) {}

BOOL CDialog::OnInitDialog()
{
    UpdateData(false);
    return TRUE;
}

void CDialog::OnOK()
{
    if (UpdateData(true))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

const MessageMap* CDialog::GetMessageMap() const
{
    static const MessageEntry entries[] = {
        OnMessage(WM_COMMAND, &CDialog::OnCommand),
    };
    static const MessageMap map = {CWnd::GetMessageMap(), entries, sizeof(entries) / sizeof(entries[0])};
    return &map;
}

LRESULT CDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    // Buttons and the dialog manager's Enter and Escape send BN_CLICKED (0) as the code.
    if (HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
        case IDOK:
            OnOK();
            return 0;
        case IDCANCEL:
            OnCancel();
            return 0;
        default:
            break;
        }
    }
    return DefaultWindowProc(WM_COMMAND, wParam, lParam);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM, LPARAM lParam)
{
    // Once attached at WM_INITDIALOG the object sees every message first through its
    // subclass procedure; what it passes on arrives here and gets the dialog manager's
    // default handling.
    if (message != WM_INITDIALOG)
        return FALSE;
    auto* dialog = reinterpret_cast<CDialog*>(lParam);
    if (dialog == nullptr || !dialog->SubclassWindow(window))
        return TRUE;
    RECT before = {};
    GetWindowRect(window, &before);
    const BOOL defaultFocus = dialog->OnInitDialog();
    // A dialog that its initialisation did not place opens centred, over its owner or the screen.
    RECT after = {};
    if (IsWindow(window) && GetWindowRect(window, &after) && EqualRect(&before, &after))
        dialog->CenterWindow();
    return defaultFocus;
}
