#include "framework/Wnd.h"

#include "framework/WinApp.h"

namespace {

// The object and the procedure it replaced live in two properties of the window itself, so
// windows of any thread can be attached without a shared map or a lock.
constexpr wchar_t kObjectProperty[] = L"Brennix.Wnd";
constexpr wchar_t kSuperProperty[] = L"Brennix.WndSuper";

bool IsColourMessage(UINT message)
{
    return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

} // namespace

std::wstring ReadWindowText(HWND window)
{
    const int length = GetWindowTextLengthW(window);
    if (length <= 0)
        return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

CWnd::~CWnd()
{
    if (m_hWnd != nullptr)
        UnsubclassWindow();
}

CWnd* CWnd::FromHandlePermanent(HWND window)
{
    return window != nullptr ? static_cast<CWnd*>(GetPropW(window, kObjectProperty)) : nullptr;
}

bool CWnd::SubclassWindow(HWND window)
{
    if (m_hWnd != nullptr || window == nullptr || !IsWindow(window) || FromHandlePermanent(window) != nullptr)
        return false;
    if (!SetPropW(window, kObjectProperty, this))
        return false;
    m_hWnd = window;
    m_pfnSuper = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
    SetPropW(window, kSuperProperty, reinterpret_cast<HANDLE>(m_pfnSuper));
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::SubclassProc));
    return true;
}

bool CWnd::SubclassDlgItem(int id, CWnd& parent)
{
    return SubclassWindow(parent.GetDlgItem(id));
}

HWND CWnd::UnsubclassWindow()
{
    HWND window = m_hWnd;
    if (window == nullptr)
        return nullptr;
    // Only put the old procedure back when nobody has subclassed the window after us; if
    // someone has, our procedure stays in their chain and passes everything on through the
    // property, since the object is gone.
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)) == &CWnd::SubclassProc) {
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        RemovePropW(window, kSuperProperty);
    }
    RemovePropW(window, kObjectProperty);
    m_hWnd = nullptr;
    m_pfnSuper = nullptr;
    return window;
}


void CWnd::CenterWindow()
{
    RECT area = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    RECT around = area;
    HWND owner = GetWindow(m_hWnd, GW_OWNER);
    if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner))
        GetWindowRect(owner, &around);
    RECT own = {};
    GetWindowRect(m_hWnd, &own);
    const LONG width = own.right - own.left;
    const LONG height = own.bottom - own.top;
    LONG x = around.left + (around.right - around.left - width) / 2;
    LONG y = around.top + (around.bottom - around.top - height) / 2;
    if (x + width > area.right)
        x = area.right - width;
    if (y + height > area.bottom)
        y = area.bottom - height;
    if (x < area.left)
        x = area.left;
    if (y < area.top)
        y = area.top;
    SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

const MessageMap* CWnd::GetMessageMap() const
{
    static const MessageMap map = {nullptr, nullptr, 0};
    return &map;
}

const MessageEntry* CWnd::FindEntry(UINT message) const
{
    for (const MessageMap* map = GetMessageMap(); map != nullptr; map = map->base) {
        for (size_t i = 0; i < map->count; ++i) {
            if (map->entries[i].message == message)
                return &map->entries[i];
        }
    }
    return nullptr;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (IsColourMessage(message)) {
        CWnd* child = FromHandlePermanent(reinterpret_cast<HWND>(lParam));
        LRESULT result = 0;
        if (child != nullptr && child != this && child->OnChildNotify(message, wParam, lParam, &result))
            return result;
    }
    if (const MessageEntry* entry = FindEntry(message))
        return (this->*(entry->handler))(wParam, lParam);
    return DefaultWindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefaultWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper != nullptr)
        return CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return DefWindowProcW(m_hWnd, message, wParam, lParam);
}

bool CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (!IsColourMessage(message))
        return false;
    const MessageEntry* entry = FindEntry(ReflectedMessage(message));
    if (entry == nullptr)
        return false;
    *result = (this->*(entry->handler))(wParam, lParam);
    return *result != 0;
}

void CWnd::OnFinalDestroy()
{
    UnsubclassWindow();
    CWinApp* app = AfxGetApp();
    if (app != nullptr && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
        PostQuitMessage(0);
    }
}

LRESULT CALLBACK CWnd::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* object = FromHandlePermanent(window);
    if (object == nullptr) {
        // The object let go while a later subclass kept us in the chain.
        auto super = reinterpret_cast<WNDPROC>(GetPropW(window, kSuperProperty));
        return super != nullptr ? CallWindowProcW(super, window, message, wParam, lParam)
                                : DefWindowProcW(window, message, wParam, lParam);
    }
    const LRESULT result = object->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY)
        object->OnFinalDestroy();
    return result;
}
