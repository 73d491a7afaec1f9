// Surfaces over DIB sections: owning and wrapping, the premultiplied pixel layout, copies.
#include "platform/Surface.h"

#include <gtest/gtest.h>

#include <vector>

using platform::PixelBuffer;
using platform::Surface;

namespace {

TEST(GdiSurface, CreateGivesTransparentTopDownPixelsOrNothing)
{
    Surface s = Surface::Create(5, 3);
    ASSERT_TRUE(s.IsValid());
    EXPECT_EQ(s.Width(), 5);
    EXPECT_EQ(s.Height(), 3);
    const PixelBuffer px = s.Pixels();
    EXPECT_EQ(px.stride, 20); // 32-bit rows need no padding
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(px.Row(y)[x], 0u);
    // Row 0 is the top row: a pixel set at (1, 0) is the second word of the memory.
    s.SetPixel(1, 0, 0xFF112233);
    EXPECT_EQ(px.pixels[1], 0xFF112233u);
    EXPECT_EQ(s.GetPixel(1, 0), 0xFF112233u);

    EXPECT_FALSE(Surface::Create(0, 3).IsValid());
    EXPECT_FALSE(Surface::Create(3, -1).IsValid());
    EXPECT_EQ(Surface().Width(), 0);
    EXPECT_EQ(Surface().GetPixel(0, 0), 0u);
}

TEST(GdiSurface, PixelAccessOutsideTheSurfaceIsIgnored)
{
    Surface s = Surface::Create(2, 2);
    s.SetPixel(-1, 0, 0xFFFFFFFF);
    s.SetPixel(2, 1, 0xFFFFFFFF);
    s.SetPixel(0, 2, 0xFFFFFFFF);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(s.GetPixel(x, y), 0u);
    EXPECT_EQ(s.GetPixel(5, 5), 0u);
    EXPECT_EQ(s.GetPixel(-1, -1), 0u);
}

TEST(GdiSurface, ClearPremultipliesTheStraightColour)
{
    Surface s = Surface::Create(3, 2);
    s.Clear(0x80FF0000); // half-transparent red
    EXPECT_EQ(s.GetPixel(2, 1), 0x80800000u);
    s.Clear(0xFF336699);
    EXPECT_EQ(s.GetPixel(0, 0), 0xFF336699u);
    s.Clear();
    EXPECT_EQ(s.GetPixel(1, 1), 0u);
}

TEST(GdiSurface, WrapDrawsIntoTheCallersPixelsAndRefusesBadBuffers)
{
    // A stride wider than a row: the padding stays untouched.
    std::vector<std::uint32_t> memory(4 * 3, 0xAAAAAAAA);
    const PixelBuffer pixels{memory.data(), 3, 3, 16};
    Surface s = Surface::Wrap(pixels);
    ASSERT_TRUE(s.IsValid());
    s.Clear(0xFF010203);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(memory[std::size_t(y) * 4 + std::size_t(x)], 0xFF010203u);
        EXPECT_EQ(memory[std::size_t(y) * 4 + 3], 0xAAAAAAAAu);
    }
    EXPECT_EQ(s.Pixels().pixels, memory.data());

    EXPECT_FALSE(Surface::Wrap(PixelBuffer{}).IsValid());
    EXPECT_FALSE(Surface::Wrap(PixelBuffer{memory.data(), 3, 3, 8}).IsValid());  // stride short of a row
    EXPECT_FALSE(Surface::Wrap(PixelBuffer{memory.data(), 3, 3, 14}).IsValid()); // not whole pixels
    EXPECT_FALSE(Surface::Wrap(PixelBuffer{memory.data(), 0, 3, 16}).IsValid());
}

TEST(GdiSurface, CloneOwnsACopyAndMovesKeepThePixels)
{
    std::vector<std::uint32_t> memory(4, 0xFF000010);
    Surface wrapped = Surface::Wrap(PixelBuffer{memory.data(), 2, 2, 8});
    Surface copy = wrapped.Clone();
    ASSERT_TRUE(copy.IsValid());
    EXPECT_NE(copy.Pixels().pixels, memory.data());
    memory[0] = 0;
    EXPECT_EQ(copy.GetPixel(0, 0), 0xFF000010u);
    copy.SetPixel(1, 1, 0xFF00FF00);
    EXPECT_EQ(memory[3], 0xFF000010u);

    Surface moved = std::move(copy);
    EXPECT_EQ(moved.GetPixel(1, 1), 0xFF00FF00u);
    Surface target = Surface::Create(1, 1);
    target = std::move(moved);
    EXPECT_EQ(target.Width(), 2);
    EXPECT_EQ(target.GetPixel(0, 0), 0xFF000010u);
    EXPECT_FALSE(Surface().Clone().IsValid());
}

} // namespace
