#pragma once
// The standard controls as framework objects. Bound to a dialog's control by the dialog's
// data exchange; a class derived from one handles the control's messages through its table.
#include "framework/Wnd.h"

class CStatic : public CWnd {};

class CButton : public CWnd {};

class CEdit : public CWnd {
public:
    // Selects characters `start` up to `end` (-1: to the end of the text).
    void SetSel(int start, int end) { Send(EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end)); }
    // Scrolls the caret into view.
    void ScrollCaret() { Send(EM_SCROLLCARET); }
};
