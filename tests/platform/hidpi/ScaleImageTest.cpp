// Image descriptors on a scaled device context: a skin's "name@2x.png" is drawn 1:1 at device
// resolution at a scale of 1.5 or more, its slices doubled; without one (or with one of the wrong
// size, or below 1.5) the image is enlarged smoothly; at scale 1 nothing changes. The spinner draws
// its frame at the device resolution.
#include "platform/DeviceContext.h"
#include "platform/PngFile.h"
#include "ui/controls/ChrysanthemumLoading.h"
#include "ui/manager/WindowManager.h"
#include "ui/render/ImageLoader.h"
#include "ui/render/RenderKit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;
using ui::CUIRect;
using ui::CWindowManagerUI;

namespace {

// A picture of size w x h: `border` pixels of colour `edge` round a `centre`.
void WriteFramed(const fs::path& path, int w, int h, int border, std::uint32_t edge, std::uint32_t centre)
{
    platform::Surface s = platform::Surface::Create(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool inner = x >= border && y >= border && x < w - border && y < h - border;
            s.SetPixel(x, y, inner ? centre : edge);
        }
    ASSERT_TRUE(platform::WritePng(s.Pixels(), path.string()));
}

class ScaleImageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fs::create_directories(m_dir);
        CWindowManagerUI::CloseArchive();
        CWindowManagerUI::SetSkinArchive(nullptr, ui::ArchiveMode::KeepOpen, nullptr);
        const std::string folder = m_dir.string() + "/";
        CWindowManagerUI::SetSkinFolder(std::u16string(folder.begin(), folder.end()).c_str());
        // 4x4: a red one-pixel frame round green; its @2x: a blue two-pixel frame round yellow.
        WriteFramed(m_dir / "framed.png", 4, 4, 1, 0xFFFF0000, 0xFF00FF00);
        WriteFramed(m_dir / "framed@2x.png", 8, 8, 2, 0xFF0000FF, 0xFFFFFF00);
        // A variant of the wrong size is not used.
        WriteFramed(m_dir / "odd.png", 4, 4, 1, 0xFFFF0000, 0xFF00FF00);
        WriteFramed(m_dir / "odd@2x.png", 6, 6, 1, 0xFF0000FF, 0xFFFFFF00);
        // Black left half, white right half, and no @2x.
        platform::Surface solo = platform::Surface::Create(2, 1);
        solo.SetPixel(0, 0, 0xFF000000);
        solo.SetPixel(1, 0, 0xFFFFFFFF);
        ASSERT_TRUE(platform::WritePng(solo.Pixels(), (m_dir / "solo.png").string()));
    }
    void TearDown() override
    {
        CWindowManagerUI::SetSkinFolder(nullptr);
        fs::remove_all(m_dir);
    }

    // Draws the descriptor over (0, 0, w, h) logical on a fresh context of the scale.
    platform::Surface Draw(const char16_t* descriptor, double scale, int w, int h)
    {
        platform::Surface s = platform::Surface::Create(platform::ScaleEdge(w, scale), platform::ScaleEdge(h, scale));
        platform::DeviceContext dc(s);
        dc.SetScale(scale);
        ui::TImageDescriptor d;
        d.text = descriptor;
        EXPECT_TRUE(ui::CRenderKit::DrawImageDescriptor(&dc, &m_manager, CUIRect(0, 0, w, h), CUIRect(0, 0, w, h), d));
        return s;
    }

    fs::path m_dir = fs::temp_directory_path() / ("tvu-hidpi-skin-" + std::to_string(getpid()));
    CWindowManagerUI m_manager;
};

} // namespace

TEST_F(ScaleImageTest, TheAt2xPictureIsDrawnOneToOneWithItsSlicesDoubled)
{
    // Nine slices with one-pixel corners on a 6x6 destination: at scale 2 the @2x picture's
    // two-pixel frame, 12x12 device pixels.
    const platform::Surface s = Draw(u"file='framed.png' corner='1,1,1,1'", 2.0, 6, 6);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool inner = x >= 2 && y >= 2 && x < 10 && y < 10;
            EXPECT_EQ(s.GetPixel(x, y), inner ? 0xFFFFFF00u : 0xFF0000FFu) << x << "," << y;
        }
    // A source part is given in image pixels and taken from the doubled picture: the 1x centre
    // (1, 1)-(3, 3) is (2, 2)-(6, 6) there, all yellow, no green and no frame.
    const platform::Surface part = Draw(u"file='framed.png' source='1,1,3,3'", 2.0, 2, 2);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(part.GetPixel(x, y), 0xFFFFFF00u) << x << "," << y;
}

