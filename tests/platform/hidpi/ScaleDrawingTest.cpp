// Drawing at a scale: logical coordinates over a device-resolution surface. Fills land on the
// device pixels of their logical rectangles without gaps at 1.5, blits of pictures made for twice
// the resolution land 1:1, smooth enlargement gives in-between colours, and text is drawn at the
// device resolution rather than enlarged from the logical one.
#include "platform/DeviceContext.h"
#include "platform/DisplayScale.h"
#include "platform/Region.h"
#include "tests/platform/InkMeasures.h"

#include <gtest/gtest.h>

#include <vector>

using platform::DeviceContext;
using platform::Rect;
using platform::Region;
using platform::Surface;

TEST(ScaleGeometry, EdgesRoundOnceSoNeighboursMeetAndRegionsMergeWhatTouches)
{
    // 1.5: logical 0..3..5..8 become 0, 5 (4.5 rounded up), 8 (7.5), 12; -1 becomes -1 (-1.5 up).
    EXPECT_EQ(platform::ScaleEdge(3, 1.5), 5);
    EXPECT_EQ(platform::ScaleEdge(5, 1.5), 8);
    EXPECT_EQ(platform::ScaleEdge(-1, 1.5), -1);
    EXPECT_EQ(platform::ScaleRect({0, 0, 3, 5}, 1.5), (Rect{0, 0, 5, 8}));
    EXPECT_EQ(platform::UnscaleLength(720, 1.5), 480);
    // A device pixel belongs to the logical pixel whose device pixels hold it.
    for (const double scale : {1.25, 1.5, 2.0, 3.0})
        for (int logical = -3; logical < 40; ++logical)
            for (int d = platform::ScaleEdge(logical, scale); d < platform::ScaleEdge(logical + 1, scale); ++d)
                EXPECT_EQ(platform::UnscaleCoordinate(d, scale), logical) << "device " << d << " at " << scale;

    // Two spans one logical pixel apart stay apart at 2 and merge where rounding closes the gap.
    const Region two = Region(Rect{0, 0, 2, 1}).Union(Rect{3, 0, 5, 1});
    EXPECT_EQ(two.Scaled(2.0).Rects(), (std::vector<Rect>{{0, 0, 4, 2}, {6, 0, 10, 2}}));
    const Region halves = Region(Rect{0, 0, 1, 1}).Union(Rect{2, 0, 3, 1});
    EXPECT_EQ(halves.Scaled(0.5).Rects(), (std::vector<Rect>{{0, 0, 2, 1}}));
    EXPECT_EQ(Region(Rect{0, 0, 5, 5}).Scaled(1.0), Region(Rect{0, 0, 5, 5}));
}

TEST(ScaleSources, OverrideThenToolkitVariablesThenXftDpiThenOne)
{
    platform::DesktopScaleSources s;
    EXPECT_EQ(platform::ResolveDesktopScale(s), 1.0);
    s.xftDpi = "192";
    EXPECT_EQ(platform::ResolveDesktopScale(s), 2.0);
    s.gdkDpiScale = "0.75";
    EXPECT_EQ(platform::ResolveDesktopScale(s), 0.75) << "the toolkit variables win over Xft.dpi";
    s.gdkScale = "2";
    EXPECT_EQ(platform::ResolveDesktopScale(s), 1.5);
    s.overrideScale = " 1.25 ";
    EXPECT_EQ(platform::ResolveDesktopScale(s), 1.25);
    // Garbage is ignored, not trusted: the next source counts.
    for (const char* bad : {"", "abc", "-2", "0", "1e3", "nan", "inf", "2x", "1.2.3"}) {
        s.overrideScale = bad;
        EXPECT_EQ(platform::ResolveDesktopScale(s), 1.5) << bad;
    }
    s.overrideScale = "100";
    EXPECT_EQ(platform::ResolveDesktopScale(s), 8.0) << "absurd scales are clamped";

    EXPECT_EQ(platform::FindXftDpi("Xft.antialias:\t1\nXft.dpi:\t192\nXft.hinting:\t1\n"), "192");
    EXPECT_EQ(platform::FindXftDpi("Xft.dpi: 96\nXft.dpi: 144\n"), "144") << "the last definition wins";
    EXPECT_EQ(platform::FindXftDpi("Xft.dpiX: 192\n*dpi: 192\n"), std::nullopt);
}

