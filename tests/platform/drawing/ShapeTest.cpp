// GDI-style lines and outlines: pixel rules, pen widths, styles and inside-frame pens.
#include <gtest/gtest.h>

#include "platform/DeviceContext.h"
#include "platform/Surface.h"
#include "tests/platform/drawing/DrawingTestUtil.h"

using namespace platform;

namespace {

constexpr std::uint32_t kRed = 0xFFFF0000;

Pen MakePen(int style, int width = 1, std::uint32_t color = kRed)
{
    return Pen{style, width, color};
}

TEST(PenTest, SolidFrameIsTheOutlineOnly)
{
    Surface s = Surface::Create(20, 20);
    DeviceContext dc(s);
    dc.DrawRect({2, 3, 12, 9}, MakePen(PS_SOLID));
    // Right and bottom are exclusive: the outline runs through x = 11 and y = 8.
    EXPECT_EQ(drawingtest::CountEqual(s, 0, 0, 20, 20, kRed), 2 * 10 + 2 * 4);
    EXPECT_PIXEL(s, 2, 3, kRed);
    EXPECT_PIXEL(s, 11, 8, kRed);
    EXPECT_PIXEL(s, 12, 8, 0u);
    EXPECT_PIXEL(s, 5, 5, 0u); // no fill
}

TEST(PenTest, DashedFrameHasGaps)
{
    Surface s = Surface::Create(80, 40);
    DeviceContext dc(s);
    dc.DrawRect({0, 0, 80, 40}, MakePen(PS_DASH));
    // Runs of 18 on, 6 off along the top edge from the top-left corner.
    for (int x = 0; x < 18; ++x)
        EXPECT_PIXEL(s, x, 0, kRed);
    for (int x = 18; x < 24; ++x)
        EXPECT_PIXEL(s, x, 0, 0u);
    EXPECT_PIXEL(s, 24, 0, kRed);
    // Every edge has gaps.
    EXPECT_LT(drawingtest::CountEqual(s, 0, 0, 80, 1, kRed), 80);
    EXPECT_LT(drawingtest::CountEqual(s, 79, 0, 80, 40, kRed), 40);
    EXPECT_LT(drawingtest::CountEqual(s, 0, 39, 80, 40, kRed), 80);
    EXPECT_LT(drawingtest::CountEqual(s, 0, 0, 1, 40, kRed), 40);
    EXPECT_GT(drawingtest::CountEqual(s, 0, 0, 1, 40, kRed), 0);
}

TEST(PenTest, EveryStyledPenDrawsItsPattern)
{
    struct Case
    {
        int style;
        const char* row; // the first pixels of the top edge, '#' drawn
    };
    const Case cases[] = {
        {PS_DOT, "###...###...###"},
        {PS_DASHDOT, "#########......###......###"},
        {PS_DASHDOTDOT, "#########...###...###...#########"},
    };
    for (const Case& c : cases) {
        Surface s = Surface::Create(60, 4);
        DeviceContext dc(s);
        dc.DrawRect({0, 0, 60, 4}, MakePen(c.style));
        std::string row;
        for (int x = 0; c.row[x]; ++x)
            row += s.GetPixel(x, 0) == kRed ? '#' : '.';
        EXPECT_EQ(row, c.row) << "style " << c.style;
    }
}

TEST(PenTest, WideStyledPenDrawsSolid)
{
    Surface s = Surface::Create(40, 10);
    DeviceContext dc(s);
    dc.DrawRect({0, 0, 40, 10}, MakePen(PS_DASH | 0, 2));
    EXPECT_EQ(drawingtest::CountEqual(s, 0, 0, 40, 1, kRed), 40);
}

TEST(PenTest, InsideFrameKeepsAWidePenInsideTheRectangle)
{
    Surface s = Surface::Create(30, 30);
    DeviceContext dc(s);
    dc.DrawRect({5, 5, 25, 25}, MakePen(PS_INSIDEFRAME, 3));
    EXPECT_PIXEL(s, 4, 10, 0u);
    EXPECT_PIXEL(s, 5, 10, kRed);
    EXPECT_PIXEL(s, 7, 10, kRed);
    EXPECT_PIXEL(s, 8, 10, 0u);
    EXPECT_PIXEL(s, 24, 24, kRed);
    EXPECT_PIXEL(s, 25, 24, 0u);

    // A centred pen of the same width straddles the outline by one pixel on each side.
    Surface t = Surface::Create(30, 30);
    DeviceContext dt(t);
    dt.DrawRect({5, 5, 25, 25}, MakePen(PS_SOLID, 3));
    EXPECT_PIXEL(t, 4, 10, kRed);
    EXPECT_PIXEL(t, 6, 10, kRed);
    EXPECT_PIXEL(t, 7, 10, 0u);
    EXPECT_PIXEL(t, 25, 10, kRed);
    EXPECT_PIXEL(t, 26, 10, 0u);
}

TEST(PenTest, LineStopsBeforeItsEndPoint)
{
    Surface s = Surface::Create(20, 20);
    DeviceContext dc(s);
    dc.DrawLine(2, 5, 10, 5, MakePen(PS_SOLID));
    EXPECT_EQ(drawingtest::CountEqual(s, 0, 0, 20, 20, kRed), 8);
    EXPECT_PIXEL(s, 9, 5, kRed);
    EXPECT_PIXEL(s, 10, 5, 0u);

    // A diagonal touches one pixel per step.
    dc.DrawLine(0, 10, 5, 15, MakePen(PS_SOLID, 1, 0xFF0000FF));
    EXPECT_EQ(drawingtest::CountEqual(s, 0, 0, 20, 20, 0xFF0000FFu), 5);
    EXPECT_PIXEL(s, 4, 14, 0xFF0000FFu);

    // The pen's alpha byte does not make it translucent.
    dc.DrawLine(0, 0, 3, 0, MakePen(PS_SOLID, 1, 0x0000FF00));
    EXPECT_PIXEL(s, 1, 0, 0xFF00FF00u);
}

TEST(PenTest, WideLineAndNullPen)
{
    Surface s = Surface::Create(20, 20);
    DeviceContext dc(s);
    dc.DrawLine(0, 10, 20, 10, MakePen(PS_NULL, 5));
    EXPECT_EQ(drawingtest::CountEqual(s, 0, 0, 20, 20, kRed), 0);
    dc.DrawLine(2, 10, 18, 10, MakePen(PS_SOLID, 5));
    for (int y = 8; y <= 12; ++y)
        EXPECT_PIXEL(s, 10, y, kRed);
    EXPECT_PIXEL(s, 10, 7, 0u);
    EXPECT_PIXEL(s, 10, 13, 0u);
}

TEST(PenTest, RoundedFrameFollowsTheRoundedClip)
{
    Surface s = Surface::Create(40, 30);
    DeviceContext dc(s);
    const Rect box{0, 0, 40, 30};
    dc.DrawRoundRect(box, 12, 12, MakePen(PS_SOLID));
    // The outline covers [left, right) like Rectangle, so its shape is the region one pixel larger.
    const Region shape = Region::FromRoundRect({0, 0, 41, 31}, 12, 12);
    EXPECT_PIXEL(s, 0, 0, 0u);
    EXPECT_PIXEL(s, 20, 0, kRed);
    EXPECT_PIXEL(s, 0, 15, kRed);
    EXPECT_PIXEL(s, 20, 15, 0u);
    for (int y = 0; y < 30; ++y) {
        int first = -1;
        for (int x = 0; x < 40; ++x) {
            if (s.GetPixel(x, y) == kRed) {
                EXPECT_TRUE(shape.Contains(x, y)) << x << "," << y;
            }
            if (first < 0 && shape.Contains(x, y))
                first = x;
        }
        // The outline is closed: the first pixel of the shape on every row is drawn.
        ASSERT_GE(first, 0);
        EXPECT_PIXEL(s, first, y, kRed);
    }
}

TEST(PenTest, RoundedFrameInsideFrameAndDashes)
{
    Surface s = Surface::Create(40, 30);
    DeviceContext dc(s);
    dc.DrawRoundRect({5, 5, 35, 25}, 10, 10, MakePen(PS_INSIDEFRAME, 2));
    EXPECT_PIXEL(s, 20, 4, 0u);
    EXPECT_PIXEL(s, 20, 5, kRed);
    EXPECT_PIXEL(s, 20, 6, kRed);
    EXPECT_PIXEL(s, 20, 7, 0u);
    EXPECT_PIXEL(s, 34, 15, kRed);
    EXPECT_PIXEL(s, 35, 15, 0u);

    Surface t = Surface::Create(80, 40);
    DeviceContext dt(t);
    dt.DrawRoundRect({0, 0, 80, 40}, 8, 8, MakePen(PS_DOT));
    const int top = drawingtest::CountEqual(t, 0, 0, 80, 1, kRed);
    EXPECT_GT(top, 20);
    EXPECT_LT(top, 50);
}

} // namespace
