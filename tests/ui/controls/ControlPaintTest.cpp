// The paint pipeline on an in-memory canvas: back colours and gradients, borders, rounded clips,
// paint delegates, the stop control, and the container's clipping of children.
#include "ControlTestSupport.h"

using namespace ui;
using tvtest::Canvas;
using tvtest::ControlTest;

namespace {

constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr std::uint32_t kBlue = 0xFF0000FF;

bool Painted(const Canvas& canvas, int x, int y)
{
    return canvas.Pixel(x, y) != 0;
}

} // namespace

using ControlPaintTest = ControlTest;

TEST_F(ControlPaintTest, OpaqueBackgroundsFillOnlyThePaintRectangle)
{
    Canvas canvas(40, 40);
    CControlUI opaque;
    opaque.SetManager(manager.get(), nullptr, false);
    opaque.SetPosition({0, 0, 20, 20});
    opaque.SetBackColor(kRed);
    EXPECT_TRUE(opaque.Paint(canvas.dc.get(), {0, 0, 10, 10}, nullptr));
    EXPECT_EQ(canvas.Pixel(5, 5), kRed);
    EXPECT_FALSE(Painted(canvas, 15, 15));

    // A translucent colour is laid over the whole control.
    CControlUI translucent;
    translucent.SetManager(manager.get(), nullptr, false);
    translucent.SetPosition({20, 20, 40, 40});
    translucent.SetBackColor(0x80FF0000);
    translucent.Paint(canvas.dc.get(), {20, 20, 30, 30}, nullptr);
    EXPECT_TRUE(Painted(canvas, 35, 35));
    EXPECT_EQ(canvas.Pixel(35, 35) >> 24, 0x80u);
}

TEST_F(ControlPaintTest, SecondAndThirdColoursMakeVerticalGradients)
{
    Canvas canvas(20, 40);
    CControlUI c;
    c.SetManager(manager.get(), nullptr, false);
    c.SetPosition({0, 0, 20, 40});
    c.SetBackColor(kRed);
    c.SetBackColor2(kBlue);
    c.Paint(canvas.dc.get(), {0, 0, 20, 40}, nullptr);
    EXPECT_GT(platform::RedOf(canvas.Pixel(10, 0)), 200u);
    EXPECT_GT(platform::BlueOf(canvas.Pixel(10, 39)), 200u);

    // Three colours: red to blue down to the middle, then blue to green.
    c.SetBackColor3(0xFF00FF00);
    c.Paint(canvas.dc.get(), {0, 0, 20, 40}, nullptr);
    EXPECT_GT(platform::BlueOf(canvas.Pixel(10, 19)), 200u);
    EXPECT_GT(platform::GreenOf(canvas.Pixel(10, 39)), 200u);
}

TEST_F(ControlPaintTest, EqualBorderSizesDrawOneFrame)
{
    Canvas canvas(40, 40);
    CControlUI c;
    c.SetManager(manager.get(), nullptr, false);
    c.SetPosition({10, 10, 30, 30});
    c.SetAttribute(u"bordersize", u"2");
    c.SetAttribute(u"bordercolor", u"#FF0000FF");
    c.Paint(canvas.dc.get(), {0, 0, 40, 40}, nullptr);
    EXPECT_TRUE(Painted(canvas, 10, 20));
    EXPECT_TRUE(Painted(canvas, 11, 20));
    EXPECT_FALSE(Painted(canvas, 12, 20));
    EXPECT_TRUE(Painted(canvas, 29, 20));
    EXPECT_FALSE(Painted(canvas, 30, 20));
    EXPECT_FALSE(Painted(canvas, 20, 20));
}

TEST_F(ControlPaintTest, UnequalBorderSizesDrawFourLines)
{
    Canvas canvas(60, 60);
    CControlUI c;
    c.SetManager(manager.get(), nullptr, false);
    c.SetPosition({10, 10, 50, 50});
    c.SetAttribute(u"bordersize", u"1,2,3,4");
    c.SetAttribute(u"bordercolor", u"#FF0000FF");
    c.Paint(canvas.dc.get(), {0, 0, 60, 60}, nullptr);
    // Left at left + 0, one pixel wide.
    EXPECT_TRUE(Painted(canvas, 10, 30));
    EXPECT_FALSE(Painted(canvas, 11, 30));
    // Top centred on top + 1; right centred on right − 2; bottom centred on bottom − 2.
    EXPECT_TRUE(Painted(canvas, 30, 11));
    EXPECT_TRUE(Painted(canvas, 48, 30));
    EXPECT_FALSE(Painted(canvas, 45, 30));
    EXPECT_TRUE(Painted(canvas, 30, 48));
    EXPECT_FALSE(Painted(canvas, 30, 44));
    EXPECT_FALSE(Painted(canvas, 30, 30));
}

