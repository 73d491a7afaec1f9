// Anti-aliased vector operations: round-capped lines, transforms, smooth image scaling and
// brush-filled text, as the label effects, the spinner and the rotating image use them.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/Color.h"
#include "platform/DeviceContext.h"
#include "tests/DrawingDifferences.h"
#include "tests/platform/drawing/DrawingTestUtil.h"

using namespace platform;

namespace {

int Len(const char16_t* s)
{
    return static_cast<int>(std::char_traits<char16_t>::length(s));
}

TEST(TransformTest, RotationAboutAPointTurnsClockwiseOnScreen)
{
    const Transform t = Transform::RotationAbout(50, 40, 90);
    const PointF p = t.Apply({60, 40});
    EXPECT_NEAR(p.x, 50, 1e-9);
    EXPECT_NEAR(p.y, 50, 1e-9);
    const PointF centre = t.Apply({50, 40});
    EXPECT_NEAR(centre.x, 50, 1e-9);
    EXPECT_NEAR(centre.y, 40, 1e-9);
    const PointF back = Transform::RotationAbout(50, 40, -90).After(t).Apply({13, 7});
    EXPECT_NEAR(back.x, 13, 1e-9);
    EXPECT_NEAR(back.y, 7, 1e-9);
}

TEST(VectorTest, RoundCapsReachPastTheEndPoints)
{
    Surface round = Surface::Create(40, 20);
    Surface flat = Surface::Create(40, 20);
    DeviceContext dr(round), df(flat);
    dr.DrawLineAA({10, 10}, {30, 10}, 6, 0xFF00FF00, LineCap::Round);
    df.DrawLineAA({10, 10}, {30, 10}, 6, 0xFF00FF00, LineCap::Flat);
    EXPECT_PIXEL(round, 20, 9, 0xFF00FF00u);
    EXPECT_GT(AlphaOf(round.GetPixel(8, 9)), 128u);
    EXPECT_EQ(AlphaOf(flat.GetPixel(8, 9)), 0u);
    EXPECT_GT(AlphaOf(round.GetPixel(31, 10)), 128u);
    // Anti-aliased: a diagonal leaves partly covered pixels.
    Surface diag = Surface::Create(40, 40);
    DeviceContext dd(diag);
    dd.DrawLineAA({5, 5}, {35, 30}, 3, 0xFFFFFFFF, LineCap::Round);
    int partial = 0, opaque = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            partial += AlphaOf(diag.GetPixel(x, y)) > 0 && AlphaOf(diag.GetPixel(x, y)) < 255;
            opaque += AlphaOf(diag.GetPixel(x, y)) == 255;
        }
    if (tvutest::VectorDrawingAntialiased()) {
        EXPECT_GT(partial, 10);
    } else {
        // Aliased (Wine's GDI+): the line is still there, about as wide as asked, its ends round.
        EXPECT_GT(opaque, 3 * 30);
        EXPECT_LT(opaque, 5 * 40);
    }
}

TEST(VectorTest, ContextsOverTheSameBufferSeeWhatWasWrittenBetweenThem)
{
    // A window paints its one picture through a new context on every paint, and the pixels change
    // between paints behind the drawing library's back. Every context must compose over the
    // pixels as they are now, and a buffer of another shape at the same address must be drawn at
    // its own stride.
    std::vector<std::uint32_t> memory(16 * 8);
    const auto fill = [&memory](std::uint32_t premultiplied) {
        std::fill(memory.begin(), memory.end(), premultiplied);
    };
    const Brush blue = Brush::Solid(0x800000FF);
    const auto expectedOver = [&blue](const PixelBuffer& shape, std::uint32_t below) {
        Surface fresh = Surface::Create(shape.width, shape.height);
        fresh.Clear(below);
        DeviceContext dc(fresh);
        dc.FillRectAA({2, 1, 4, 3}, blue);
        return fresh.GetPixel(3, 2);
    };
    const PixelBuffer wide{memory.data(), 16, 8, 16 * 4};
    fill(0);
    {
        DeviceContext dc(wide);
        dc.FillRectAA({2, 1, 4, 3}, blue);
    }
    fill(0xFF00FF00);
    {
        DeviceContext dc(wide);
        dc.FillRectAA({2, 1, 4, 3}, blue);
    }
    EXPECT_EQ(wide.Row(2)[3], expectedOver(wide, 0xFF00FF00));
    EXPECT_EQ(wide.Row(0)[0], 0xFF00FF00u);

    // The same memory as a narrower picture: row 2 now starts at pixel 16.
    const PixelBuffer narrow{memory.data(), 8, 16, 8 * 4};
    fill(0xFFFF0000);
    {
        DeviceContext dc(narrow);
        dc.FillRectAA({2, 1, 4, 3}, blue);
    }
    EXPECT_EQ(memory[2 * 8 + 3], expectedOver(narrow, 0xFFFF0000));
    EXPECT_EQ(memory[2 * 16 + 3], 0xFFFF0000u);
}

