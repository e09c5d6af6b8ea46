#pragma once
// Where the splash draws the unpacking's progress on its picture: a thin bar under the
// picture's "Preparing setup..." line, its filled part growing from the left. Platform-free.
#include <cstdint>

struct BarRect {
    int left;
    int top;
    int right;  // exclusive
    int bottom; // exclusive
};

struct SplashProgressBar {
    BarRect track;
    BarRect fill;  // inside the track, from its left edge; empty at step 0
};

// The bar's colours as 0xRRGGBB: the track a shade lighter than the picture's sky, the fill
// the picture's accent blue.
constexpr uint32_t kProgressTrackColour = 0x2A5283;
constexpr uint32_t kProgressFillColour = 0x5CC3FF;

// The bar on a picture `pictureWidth` pixels wide at `step` of `stepCount` (steps beyond the
// count show a full bar). The bar is centred and never wider than the picture.
SplashProgressBar LayOutSplashProgress(int pictureWidth, uint32_t step, uint32_t stepCount);
