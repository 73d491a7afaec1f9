// The first render kit and the clip scope: descriptor parsing, drawing descriptors through the
// manager's image table (nine slices, hole, tiling, dest offsets, failed loads), fills and clips.
#include "ControlTestSupport.h"

#include "ui/render/ClipScope.h"
#include "ui/render/ImageLoader.h"
#include "ui/render/RenderKit.h"

#include <algorithm>
#include <vector>

using namespace ui;
using tvtest::Canvas;
using tvtest::ControlTest;

TEST(ImageDescriptorText, PlainNamesAndPairs)
{
    TImageDescriptorText d;
    CRenderKit::ParseImageDescriptor(u"img/close.png", d);
    EXPECT_EQ(d.imageName, u"img/close.png");
    EXPECT_FALSE(d.hasType);

    CRenderKit::ParseImageDescriptor(u"file='a.png'  source='0,0,10,10' corner='1 2 3 4' fade='128' hole='true'", d);
    EXPECT_EQ(d.imageName, u"a.png");
    EXPECT_EQ(d.source, CUIRect(0, 0, 10, 10));
    EXPECT_EQ(d.corners, CUIRect(1, 2, 3, 4));
    EXPECT_EQ(d.fade, 128);
    EXPECT_TRUE(d.hole);

    CRenderKit::ParseImageDescriptor(u"file='a.png',source='0,0,10,10'", d);
    EXPECT_EQ(d.imageName, u"a.png");
    EXPECT_TRUE(d.source.IsNull());

    CRenderKit::ParseImageDescriptor(u"file='a.png' dest='1,2,3,4", d);
    EXPECT_TRUE(d.destOffset.IsNull());

    CRenderKit::ParseImageDescriptor(u"color='#FF00FF00' mask='#FFFF00FF' xtiled='true' ytiled='TRUE'", d);
    EXPECT_EQ(d.imageName, u"#FF00FF00");
    EXPECT_TRUE(d.hasType);
    EXPECT_EQ(d.resourceType, u"*COLOR*");
    EXPECT_EQ(d.mask, 0xFFFF00FFu);
    EXPECT_TRUE(d.xTiled);
    EXPECT_FALSE(d.yTiled);

    CRenderKit::ParseImageDescriptor(u"res='101' restype='PNG'", d);
    EXPECT_EQ(d.imageName, u"101");
    EXPECT_TRUE(d.hasType);
    EXPECT_EQ(d.resourceType, u"PNG");
}

TEST(RenderKitFills, TranslucentFillsBlendAndTransparentOnesDrawNothing)
{
    Canvas canvas(10, 10);
    canvas.surface.Clear(0xFF000000);
    CRenderKit::FillColor(canvas.dc.get(), {0, 0, 5, 10}, 0x80FFFFFF);
    const std::uint32_t grey = canvas.Pixel(2, 2);
    EXPECT_NEAR(int(platform::RedOf(grey)), 128, 2);
    EXPECT_EQ(platform::AlphaOf(grey), 255u);
    CRenderKit::FillColor(canvas.dc.get(), {5, 0, 10, 10}, 0x00FFFFFF);
    EXPECT_EQ(canvas.Pixel(7, 2), 0xFF000000u);
    CRenderKit::FillGradient(canvas.dc.get(), {5, 0, 10, 10}, 0x00000000, 0x00FFFFFF, true, 16);
    EXPECT_EQ(canvas.Pixel(7, 2), 0xFF000000u);
}

TEST(RenderKitFills, GradientsRunFromTheFirstColourToTheSecond)
{
    Canvas canvas(10, 64);
    CRenderKit::FillGradient(canvas.dc.get(), {0, 0, 10, 64}, 0xFFFF0000, 0xFF0000FF, true, 16);
    EXPECT_GT(platform::RedOf(canvas.Pixel(5, 0)), 240u);
    EXPECT_GT(platform::BlueOf(canvas.Pixel(5, 63)), 240u);
    // Half opacity blends the whole gradient once.
    Canvas second(10, 10);
    second.surface.Clear(0xFFFFFFFF);
    CRenderKit::FillGradient(second.dc.get(), {0, 0, 10, 10}, 0x80000000, 0x80000000, false, 16);
    EXPECT_NEAR(int(platform::RedOf(second.Pixel(5, 5))), 127, 2);
}

