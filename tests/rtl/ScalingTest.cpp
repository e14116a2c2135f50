// Lengths and pictures at the screen's resolution: the layout's numbers
// scaled by ppi / 96 with MulDiv's rounding, the way back to 96 that a move
// between monitors takes, and the whole multiples of a fixed picture.
#include "rtl/Scaling.h"

#include <gtest/gtest.h>

namespace {

TEST(Scaling, LengthsScaleHalvesAwayFromZeroAndComeBackWhole) {
    struct Case {
        int value, ppi, scaled;
    };
    const Case cases[] = {{21, 96, 21},    {21, 120, 26},   {21, 144, 32}, {73, 144, 110},
                          {-11, 120, -14}, {-11, 144, -17}, {1, 144, 2},   {0, 192, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(ScaleValue(c.value, c.ppi, kDesignPPI), c.scaled) << c.value << " at " << c.ppi;
    }
    EXPECT_EQ(ScaleBounds({32, 24, 393, 65}, 144, kDesignPPI), (ScalableBounds{48, 36, 590, 98}));
    // Up rounds by half a pixel at most, which the way back shrinks below a half.
    for (const int ppi : {120, 144, 168, 192}) {
        for (int value = -40; value <= 1000; ++value) {
            ASSERT_EQ(ScaleValue(ScaleValue(value, ppi, kDesignPPI), kDesignPPI, ppi), value);
        }
    }
}

TEST(Scaling, PicturesGrowOnlyByWholeMultiples) {
    const int cases[][2] = {{72, 1}, {96, 1}, {144, 1}, {191, 1}, {192, 2}, {288, 3}, {0, 1}};
    for (const auto& [ppi, scale] : cases) {
        EXPECT_EQ(PictureScale(ppi), scale) << ppi << " dpi";
    }
}

}  // namespace
