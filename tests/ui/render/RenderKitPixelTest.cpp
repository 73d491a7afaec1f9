// Image descriptors, the blitter, fills, gradients, lines, frames, plain text and the clip scope,
// checked pixel by pixel on an in-memory canvas.
#include "RenderTestSupport.h"

#include "ui/render/ClipScope.h"
#include "ui/render/SoftBlend.h"

#include "platform/Color.h"

using namespace ui;
using tvtest::Canvas;
using tvtest::RenderTest;

namespace {

constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr std::uint32_t kGreen = 0xFF00FF00;
constexpr std::uint32_t kBlue = 0xFF0000FF;

bool Drawn(const Canvas& canvas, int x, int y)
{
    return canvas.Pixel(x, y) != 0;
}

int Near(std::uint32_t channel, int expected)
{
    return std::abs(int(channel) - expected);
}

} // namespace

TEST_F(RenderTest, HoleDrawsEightPartsAndLeavesTheCentre)
{
    AddImage(u"a.png", 20, 20, kRed);
    Canvas canvas(120, 50);
    TImageDescriptor d;
    d.text = u"file='a.png' corner='4,4,4,4' hole='true'";
    const CUIRect rect(10, 10, 110, 40);
    ASSERT_TRUE(CRenderKit::DrawImageDescriptor(canvas.dc.get(), manager.get(), rect, rect, d));
    // One probe inside each of the eight parts.
    const int probes[8][2] = {{11, 11}, {60, 11}, {108, 11}, {11, 25}, {108, 25}, {11, 38}, {60, 38}, {108, 38}};
    for (const auto& p : probes)
        EXPECT_TRUE(Drawn(canvas, p[0], p[1])) << "part at " << p[0] << "," << p[1];
    for (int y = 14; y < 36; ++y) {
        for (int x = 14; x < 106; ++x)
            ASSERT_FALSE(Drawn(canvas, x, y)) << "centre touched at " << x << "," << y;
    }
    EXPECT_EQ(canvas.Ink(), rect);
}

TEST_F(RenderTest, CornersWiderThanTheControlStayInsideIt)
{
    // A progress fill two pixels wide with four-pixel ends: the right end would reach two pixels
    // left of the control, where a repaint of the control alone would never clear it again.
    AddImage(u"a.png", 20, 8, kRed);
    Canvas canvas(60, 20);
    TImageDescriptor d;
    d.text = u"file='a.png' corner='4,0,4,0'";
    const CUIRect rect(40, 6, 42, 14);
    ASSERT_TRUE(CRenderKit::DrawImageDescriptor(canvas.dc.get(), manager.get(), rect, rect, d));
    EXPECT_EQ(canvas.Ink(), rect);
    // Painting only part of the control keeps to that part.
    Canvas part(60, 20);
    const CUIRect wide(10, 6, 50, 14);
    ASSERT_TRUE(CRenderKit::DrawImageDescriptor(part.dc.get(), manager.get(), wide, CUIRect(20, 6, 30, 14), d));
    EXPECT_EQ(part.Ink(), CUIRect(20, 6, 30, 14));
}

TEST_F(RenderTest, DestinationOffsetsClampRightAndBottomOnly)
{
    AddImage(u"a.png", 20, 20, kRed);
    Canvas canvas(60, 60);
    TImageDescriptor d;
    d.text = u"file='a.png' dest='10,5,30,25'";
    const CUIRect rect(10, 10, 30, 25); // 20 wide, 15 high
    ASSERT_TRUE(CRenderKit::DrawImageDescriptor(canvas.dc.get(), manager.get(), rect, rect, d));
    EXPECT_EQ(canvas.Ink(), CUIRect(20, 15, 30, 25));

    // Left and top are not clamped: an offset past the rectangle draws nothing at all.
    Canvas outside(60, 60);
    TImageDescriptor farAway;
    farAway.text = u"file='a.png' dest='25,0,30,10'";
    EXPECT_TRUE(CRenderKit::DrawImageDescriptor(outside.dc.get(), manager.get(), rect, rect, farAway));
    EXPECT_TRUE(outside.Ink().IsNull());
}

