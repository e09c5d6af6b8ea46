#include "ui/SplashProgressBar.h"

#include <algorithm>

namespace {

// Fitted to the artwork: the gap between "Preparing setup..." and the maker's name.
constexpr int kBarWidth = 200;
constexpr int kBarHeight = 4;
constexpr int kBarTop = 168;

} // namespace

SplashProgressBar LayOutSplashProgress(int pictureWidth, uint32_t step, uint32_t stepCount)
{
    const int width = std::clamp(pictureWidth, 0, kBarWidth);
    const int left = std::max(0, (pictureWidth - width) / 2);
    const BarRect track = {left, kBarTop, left + width, kBarTop + kBarHeight};
    const uint64_t shown = stepCount == 0 ? 1 : std::min(step, stepCount);
    const uint64_t whole = stepCount == 0 ? 1 : stepCount;
    const int filled = static_cast<int>(static_cast<uint64_t>(width) * shown / whole);
    return {track, {left, track.top, left + filled, track.bottom}};
}