TEST(ScaleDrawing, LogicalFillsAndClipsCoverTheirDevicePixels)
{
    Surface s = Surface::Create(40, 40);
    DeviceContext dc(s);
    dc.SetScale(2.0);
    EXPECT_EQ(dc.Width(), 20);
    EXPECT_EQ(dc.Height(), 20);
    dc.FillSolid({2, 3, 5, 4}, 0xFFFF0000);
    EXPECT_EQ(s.GetPixel(4, 6), 0xFFFF0000u);
    EXPECT_EQ(s.GetPixel(9, 7), 0xFFFF0000u);
    EXPECT_EQ(s.GetPixel(10, 7), 0u) << "right edge 5 is device 10";
    EXPECT_EQ(s.GetPixel(4, 8), 0u);
    EXPECT_EQ(s.GetPixel(3, 6), 0u);

    // The clip is logical too.
    dc.SetClipRect({10, 10, 12, 12});
    EXPECT_EQ(dc.GetClipBox(), (Rect{10, 10, 12, 12}));
    dc.FillSolid({0, 0, 20, 20}, 0xFF00FF00);
    EXPECT_EQ(s.GetPixel(20, 20), 0xFF00FF00u);
    EXPECT_EQ(s.GetPixel(23, 23), 0xFF00FF00u);
    EXPECT_EQ(s.GetPixel(24, 23), 0u);
    EXPECT_EQ(s.GetPixel(19, 20), 0u);

    // A one-pixel logical line is as thick as one logical pixel.
    dc.ResetClip();
    dc.DrawLine(0, 15, 5, 15, platform::Pen{PS_SOLID, 1, 0xFF0000FF});
    EXPECT_EQ(s.GetPixel(0, 30), 0xFF0000FFu);
    EXPECT_EQ(s.GetPixel(9, 31), 0xFF0000FFu);
    EXPECT_EQ(s.GetPixel(10, 30), 0u) << "the last point is not drawn";
}

