// Metrics where the system measured nothing usable: the layout still gets a line and widths.
#include "platform/FontMetricsFallback.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

TEST(FontMetricsFallback, NoFontDataGivesALineOfTheEmSizeAndWidthsOfAPixel)
{
    TextMetrics none;
    SettleTextMetrics(none, 17);
    EXPECT_EQ(none.height, 17);
    EXPECT_EQ(none.ascent, 17);
    EXPECT_EQ(none.averageCharWidth, 1);
    EXPECT_EQ(none.maxCharWidth, 1);

    // Measured metrics stay as they were, except a widest character narrower than the average.
    TextMetrics measured;
    measured.height = 15, measured.ascent = 12, measured.descent = 3;
    measured.averageCharWidth = 7, measured.maxCharWidth = 5;
    SettleTextMetrics(measured, 17);
    EXPECT_EQ(measured.height, 15);
    EXPECT_EQ(measured.ascent, 12);
    EXPECT_EQ(measured.descent, 3);
    EXPECT_EQ(measured.averageCharWidth, 7);
    EXPECT_EQ(measured.maxCharWidth, 7);
}

} // namespace
