#include "ui/BrennixInstallerDlg.h"

#include "framework/StringTable.h"
#include "res/resource.h"
#include "ui/AboutDlg.h"
#include "ui/ApplicationIcon.h"

CBrennixInstallerDlg::CBrennixInstallerDlg(bool question)
    : CDialog(IDD_BRENNIXINSTALLER_DIALOG), m_hIcon(LoadApplicationIcon()), m_bQuestion(question)
{
}

const MessageMap* CBrennixInstallerDlg::GetMessageMap() const
{
    static const MessageEntry entries[] = {
        OnMessage(WM_SYSCOMMAND, &CBrennixInstallerDlg::OnSysCommand),
        OnMessage(WM_PAINT, &CBrennixInstallerDlg::OnPaint),
        OnMessage(WM_QUERYDRAGICON, &CBrennixInstallerDlg::OnQueryDragIcon),
    };
    static const MessageMap map = {CDialog::GetMessageMap(), entries, sizeof(entries) / sizeof(entries[0])};
    return &map;
}

void CBrennixInstallerDlg::DoDataExchange(CDataExchange& dx)
{
    CDialog::DoDataExchange(dx);
    dx.BindControl(IDC_HEADING, m_wndHeading);
    dx.ExchangeText(IDC_MESSAGE, m_strMessage);
    dx.ExchangeText(IDC_HEADING, m_strHeading);
    dx.BindControl(IDC_LINK, m_wndLink);
    dx.ExchangeText(IDC_LINK, m_strLink);
    dx.BindControl(IDOK, m_btnOK);
    dx.BindControl(IDCANCEL, m_btnCancel);
}

BOOL CBrennixInstallerDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    AddAboutItem(m_hWnd);
    SetWindowIcons(m_hWnd, m_hIcon);
    SetText(LoadResString(IDS_APPLICATION_NAME));
    if (m_bQuestion) {
        m_btnOK.SetText(L"Yes");
        m_btnCancel.SetText(L"No");
    } else {
        m_btnOK.ShowWindow(SW_HIDE);
    }
    return TRUE;
}

LRESULT CBrennixInstallerDlg::OnSysCommand(WPARAM wParam, LPARAM lParam)
{
    if (IsAboutCommand(wParam)) {
        CAboutDlg about(this);
        about.DoModal();
        return 0;
    }
    return DefaultWindowProc(WM_SYSCOMMAND, wParam, lParam);
}

LRESULT CBrennixInstallerDlg::OnPaint(WPARAM wParam, LPARAM lParam)
{
    if (!IsIconic(m_hWnd))
        return DefaultWindowProc(WM_PAINT, wParam, lParam);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    Send(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc));
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
    EndPaint(m_hWnd, &paint);
    return 0;
}

LRESULT CBrennixInstallerDlg::OnQueryDragIcon(WPARAM, LPARAM)
{
    return reinterpret_cast<LRESULT>(m_hIcon);
}
