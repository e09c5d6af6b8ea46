#pragma once
// Some static-control implementations (Wine's among them) select the control's own font into
// the device context after asking the parent for colours, which would undo a font selected
// while answering. A control that picks its font there also makes it the control's font, so
// the text comes out in it on either kind.
#include "framework/Wnd.h"

// Makes `font` the font of `control` without redrawing it; nothing when it already is.
inline void UseAsControlFont(CWnd& control, HGDIOBJ font)
{
    if (font != nullptr && reinterpret_cast<HGDIOBJ>(control.Send(WM_GETFONT)) != font)
        control.Send(WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}
