// What GDI itself draws in a device context (text, wide pens, dashed curves) lands on the
// premultiplied pixels with the alpha right, only inside the clip region, and straight into pixels
// owned elsewhere.
#include "platform/DeviceContext.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/Color.h"

using namespace platform;

namespace {

// Pixels of a window's backing store: owned here, not by any surface.
struct Backing
{
    Backing(int width, int height, std::uint32_t fill) : memory(std::size_t(width) * std::size_t(height), fill)
    {
        pixels = PixelBuffer{memory.data(), width, height, width * 4};
    }
    std::uint32_t At(int x, int y) const { return pixels.Row(y)[x]; }
    std::vector<std::uint32_t> memory;
    PixelBuffer pixels;
};

int Count(const Backing& b, const Rect& r, bool (*test)(std::uint32_t))
{
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            n += test(b.At(x, y));
    return n;
}

TEST(GdiDeviceContext, TextOnTransparentPixelsGetsItsCoverageAsAlpha)
{
    Backing b(160, 40, 0);
    DeviceContext dc(b.pixels);
    ASSERT_TRUE(dc.IsValid());
    dc.SelectFont(Font::Create({u"DejaVu Sans", 20}));
    dc.SetTextColor(0x00FF0000); // the alpha byte of a text colour does not matter
    Rect box{4, 4, 156, 36};
    dc.DrawText(u"Remove", 6, box, DT_LEFT | DT_TOP | DT_SINGLELINE);
    int opaque = 0, partial = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 160; ++x) {
            const std::uint32_t p = b.At(x, y);
            // Premultiplied: no channel above the alpha; red text has no green or blue.
            EXPECT_LE(RedOf(p), AlphaOf(p)) << x << "," << y;
            EXPECT_EQ(p & 0x0000FFFF, 0u) << x << "," << y;
            opaque += p == 0xFFFF0000;
            partial += AlphaOf(p) > 0 && AlphaOf(p) < 255;
        }
    EXPECT_GT(opaque, 40) << "GDI drew the text (in the backing's own memory)";
    EXPECT_GT(partial + opaque, opaque); // grey anti-aliased edges, or at least the text itself
}

TEST(GdiDeviceContext, TextOverOpaquePixelsStaysOpaqueAndKeepsToTheClipRegion)
{
    Backing b(160, 40, 0xFF202020);
    DeviceContext dc(b.pixels);
    dc.SelectFont(Font::Create({u"DejaVu Sans", 24, true}));
    dc.SetTextColor(0xFFFFFFFF);
    // A hole in the middle of the clip: nothing may be drawn there.
    dc.ExcludeClipRect({40, 0, 80, 40});
    Rect box{0, 0, 160, 40};
    dc.DrawText(u"WWWWWWWW", 8, box, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
    EXPECT_EQ(Count(b, {0, 0, 160, 40}, [](std::uint32_t p) { return AlphaOf(p) != 255; }), 0);
    EXPECT_EQ(Count(b, {40, 0, 80, 40}, [](std::uint32_t p) { return p != 0xFF202020; }), 0);
    EXPECT_GT(Count(b, {0, 0, 40, 40}, [](std::uint32_t p) { return p == 0xFFFFFFFF; }), 20);
    EXPECT_GT(Count(b, {80, 0, 160, 40}, [](std::uint32_t p) { return p == 0xFFFFFFFF; }), 20);
}

TEST(GdiDeviceContext, MnemonicIsUnderlinedAndAmpersandsAreShownOnce)
{
    const Font font = Font::Create({u"DejaVu Sans", 16});
    auto draw = [&font](const char16_t* text, int length) {
        auto b = std::make_unique<Backing>(120, 30, 0);
        DeviceContext dc(b->pixels);
        dc.SelectFont(font);
        Rect box{0, 0, 120, 30};
        dc.DrawText(text, length, box, DT_LEFT | DT_TOP | DT_SINGLELINE);
        return b;
    };
    const auto marked = draw(u"&Remove", 7), plain = draw(u"Remove", 6);
    const int ascent = font.Metrics().ascent;
    // The underline sits below the baseline under the first letter only.
    const Rect under{0, ascent, font.Measure(u"R", 1).width, font.Metrics().height};
    auto ink = [](std::uint32_t p) { return AlphaOf(p) > 128; };
    EXPECT_GT(Count(*marked, under, ink), Count(*plain, under, ink));
    const Rect rest{font.Measure(u"Re", 2).width, ascent + 1, 120, 30};
    EXPECT_EQ(Count(*marked, rest, ink), Count(*plain, rest, ink));
    // "&&" shows one ampersand: as wide as the text with a single one and no mnemonic.
    const auto doubled = draw(u"A&&B", 4);
    const auto single = std::make_unique<Backing>(120, 30, 0);
    {
        DeviceContext dc(single->pixels);
        dc.SelectFont(font);
        Rect box{0, 0, 120, 30};
        dc.DrawText(u"A&B", 3, box, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    }
    EXPECT_EQ(doubled->memory, single->memory);
}

TEST(GdiDeviceContext, WidePensAndDashedCurvesAreOpaqueAndClipped)
{
    Backing b(60, 60, 0);
    DeviceContext dc(b.pixels);
    dc.SetClipRect({0, 0, 30, 60});
    dc.DrawLine(5, 30, 55, 30, Pen{PS_SOLID, 5, 0x800000FF}); // a pen's alpha byte is ignored
    dc.DrawRoundRect({5, 5, 55, 55}, 20, 20, Pen{PS_DOT, 1, 0xFF00FF00});
    EXPECT_EQ(Count(b, {30, 0, 60, 60}, [](std::uint32_t p) { return p != 0; }), 0);
    EXPECT_GT(Count(b, {0, 27, 30, 34}, [](std::uint32_t p) { return p == 0xFF0000FF; }), 4 * 22);
    const int dots = Count(b, {0, 0, 30, 60}, [](std::uint32_t p) { return p == 0xFF00FF00; });
    EXPECT_GT(dots, 10);
    EXPECT_LT(dots, 50); // dotted: about half of the outline's pixels
    EXPECT_EQ(Count(b, {0, 0, 30, 60}, [](std::uint32_t p) { return p != 0 && AlphaOf(p) != 255; }), 0);
}

TEST(GdiDeviceContext, AnInvalidTargetDrawsNothingAndDoesNotCrash)
{
    DeviceContext dc(PixelBuffer{});
    EXPECT_FALSE(dc.IsValid());
    Rect box{0, 0, 10, 10};
    dc.DrawText(u"x", 1, box, DT_LEFT);
    dc.DrawLine(0, 0, 9, 9, Pen{PS_SOLID, 3});
    dc.DrawLineAA({0, 0}, {9, 9}, 2, 0xFFFFFFFF, LineCap::Round);
    dc.DrawString(u"x", 1, Font(), {0, 0, 10, 10}, StringFormat{}, Brush::Solid(0xFFFFFFFF));
    EXPECT_TRUE(dc.Pixels().IsEmpty());
}

} // namespace