TEST(RenderKitLines, BlackPensDrawAlmostBlack)
{
    Canvas canvas(10, 10);
    CRenderKit::DrawLine(canvas.dc.get(), {0, 5, 10, 5}, 1, 0, PS_SOLID);
    EXPECT_EQ(canvas.Pixel(3, 5), 0xFF000001u);
    CRenderKit::DrawFrameRect(canvas.dc.get(), {0, 0, 10, 10}, 1, 0xFF00FF00, PS_NULL);
    EXPECT_EQ(canvas.Pixel(0, 0), 0u);
}

TEST(ClipScope, NarrowsAndRestoresTheClip)
{
    Canvas canvas(50, 50);
    {
        CClipScope outer;
        outer.ClipToRect(canvas.dc.get(), {10, 10, 40, 40});
        EXPECT_EQ(canvas.dc->GetClipBox(), (platform::Rect{10, 10, 40, 40}));
        {
            CClipScope inner;
            inner.ClipToRoundRect(canvas.dc.get(), {0, 0, 30, 30}, {20, 20, 30, 30}, 6, 6);
            EXPECT_EQ(canvas.dc->GetClipBox(), (platform::Rect{20, 20, 30, 30}));
            EXPECT_FALSE(canvas.dc->GetClipRegion().Contains(20, 20));
            EXPECT_TRUE(canvas.dc->GetClipRegion().Contains(29, 25));
            inner.UseOuterClip();
            EXPECT_EQ(canvas.dc->GetClipBox(), (platform::Rect{10, 10, 40, 40}));
            inner.UseInnerClip();
            EXPECT_EQ(canvas.dc->GetClipBox(), (platform::Rect{20, 20, 30, 30}));
        }
        EXPECT_EQ(canvas.dc->GetClipBox(), (platform::Rect{10, 10, 40, 40}));
    }
    EXPECT_EQ(canvas.dc->GetClipBox(), (platform::Rect{0, 0, 50, 50}));
}

class RenderKitImageTest : public ControlTest
{
protected:
    // Registers a width × height image whose pixels are all `argb` (opaque colours only).
    void Register(const char16_t* name, int width, int height, std::uint32_t argb)
    {
        std::vector<std::uint8_t> pixels(std::size_t(width) * height * 4);
        for (std::size_t i = 0; i < pixels.size(); i += 4) {
            pixels[i] = std::uint8_t(argb);
            pixels[i + 1] = std::uint8_t(argb >> 8);
            pixels[i + 2] = std::uint8_t(argb >> 16);
            pixels[i + 3] = std::uint8_t(argb >> 24);
        }
        ASSERT_NE(manager->RegisterPixels(name, pixels.data(), width, height), nullptr);
    }
    bool Draw(Canvas& canvas, const char16_t* text, const CUIRect& rect, const CUIRect& paint)
    {
        descriptor.Reset();
        descriptor.text = text;
        return CRenderKit::DrawImageDescriptor(canvas.dc.get(), manager.get(), rect, paint, descriptor);
    }
    TImageDescriptor descriptor;
};

TEST_F(RenderKitImageTest, AHoleLeavesTheCentreOfANineSliceUntouched)
{
    Register(u"rk-square.png", 20, 20, 0xFFFF0000);
    Canvas canvas(100, 30);
    EXPECT_TRUE(Draw(canvas, u"file='rk-square.png' corner='4,4,4,4' hole='true'", {0, 0, 100, 30}, {0, 0, 100, 30}));
    EXPECT_EQ(canvas.Pixel(50, 15), 0u);
    EXPECT_EQ(canvas.Pixel(1, 1), 0xFFFF0000u);
    EXPECT_EQ(canvas.Pixel(50, 1), 0xFFFF0000u);
    EXPECT_EQ(canvas.Pixel(98, 28), 0xFFFF0000u);
    EXPECT_EQ(canvas.Pixel(1, 15), 0xFFFF0000u);
    EXPECT_EQ(descriptor.source, CUIRect(0, 0, 20, 20));
}

TEST_F(RenderKitImageTest, DestOffsetsAreClampedToTheRightAndBottom)
{
    Register(u"rk-dest.png", 4, 4, 0xFF00FF00);
    Canvas canvas(40, 40);
    EXPECT_TRUE(Draw(canvas, u"file='rk-dest.png' dest='10,5,30,25'", {0, 0, 20, 40}, {0, 0, 40, 40}));
    EXPECT_EQ(canvas.Pixel(10, 5), 0xFF00FF00u);
    EXPECT_EQ(canvas.Pixel(19, 24), 0xFF00FF00u);
    EXPECT_EQ(canvas.Pixel(20, 10), 0u);
    EXPECT_EQ(canvas.Pixel(9, 10), 0u);
    EXPECT_EQ(canvas.Pixel(15, 25), 0u);
}