TEST(ScaleDrawing, AdjacentFillsAtOneAndAHalfLeaveNoGapAndNoOverlap)
{
    Surface s = Surface::Create(70, 6);
    DeviceContext dc(s);
    dc.SetScale(1.5);
    // Rectangles of widths 1, 2, 3, ... side by side, and the same with blended translucent fills:
    // a gap leaves a transparent pixel, an overlap a doubly blended one.
    const std::uint32_t colours[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
    int x = 0;
    for (int i = 0; x < 40; ++i) {
        const int w = 1 + i % 3;
        dc.FillSolid({x, 0, x + w, 2}, colours[i % 3]);
        dc.BlendSolid({x, 2, x + w, 4}, 0x80FFFFFF);
        x += w;
    }
    const int right = platform::ScaleEdge(x, 1.5);
    ASSERT_LE(right, 70);
    // Logical rows 0-2 are device rows 0-2 (round(3) = 3), rows 2-4 device rows 3-5.
    const std::uint32_t half = s.GetPixel(0, 3);
    EXPECT_NE(half, 0u);
    for (int dx = 0; dx < right; ++dx) {
        EXPECT_EQ(s.GetPixel(dx, 0) >> 24, 0xFFu) << "gap at device column " << dx;
        EXPECT_EQ(s.GetPixel(dx, 2), s.GetPixel(dx, 0));
        EXPECT_EQ(s.GetPixel(dx, 5), half) << "gap or overlap at device column " << dx;
        EXPECT_EQ(s.GetPixel(dx, 3), half) << "gap or overlap at device column " << dx;
    }
    EXPECT_EQ(s.GetPixel(right, 0), 0u);
    // Nine-slice parts are blits: neighbouring blits meet the same way.
    Surface t = Surface::Create(30, 3);
    DeviceContext tc(t);
    tc.SetScale(1.5);
    std::vector<std::uint32_t> source(5, 0xFF336699);
    const platform::PixelBuffer pb{source.data(), 5, 1, 20};
    for (int left = 0; left < 18; left += 3) {
        tc.StretchBlt({left, 0, left + 3, 2}, pb, {0, 0, 5, 1});
        tc.AlphaBlendSmooth({left, 0, left + 3, 2}, pb, {0, 0, 5, 1}, 255);
    }
    for (int dx = 0; dx < 27; ++dx)
        EXPECT_EQ(t.GetPixel(dx, 1), 0xFF336699u) << "seam at device column " << dx;
    EXPECT_EQ(t.GetPixel(27, 1), 0u);
}

TEST(ScaleDrawing, TwiceTheResolutionLandsOneToOneAndSmoothEnlargementBlends)
{
    // A 4x2 picture of four columns: at scale 2 a 2x1 logical destination shows it pixel for pixel.
    std::vector<std::uint32_t> detail = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF,
                                         0xFF000000, 0xFF808080, 0xFF404040, 0xFFC0C0C0};
    const platform::PixelBuffer pb{detail.data(), 4, 2, 16};
    Surface s = Surface::Create(8, 4);
    DeviceContext dc(s);
    dc.SetScale(2.0);
    dc.AlphaBlend({1, 0, 3, 1}, pb, {0, 0, 4, 2}, 255);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(s.GetPixel(2 + x, y), detail[y * 4 + x]) << x << "," << y;

    // A black and a white pixel enlarged twice: nearest neighbour gives only the two colours,
    // smooth enlargement colours in between too.
    std::vector<std::uint32_t> pair = {0xFF000000, 0xFFFFFFFF};
    const platform::PixelBuffer two{pair.data(), 2, 1, 8};
    Surface a = Surface::Create(8, 2), b = Surface::Create(8, 2);
    DeviceContext nearest(a), smooth(b);
    nearest.SetScale(2.0);
    smooth.SetScale(2.0);
    nearest.StretchBlt({0, 0, 4, 1}, two, {0, 0, 2, 1});
    smooth.AlphaBlendSmooth({0, 0, 4, 1}, two, {0, 0, 2, 1}, 255, platform::SourceAlpha::Ignore);
    int between = 0;
    for (int x = 0; x < 8; ++x) {
        const std::uint32_t p = a.GetPixel(x, 0);
        EXPECT_TRUE(p == 0xFF000000u || p == 0xFFFFFFFFu);
        const std::uint32_t q = b.GetPixel(x, 0) & 0xFF;
        between += q > 0x10 && q < 0xF0;
        EXPECT_EQ(b.GetPixel(x, 0) >> 24, 0xFFu) << "the smooth copy is opaque";
    }
    EXPECT_GE(between, 2);
    EXPECT_EQ(b.GetPixel(0, 0), 0xFF000000u) << "the ends keep their colours";
    EXPECT_EQ(b.GetPixel(7, 0), 0xFFFFFFFFu);
}

TEST(ScaleDrawing, TextIsDrawnAtTheDeviceResolution)
{
    const std::u16string text = u"Removing Tarvion VPN 54%";
    Surface large = Surface::Create(400, 60);
    large.Clear(0xFFFFFFFF);
    {
        DeviceContext dc(large);
        dc.SetScale(2.0);
        Rect r{4, 4, 196, 26};
        dc.SetTextColor(0xFF1B2440);
        dc.DrawText(text.data(), int(text.size()), r, DT_LEFT | DT_TOP | DT_SINGLELINE);
    }
    // Enlarging the logical picture would make every cell of ink one colour: here most differ.
    const ink_test::InkCells cells = ink_test::CountInkCells(large, 0xFFFFFFFF);
    ASSERT_GT(cells.inked, 100) << "no text was drawn";
    EXPECT_GT(cells.mixed * 3, cells.inked)
        << cells.mixed << " of " << cells.inked << " cells hold more than one colour";

    // The text is as large as at scale 1, in logical pixels: its ink spans about twice the columns.
    Surface small = Surface::Create(200, 30);
    small.Clear(0xFFFFFFFF);
    {
        DeviceContext dc(small);
        Rect r{4, 4, 196, 26};
        dc.SetTextColor(0xFF1B2440);
        dc.DrawText(text.data(), int(text.size()), r, DT_LEFT | DT_TOP | DT_SINGLELINE);
    }
    EXPECT_NEAR(ink_test::InkRight(large), 2 * ink_test::InkRight(small), 12);
}
