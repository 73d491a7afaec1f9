// Skins written to break the framework: unbounded window sizes, includes that multiply, nesting far
// past any real skin, huge spoke counts and coordinates, an escape in a narrow label, and pictures
// that attack their decoder. Each must build what fits within the limits and never crash; the
// sanitizer build runs the same cases.
#include "tests/JoinedText.h"
#include "fuzz/FuzzSupport.h"

#include "ui/controls/ChrysanthemumLoading.h"
#include "ui/controls/Container.h"
#include "ui/core/Limits.h"
#include "ui/manager/WindowManager.h"
#include "ui/render/ImageLoader.h"
#include "ui/builder/SkinBuilder.h"

#include "platform/Region.h"
#include "platform/WindowSystem.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csetjmp>
#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>

using namespace ui;

namespace {

std::vector<std::uint8_t> Bytes(const std::string& text)
{
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

// Controls in the tree and its depth, counted without recursion.
void Measure(CControlUI* root, int& count, int& depth)
{
    count = 0;
    depth = 0;
    std::vector<std::pair<CControlUI*, int>> pending{{root, 1}};
    while (!pending.empty()) {
        auto [control, level] = pending.back();
        pending.pop_back();
        if (control == nullptr)
            continue;
        ++count;
        depth = std::max(depth, level);
        if (auto* container = static_cast<IContainerUI*>(control->CastTo(u"IContainer")))
            for (int i = 0; i < container->GetCount(); ++i)
                pending.push_back({container->GetItemAt(i), level + 1});
    }
}

// Builds the served resource "1" into a window, lays it out and paints it; reports the tree.
struct Built
{
    int count = 0;
    int depth = 0;
    double seconds = 0;
};

Built BuildServed(std::map<std::u16string, std::vector<std::uint8_t>> files, int width = 200, int height = 100)
{
    fuzzing::ServeFiles(std::move(files));
    const auto start = std::chrono::steady_clock::now();
    fuzzing::HeadlessWindow window(width, height);
    CSkinBuilder builder;
    CControlUI* root = builder.Create(MAKEINTRESOURCEW(1), u"SKIN", nullptr, &window.Manager(), nullptr);
    Built built;
    if (root != nullptr)
        Measure(root, built.count, built.depth);
    window.AttachAndPaint(root);
    built.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    fuzzing::ServeFiles({});
    return built;
}

// A JPEG of the given solid colour, written by the JPEG library's encoder.
std::vector<std::uint8_t> SolidJpeg(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<std::uint8_t> row(std::size_t(width) * 3);
    for (int x = 0; x < width; ++x) {
        row[std::size_t(x) * 3] = r;
        row[std::size_t(x) * 3 + 1] = g;
        row[std::size_t(x) * 3 + 2] = b;
    }
    while (info.next_scanline < info.image_height) {
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&info, &p, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<std::uint8_t> bytes(out, out + size);
    jpeg_destroy_compress(&info);
    std::free(out);
    return bytes;
}

std::vector<std::uint8_t> CorpusFile(const std::string& name)
{
    std::vector<std::uint8_t> bytes;
    if (FILE* f = std::fopen(tvtest::Joined(TVU_SOURCE_DIR, "/fuzz/corpus/", name).c_str(), "rb")) {
        std::uint8_t buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
            bytes.insert(bytes.end(), buffer, buffer + n);
        std::fclose(f);
    }
    EXPECT_FALSE(bytes.empty()) << name;
    return bytes;
}

} // namespace

TEST(HostileSkin, WindowSizesAreBoundedBeforeAnyPictureIsAllocated)
{
    for (const char* size : {"2147483647,60", "30000,30000", "-7,-2147483648"}) {
        fuzzing::HeadlessWindow window(100, 100);
        CSkinBuilder builder;
        const std::u16string markup = u"<Window size=\"" + std::u16string(size, size + std::strlen(size)) +
                                      u"\" mininfo=\"2147483647,5\" maxinfo=\"99999,99999\"><VerticalLayout/></Window>";
        window.AttachAndPaint(builder.Create(markup.c_str(), nullptr, nullptr, &window.Manager(), nullptr));
        const CUISize initial = window.Manager().InitialSize();
        EXPECT_GE(initial.cx, 0);
        EXPECT_LE(initial.cx, limits::kMaxWindowSide) << size;
        EXPECT_LE(initial.cy, limits::kMaxWindowSide) << size;
        EXPECT_LE(window.Manager().MinTrackSize().cx, limits::kMaxWindowSide);
        EXPECT_LE(window.Manager().MaxTrackSize().cy, limits::kMaxWindowSide);
        RECT client;
        ASSERT_TRUE(platform::Windows().GetClientRect(window.Manager().Window(), client));
        EXPECT_LE(client.right, platform::kMaxWindowSide);
        EXPECT_LE(client.bottom, platform::kMaxWindowSide);
    }
    // The platform bounds whatever a program asks for, too.
    fuzzing::HeadlessWindow window(10, 10);
    platform::Windows().SetWindowPos(window.Manager().Window(), nullptr, 2147483000, -2147483000, 2147483647, 30000,
                                     SWP_NOZORDER);
    RECT rect;
    ASSERT_TRUE(platform::Windows().GetWindowRect(window.Manager().Window(), rect));
    EXPECT_EQ(rect.right - rect.left, platform::kMaxWindowSide);
    EXPECT_EQ(rect.bottom - rect.top, platform::kMaxWindowSide);
}

TEST(HostileSkin, IncludesMultiplyOnlyUpToTheControlBudget)
{
    // A skin that includes itself three times at every level: 3^16 builds without a budget.
    const Built self = BuildServed({{u"1", Bytes("<Window><VerticalLayout><Include source=\"1\" count=\"3\"/>"
                                                 "<Label text=\"x\"/></VerticalLayout></Window>")}});
    EXPECT_GT(self.count, 100);
    EXPECT_LE(self.count, limits::kMaxControls + 1);
    EXPECT_LT(self.seconds, 30);

    // A huge count of a source that does not load stops at once.
    const Built missing = BuildServed(
        {{u"1",
          Bytes("<Window><VerticalLayout><Include source=\"99\" count=\"2000000000\"/></VerticalLayout></Window>")}});
    EXPECT_EQ(missing.count, 1);
    EXPECT_LT(missing.seconds, 2);

    // An ordinary count still builds every copy.
    const Built copies = BuildServed({{u"1", Bytes("<Window><VerticalLayout><Include source=\"2\" count=\"5\"/>"
                                                   "</VerticalLayout></Window>")},
                                      {u"2", Bytes("<Window><Label/></Window>")}});
    EXPECT_EQ(copies.count, 6);
}

TEST(HostileSkin, DeepNestingIsCutAtTheDepthLimit)
{
    std::string markup = "<Window><VerticalLayout>";
    for (int i = 0; i < 8000; ++i)
        markup += "<VBox>";
    for (int i = 0; i < 8000; ++i)
        markup += "</VBox>";
    markup += "</VerticalLayout></Window>";
    const Built built = BuildServed({{u"1", Bytes(markup)}});
    EXPECT_GE(built.depth, limits::kMaxNestingDepth - 2);
    EXPECT_LE(built.depth, limits::kMaxNestingDepth + 1);
}

TEST(HostileSkin, HugeNumbersAreClampedSoGeometryCannotOverflow)
{
    fuzzing::HeadlessWindow window(200, 100);
    CSkinBuilder builder;
    CControlUI* root = builder.Create(
        u"<Window><HorizontalLayout childpadding=\"2147483647\" inset=\"2147483647,0,0,0\">"
        u"<Control name=\"f\" float=\"1e300,-1e300,0.5,2\" pos=\"2147483647,2147483647,-2147483648,5\"/>"
        u"<Control name=\"w\" width=\"2147483647\" padding=\"2147483647,2147483647,2147483647,2147483647\"/>"
        u"<ChrysanthemumLoading name=\"s\" spokenum=\"2147483647\" outradius=\"2147483647\"/>"
        u"</HorizontalLayout></Window>",
        nullptr, nullptr, &window.Manager(), nullptr);
    window.AttachAndPaint(root);
    CControlUI* wide = window.Manager().ControlByName(u"w");
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide->GetFixedWidth(), limits::kMaxCoordinate);
    EXPECT_EQ(wide->GetPadding().left, limits::kMaxCoordinate);
    CControlUI* floating = window.Manager().ControlByName(u"f");
    ASSERT_NE(floating, nullptr);
    const CUIRect pos = floating->GetPosition();
    for (const int v : {pos.left, pos.top, pos.right, pos.bottom})
        EXPECT_LE(std::abs(v), 4 * limits::kMaxCoordinate);
    auto* spinner = static_cast<CChrysanthemumLoadingUI*>(window.Manager().ControlByName(u"s"));
    ASSERT_NE(spinner, nullptr);
    EXPECT_EQ(spinner->GetSpokeCount(), limits::kMaxSpokes);
    EXPECT_EQ(spinner->GetOuterRadius(), limits::kMaxCoordinate);
}

TEST(HostileSkin, AnEscapeInANarrowWrappingLabelStaysInsideTheText)
{
    // The escape prints one bracket; a word break in a label narrower than that bracket used to
    // look at the character after a one-character copy of it.
    const Built built = BuildServed({{u"1", Bytes("<Window><VerticalLayout><Label text=\"&lt;{&gt;&lt;{&gt;a b\" "
                                                  "showhtml=\"true\" multiline=\"true\" width=\"3\" height=\"40\"/>"
                                                  "</VerticalLayout></Window>")}},
                                    60, 60);
    EXPECT_EQ(built.count, 2);
}

TEST(HostileSkin, PicturesAreCheckedBeforeTheirDecoderAllocates)
{
    std::vector<std::uint8_t> rgba;
    int width = 0, height = 0;
    auto decodes = [&](const std::vector<std::uint8_t>& bytes) {
        rgba.clear();
        width = height = 0;
        return CImageLoader::DecodeImage(bytes.data(), bytes.size(), rgba, width, height);
    };
    // Refused: sizes past the limits, chunk lengths past the end, broken Huffman tables, and formats
    // no skin needs (16-bit PNM, GIF).
    for (const char* name : {"image/huge_dims.png", "image/long_chunk.png", "image/bad_dht.jpg", "image/nine_bytes.jpg",
                             "image/pnm16.pgm", "image/gif_canvas.gif", "image/huge.bmp"})
        EXPECT_FALSE(decodes(CorpusFile(name))) << name;
    EXPECT_TRUE(rgba.empty());

    // Decoded: PNG (an empty first data chunk is legal), BMP and JPEG.
    ASSERT_TRUE(decodes(CorpusFile("image/empty_idat.png")));
    EXPECT_EQ(width, 2);
    EXPECT_EQ(std::vector<std::uint8_t>(rgba.begin(), rgba.begin() + 4), (std::vector<std::uint8_t>{255, 0, 0, 255}));
    ASSERT_TRUE(decodes(CorpusFile("image/small.bmp")));
    EXPECT_EQ(std::vector<std::uint8_t>(rgba.begin(), rgba.begin() + 4), (std::vector<std::uint8_t>{255, 0, 0, 255}));
    ASSERT_TRUE(decodes(SolidJpeg(9, 7, 0, 200, 0)));
    EXPECT_EQ(width, 9);
    EXPECT_EQ(height, 7);
    EXPECT_NEAR(rgba[1], 200, 4);
    EXPECT_NEAR(rgba[0], 0, 4);
    EXPECT_EQ(rgba[3], 255);
    // A JPEG one pixel past the side limit is refused before decoding.
    EXPECT_FALSE(decodes(SolidJpeg(limits::kMaxImageSide + 1, 1, 0, 0, 0)));
}

TEST(HostileSkin, HugeRoundedCornersAreClippedWithoutWalkingTheWholeShape)
{
    // The part inside the clip is exactly the whole shape cut to the clip, on every side of the
    // shape's middle, and only the clip's pixels are looked at.
    const platform::Rect shape{-10, -20, 300, 200};
    for (const platform::Rect within : {platform::Rect{0, 0, 120, 90}, platform::Rect{200, 150, 320, 260},
                                        platform::Rect{-50, 100, 40, 300}, platform::Rect{140, -30, 170, 10}}) {
        for (const int corner : {0, 30, 500})
            EXPECT_EQ(platform::Region::FromRoundRect(shape, corner, corner, within),
                      platform::Region::FromRoundRect(shape, corner, corner).Intersect(within));
    }
    const auto start = std::chrono::steady_clock::now();
    const platform::Region clipped =
        platform::Region::FromRoundRect({0, 0, limits::kMaxCoordinate + 1, limits::kMaxCoordinate + 1},
                                        limits::kMaxCoordinate, limits::kMaxCoordinate, {0, 0, 240, 160});
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 1.0);
    // The window's corner lies outside the shape's huge rounded corner.
    EXPECT_TRUE(clipped.IsEmpty());
}
