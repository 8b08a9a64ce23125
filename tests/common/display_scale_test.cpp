// Pixel sizes at 96 dpi scaled to the display and back.
#include "display_scale.h"

#include <gtest/gtest.h>

namespace {

TEST(DisplayScale, FontHeightsAtCommonScalings)
{
    const struct {
        int value;
        int dpi;
        int scaled;
    } cases[] = {
        {-14, 96, -14},    // 100 %: unchanged
        {-14, 120, -18},   // 125 %: -17.5 rounds away from zero
        {-14, 144, -21},   // 150 %
        {-14, 192, -28},   // 200 %
        {16, 144, 24},
        {7, 120, 9},       // 8.75
        {0, 144, 0},       // "any height" stays so
        {-14, 0, -14},     // no usable dpi: as at 96
        {-14, -5, -14},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ScaleToDpi(c.value, c.dpi), c.scaled) << c.value << " at " << c.dpi;
    }
}

TEST(DisplayScale, PickedSizesComeBackAsTheyWere)
{
    // A font shown in the font dialog at the display's size and taken back unchanged is
    // stored with the height it had, at every scaling, so saving never lets it drift.
    for (int dpi : {96, 108, 120, 144, 168, 192, 240, 288}) {
        int drifted = 0;
        for (int value = -200; value <= 200; ++value) {
            drifted += ScaleFromDpi(ScaleToDpi(value, dpi), dpi) == value ? 0 : 1;
        }
        EXPECT_EQ(drifted, 0) << dpi;
    }
    EXPECT_EQ(ScaleFromDpi(-21, 144), -14);
    EXPECT_EQ(ScaleFromDpi(25, 144), 17);  // 16.67
}

}  // namespace
