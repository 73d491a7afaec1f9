// Surfaces, clip regions on a device context, fills, gradients and the three kinds of blit.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/Color.h"
#include "platform/DeviceContext.h"
#include "platform/Surface.h"
#include "tests/platform/drawing/DrawingTestUtil.h"

using namespace platform;

namespace {

constexpr std::uint32_t kBlack = 0xFF000000;
constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr std::uint32_t kGreen = 0xFF00FF00;
constexpr std::uint32_t kBlue = 0xFF0000FF;

TEST(SurfaceTest, CreateWrapAndInvalidSizes)
{
    Surface s = Surface::Create(4, 3);
    ASSERT_TRUE(s.IsValid());
    EXPECT_EQ(s.Width(), 4);
    EXPECT_EQ(s.Height(), 3);
    EXPECT_PIXEL(s, 3, 2, 0u); // starts transparent
    EXPECT_EQ(s.GetPixel(4, 0), 0u);
    EXPECT_FALSE(Surface::Create(0, 3).IsValid());
    EXPECT_FALSE(Surface::Create(3, -1).IsValid());
    EXPECT_FALSE(Surface::Wrap(PixelBuffer{}).IsValid());

    // A wrapped buffer sees the drawing, including padding in its stride.
    std::vector<std::uint32_t> memory(6 * 2, 0x12345678);
    PixelBuffer pb{memory.data(), 5, 2, 6 * 4};
    {
        DeviceContext dc(pb);
        dc.FillSolid({0, 0, 5, 2}, kRed);
    }
    EXPECT_EQ(memory[0], kRed);
    EXPECT_EQ(memory[4], kRed);
    EXPECT_EQ(memory[5], 0x12345678u); // padding untouched
    EXPECT_EQ(memory[6 + 4], kRed);
    PixelBuffer tooNarrow{memory.data(), 5, 2, 16};
    EXPECT_FALSE(Surface::Wrap(tooNarrow).IsValid());
}

TEST(ColorTest, PremultiplyAndBack)
{
    EXPECT_EQ(Premultiply(0xFF123456), 0xFF123456u);
    EXPECT_EQ(Premultiply(0x80FF8000), 0x80804000u);
    EXPECT_EQ(Premultiply(0x00FFFFFF), 0u);
    EXPECT_EQ(Unpremultiply(0x80804000), 0x80FF8000u);
    EXPECT_EQ(Unpremultiply(0xFF123456), 0xFF123456u);
    EXPECT_EQ(Unpremultiply(0), 0u);
    // Translucent colours come back to within a rounding step of the original.
    for (std::uint32_t a : {1u, 7u, 128u, 254u}) {
        const std::uint32_t c = MakeArgb(a, 200, 100, 50);
        const std::uint32_t back = Unpremultiply(Premultiply(c));
        EXPECT_EQ(AlphaOf(back), a);
        EXPECT_NEAR(double(RedOf(back)), 200.0, 255.0 / a + 1);
    }
}

TEST(SurfaceTest, ClearPremultipliesAndCloneCopies)
{
    Surface s = Surface::Create(2, 2);
    s.Clear(0x80FF0000);
    EXPECT_PIXEL(s, 1, 1, 0x80800000u);
    Surface c = s.Clone();
    s.Clear(0);
    EXPECT_PIXEL(c, 0, 0, 0x80800000u);
}

TEST(DeviceContextClipTest, SetIntersectExcludeAndRestore)
{
    Surface s = Surface::Create(20, 20);
    DeviceContext dc(s);
    EXPECT_EQ(dc.GetClipBox(), (Rect{0, 0, 20, 20}));
    dc.SetClipRect({-5, -5, 10, 30});
    EXPECT_EQ(dc.GetClipBox(), (Rect{0, 0, 10, 20})); // cut to the surface

    EXPECT_EQ(dc.Save(), 1);
    dc.IntersectClipRect({5, 5, 15, 15});
    EXPECT_EQ(dc.GetClipBox(), (Rect{5, 5, 10, 15}));
    dc.ExcludeClipRect({6, 6, 8, 8});
    dc.FillSolid({0, 0, 20, 20}, kRed);
    EXPECT_PIXEL(s, 5, 5, kRed);
    EXPECT_PIXEL(s, 7, 7, 0u);  // excluded
    EXPECT_PIXEL(s, 10, 5, 0u); // outside the first clip
    EXPECT_PIXEL(s, 4, 5, 0u);  // outside the intersection
    EXPECT_EQ(drawingtest::CountEqual(s, 0, 0, 20, 20, kRed), 5 * 10 - 4);

    EXPECT_TRUE(dc.Restore());
    EXPECT_EQ(dc.GetClipBox(), (Rect{0, 0, 10, 20}));
    EXPECT_FALSE(dc.Restore());

    dc.SetClipRegion(Region());
    dc.FillSolid({0, 0, 20, 20}, kBlue);
    EXPECT_EQ(drawingtest::CountEqual(s, 0, 0, 20, 20, kBlue), 0);
    dc.ResetClip();
    dc.FillSolid({0, 0, 20, 20}, kBlue);
    EXPECT_EQ(drawingtest::CountEqual(s, 0, 0, 20, 20, kBlue), 400);
}

TEST(DeviceContextClipTest, RoundRectClipLeavesCornersUntouched)
{
    Surface s = Surface::Create(40, 30);
    s.Clear(kBlack);
    DeviceContext dc(s);
    dc.IntersectClipRoundRect({0, 0, 40, 30}, 12, 12);
    dc.FillSolid({0, 0, 40, 30}, kRed);
    for (const auto& [x, y] : {std::pair{0, 0}, {38, 0}, {0, 28}, {38, 28}, {1, 1}, {37, 1}, {1, 27}, {37, 27}})
        EXPECT_PIXEL(s, x, y, kBlack);
    for (const auto& [x, y] : {std::pair{20, 0}, {0, 15}, {38, 15}, {20, 28}, {20, 15}, {6, 6}})
        EXPECT_PIXEL(s, x, y, kRed);
    // A round-rectangle region leaves out the last column and row, as GDI's does.
    EXPECT_PIXEL(s, 39, 15, kBlack);
    EXPECT_PIXEL(s, 20, 29, kBlack);
}

TEST(DeviceContextFillTest, TranslucentWhiteOverBlackIsMidGrey)
{
    Surface s = Surface::Create(4, 4);
    s.Clear(kBlack);
    DeviceContext dc(s);
    dc.BlendSolid({0, 0, 4, 4}, 0x80FFFFFF);
    EXPECT_PIXEL(s, 2, 2, 0xFF808080u);

    // The same through a premultiplied source-over blit of a 1 x 1 bitmap, the way colour fills
    // of the framework are drawn.
    Surface t = Surface::Create(4, 4);
    t.Clear(kBlack);
    std::uint32_t one = Premultiply(0x80FFFFFF);
    DeviceContext dt(t);
    dt.AlphaBlend({0, 0, 4, 4}, PixelBuffer{&one, 1, 1, 4}, {0, 0, 1, 1}, 255);
    EXPECT_PIXEL(t, 3, 3, 0xFF808080u);

    // FillSolid copies, alpha included; a transparent blend changes nothing.
    dc.FillSolid({0, 0, 1, 1}, 0x80FFFFFF);
    EXPECT_PIXEL(s, 0, 0, 0x80808080u);
    dc.BlendSolid({1, 1, 2, 2}, 0x00FFFFFF);
    EXPECT_PIXEL(s, 1, 1, 0xFF808080u);
}

TEST(DeviceContextFillTest, GradientsRunFromFirstToSecondColour)
{
    Surface s = Surface::Create(10, 11);
    DeviceContext dc(s);
    dc.FillGradient({0, 0, 10, 11}, kRed, kBlue, GradientDirection::Vertical);
    EXPECT_PIXEL(s, 5, 0, kRed);
    EXPECT_PIXEL(s, 5, 10, kBlue);
    EXPECT_PIXEL(s, 0, 5, 0xFF800080u);
    EXPECT_EQ(s.GetPixel(0, 3), s.GetPixel(9, 3)); // rows are uniform

    dc.FillGradient({0, 0, 10, 11}, kGreen, kBlack, GradientDirection::Horizontal);
    EXPECT_PIXEL(s, 0, 4, kGreen);
    EXPECT_PIXEL(s, 9, 4, kBlack);
    EXPECT_EQ(s.GetPixel(4, 0), s.GetPixel(4, 10)); // columns are uniform
    EXPECT_GT(GreenOf(s.GetPixel(3, 0)), GreenOf(s.GetPixel(6, 0)));

    // Only the visible part is worked out: a gradient far larger than the surface is fine, and
    // its colours are those of its own position.
    dc.FillGradient({0, -1000000000, 10, 1000000001}, kRed, kBlue, GradientDirection::Vertical);
    EXPECT_PIXEL(s, 3, 5, 0xFF7F0080u); // just past the middle

    // Alpha interpolates too and the result is premultiplied.
    dc.FillGradient({0, 0, 10, 1}, 0x00FFFFFF, 0xFFFFFFFF, GradientDirection::Horizontal);
    EXPECT_PIXEL(s, 0, 0, 0u);
    EXPECT_PIXEL(s, 9, 0, 0xFFFFFFFFu);
}

// A 4 x 2 source: red, green, blue, half-transparent white / black row.
std::vector<std::uint32_t> SourcePixels()
{
    return {kRed, kGreen, kBlue, Premultiply(0x80FFFFFF), kBlack, kBlack, kBlack, kBlack};
}

TEST(DeviceContextBlitTest, BitBltCopiesOnlyWhatExistsAndRespectsClip)
{
    auto pixels = SourcePixels();
    const PixelBuffer src{pixels.data(), 4, 2, 16};
    Surface s = Surface::Create(10, 10);
    DeviceContext dc(s);
    dc.SetClipRect({0, 0, 10, 10});
    dc.BitBlt(2, 3, 10, 10, src, 1, 0); // asks for more than the source has
    EXPECT_PIXEL(s, 2, 3, kGreen);
    EXPECT_PIXEL(s, 3, 3, kBlue);
    EXPECT_PIXEL(s, 4, 3, 0x80808080u); // copied, not blended
    EXPECT_PIXEL(s, 5, 3, 0u);
    EXPECT_PIXEL(s, 2, 4, kBlack);
    EXPECT_PIXEL(s, 2, 5, 0u);

    dc.SetClipRect({0, 0, 3, 10});
    dc.BitBlt(2, 6, 2, 1, src, 0, 0);
    EXPECT_PIXEL(s, 2, 6, kRed);
    EXPECT_PIXEL(s, 3, 6, 0u);
}

TEST(DeviceContextBlitTest, OverlappingBitBltWithinOneSurfaceDoesNotSmear)
{
    Surface s = Surface::Create(8, 1);
    for (int x = 0; x < 8; ++x)
        s.SetPixel(x, 0, 0xFF000000u | static_cast<std::uint32_t>(x));
    DeviceContext dc(s);
    dc.BitBlt(1, 0, 6, 1, s.Pixels(), 0, 0); // shift right by one onto itself
    EXPECT_PIXEL(s, 0, 0, 0xFF000000u);
    for (int x = 1; x < 7; ++x)
        EXPECT_PIXEL(s, x, 0, 0xFF000000u | static_cast<std::uint32_t>(x - 1));
    dc.StretchBlt({0, 0, 8, 1}, s.Pixels(), {0, 0, 4, 1}); // doubled onto itself
    EXPECT_PIXEL(s, 7, 0, 0xFF000002u);
}

TEST(DeviceContextBlitTest, StretchBltIsNearestNeighbour)
{
    auto pixels = SourcePixels();
    const PixelBuffer src{pixels.data(), 4, 2, 16};
    Surface s = Surface::Create(12, 4);
    DeviceContext dc(s);
    dc.StretchBlt({0, 0, 9, 2}, src, {0, 0, 3, 1}); // red, green, blue each 3 wide, 2 high
    for (int x = 0; x < 9; ++x) {
        const std::uint32_t expected = x < 3 ? kRed : x < 6 ? kGreen : kBlue;
        EXPECT_PIXEL(s, x, 0, expected);
        EXPECT_PIXEL(s, x, 1, expected);
    }
    EXPECT_PIXEL(s, 9, 0, 0u);

    // Shrinking picks pixel centres: 4 source columns into 2 take columns 1 and 3.
    dc.StretchBlt({0, 3, 2, 4}, src, {0, 0, 4, 1});
    EXPECT_PIXEL(s, 0, 3, kGreen);
    EXPECT_PIXEL(s, 1, 3, 0x80808080u); // copied as it is, alpha included
}

TEST(DeviceContextBlitTest, AlphaBlendCombinesSourceAndConstantAlpha)
{
    std::uint32_t white = 0xFFFFFFFF;
    const PixelBuffer src{&white, 1, 1, 4};
    Surface s = Surface::Create(3, 1);
    s.Clear(kBlack);
    DeviceContext dc(s);
    dc.AlphaBlend({0, 0, 1, 1}, src, {0, 0, 1, 1}, 128);
    EXPECT_PIXEL(s, 0, 0, 0xFF808080u);
    dc.AlphaBlend({1, 0, 2, 1}, src, {0, 0, 1, 1}, 0);
    EXPECT_PIXEL(s, 1, 0, kBlack);

    std::uint32_t halfWhite = Premultiply(0x80FFFFFF);
    dc.AlphaBlend({2, 0, 3, 1}, PixelBuffer{&halfWhite, 1, 1, 4}, {0, 0, 1, 1}, 128);
    EXPECT_PIXEL(s, 2, 0, 0xFF404040u);

    // A pixel whose colour exceeds its alpha (not validly premultiplied) saturates instead of
    // spilling into the neighbouring channel.
    Surface g = Surface::Create(1, 1);
    g.Clear(kGreen);
    DeviceContext dg(g);
    std::uint32_t invalid = 0x10FF0000;
    dg.AlphaBlend({0, 0, 1, 1}, PixelBuffer{&invalid, 1, 1, 4}, {0, 0, 1, 1}, 255);
    EXPECT_PIXEL(g, 0, 0, 0xFFFFEF00u);

    // Ignoring the source alpha blends the colour as if opaque, with the constant alpha only.
    Surface t = Surface::Create(1, 1);
    t.Clear(kBlack);
    DeviceContext dt(t);
    std::uint32_t noAlphaWhite = 0x00FFFFFF;
    dt.AlphaBlend({0, 0, 1, 1}, PixelBuffer{&noAlphaWhite, 1, 1, 4}, {0, 0, 1, 1}, 128, SourceAlpha::Ignore);
    EXPECT_PIXEL(t, 0, 0, 0xFF808080u);
}

// One channel of premultiplied source-over, written out plainly: c * a / 255 rounded to nearest.
std::uint32_t ScaleChannel(std::uint32_t c, std::uint32_t a)
{
    return (c * a * 2 + 255) / 510;
}

std::uint32_t ReferenceBlend(std::uint32_t s, std::uint32_t d, std::uint32_t constant, bool ignoreAlpha)
{
    if (ignoreAlpha)
        s |= 0xFF000000;
    std::uint32_t scaled = 0;
    for (int shift = 0; shift < 32; shift += 8)
        scaled |= ScaleChannel((s >> shift) & 0xFF, constant) << shift;
    const std::uint32_t inverse = 255 - (scaled >> 24);
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const std::uint32_t sum = ((scaled >> shift) & 0xFF) + ScaleChannel((d >> shift) & 0xFF, inverse);
        out |= std::min<std::uint32_t>(sum, 255) << shift;
    }
    return out;
}

