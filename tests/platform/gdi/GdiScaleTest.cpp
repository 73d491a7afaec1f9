// GDI's and GDI+'s own drawing at a device context's scale of 2: wide pens, anti-aliased shapes,
// gradients and GDI+ strings land on the device pixels of their logical coordinates, under the
// clip in logical pixels, and strings are rasterised at the device size.
#include "platform/DeviceContext.h"
#include "platform/Surface.h"
#include "tests/platform/InkMeasures.h"

#include <gtest/gtest.h>

#include <functional>

using namespace platform;
using ink_test::CountInkCells;
using ink_test::InkRight;

namespace {

int Count(const Surface& s, const Rect& area, const std::function<bool(std::uint32_t)>& match)
{
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            n += match(s.GetPixel(x, y)) ? 1 : 0;
    return n;
}

} // namespace

TEST(GdiScale, AWidePenIsTwiceAsWideAndLongAndKeepsToTheLogicalClip)
{
    Surface s = Surface::Create(120, 80);
    {
        DeviceContext dc(s);
        dc.SetScale(2.0);
        dc.SetClipRect({0, 0, 40, 40});
        dc.DrawLine(5, 20, 55, 20, Pen{PS_SOLID, 4, 0xFF0000FF});
    }
    const auto blue = [](std::uint32_t p) { return p == 0xFF0000FF; };
    EXPECT_EQ(Count(s, {80, 0, 120, 80}, [](std::uint32_t p) { return p != 0; }), 0) << "the clip is logical";
    EXPECT_EQ(Count(s, {0, 0, 120, 34}, blue), 0) << "nothing above the line's device rows";
    EXPECT_EQ(Count(s, {0, 46, 120, 80}, blue), 0) << "nor below them";
    // About 8 device rows from device column 10 to the clip at 80.
    EXPECT_GT(Count(s, {12, 36, 78, 44}, blue), 66 * 7);
}

TEST(GdiScale, AntiAliasedRectanglesAndGradientsCoverTheirDevicePixels)
{
    Surface s = Surface::Create(120, 80);
    {
        DeviceContext dc(s);
        dc.SetScale(2.0);
        dc.SetTransform(Transform::Translation(5, 0));
        dc.FillRectAA({10, 10, 20, 10}, Brush::Solid(0xFFFF0000)); // device 30..70 x 20..40
        dc.ResetTransform();
        dc.FillRectAA({0, 25, 10, 10}, Brush::Linear({0, 25}, {0, 35}, 0xFF000000, 0xFFFFFFFF)); // device rows 50..70
    }
    const auto red = [](std::uint32_t p) { return p == 0xFFFF0000; };
    EXPECT_EQ(Count(s, {32, 22, 68, 38}, red), 36 * 16) << "the inside is filled";
    EXPECT_EQ(Count(s, {0, 0, 29, 50}, red), 0) << "nothing left of device column 29";
    EXPECT_EQ(Count(s, {71, 0, 120, 50}, red), 0) << "nothing right of device column 71";
    EXPECT_EQ(Count(s, {0, 41, 120, 50}, red), 0);
    // The gradient runs over 20 device rows: dark at the top, light at the bottom, grey between.
    const auto level = [&](int y) { return int(s.GetPixel(10, y) & 0xFF); };
    EXPECT_LT(level(51), 40);
    EXPECT_GT(level(68), 215);
    EXPECT_GT(level(60), 80);
    EXPECT_LT(level(60), 175);
    EXPECT_LT(level(55), level(60));
    EXPECT_LT(level(60), level(65));
    EXPECT_EQ(s.GetPixel(10, 71) >> 24, 0u) << "and ends with its rectangle";
    EXPECT_EQ(s.GetPixel(20, 60) >> 24, 0u);
}

TEST(GdiScale, StringsAreRasterisedAtTheDeviceSize)
{
    const std::u16string text = u"Removing Tarvion VPN";
    const Font font = Font::DefaultGui();
    const auto draw = [&](Surface& s, double scale) {
        s.Clear(0xFFFFFFFF);
        DeviceContext dc(s);
        dc.SetScale(scale);
        StringFormat format;
        format.noWrap = true;
        dc.DrawString(text.data(), int(text.size()), font, {2, 2, 190, 24}, format, Brush::Solid(0xFF1B2440));
    };
    Surface small = Surface::Create(200, 30), large = Surface::Create(400, 60);
    draw(small, 1.0);
    draw(large, 2.0);
    ASSERT_GT(InkRight(small), 40) << "no text was drawn";
    EXPECT_NEAR(InkRight(large), 2 * InkRight(small), 12) << "as large in logical pixels";
    // Enlarged glyphs would come in 2x2 blocks of one colour; glyphs drawn at the device size do not.
    const auto [inked, mixed] = CountInkCells(large);
    ASSERT_GT(inked, 50);
    EXPECT_GT(mixed * 3, inked) << mixed << " of " << inked << " cells hold more than one colour";
}
