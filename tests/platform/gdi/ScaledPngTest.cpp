// Icons scaled from PNG bytes by GDI+: smooth, opaque to the edge, valid premultiplied pixels.
#include "platform/PngFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

using platform::DecodePng;
using platform::PixelBuffer;
using platform::Surface;

namespace {

// The PNG bytes of a picture, made through the platform's own encoder.
std::vector<std::uint8_t> PngOf(const Surface& picture)
{
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("tvu-gdi-scale-" + std::to_string(std::random_device{}()) + ".png");
    std::vector<std::uint8_t> bytes;
    if (platform::WritePng(picture.Pixels(), file.string())) {
        std::ifstream in(file, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
    return bytes;
}

int Channel(std::uint32_t pixel, int shift)
{
    return int((pixel >> shift) & 0xFF);
}

TEST(GdiScaledPng, AnOpaqueColourStaysExactToTheEdgesAtAnySize)
{
    Surface picture = Surface::Create(8, 8);
    picture.Clear(0xFF3366CC);
    const std::vector<std::uint8_t> png = PngOf(picture);
    ASSERT_FALSE(png.empty());
    for (const auto& [width, height] : {std::pair{32, 32}, std::pair{3, 3}, std::pair{5, 2}, std::pair{13, 40}}) {
        const Surface icon = DecodePng(png, width, height);
        ASSERT_TRUE(icon.IsValid()) << width << "x" << height;
        ASSERT_EQ(icon.Width(), width);
        ASSERT_EQ(icon.Height(), height);
        int off = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                for (int shift = 0; shift < 32; shift += 8)
                    off += std::abs(Channel(icon.GetPixel(x, y), shift) - Channel(0xFF3366CC, shift)) > 1;
        EXPECT_EQ(off, 0) << width << "x" << height << ": first pixel " << std::hex << icon.GetPixel(0, 0) << ", last "
                          << icon.GetPixel(width - 1, height - 1);
    }
}

TEST(GdiScaledPng, EnlargingBlendsNeighboursInsteadOfRepeatingThem)
{
    // Black on the left, white on the right; eight times as wide, the step becomes a ramp.
    Surface picture = Surface::Create(2, 2);
    picture.Clear(0xFF000000);
    picture.SetPixel(1, 0, 0xFFFFFFFF);
    picture.SetPixel(1, 1, 0xFFFFFFFF);
    const Surface icon = DecodePng(PngOf(picture), 16, 4);
    ASSERT_TRUE(icon.IsValid());
    int between = 0, previous = -1;
    for (int x = 0; x < 16; ++x) {
        const std::uint32_t p = icon.GetPixel(x, 1);
        EXPECT_EQ(p >> 24, 0xFFu) << x;
        const int grey = Channel(p, 8);
        EXPECT_GE(grey, previous) << "the ramp rises from left to right, at " << x;
        previous = grey;
        between += grey > 0x20 && grey < 0xE0;
    }
    EXPECT_LE(Channel(icon.GetPixel(0, 1), 8), 0x10);
    EXPECT_GE(Channel(icon.GetPixel(15, 1), 8), 0xEF);
    EXPECT_GE(between, 2) << "grey pixels between the two halves";
}

TEST(GdiScaledPng, TranslucentPicturesStayValidPremultipliedPixels)
{
    Surface picture = Surface::Create(4, 4);
    picture.Clear(0x80FF0000);
    picture.SetPixel(1, 1, 0xFF0000FF);
    picture.SetPixel(2, 2, 0);
    const Surface icon = DecodePng(PngOf(picture), 11, 7);
    ASSERT_TRUE(icon.IsValid());
    bool translucent = false;
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 11; ++x) {
            const std::uint32_t p = icon.GetPixel(x, y);
            const int alpha = Channel(p, 24);
            for (int shift = 0; shift < 24; shift += 8)
                EXPECT_LE(Channel(p, shift), alpha) << x << "," << y << ": " << std::hex << p;
            translucent = translucent || (alpha > 0 && alpha < 0xFF);
        }
    }
    EXPECT_TRUE(translucent);
    // The corner is wholly the half-transparent red.
    EXPECT_NEAR(Channel(icon.GetPixel(10, 0), 24), 0x80, 2);
    EXPECT_NEAR(Channel(icon.GetPixel(10, 0), 16), 0x80, 2);
}

TEST(GdiScaledPng, TheSameSizeIsACopyAndBadInputGivesNothing)
{
    Surface picture = Surface::Create(3, 2);
    picture.Clear(0xFF102030);
    picture.SetPixel(2, 1, 0xFFFFFFFF);
    const std::vector<std::uint8_t> png = PngOf(picture);
    const Surface same = DecodePng(png, 3, 2);
    ASSERT_TRUE(same.IsValid());
    EXPECT_EQ(same.GetPixel(0, 0), 0xFF102030u);
    EXPECT_EQ(same.GetPixel(2, 1), 0xFFFFFFFFu);

    EXPECT_FALSE(DecodePng(png, 0, 16).IsValid());
    EXPECT_FALSE(DecodePng(png, 16, -2).IsValid());
    EXPECT_FALSE(DecodePng({}, 16, 16).IsValid());
    const std::vector<std::uint8_t> cut(png.begin(), png.begin() + std::ptrdiff_t(png.size() / 2));
    EXPECT_FALSE(DecodePng(cut, 16, 16).IsValid());
    const std::vector<std::uint8_t> text{'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'};
    EXPECT_FALSE(DecodePng(text, 16, 16).IsValid());
}

TEST(GdiPngFile, FilesUnderNonAsciiNamesAreWrittenAndReadBack)
{
    // Names are UTF-8 strings; on Windows they must not go through the ANSI code page.
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        std::filesystem::path(u8"картинки-" + std::u8string(reinterpret_cast<const char8_t*>(
                                                  std::to_string(std::random_device{}()).c_str())));
    std::filesystem::create_directories(folder);
    const std::u8string name = (folder / std::filesystem::path(u8"значок.png")).u8string();
    const std::string path(name.begin(), name.end());
    Surface picture = Surface::Create(3, 3);
    picture.Clear(0xFF204060);
    ASSERT_TRUE(platform::WritePng(picture.Pixels(), path));
    EXPECT_TRUE(std::filesystem::exists(folder / std::filesystem::path(u8"значок.png")));
    const Surface back = platform::ReadPng(path);
    ASSERT_TRUE(back.IsValid());
    EXPECT_EQ(back.GetPixel(2, 2), 0xFF204060u);
    EXPECT_FALSE(platform::WritePng(picture.Pixels(), path + "/inside-a-file.png"));
    std::filesystem::remove_all(folder);
}

} // namespace