TEST(DeviceContextBlitTest, AlphaBlendOfEveryWidthEqualsPlainSourceOver)
{
    // Random premultiplied and invalid pixels, stretched and shrunk, in every width from 1 to 13
    // (rows are blended several pixels at a time, so each remainder is covered), with the source
    // partly outside its buffer and a clip that cuts the destination.
    std::mt19937 random(7);
    std::vector<std::uint32_t> source(9 * 5);
    for (std::uint32_t& p : source) {
        const std::uint32_t a = random() % 4 == 0 ? 255 : (random() % 3 == 0 ? 0 : random() % 256);
        p = a << 24;
        for (int shift = 0; shift < 24; shift += 8)
            p |= (random() % 16 == 0 ? random() % 256 : random() % (a + 1)) << shift;
    }
    const PixelBuffer src{source.data(), 9, 5, 9 * 4};
    int checked = 0;
    for (int width = 1; width <= 13; ++width) {
        for (const std::uint8_t constant : {std::uint8_t(255), std::uint8_t(200), std::uint8_t(1)}) {
            for (const bool ignore : {false, true}) {
                Surface s = Surface::Create(16, 6);
                std::vector<std::uint32_t> before(16 * 6);
                for (int y = 0; y < 6; ++y)
                    for (int x = 0; x < 16; ++x) {
                        before[std::size_t(y * 16 + x)] = Premultiply(random() | 0x40000000);
                        s.Pixels().Row(y)[x] = before[std::size_t(y * 16 + x)];
                    }
                DeviceContext dc(s);
                dc.SetClipRect({1, 0, 16, 5});
                const Rect sourceRect{-1, 0, 10, 5}; // one column on either side lies outside
                dc.AlphaBlend({0, 0, width, 6}, src, sourceRect, constant,
                              ignore ? SourceAlpha::Ignore : SourceAlpha::PerPixel);
                for (int y = 0; y < 6; ++y) {
                    for (int x = 0; x < 16; ++x) {
                        std::uint32_t expected = before[std::size_t(y * 16 + x)];
                        const int sx = sourceRect.left + int((2LL * x + 1) * sourceRect.Width() / (2LL * width));
                        const int sy = sourceRect.top + int((2LL * y + 1) * sourceRect.Height() / (2LL * 6));
                        if (x >= 1 && x < width && y < 5 && sx >= 0 && sx < 9 && sy >= 0 && sy < 5) {
                            const std::uint32_t p = source[std::size_t(sy * 9 + sx)];
                            expected = ignore && constant == 255 ? p : ReferenceBlend(p, expected, constant, ignore);
                            ++checked;
                        }
                        ASSERT_EQ(s.Pixels().Row(y)[x], expected)
                            << "width " << width << " constant " << int(constant) << " at " << x << "," << y;
                    }
                }
            }
        }
    }
    EXPECT_GT(checked, 1000);
}

