#pragma once
// The base of every framework window object. A CWnd wraps one window handle; once it is
// attached (a dialog at its initialisation, a control when it is bound by the dialog's data
// exchange) its messages go through the object's message table before the window's own
// procedure sees them.
#include <windows.h>

#include <cstddef>
#include <string>

class CWnd;

// The text of `window`; empty when it has none or is not a window.
std::wstring ReadWindowText(HWND window);

// A message handler takes the message's two parameters and returns its result. A handler
// that wants the window's ordinary behaviour as well calls DefaultWindowProc itself.
using MessageHandler = LRESULT (CWnd::*)(WPARAM, LPARAM);

struct MessageEntry {
    UINT message;
    MessageHandler handler;
};

// A class's message table: its own entries, then its base class's table.
struct MessageMap {
    const MessageMap* base;
    const MessageEntry* entries;
    size_t count;
};

// One table entry for a handler of a class derived from CWnd.
template <typename Window>
MessageEntry OnMessage(UINT message, LRESULT (Window::*handler)(WPARAM, LPARAM))
{
    return {message, static_cast<MessageHandler>(handler)};
}

// The id under which a control's own table receives a colour message (WM_CTLCOLORSTATIC
// and its kind) that its parent reflects to it. Only used as a table key, never sent.
constexpr UINT ReflectedMessage(UINT message)
{
    return WM_APP + 0x2000 + message;
}

class CWnd {
public:
    CWnd() = default;
    // Detaches from a window that outlives the object (a bound control), so the window
    // never calls into a destroyed object.
    virtual ~CWnd();

    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }

    // The object attached to `window`, or null.
    static CWnd* FromHandlePermanent(HWND window);

    // Attaches the object to an existing window and routes its messages through the object.
    // False when the object already has a window, `window` is not one, or it belongs to
    // another object.
    bool SubclassWindow(HWND window);
    // Attaches the object to control `id` of `parent`; false when there is no such control.
    bool SubclassDlgItem(int id, CWnd& parent);
    // Gives the window back its own procedure and forgets it; the window handle, or null.
    HWND UnsubclassWindow();

    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    std::wstring GetText() const { return ReadWindowText(m_hWnd); }
    void SetText(const std::wstring& text) { SetWindowTextW(m_hWnd, text.c_str()); }
    HWND SetFocus() { return ::SetFocus(m_hWnd); }
    // Centres the window over its owner, or over the screen's work area when it has no
    // visible owner, keeping it inside the work area.
    void CenterWindow();
    BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }

    HWND m_hWnd = nullptr;

protected:
    // The class's message table; CWnd's own is empty.
    virtual const MessageMap* GetMessageMap() const;
    // Every message of an attached window: reflected colour messages to the child's object
    // first, then the table, then the window's own procedure.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The window's behaviour without this object: its own procedure.
    LRESULT DefaultWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // A colour message of the parent, handed to the child control it is about. True when the
    // control answered it (its answer in `result`); false lets the parent colour it. The base
    // looks for the reflected message in the control's table; a handler answering 0 declines.
    virtual bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The entry for `message` in this object's table or its bases', or null.
    const MessageEntry* FindEntry(UINT message) const;
    // Called after the window's last message: forgets the window and applies the main-window
    // rule (the application's main window ends the thread's message loop).
    void OnFinalDestroy();

    WNDPROC m_pfnSuper = nullptr;
};
