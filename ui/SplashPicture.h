#pragma once
// The splash's picture control, drawn by the splash itself: the bitmap copied pixel for pixel
// into an inside of exactly its size, and over it, once the unpacking has run a while, the
// progress bar. The control would otherwise shrink its window to the bitmap's size and then
// stretch the bitmap into an inside that its edge makes two pixels smaller each way.
#include "framework/Wnd.h"

#include <cstdint>

class CSplashPicture : public CWnd {
public:
    // The size of the control's bitmap; 0 x 0 when it has none.
    SIZE PictureSize() const;
    // Resizes the control so that its inside is exactly the bitmap's size.
    void FitToPicture();
    // Shows the bar filled to `step` of ProgressSteps::kStepCount.
    void ShowProgress(uint32_t step);

protected:
    const MessageMap* GetMessageMap() const override;

private:
    LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
    void DrawPicture(HDC dc) const;
    void DrawProgress(HDC dc) const;

    bool m_bProgressShown = false;
    uint32_t m_nStep = 0;
};
