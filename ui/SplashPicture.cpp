#include "ui/SplashPicture.h"

#include "framework/Handles.h"
#include "payload/ProgressSteps.h"
#include "ui/SplashProgressBar.h"

namespace {

COLORREF ToColorRef(uint32_t rgb)
{
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

void FillBar(HDC dc, const BarRect& bar, uint32_t rgb)
{
    if (bar.right <= bar.left)
        return;
    const RECT rect = {bar.left, bar.top, bar.right, bar.bottom};
    GdiObject brush(CreateSolidBrush(ToColorRef(rgb)));
    if (brush)
        FillRect(dc, &rect, static_cast<HBRUSH>(brush.Get()));
}

} // namespace

const MessageMap* CSplashPicture::GetMessageMap() const
{
    static const MessageEntry entries[] = {
        OnMessage(WM_PAINT, &CSplashPicture::OnPaint),
    };
    static const MessageMap map = {CWnd::GetMessageMap(), entries, sizeof(entries) / sizeof(entries[0])};
    return &map;
}

SIZE CSplashPicture::PictureSize() const
{
    BITMAP bitmap = {};
    const auto picture = reinterpret_cast<HBITMAP>(Send(STM_GETIMAGE, IMAGE_BITMAP));
    if (picture == nullptr || GetObjectW(picture, sizeof(bitmap), &bitmap) == 0)
        return {0, 0};
    return {bitmap.bmWidth, bitmap.bmHeight};
}

void CSplashPicture::FitToPicture()
{
    const SIZE size = PictureSize();
    if (size.cx == 0)
        return;
    RECT outside = {0, 0, size.cx, size.cy};
    AdjustWindowRectEx(&outside, static_cast<DWORD>(GetWindowLongW(m_hWnd, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(m_hWnd, GWL_EXSTYLE)));
    SetWindowPos(m_hWnd, nullptr, 0, 0, outside.right - outside.left, outside.bottom - outside.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CSplashPicture::ShowProgress(uint32_t step)
{
    m_bProgressShown = true;
    m_nStep = step;
    const BarRect track = LayOutSplashProgress(PictureSize().cx, step, ProgressSteps::kStepCount).track;
    const RECT rect = {track.left, track.top, track.right, track.bottom};
    InvalidateRect(m_hWnd, &rect, FALSE);
}

LRESULT CSplashPicture::OnPaint(WPARAM, LPARAM)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    DrawPicture(dc);
    if (m_bProgressShown)
        DrawProgress(dc);
    EndPaint(m_hWnd, &paint);
    return 0;
}

void CSplashPicture::DrawPicture(HDC dc) const
{
    const auto picture = reinterpret_cast<HBITMAP>(Send(STM_GETIMAGE, IMAGE_BITMAP));
    MemoryDc pictureDc(CreateCompatibleDC(dc));
    if (picture == nullptr || !pictureDc)
        return;
    const SIZE size = PictureSize();
    HGDIOBJ before = SelectObject(pictureDc.Get(), picture);
    BitBlt(dc, 0, 0, size.cx, size.cy, pictureDc.Get(), 0, 0, SRCCOPY);
    SelectObject(pictureDc.Get(), before);
}

void CSplashPicture::DrawProgress(HDC dc) const
{
    const SplashProgressBar bar = LayOutSplashProgress(PictureSize().cx, m_nStep, ProgressSteps::kStepCount);
    FillBar(dc, bar.track, kProgressTrackColour);
    FillBar(dc, bar.fill, kProgressFillColour);
}