TEST_F(ScaleImageTest, WithoutAFittingAt2xPictureTheImageIsEnlargedSmoothly)
{
    // At scale 1 the image itself, pixel for pixel, even though an @2x file exists.
    const platform::Surface plain = Draw(u"framed.png", 1.0, 4, 4);
    EXPECT_EQ(plain.GetPixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(plain.GetPixel(1, 1), 0xFF00FF00u);
    // Below 1.5 the 1x picture is enlarged, with no blue from the @2x one.
    const platform::Surface small = Draw(u"framed.png", 1.25, 4, 4);
    for (int y = 0; y < small.Height(); ++y)
        for (int x = 0; x < small.Width(); ++x)
            EXPECT_EQ(small.GetPixel(x, y) & 0xFF, 0u) << "blue at " << x << "," << y;
    // A variant of the wrong size is ignored.
    const platform::Surface odd = Draw(u"odd.png", 2.0, 4, 4);
    EXPECT_EQ(odd.GetPixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(odd.GetPixel(4, 4) & 0xFF, 0u);
    // No variant: black and white enlarged four times over with greys between, ends unchanged.
    const platform::Surface solo = Draw(u"solo.png", 2.0, 8, 1);
    ASSERT_EQ(solo.Width(), 16);
    int greys = 0;
    for (int x = 0; x < 16; ++x) {
        const std::uint32_t v = solo.GetPixel(x, 1) & 0xFF;
        greys += v > 0x10 && v < 0xF0;
    }
    EXPECT_GE(greys, 4) << "the enlargement is not smooth";
    EXPECT_EQ(solo.GetPixel(0, 0), 0xFF000000u);
    EXPECT_EQ(solo.GetPixel(15, 0), 0xFFFFFFFFu);
}

TEST(ScaleImageNames, TheVariantNameGoesBeforeTheExtensionOfTheFileName)
{
    EXPECT_EQ(std::u16string(ui::DetailImageName(u"logo.png").CStr()), u"logo@2x.png");
    EXPECT_EQ(std::u16string(ui::DetailImageName(u"dir/logo.png").CStr()), u"dir/logo@2x.png");
    EXPECT_EQ(std::u16string(ui::DetailImageName(u"dir.v2/logo").CStr()), u"dir.v2/logo@2x");
    EXPECT_EQ(std::u16string(ui::DetailImageName(u"a.b.png").CStr()), u"a.b@2x.png");
    EXPECT_EQ(std::u16string(ui::DetailImageName(u".png").CStr()), u".png@2x");
}

TEST(ScaleSpinner, TheSpinnersFrameIsDrawnAtTheDeviceResolution)
{
    ui::CChrysanthemumLoadingUI spinner;
    for (const auto& [name, value] : {std::pair{u"outradius", u"40"},
                                      {u"innerradius", u"12"},
                                      {u"spokenum", u"8"},
                                      {u"thickness", u"6"},
                                      {u"bkcolor", u"#FFFFFFFF"}})
        spinner.SetAttribute(name, value);
    spinner.SetPosition(CUIRect(0, 0, 100, 100), false);
    platform::Surface s = platform::Surface::Create(200, 200);
    platform::DeviceContext dc(s);
    dc.SetScale(2.0);
    spinner.Paint(&dc, CUIRect(0, 0, 100, 100), nullptr);
    ASSERT_NE(spinner.GetFrame(), nullptr);
    EXPECT_EQ(spinner.GetFrame()->Width(), 200) << "the frame has the device pixels of its 100 logical ones";
    // An enlarged frame would repeat each pixel in a 2x2 cell; the spokes' edges are finer.
    int inked = 0, mixed = 0;
    for (int y = 0; y < 200; y += 2)
        for (int x = 0; x < 200; x += 2) {
            const std::uint32_t p[4] = {s.GetPixel(x, y), s.GetPixel(x + 1, y), s.GetPixel(x, y + 1),
                                        s.GetPixel(x + 1, y + 1)};
            if (p[0] == 0xFFFFFFFFu && p[1] == p[0] && p[2] == p[0] && p[3] == p[0])
                continue;
            ++inked;
            mixed += !(p[1] == p[0] && p[2] == p[0] && p[3] == p[0]);
        }
    ASSERT_GT(inked, 100);
    EXPECT_GT(mixed * 5, inked) << mixed << " of " << inked;
    // Back at scale 1 the frame is rebuilt at the logical size.
    platform::Surface one = platform::Surface::Create(100, 100);
    platform::DeviceContext plain(one);
    spinner.Paint(&plain, CUIRect(0, 0, 100, 100), nullptr);
    EXPECT_EQ(spinner.GetFrame()->Width(), 100);
}