TEST(DeviceContextBlitTest, UnstretchedAlphaBlendEqualsPlainSourceOver)
{
    // A source as wide as its destination is read straight along its rows, four pixels at a time
    // with shortcuts for groups that are wholly transparent or wholly opaque. The source has runs
    // of such groups and mixed pixels, is placed at every offset against the source's edges (so
    // the run read starts and stops at every remainder), and the clip has a hole in it.
    std::mt19937 random(5);
    constexpr int kW = 24, kH = 3;
    std::vector<std::uint32_t> source(kW * kH);
    for (int i = 0; i < kW * kH; ++i) {
        const int group = (i / 4) % 3; // opaque, transparent, mixed
        std::uint32_t p = 0;
        if (group == 0) {
            p = 0xFF000000u | (std::uint32_t(random()) & 0xFFFFFF);
        } else if (group == 2) {
            const std::uint32_t a = random() % 256;
            p = a << 24;
            for (int shift = 0; shift < 24; shift += 8)
                p |= (random() % (a + 1)) << shift;
        }
        source[std::size_t(i)] = p;
    }
    const PixelBuffer src{source.data(), kW, kH, kW * 4};
    int checked = 0;
    for (int left = -5; left <= 5; ++left) {
        for (int width = 1; width <= 17; ++width) {
            for (const std::uint8_t constant : {std::uint8_t(255), std::uint8_t(128)}) {
                for (const bool ignore : {false, true}) {
                    constexpr int kSW = 32;
                    Surface s = Surface::Create(kSW, kH);
                    std::vector<std::uint32_t> before(kSW * kH);
                    for (int y = 0; y < kH; ++y)
                        for (int x = 0; x < kSW; ++x) {
                            const std::uint32_t d = random() % 5 == 0 ? 0u : Premultiply(random() | 0x30000000);
                            before[std::size_t(y * kSW + x)] = d;
                            s.Pixels().Row(y)[x] = d;
                        }
                    DeviceContext dc(s);
                    dc.SetClipRect({0, 0, kSW, kH});
                    dc.ExcludeClipRect({9, 1, 11, 2});
                    const Rect sourceRect{left, 0, left + width, kH};
                    const int destLeft = 3;
                    dc.AlphaBlend({destLeft, 0, destLeft + width, kH}, src, sourceRect, constant,
                                  ignore ? SourceAlpha::Ignore : SourceAlpha::PerPixel);
                    for (int y = 0; y < kH; ++y) {
                        for (int x = 0; x < kSW; ++x) {
                            std::uint32_t expected = before[std::size_t(y * kSW + x)];
                            const int sx = left + (x - destLeft);
                            const bool hole = x >= 9 && x < 11 && y == 1;
                            if (x >= destLeft && x < destLeft + width && !hole && sx >= 0 && sx < kW) {
                                const std::uint32_t p = source[std::size_t(y * kW + sx)];
                                expected =
                                    ignore && constant == 255 ? p : ReferenceBlend(p, expected, constant, ignore);
                                ++checked;
                            }
                            ASSERT_EQ(s.Pixels().Row(y)[x], expected)
                                << "left " << left << " width " << width << " constant " << int(constant) << " ignore "
                                << ignore << " at " << x << "," << y;
                        }
                    }
                }
            }
        }
    }
    EXPECT_GT(checked, 3000);
}

