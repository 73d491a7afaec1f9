// The tooltips' text over GDI: measured by DrawTextW, drawn in black through a coverage mask that
// keeps the alpha of the pixels beneath (GDI itself would leave it 0).
#include "platform/SystemText.h"

#include <gtest/gtest.h>

#include <vector>

using platform::PixelBuffer;

namespace {

struct Picture
{
    Picture(int width, int height, std::uint32_t fill) : memory(std::size_t(width) * std::size_t(height), fill)
    {
        pixels = PixelBuffer{memory.data(), width, height, width * 4};
    }
    std::uint32_t At(int x, int y) const { return pixels.Row(y)[x]; }

    std::vector<std::uint32_t> memory;
    PixelBuffer pixels;
};

TEST(GdiSystemText, MeasuresGrowWithTheTextAndWrapAtTheWidth)
{
    const SIZE one = platform::MeasureSystemText(u"Remove", 12, 0);
    EXPECT_GT(one.cx, 10);
    EXPECT_GE(one.cy, 10);
    EXPECT_LE(one.cy, 24);
    const SIZE two = platform::MeasureSystemText(u"Remove Remove", 12, 0);
    EXPECT_GT(two.cx, one.cx + one.cx / 2);
    EXPECT_EQ(two.cy, one.cy);
    const SIZE larger = platform::MeasureSystemText(u"Remove", 24, 0);
    EXPECT_GT(larger.cx, one.cx + one.cx / 2);
    EXPECT_GT(larger.cy, one.cy + one.cy / 2);

    // Wrapped at a little more than one word: several lines, none wider than the width.
    const SIZE wrapped = platform::MeasureSystemText(u"Remove the program and its settings", 12, one.cx + 4);
    EXPECT_LE(wrapped.cx, one.cx + 4);
    EXPECT_GE(wrapped.cy, 3 * one.cy);
    // Non-ASCII text is measured as UTF-16.
    EXPECT_GT(platform::MeasureSystemText(u"Удалить", 12, 0).cx, 10);
}

TEST(GdiSystemText, BlackTextOverOpaquePixelsKeepsThemOpaque)
{
    Picture picture(120, 30, 0xFFFFFFE1);
    platform::DrawSystemText(picture.pixels, u"Tarvion VPN", 12, 0, POINT{4, 4});
    const SIZE extent = platform::MeasureSystemText(u"Tarvion VPN", 12, 0);
    int dark = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 120; ++x) {
            const std::uint32_t p = picture.At(x, y);
            EXPECT_EQ(p >> 24, 0xFFu) << x << "," << y;
            const bool inside = x >= 4 && y >= 4 && x < 4 + extent.cx && y < 4 + extent.cy;
            if (!inside) {
                EXPECT_EQ(p, 0xFFFFFFE1u) << "nothing drawn outside the text's box, at " << x << "," << y;
            }
            dark += (p & 0xFF) < 0x60;
        }
    }
    EXPECT_GT(dark, 20);
}

TEST(GdiSystemText, OverTransparentPixelsTheTextIsPremultipliedBlack)
{
    Picture picture(80, 24, 0);
    platform::DrawSystemText(picture.pixels, u"Cancel", 12, 0, POINT{2, 2});
    int covered = 0;
    for (const std::uint32_t p : picture.memory) {
        EXPECT_EQ(p & 0xFFFFFF, 0u); // black, whatever the coverage
        covered += (p >> 24) > 0x80;
    }
    EXPECT_GT(covered, 10);
}

TEST(GdiSystemText, TextPartlyOffThePixelsIsClippedToThem)
{
    Picture picture(20, 8, 0xFFFFFFFF);
    platform::DrawSystemText(picture.pixels, u"Uninstall the whole program", 16, 0, POINT{-30, -6});
    platform::DrawSystemText(picture.pixels, u"Uninstall", 12, 0, POINT{15, 5});
    platform::DrawSystemText(picture.pixels, u"far away", 12, 0, POINT{500, 500});
    platform::DrawSystemText(picture.pixels, u"", 12, 0, POINT{0, 0});
    platform::DrawSystemText(PixelBuffer{}, u"nothing", 12, 0, POINT{0, 0});
    int dark = 0;
    for (const std::uint32_t p : picture.memory) {
        EXPECT_EQ(p >> 24, 0xFFu);
        dark += (p & 0xFF) < 0x80;
    }
    EXPECT_GT(dark, 0);
}

} // namespace
