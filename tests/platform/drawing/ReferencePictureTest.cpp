// A reference picture of the pixel-exact operations (no text, no anti-aliasing), so that any
// change to fills, gradients, blits, pens or clipping shows up as a pixel difference.
#include <gtest/gtest.h>

#include <string>

#include "platform/DeviceContext.h"
#include "platform/PngFile.h"
#include "tests/DrawingDifferences.h"

using namespace platform;

namespace {

Surface DrawShapes()
{
    Surface s = Surface::Create(64, 48);
    DeviceContext dc(s);
    dc.FillGradient({0, 0, 64, 48}, 0xFF203040, 0xFFE0E0F0, GradientDirection::Vertical);
    dc.FillGradient({4, 4, 60, 12}, 0xFFFF0000, 0xFF0000FF, GradientDirection::Horizontal);
    dc.DrawRect({2, 2, 62, 46}, Pen{PS_DASHDOT, 1, 0xFFFFFF00});
    dc.DrawRoundRect({6, 16, 30, 42}, 10, 10, Pen{PS_INSIDEFRAME, 2, 0xFF00C000});
    dc.DrawRoundRect({34, 16, 58, 42}, 8, 12, Pen{PS_DOT, 1, 0xFFFFFFFF});
    dc.DrawLine(8, 40, 28, 18, Pen{PS_SOLID, 1, 0xFFFF00FF});
    dc.DrawLine(36, 20, 56, 38, Pen{PS_SOLID, 3, 0xFF00FFFF});
    dc.Save();
    dc.IntersectClipRoundRect({10, 20, 27, 39}, 12, 12);
    dc.BlendSolid({0, 0, 64, 48}, 0x80FFFFFF);
    dc.Restore();
    std::uint32_t checker[4] = {0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF, 0xFF000000};
    dc.StretchBlt({44, 22, 52, 30}, PixelBuffer{checker, 2, 2, 8}, {0, 0, 2, 2});
    return s;
}

TEST(ReferencePictureTest, PixelExactOperationsMatchTheReference)
{
    const Surface actual = DrawShapes();
    const std::string reference = std::string(TVU_SOURCE_DIR) + "/tests/platform/drawing/data/shapes.png";
    const Surface expected = ReadPng(reference);
    if (!expected.IsValid()) {
        const std::string written = std::string(TVU_BINARY_DIR) + "/shapes.png";
        WritePng(actual.Pixels(), written);
        FAIL() << "no reference picture at " << reference << "; the current drawing is in " << written;
    }
    if (tvutest::PensDrawnByGdi()) {
        // The dotted rounded rectangle and the wide line are GDI's pens: their pixels may differ,
        // each shape's ink staying within a quarter of the reference's (GDI's wide lines come out
        // fuller than Cairo's). Everything else is exact.
        const Rect gdiShapes[] = {{34, 16, 58, 42}, {34, 18, 59, 41}};
        Surface masked = actual.Clone(), reference = expected.Clone();
        auto ink = [](const Surface& s, const Rect& r, std::uint32_t color) {
            int n = 0;
            for (int y = r.top; y < r.bottom; ++y)
                for (int x = r.left; x < r.right; ++x)
                    n += s.GetPixel(x, y) == color;
            return n;
        };
        const std::uint32_t colors[] = {0xFFFFFFFF, 0xFF00FFFF};
        for (int i = 0; i < 2; ++i) {
            const int wanted = ink(expected, gdiShapes[i], colors[i]);
            EXPECT_GT(wanted, 20);
            EXPECT_NEAR(ink(actual, gdiShapes[i], colors[i]), wanted, wanted / 4) << "shape " << i;
        }
        for (const Rect& r : gdiShapes)
            for (int y = r.top; y < r.bottom; ++y)
                for (int x = r.left; x < r.right; ++x) {
                    masked.SetPixel(x, y, 0);
                    reference.SetPixel(x, y, 0);
                }
        const PixelDiff diff = ComparePixels(masked.Pixels(), reference.Pixels(), 0);
        if (!diff.Matches())
            WritePng(actual.Pixels(), std::string(TVU_BINARY_DIR) + "/shapes_actual.png");
        EXPECT_TRUE(diff.Matches()) << diff.Describe();
        return;
    }
    const PixelDiff diff = ComparePixels(actual.Pixels(), expected.Pixels(), 0);
    if (!diff.Matches())
        WritePng(actual.Pixels(), std::string(TVU_BINARY_DIR) + "/shapes_actual.png");
    EXPECT_TRUE(diff.Matches()) << diff.Describe();
}

} // namespace
