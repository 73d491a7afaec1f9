// PNG round trips and the picture comparison used by reference-image tests.
#include "tests/JoinedText.h"
#include "platform/PngFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "platform/DeviceContext.h"
#include "tests/platform/drawing/DrawingTestUtil.h"

using namespace platform;

namespace {

std::string TempPath(const char* name)
{
    return tvtest::Joined(TVU_BINARY_DIR, "/", name);
}

TEST(PngFileTest, RoundTripKeepsOpaqueAndTranslucentPixels)
{
    Surface s = Surface::Create(6, 4);
    DeviceContext dc(s);
    dc.FillSolid({0, 0, 3, 4}, 0xFF336699);
    dc.FillSolid({3, 0, 6, 4}, 0x80FF8000);
    const std::string path = TempPath("png_round_trip.png");
    ASSERT_TRUE(WritePng(s.Pixels(), path));
    Surface back = ReadPng(path);
    ASSERT_TRUE(back.IsValid());
    EXPECT_EQ(back.Width(), 6);
    EXPECT_EQ(back.Height(), 4);
    EXPECT_PIXEL(back, 1, 1, 0xFF336699u);
    // Straight alpha in the file: premultiplied values may move by a rounding step.
    const PixelDiff diff = ComparePixels(back.Pixels(), s.Pixels(), 1);
    EXPECT_TRUE(diff.Matches()) << diff.Describe();
    std::remove(path.c_str());
}

TEST(PngFileTest, MissingOrBrokenFilesGiveAnInvalidSurface)
{
    EXPECT_FALSE(ReadPng(TempPath("no_such_file.png")).IsValid());
    const std::string path = TempPath("not_a_png.png");
    std::ofstream(path) << "this is not a picture";
    EXPECT_FALSE(ReadPng(path).IsValid());
    std::remove(path.c_str());
    Surface s = Surface::Create(2, 2);
    EXPECT_FALSE(WritePng(s.Pixels(), TempPath("no_such_dir/x.png")));
    EXPECT_FALSE(WritePng(PixelBuffer{}, TempPath("empty.png")));
}

TEST(PngFileTest, CompareReportsCountAndFirstDifference)
{
    Surface a = Surface::Create(5, 5), b = Surface::Create(5, 5);
    a.Clear(0xFF101010);
    b.Clear(0xFF101010);
    b.SetPixel(3, 1, 0xFF101014); // within a tolerance of 4
    b.SetPixel(2, 2, 0xFF102010);
    b.SetPixel(4, 4, 0xFF000000);
    PixelDiff diff = ComparePixels(a.Pixels(), b.Pixels(), 4);
    EXPECT_FALSE(diff.Matches());
    EXPECT_EQ(diff.count, 2);
    EXPECT_EQ(diff.firstX, 2);
    EXPECT_EQ(diff.firstY, 2);
    EXPECT_EQ(diff.actual, 0xFF101010u);
    EXPECT_EQ(diff.expected, 0xFF102010u);
    EXPECT_EQ(diff.Describe(), "2 pixels differ, first at (2, 2): 0xff101010 instead of 0xff102010");
    EXPECT_EQ(ComparePixels(a.Pixels(), b.Pixels(), 255).count, 0);

    Surface c = Surface::Create(5, 4);
    diff = ComparePixels(a.Pixels(), c.Pixels(), 0);
    EXPECT_FALSE(diff.sameSize);
    EXPECT_FALSE(diff.Matches());
}

} // namespace
