#pragma once
// The message dialog's heading: a static text drawn in its own bold "Tahoma" on a transparent
// background. The font reaches the text through the colour message that the parent reflects
// to the control.
#include "framework/Controls.h"
#include "framework/Handles.h"

class CStaticEx : public CStatic {
public:
    // Creates the bold font (cell height 14, weight 700, "Tahoma"); the window comes later.
    CStaticEx();

protected:
    // WM_CTLCOLORSTATIC: selects the bold font, draws the background transparent and answers
    // the stock null brush. Other messages: the base's answer.
    bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    GdiObject m_font;
};