TEST(VectorTest, TransformRotatesShapesAndTheClipStillApplies)
{
    Surface s = Surface::Create(100, 100);
    DeviceContext dc(s);
    dc.SetTransform(Transform::RotationAbout(50, 50, 90));
    dc.FillRectAA({30, 45, 40, 10}, Brush::Solid(0xFFFF0000)); // a horizontal bar, turned upright
    EXPECT_PIXEL(s, 50, 32, 0xFFFF0000u);
    EXPECT_PIXEL(s, 50, 68, 0xFFFF0000u);
    EXPECT_PIXEL(s, 35, 50, 0u);

    dc.ResetTransform();
    dc.IntersectClipRect({0, 0, 100, 50});
    dc.DrawLineAA({10, 20}, {10, 80}, 4, 0xFF0000FF, LineCap::Flat);
    EXPECT_PIXEL(s, 10, 40, 0xFF0000FFu);
    EXPECT_PIXEL(s, 10, 60, 0u);
}

TEST(VectorTest, DrawImageScalesSmoothlyOrByNearestNeighbour)
{
    std::vector<std::uint32_t> pixels = {0xFF000000, 0xFFFFFFFF};
    const PixelBuffer src{pixels.data(), 2, 1, 8};
    Surface smooth = Surface::Create(20, 4);
    Surface nearest = Surface::Create(20, 4);
    DeviceContext ds(smooth), dn(nearest);
    ds.DrawImage(src, {0, 0, 2, 1}, {0, 0, 20, 4}, ImageFilter::Bilinear);
    dn.DrawImage(src, {0, 0, 2, 1}, {0, 0, 20, 4}, ImageFilter::Nearest);
    EXPECT_PIXEL(nearest, 9, 2, 0xFF000000u);
    EXPECT_PIXEL(nearest, 10, 2, 0xFFFFFFFFu);
    if (tvutest::ImageSamplingAsReferences()) {
        const std::uint32_t mid = RedOf(smooth.GetPixel(10, 2));
        EXPECT_GT(mid, 60u);
        EXPECT_LT(mid, 200u);
    } else {
        // Sampled half a pixel off (Wine's GDI+): still a ramp from black to white, not a step.
        int between = 0;
        for (int x = 0; x < 20; ++x)
            between += RedOf(smooth.GetPixel(x, 2)) > 30 && RedOf(smooth.GetPixel(x, 2)) < 225;
        EXPECT_GE(between, 3);
    }
    EXPECT_LT(RedOf(smooth.GetPixel(0, 2)), 10u); // edges are not blended with transparency
    EXPECT_EQ(AlphaOf(smooth.GetPixel(19, 2)), 255u);

    // Opacity and rotation by 180 degrees about the centre (the image turns end over end).
    Surface turned = Surface::Create(20, 4);
    DeviceContext dt(turned);
    dt.SetTransform(Transform::RotationAbout(10, 2, 180));
    dt.DrawImage(src, {0, 0, 2, 1}, {0, 0, 20, 4}, ImageFilter::Nearest, 128);
    EXPECT_PIXEL(turned, 2, 1, 0x80808080u);
    EXPECT_PIXEL(turned, 17, 1, 0x80000000u);
}