TEST_F(ControlPaintTest, FocusBorderColourIsUsedWhileFocused)
{
    Canvas canvas(20, 20);
    CControlUI c;
    c.SetManager(manager.get(), nullptr, false);
    c.SetPosition({0, 0, 20, 20});
    c.SetBorderSize(1);
    c.SetFocusBorderColor(kRed);
    c.Paint(canvas.dc.get(), {0, 0, 20, 20}, nullptr);
    // Only a focus colour and no focus: the normal colour 0 draws in the almost-black substitute.
    EXPECT_EQ(canvas.Pixel(0, 10), 0xFF000001u);
    TUIEvent focus = tvtest::MakeEvent(EVT_SET_FOCUS, &c);
    c.Event(focus);
    c.Paint(canvas.dc.get(), {0, 0, 20, 20}, nullptr);
    EXPECT_EQ(canvas.Pixel(0, 10), kRed);
}

TEST_F(ControlPaintTest, RoundedBordersClipTheBackground)
{
    Canvas canvas(40, 40);
    CControlUI c;
    c.SetManager(manager.get(), nullptr, false);
    c.SetPosition({0, 0, 40, 40});
    c.SetBackColor(kRed);
    c.SetBorderRound({16, 16});
    c.Paint(canvas.dc.get(), {0, 0, 40, 40}, nullptr);
    EXPECT_FALSE(Painted(canvas, 0, 0));
    EXPECT_EQ(canvas.Pixel(20, 20), kRed);
    // The clip is restored afterwards.
    EXPECT_EQ(canvas.dc->GetClipBox(), (platform::Rect{0, 0, 40, 40}));
}

TEST_F(ControlPaintTest, PaintingStopsAtTheStopControlAndSkipsRefusedControls)
{
    Canvas canvas(30, 10);
    CContainerUI* root = AttachRoot();
    root->SetPosition({0, 0, 30, 10});
    CControlUI* parts[3];
    for (int i = 0; i < 3; ++i) {
        parts[i] = new CControlUI;
        parts[i]->SetFloat(true);
        parts[i]->SetBackColor(kRed);
        root->Add(parts[i]);
        parts[i]->SetPosition({i * 10, 0, i * 10 + 10, 10});
    }
    EXPECT_FALSE(root->Paint(canvas.dc.get(), {0, 0, 30, 10}, parts[1]));
    EXPECT_TRUE(Painted(canvas, 5, 5));
    EXPECT_FALSE(Painted(canvas, 15, 5));
    EXPECT_FALSE(Painted(canvas, 25, 5));

    parts[1]->OnPaintDelegates().AddFunction([](void*) { return false; });
    EXPECT_TRUE(root->Paint(canvas.dc.get(), {0, 0, 30, 10}, nullptr));
    EXPECT_FALSE(Painted(canvas, 15, 5));
    EXPECT_TRUE(Painted(canvas, 25, 5));
}

TEST_F(ControlPaintTest, ChildrenAreClippedToTheContentAreaButFloatingOnesAreNot)
{
    Canvas canvas(100, 100);
    CContainerUI* root = AttachRoot();
    root->SetInset({10, 10, 10, 10});
    auto* child = new CControlUI;
    child->SetBackColor(kRed);
    root->Add(child);
    auto* floating = new CControlUI;
    floating->SetFloat(true);
    floating->SetBackColor(kBlue);
    root->Add(floating);
    root->SetPosition({0, 0, 100, 100});
    child->SetPosition({0, 0, 50, 50}, false);
    floating->SetPosition({60, 0, 100, 40}, false);
    EXPECT_TRUE(root->Paint(canvas.dc.get(), {0, 0, 100, 100}, nullptr));
    EXPECT_FALSE(Painted(canvas, 5, 5));
    EXPECT_EQ(canvas.Pixel(15, 15), kRed);
    EXPECT_EQ(canvas.Pixel(95, 5), kBlue);
    EXPECT_EQ(canvas.dc->GetClipBox(), (platform::Rect{0, 0, 100, 100}));

    // A paint request that misses the content area still paints floating children.
    Canvas second(100, 100);
    EXPECT_TRUE(root->Paint(second.dc.get(), {90, 0, 100, 5}, nullptr));
    EXPECT_EQ(second.Pixel(95, 2), kBlue);
}