TEST_F(RenderKitImageTest, SameSizeOpaqueImagesCopyOnlyTheDirtyPart)
{
    Register(u"rk-same.png", 20, 20, 0xFF0000FF);
    Canvas canvas(20, 20);
    EXPECT_TRUE(Draw(canvas, u"rk-same.png", {0, 0, 20, 20}, {0, 0, 10, 10}));
    EXPECT_EQ(canvas.Pixel(5, 5), 0xFF0000FFu);
    EXPECT_EQ(canvas.Pixel(15, 15), 0u);
}

TEST_F(RenderKitImageTest, TilingRepeatsTheCentre)
{
    // A 10-pixel-wide image whose left half is red and right half green.
    std::vector<std::uint8_t> pixels(10 * 4 * 4);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 10; ++x) {
            std::uint8_t* p = &pixels[(y * 10 + x) * 4];
            p[0] = 0;
            p[1] = x < 5 ? 0 : 255;
            p[2] = x < 5 ? 255 : 0;
            p[3] = 255;
        }
    }
    ASSERT_NE(manager->RegisterPixels(u"rk-tile.png", pixels.data(), 10, 4), nullptr);
    Canvas canvas(25, 4);
    EXPECT_TRUE(Draw(canvas, u"file='rk-tile.png' xtiled='true'", {0, 0, 25, 4}, {0, 0, 25, 4}));
    EXPECT_EQ(canvas.Pixel(2, 1), 0xFFFF0000u);
    EXPECT_EQ(canvas.Pixel(7, 1), 0xFF00FF00u);
    EXPECT_EQ(canvas.Pixel(12, 1), 0xFFFF0000u);
    EXPECT_EQ(canvas.Pixel(17, 1), 0xFF00FF00u);
    // The last column is cut to 5 pixels, taken from the first source columns.
    EXPECT_EQ(canvas.Pixel(24, 1), 0xFFFF0000u);
}

TEST_F(RenderKitImageTest, FadeBlendsAndAMissingImageFailsQuietlyForGood)
{
    Register(u"rk-fade.png", 2, 2, 0xFFFFFFFF);
    Canvas canvas(10, 10);
    canvas.surface.Clear(0xFF000000);
    EXPECT_TRUE(Draw(canvas, u"file='rk-fade.png' fade='128'", {0, 0, 10, 10}, {0, 0, 10, 10}));
    EXPECT_NEAR(int(platform::RedOf(canvas.Pixel(5, 5))), 128, 2);

    descriptor.Reset();
    descriptor.text = u"file='rk-missing.png'";
    EXPECT_FALSE(
        CRenderKit::DrawImageDescriptor(canvas.dc.get(), manager.get(), {0, 0, 10, 10}, {0, 0, 10, 10}, descriptor));
    EXPECT_TRUE(descriptor.parsed);
    EXPECT_FALSE(
        CRenderKit::DrawImageDescriptor(canvas.dc.get(), manager.get(), {0, 0, 10, 10}, {0, 0, 10, 10}, descriptor));
    // Without a manager nothing is drawn and nothing fails.
    EXPECT_TRUE(CRenderKit::DrawImageDescriptor(canvas.dc.get(), nullptr, {0, 0, 10, 10}, {0, 0, 10, 10}, descriptor));
}

TEST_F(RenderKitImageTest, AFloatingControlTakesTheSizeOfItsBackgroundImage)
{
    Register(u"rk-bk.png", 24, 12, 0xFF00FF00);
    CContainerUI* root = AttachRoot();
    auto* c = new CControlUI;
    root->Add(c);
    c->SetFloat(true);
    c->SetBackImage(u"file='rk-bk.png'");
    EXPECT_EQ(c->GetFixedWidth(), 24);
    EXPECT_EQ(c->GetFixedHeight(), 12);
    auto* d = new CControlUI;
    root->Add(d);
    d->SetBackImage(u"rk-bk.png");
    EXPECT_EQ(d->GetFixedWidth(), 0);
    EXPECT_NE(d->GetBackImageDescriptor().image, nullptr);
}

