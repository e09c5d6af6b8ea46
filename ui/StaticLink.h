#pragma once
// A static text that behaves as a hyperlink: blue and underlined, a hand cursor over the
// whole control, opened through the shell on a click or the space bar, purple once opened.
#include "framework/Controls.h"
#include "framework/Handles.h"

#include <string>

class CStaticLink : public CStatic {
public:
    CStaticLink() = default;

    // Opens the link's target through the shell, trying in order: `m_link`, the string-table
    // entry whose id is the control's own id, the control's text; each source tried is kept in
    // `m_link`. True when one was opened (the text then turns purple); false after a beep when
    // none could be.
    bool Navigate();

    // The target to open; empty until a source has been tried.
    std::wstring m_link;
    // The text colour: blue until a target has been opened, then purple.
    COLORREF m_color = kUnvisitedColour;

    static constexpr COLORREF kUnvisitedColour = RGB(0, 0, 255);
    static constexpr COLORREF kVisitedColour = RGB(128, 0, 128);

protected:
    const MessageMap* GetMessageMap() const override;

private:
    LRESULT OnNcHitTest(WPARAM wParam, LPARAM lParam);
    LRESULT OnReflectedCtlColor(WPARAM wParam, LPARAM lParam);
    LRESULT OnLButtonUp(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetCursor(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetDlgCode(WPARAM wParam, LPARAM lParam);
    LRESULT OnChar(WPARAM wParam, LPARAM lParam);
    LRESULT OnFocusChange(WPARAM wParam, LPARAM lParam);

    // Asks the shell to open `target`; true when it did.
    static bool OpenTarget(const std::wstring& target);
    // Draws the focus rectangle around the text in exclusive-or mode: a second call erases it.
    void DrawFocusFrame();

    // An underlined copy of the control's font, made on the first paint.
    GdiObject m_font;
    // The hand cursor, shared by every link of the process and never released.
    static HCURSOR s_hLinkCursor;
};