TEST(DeviceContextBlitTest, SmoothBlendReadsItsOwnSurfaceAsItWasAndLandsOneToOneUnchanged)
{
    // A smooth blit from a surface onto an overlapping part of itself must give what the same blit
    // from an untouched copy gives: the part it reads is not the part it has already written.
    std::mt19937 random(11);
    const auto fill = [&random](Surface& s) {
        for (int y = 0; y < s.Height(); ++y)
            for (int x = 0; x < s.Width(); ++x)
                s.Pixels().Row(y)[x] = Premultiply(std::uint32_t(random()) | 0x80000000u);
    };
    for (const double scale : {1.0, 1.5, 2.0}) {
        Surface self = Surface::Create(24, 24), copy = Surface::Create(24, 24);
        fill(self);
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x)
                copy.Pixels().Row(y)[x] = self.GetPixel(x, y);
        Surface original = Surface::Create(24, 24);
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x)
                original.Pixels().Row(y)[x] = self.GetPixel(x, y);
        DeviceContext a(self), b(copy);
        a.SetScale(scale);
        b.SetScale(scale);
        const Rect dest{5, 6, 12, 16}, from{3, 2, 12, 14}; // writes ahead of what it reads
        a.AlphaBlendSmooth(dest, self.Pixels(), from, 200);
        b.AlphaBlendSmooth(dest, original.Pixels(), from, 200);
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x)
                ASSERT_EQ(self.GetPixel(x, y), copy.GetPixel(x, y)) << "scale " << scale << " at " << x << "," << y;
    }
    // Without scaling there is nothing to resample: the smooth blend is the plain one.
    std::vector<std::uint32_t> source(5 * 4);
    for (std::uint32_t& p : source)
        p = Premultiply(std::uint32_t(random()));
    const PixelBuffer src{source.data(), 5, 4, 5 * 4};
    Surface plain = Surface::Create(8, 8), smooth = Surface::Create(8, 8);
    plain.Clear(0xFF204060);
    smooth.Clear(0xFF204060);
    DeviceContext p(plain), q(smooth);
    p.AlphaBlend({1, 2, 5, 5}, src, {1, 0, 5, 3}, 255);
    q.AlphaBlendSmooth({1, 2, 5, 5}, src, {1, 0, 5, 3}, 255);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(smooth.GetPixel(x, y), plain.GetPixel(x, y)) << x << "," << y;
}

TEST(DeviceContextBlitTest, SourceRectangleOutsideTheSourceIsSkipped)
{
    auto pixels = SourcePixels();
    const PixelBuffer src{pixels.data(), 4, 2, 16};
    Surface s = Surface::Create(4, 1);
    DeviceContext dc(s);
    dc.StretchBlt({0, 0, 4, 1}, src, {2, 0, 6, 1}); // half of it lies past the right edge
    EXPECT_PIXEL(s, 0, 0, kBlue);
    EXPECT_PIXEL(s, 2, 0, 0u);
    EXPECT_PIXEL(s, 3, 0, 0u);
}

} // namespace