TEST_F(RenderTest, TiledCentreRepeatsAndCutsTheLastColumn)
{
    // Each source column has its own colour, so a destination column tells where it came from.
    TImageRecord* image = AddImage(u"cols.png", 10, 4, kRed);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 10; ++x)
            image->bitmap->pixels[y * 10 + x] = 0xFF000000u | std::uint32_t(x * 20);
    int pass = 0;
    for (const char16_t* text : {u"file='cols.png' xtiled='true'", u"file='cols.png' xtiled='true' fade='254'"}) {
        ++pass;
        Canvas canvas(40, 10);
        TImageDescriptor d;
        d.text = text;
        const CUIRect rect(0, 0, 25, 8);
        ASSERT_TRUE(CRenderKit::DrawImageDescriptor(canvas.dc.get(), manager.get(), rect, rect, d));
        for (int x = 0; x < 25; ++x)
            EXPECT_NEAR(int(platform::BlueOf(canvas.Pixel(x, 5))), (x % 10) * 20, 1)
                << "pass " << pass << " column " << x;
        EXPECT_FALSE(Drawn(canvas, 25, 5));
    }
    // Tiled both ways copies 1:1 and cuts at the right and bottom.
    Canvas grid(40, 20);
    TImageDescriptor both;
    both.text = u"file='cols.png' xtiled='true' ytiled='true'";
    ASSERT_TRUE(CRenderKit::DrawImageDescriptor(grid.dc.get(), manager.get(), {0, 0, 25, 10}, {0, 0, 25, 10}, both));
    EXPECT_EQ(grid.Ink(), CUIRect(0, 0, 25, 10));
    EXPECT_EQ(platform::BlueOf(grid.Pixel(23, 9)), 60u);
}

TEST_F(RenderTest, MissingImagesFailOnceAndAreNotLookedUpAgain)
{
    Canvas canvas(20, 20);
    TImageDescriptor d;
    d.text = u"file='missing.png'";
    EXPECT_FALSE(CRenderKit::DrawImageDescriptor(canvas.dc.get(), manager.get(), {0, 0, 20, 20}, {0, 0, 20, 20}, d));
    EXPECT_TRUE(d.parsed);
    // Even once the image exists, the failed descriptor stays silent until it is reset.
    AddImage(u"missing.png", 4, 4, kRed);
    EXPECT_FALSE(CRenderKit::DrawImageDescriptor(canvas.dc.get(), manager.get(), {0, 0, 20, 20}, {0, 0, 20, 20}, d));
    EXPECT_TRUE(canvas.Ink().IsNull());
    const CUIString text = d.text;
    d.Reset();
    d.text = text;
    EXPECT_TRUE(CRenderKit::DrawImageDescriptor(canvas.dc.get(), manager.get(), {0, 0, 20, 20}, {0, 0, 20, 20}, d));
    // No manager: nothing to resolve against, and that is not a failure.
    TImageDescriptor other;
    EXPECT_TRUE(CRenderKit::DrawImageDescriptor(canvas.dc.get(), nullptr, {0, 0, 20, 20}, {0, 0, 20, 20}, other));
    TImageDescriptor empty;
    EXPECT_FALSE(CRenderKit::DrawImageDescriptor(nullptr, manager.get(), {0, 0, 20, 20}, {0, 0, 20, 20}, empty));
}

TEST_F(RenderTest, DescriptorsNamingOneImageShareItsRecord)
{
    TImageRecord* image = AddImage(u"shared.png", 8, 6, kGreen);
    TImageDescriptor first, second;
    first.text = u"file='shared.png' mask='#FF00FF00'";
    second.text = u"file='shared.png' mask='#FFFF0000' source='0,0,100,100'";
    ASSERT_TRUE(CRenderKit::DrawImageDescriptor(nullptr, manager.get(), {}, {}, first));
    ASSERT_TRUE(CRenderKit::DrawImageDescriptor(nullptr, manager.get(), {}, {}, second));
    EXPECT_EQ(first.image, image);
    EXPECT_EQ(second.image, image);
    EXPECT_EQ(first.source, CUIRect(0, 0, 8, 6));
    EXPECT_EQ(second.source, CUIRect(0, 0, 8, 6)) << "a source larger than the image is cut to it";
}