class MarkupTextTest : public ControlTest
{
protected:
    // The pixels of a markup text drawn into a fresh 200 × 60 canvas.
    std::vector<std::uint32_t> Render(const char16_t* text, std::uint32_t color = 0xFF000000, bool markup = true)
    {
        Canvas canvas(200, 60);
        CUIRect rect(0, 0, 200, 60);
        int count = 0;
        if (markup)
            CRenderKit::DrawMarkupText(canvas.dc.get(), manager.get(), rect, text, color, nullptr, nullptr, count, -1,
                                       0);
        else
            CRenderKit::DrawPlainText(canvas.dc.get(), manager.get(), rect, text, color, -1, 0);
        std::vector<std::uint32_t> pixels;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 200; ++x)
                pixels.push_back(canvas.Pixel(x, y));
        return pixels;
    }
    static int Count(const std::vector<std::uint32_t>& pixels, std::uint32_t value)
    {
        return int(std::count(pixels.begin(), pixels.end(), value));
    }
};

TEST_F(MarkupTextTest, BracesAndAngleBracketsAreTheSameTags)
{
    const auto braces = Render(u"{b}bold{/b}");
    EXPECT_EQ(braces, Render(u"<b>bold</b>"));
    EXPECT_EQ(braces, Render(u"{b>bold{/b>"));
    EXPECT_NE(braces, Render(u"bold"));
    // A second bold tag changes nothing and each closing tag pops its own entry.
    EXPECT_EQ(Render(u"{b}{b}x{/b}y{/b}z"), Render(u"{b}xy{/b}z"));
}

TEST_F(MarkupTextTest, EscapesPrintBrackets)
{
    EXPECT_EQ(Render(u"a{<}b"), Render(u"a<b", 0xFF000000, false));
    EXPECT_EQ(Render(u"a<{>b"), Render(u"a{b", 0xFF000000, false));
    EXPECT_EQ(Render(u"{r}{b}x{/r}"), Render(u"{b}x", 0xFF000000, false));
    // A bracket that starts no tag is text.
    EXPECT_EQ(Render(u"1 < 2"), Render(u"1 < 2", 0xFF000000, false));
}

TEST_F(MarkupTextTest, ColourTagsAndBlackSubstitution)
{
    // Large enough for fully covered pixels.
    const auto pixels = Render(u"{f sans 40}{c #FFFF0000}W{/c}W{/f}", 0);
    EXPECT_GT(Count(pixels, 0xFFFF0000), 0);
    EXPECT_GT(Count(pixels, 0xFF000001), 0);
    EXPECT_EQ(Count(pixels, 0xFF000000), 0);
}

TEST_F(MarkupTextTest, LinksSpanningTwoLinesGiveTwoRectangles)
{
    Canvas canvas(200, 60);
    CUIRect rect(0, 0, 200, 60);
    CUIRect rects[4];
    CUIString texts[4];
    int count = 4;
    CRenderKit::DrawMarkupText(canvas.dc.get(), manager.get(), rect, u"go {a id1}click\nhere{/a} now", 0, rects, texts,
                               count, -1, 0);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(texts[0], u"id1");
    EXPECT_EQ(texts[1], u"id1");
    EXPECT_GT(rects[0].left, 0);
    EXPECT_EQ(rects[1].left, 0);
    EXPECT_EQ(rects[1].top, rects[0].bottom);
    EXPECT_GT(Count(Render(u"{a id1}x{/a}"), manager->LinkColor()), 0);

    count = 1;
    CRenderKit::DrawMarkupText(canvas.dc.get(), manager.get(), rect, u"go {a id1}click\nhere{/a} now", 0, rects, texts,
                               count, -1, 0);
    EXPECT_EQ(count, 1);
}

TEST_F(MarkupTextTest, MeasuringTwoLinesGivesTwoLineHeights)
{
    CUIRect one(0, 0, 500, 500);
    int count = 0;
    CRenderKit::DrawMarkupText(nullptr, manager.get(), one, u"abc", 0, nullptr, nullptr, count, -1, DT_CALCRECT);
    CUIRect two(0, 0, 500, 500);
    CRenderKit::DrawMarkupText(nullptr, manager.get(), two, u"abc\ndef", 0, nullptr, nullptr, count, -1, DT_CALCRECT);
    EXPECT_GT(one.Height(), 0);
    EXPECT_EQ(two.Height(), 2 * one.Height());
    EXPECT_GT(one.Width(), 0);
    EXPECT_LT(one.Width(), 500);
}