TEST(VectorTest, GradientTextRunsBetweenTheBrushColours)
{
    Surface s = Surface::Create(300, 60);
    DeviceContext dc(s);
    const Font font = Font::Create({u"Sans", 40, true});
    StringFormat format;
    format.noWrap = true;
    dc.DrawString(u"MMMMMM", 6, font, {0, 0, 300, 60}, format, Brush::Linear({0, 0}, {300, 0}, 0xFFFF0000, 0xFF0000FF));
    // Compare the colour of fully covered pixels at the left and the right of the text.
    std::uint32_t left = 0, right = 0;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 300; ++x) {
            const std::uint32_t p = s.GetPixel(x, y);
            if (AlphaOf(p) != 255)
                continue;
            if (!left)
                left = p;
            if (x > 150)
                right = p;
        }
    }
    ASSERT_NE(left, 0u);
    ASSERT_NE(right, 0u);
    EXPECT_GT(RedOf(left), BlueOf(left));
    EXPECT_GT(BlueOf(right), RedOf(right));
}

TEST(VectorTest, StringAlignmentClipAndOutline)
{
    const Font font = Font::Create({u"Sans", 20});
    auto inkBox = [](const Surface& s) {
        Rect r{s.Width(), s.Height(), 0, 0};
        for (int y = 0; y < s.Height(); ++y)
            for (int x = 0; x < s.Width(); ++x)
                if (AlphaOf(s.GetPixel(x, y)))
                    r = {std::min(r.left, x), std::min(r.top, y), std::max(r.right, x + 1), std::max(r.bottom, y + 1)};
        return r;
    };
    StringFormat farCorner;
    farCorner.align = TextAlign::Far;
    farCorner.lineAlign = TextAlign::Far;
    farCorner.noWrap = true;
    Surface s = Surface::Create(200, 100);
    DeviceContext dc(s);
    dc.DrawString(u"Done", 4, font, {0, 0, 200, 100}, farCorner, Brush::Solid(0xFFFFFFFF));
    const Rect box = inkBox(s);
    EXPECT_GT(box.left, 100);
    EXPECT_GT(box.top, 60);

    // Clipped to the layout rectangle: a long string in a small box does not spill.
    Surface c = Surface::Create(200, 100);
    DeviceContext dcc(c);
    StringFormat nowrap;
    nowrap.noWrap = true;
    const char16_t* longText = u"A long line of text that will not fit";
    dcc.DrawString(longText, Len(longText), font, {10, 10, 60, 40}, nowrap, Brush::Solid(0xFFFFFFFF));
    EXPECT_LE(inkBox(c).right, 70);

    // An outline is drawn around the glyphs: it reaches beyond the filled text's box.
    Surface filled = Surface::Create(200, 100), outlined = Surface::Create(200, 100);
    DeviceContext df(filled), dout(outlined);
    df.DrawString(u"O", 1, font, {50, 20, 100, 60}, nowrap, Brush::Solid(0xFFFFFFFF));
    dout.StrokeString(u"O", 1, font, {50, 20, 100, 60}, nowrap, 4, Brush::Solid(0xFFFFFFFF));
    const Rect a = inkBox(filled), b = inkBox(outlined);
    EXPECT_LT(b.left, a.left);
    EXPECT_GT(b.right, a.right);
}

TEST(VectorTest, GlowPipelineThroughAnOffscreenSurfaceSpreadsTheInk)
{
    // Text drawn offscreen, scaled down and back up with the best filter, spreads into a halo.
    const int w = 120, h = 40;
    Surface big = Surface::Create(w, h);
    DeviceContext db(big);
    const Font font = Font::Create({u"Sans", 24, true});
    StringFormat format;
    format.noWrap = true;
    format.align = TextAlign::Center;
    format.lineAlign = TextAlign::Center;
    db.DrawString(u"VPN", 3, font, {0, 0, double(w), double(h)}, format, Brush::Solid(0xFFFFFFFF));
    auto covered = [](const Surface& s) {
        int n = 0;
        for (int y = 0; y < s.Height(); ++y)
            for (int x = 0; x < s.Width(); ++x)
                n += AlphaOf(s.GetPixel(x, y)) > 0;
        return n;
    };
    const int before = covered(big);
    Surface small = Surface::Create(w / 3, h / 3);
    DeviceContext ds(small);
    ds.DrawImage(big.Pixels(), {0, 0, double(w), double(h)}, {0, 0, double(w / 3), double(h / 3)}, ImageFilter::Best);
    big.Clear(0);
    db.DrawImage(small.Pixels(), {0, 0, double(w / 3), double(h / 3)}, {0, 0, double(w), double(h)},
                 ImageFilter::Bilinear);
    EXPECT_GT(covered(big), before);
}

} // namespace