TEST_F(RenderTest, FadeBlendsAndTheSameSizeShortcutCopiesOnlyTheDirtyPart)
{
    AddImage(u"white.png", 10, 10, 0xFFFFFFFF);
    Canvas faded(10, 10, 0xFF000000);
    TImageDescriptor d;
    d.text = u"file='white.png' fade='128'";
    ASSERT_TRUE(CRenderKit::DrawImageDescriptor(faded.dc.get(), manager.get(), {0, 0, 10, 10}, {0, 0, 10, 10}, d));
    EXPECT_LE(Near(platform::RedOf(faded.Pixel(5, 5)), 128), 1);

    Canvas copied(10, 10);
    TImageDescriptor whole;
    whole.text = u"white.png";
    ASSERT_TRUE(CRenderKit::DrawImageDescriptor(copied.dc.get(), manager.get(), {0, 0, 10, 10}, {2, 3, 5, 7}, whole));
    EXPECT_EQ(copied.Ink(), CUIRect(2, 3, 5, 7));
}

TEST_F(RenderTest, FillsBlendAndTransparentGradientsDrawNothing)
{
    Canvas canvas(10, 10, 0xFF000000);
    CRenderKit::FillColor(canvas.dc.get(), {0, 0, 10, 10}, 0x80FFFFFF);
    const std::uint32_t grey = canvas.Pixel(5, 5);
    EXPECT_EQ(platform::AlphaOf(grey), 255u);
    EXPECT_LE(Near(platform::RedOf(grey), 128), 1) << std::hex << grey;
    EXPECT_EQ(platform::RedOf(grey), platform::BlueOf(grey));

    // Opaque fills blend too, and so keep what lies under a translucent canvas correct.
    Canvas opaque(4, 4);
    CRenderKit::FillColor(opaque.dc.get(), {0, 0, 4, 4}, kBlue);
    EXPECT_EQ(opaque.Pixel(1, 1), kBlue);

    Canvas gradient(10, 10, 0xFF000000);
    CRenderKit::FillGradient(gradient.dc.get(), {0, 0, 10, 10}, 0x00000000, 0x00FFFFFF, true, 16);
    EXPECT_EQ(gradient.CountPixels(0xFF000000), 100);
}

TEST_F(RenderTest, GradientsRunFromTopToBottomAndAverageTheirOpacity)
{
    Canvas canvas(10, 64);
    CRenderKit::FillGradient(canvas.dc.get(), {0, 0, 10, 64}, kRed, kBlue, true, 64);
    EXPECT_GT(platform::RedOf(canvas.Pixel(5, 0)), 240u);
    EXPECT_LT(platform::BlueOf(canvas.Pixel(5, 0)), 15u);
    EXPECT_GT(platform::BlueOf(canvas.Pixel(5, 63)), 240u);
    EXPECT_LT(platform::RedOf(canvas.Pixel(5, 63)), 15u);

    Canvas across(64, 4);
    CRenderKit::FillGradient(across.dc.get(), {0, 0, 64, 4}, kRed, kBlue, false, 64);
    EXPECT_GT(platform::RedOf(across.Pixel(0, 1)), 240u);
    EXPECT_GT(platform::BlueOf(across.Pixel(63, 1)), 240u);

    // Alphas 0xFF and 0x00 average to 127: the whole gradient is laid over at that opacity.
    Canvas half(10, 10, 0xFFFFFFFF);
    CRenderKit::FillGradient(half.dc.get(), {0, 0, 10, 10}, 0xFF000000, 0x00000000, true, 16);
    EXPECT_LE(Near(platform::RedOf(half.Pixel(5, 5)), 128), 2);
}

TEST_F(RenderTest, PensSubstituteBlackAndFramesStayInside)
{
    Canvas canvas(20, 20);
    CRenderKit::DrawLine(canvas.dc.get(), {0, 5, 20, 5}, 1, 0xFF000000, PS_SOLID);
    EXPECT_EQ(canvas.Pixel(10, 5), 0xFF000001u);

    Canvas frame(20, 20);
    CRenderKit::DrawFrameRect(frame.dc.get(), {2, 2, 18, 18}, 3, kRed, PS_SOLID);
    EXPECT_EQ(frame.Ink(), CUIRect(2, 2, 18, 18)) << "a wide frame lies inside its rectangle";
    EXPECT_EQ(frame.Pixel(4, 10), kRed);
    EXPECT_EQ(frame.Pixel(5, 10), 0u);

    // A thin dotted frame keeps its pattern.
    Canvas dotted(20, 20);
    CRenderKit::DrawFrameRect(dotted.dc.get(), {0, 0, 20, 20}, 1, kRed, PS_DOT);
    int gaps = 0;
    for (int x = 0; x < 20; ++x)
        gaps += dotted.Pixel(x, 0) == 0 ? 1 : 0;
    EXPECT_GT(gaps, 0);

    Canvas round(30, 30);
    CRenderKit::DrawFrameRoundRect(round.dc.get(), {0, 0, 30, 30}, 1, 10, 10, kGreen, PS_SOLID);
    EXPECT_EQ(round.Pixel(0, 0), 0u) << "rounded corners leave the corner pixel alone";
    EXPECT_EQ(round.Pixel(15, 0), kGreen);
}

