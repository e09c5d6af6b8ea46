#include "ui/StaticLink.h"

#include "framework/StringTable.h"
#include "ui/ControlFont.h"

#include <shellapi.h>

HCURSOR CStaticLink::s_hLinkCursor = nullptr;

namespace {

// Alignment part of a static control's style: 0 left, 1 centred, 2 right; 3 and above are
// not plain text (pictures, frames, simple or no-wrap text).
constexpr LONG kAlignmentMask = 0x1F;

} // namespace

const MessageMap* CStaticLink::GetMessageMap() const
{
    static const MessageEntry entries[] = {
        OnMessage(WM_NCHITTEST, &CStaticLink::OnNcHitTest),
        OnMessage(ReflectedMessage(WM_CTLCOLORSTATIC), &CStaticLink::OnReflectedCtlColor),
        OnMessage(WM_LBUTTONUP, &CStaticLink::OnLButtonUp),
        OnMessage(WM_SETCURSOR, &CStaticLink::OnSetCursor),
        OnMessage(WM_GETDLGCODE, &CStaticLink::OnGetDlgCode),
        OnMessage(WM_CHAR, &CStaticLink::OnChar),
        OnMessage(WM_SETFOCUS, &CStaticLink::OnFocusChange),
        OnMessage(WM_KILLFOCUS, &CStaticLink::OnFocusChange),
    };
    static const MessageMap map = {CStatic::GetMessageMap(), entries, sizeof(entries) / sizeof(entries[0])};
    return &map;
}

LRESULT CStaticLink::OnNcHitTest(WPARAM, LPARAM)
{
    // A plain static is transparent to the mouse; the link takes clicks over its whole area.
    return HTCLIENT;
}

LRESULT CStaticLink::OnReflectedCtlColor(WPARAM wParam, LPARAM)
{
    const LONG style = GetWindowLongW(m_hWnd, GWL_STYLE);
    if ((style & 0xFF) > SS_RIGHT)
        return 0;  // not plain text: the parent's colours apply
    if (!m_font) {
        LOGFONTW face = {};
        GetObjectW(reinterpret_cast<HGDIOBJ>(Send(WM_GETFONT)), sizeof(face), &face);
        face.lfUnderline = TRUE;
        m_font.Reset(CreateFontIndirectW(&face));
    }
    HDC dc = reinterpret_cast<HDC>(wParam);
    SelectObject(dc, m_font.Get());
    UseAsControlFont(*this, m_font.Get());
    SetTextColor(dc, m_color);
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
}

LRESULT CStaticLink::OnLButtonUp(WPARAM, LPARAM)
{
    Navigate();
    return 0;
}

LRESULT CStaticLink::OnSetCursor(WPARAM wParam, LPARAM lParam)
{
    if (s_hLinkCursor == nullptr)
        s_hLinkCursor = LoadCursorW(nullptr, IDC_HAND);
    if (s_hLinkCursor == nullptr)
        return DefaultWindowProc(WM_SETCURSOR, wParam, lParam);  // tried again next time
    SetCursor(s_hLinkCursor);
    return TRUE;
}

LRESULT CStaticLink::OnGetDlgCode(WPARAM, LPARAM)
{
    // The dialog manager then hands the control its characters, the space bar among them.
    return DLGC_WANTCHARS;
}

LRESULT CStaticLink::OnChar(WPARAM wParam, LPARAM)
{
    if (wParam == L' ')
        Navigate();
    return 0;
}

LRESULT CStaticLink::OnFocusChange(WPARAM, LPARAM)
{
    DrawFocusFrame();
    return 0;
}

bool CStaticLink::OpenTarget(const std::wstring& target)
{
    if (target.empty())
        return false;
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

bool CStaticLink::Navigate()
{
    bool opened = OpenTarget(m_link);
    if (!opened && TryLoadResString(static_cast<unsigned>(GetDlgCtrlID()), m_link))
        opened = OpenTarget(m_link);
    if (!opened) {
        m_link = GetText();
        opened = OpenTarget(m_link);
    }
    if (!opened) {
        MessageBeep(0);
        return false;
    }
    m_color = kVisitedColour;
    InvalidateRect(m_hWnd, nullptr, TRUE);
    return true;
}

void CStaticLink::DrawFocusFrame()
{
    HWND parent = GetParent(m_hWnd);
    RECT frame = {};
    const LONG alignment = GetWindowLongW(m_hWnd, GWL_STYLE) & kAlignmentMask;
    if (alignment >= 3) {
        GetWindowRect(m_hWnd, &frame);
    } else {
        const std::wstring text = GetText();
        HDC dc = GetDC(m_hWnd);
        HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(Send(WM_GETFONT)));
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &frame, DT_CALCRECT);
        SelectObject(dc, previous);
        ReleaseDC(m_hWnd, dc);
        if (alignment == SS_CENTER || alignment == SS_RIGHT) {
            RECT client = {};
            GetClientRect(m_hWnd, &client);
            const LONG spare = client.right - (frame.right - frame.left);
            OffsetRect(&frame, alignment == SS_CENTER ? spare / 2 : spare, 0);
        }
        MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&frame), 2);
    }
    InflateRect(&frame, 1, 1);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&frame), 2);
    HDC parentDc = GetDC(parent);
    DrawFocusRect(parentDc, &frame);
    ReleaseDC(parent, parentDc);
}
