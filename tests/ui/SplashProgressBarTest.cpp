// Where the splash draws the unpacking's progress on its picture.
#include "ui/SplashProgressBar.h"

#include <gtest/gtest.h>

namespace {

struct BarCase {
    int pictureWidth;
    uint32_t step;
    BarRect track;
    int fillRight;
};

TEST(SplashProgressBar, CentredTrackFilledFromTheLeftInProportion)
{
    const BarCase cases[] = {
        {428, 0, {114, 168, 314, 172}, 114},
        {428, 1, {114, 168, 314, 172}, 114},
        {428, 128, {114, 168, 314, 172}, 214},
        {428, 255, {114, 168, 314, 172}, 313},
        {428, 256, {114, 168, 314, 172}, 314},
        {428, 999, {114, 168, 314, 172}, 314},
        {100, 128, {0, 168, 100, 172}, 50},
        {0, 128, {0, 168, 0, 172}, 0},
    };
    for (const BarCase& c : cases) {
        const SplashProgressBar bar = LayOutSplashProgress(c.pictureWidth, c.step, 256);
        SCOPED_TRACE(testing::Message() << "width " << c.pictureWidth << ", step " << c.step);
        EXPECT_EQ(bar.track.left, c.track.left);
        EXPECT_EQ(bar.track.top, c.track.top);
        EXPECT_EQ(bar.track.right, c.track.right);
        EXPECT_EQ(bar.track.bottom, c.track.bottom);
        EXPECT_EQ(bar.fill.left, bar.track.left);
        EXPECT_EQ(bar.fill.top, bar.track.top);
        EXPECT_EQ(bar.fill.bottom, bar.track.bottom);
        EXPECT_EQ(bar.fill.right, c.fillRight);
    }
}

} // namespace