TEST_F(RenderTest, PlainTextIgnoresPrefixesAndMeasures)
{
    Canvas canvas(10, 10);
    CUIRect rect(0, 0, 300, 100);
    CRenderKit::DrawPlainText(canvas.dc.get(), manager.get(), rect, u"a&b", 0, -1, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(rect.Width(), TextWidth(u"a&b")) << "& is not an accelerator mark";
    EXPECT_EQ(rect.Height(), manager->DefaultFontInfo()->font.Metrics().height);
}

TEST_F(RenderTest, ClipScopesNarrowAndRestoreTheClipBox)
{
    Canvas canvas(40, 40);
    canvas.dc->SetClipRect({5, 5, 35, 35});
    {
        CClipScope clip;
        clip.ClipToRect(canvas.dc.get(), {0, 0, 20, 20});
        EXPECT_EQ(canvas.dc->GetClipBox(), (platform::Rect{5, 5, 20, 20}));
        clip.UseOuterClip();
        EXPECT_EQ(canvas.dc->GetClipBox(), (platform::Rect{5, 5, 35, 35}));
        clip.UseInnerClip();
        EXPECT_EQ(canvas.dc->GetClipBox(), (platform::Rect{5, 5, 20, 20}));
    }
    EXPECT_EQ(canvas.dc->GetClipBox(), (platform::Rect{5, 5, 35, 35}));
    {
        CClipScope round;
        round.ClipToRoundRect(canvas.dc.get(), {0, 0, 40, 40}, {5, 5, 34, 34}, 12, 12);
        CRenderKit::FillColor(canvas.dc.get(), {0, 0, 40, 40}, kRed);
    }
    EXPECT_EQ(canvas.Pixel(5, 5), 0u) << "outside the rounded corner";
    EXPECT_EQ(canvas.Pixel(20, 5), kRed);
    // The rounded shape covers the control's rectangle up to its last column, as its border does.
    EXPECT_EQ(canvas.Pixel(33, 20), kRed);
    EXPECT_EQ(canvas.Pixel(34, 20), 0u);
}

TEST(SoftBlend, PremultipliedSourceOverWithAConstantAlpha)
{
    // Opaque white at half strength over opaque black: mid-grey, still opaque.
    EXPECT_EQ(SoftBlendPixel(0xFFFFFFFF, 0xFF000000, 128), 0xFF808080u);
    // A premultiplied half-transparent red over blue: red is not darkened a second time.
    EXPECT_EQ(SoftBlendPixel(0x80800000, 0xFF0000FF, 255), 0xFF80007Fu);
    // Over a transparent pixel the result keeps the source's own coverage.
    EXPECT_EQ(SoftBlendPixel(0x80800000, 0x00000000, 255), 0x80800000u);
    EXPECT_EQ(SoftBlendPixel(0xFF123456, 0xFF654321, 0), 0xFF654321u);

    Canvas canvas(10, 10, 0xFF000000);
    std::uint32_t white[4] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    const platform::PixelBuffer source{white, 2, 2, 8};
    canvas.dc->SetClipRect({0, 0, 5, 10});
    ASSERT_TRUE(SoftAlphaBlend(canvas.dc.get(), {0, 0, 10, 10}, source, {0, 0, 2, 2}, 128));
    EXPECT_EQ(canvas.Pixel(2, 2), 0xFF808080u);
    EXPECT_EQ(canvas.Pixel(7, 2), 0xFF000000u) << "the clip is honoured";
    EXPECT_FALSE(SoftAlphaBlend(nullptr, {0, 0, 10, 10}, source, {0, 0, 2, 2}, 128));
    EXPECT_FALSE(CRenderKit::SoftAlphaBlend(canvas.dc.get(), {0, 0, 10, 10}, nullptr, {0, 0, 2, 2}, 128));
    EXPECT_FALSE(SoftAlphaBlend(canvas.dc.get(), {0, 0, 0, 10}, source, {0, 0, 2, 2}, 128));
}
