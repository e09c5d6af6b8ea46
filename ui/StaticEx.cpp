#include "ui/StaticEx.h"

#include "ui/ControlFont.h"

#include <cwchar>

CStaticEx::CStaticEx()
{
    LOGFONTW face = {};
    face.lfHeight = 14;
    face.lfWeight = FW_BOLD;
    wcsncpy(face.lfFaceName, L"Tahoma", LF_FACESIZE - 1);
    m_font.Reset(CreateFontIndirectW(&face));
}

bool CStaticEx::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const bool handled = CStatic::OnChildNotify(message, wParam, lParam, result);
    if (message != WM_CTLCOLORSTATIC)
        return handled;
    HDC dc = reinterpret_cast<HDC>(wParam);
    SelectObject(dc, m_font.Get());
    UseAsControlFont(*this, m_font.Get());
    SetBkMode(dc, TRANSPARENT);
    *result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    return true;
}
