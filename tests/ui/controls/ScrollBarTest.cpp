// The scroll bar: orientation and thickness, range and position rules, thumb geometry, dragging the
// thumb and clicking the track.
#include "ControlTestSupport.h"

using namespace ui;
using tvtest::Canvas;
using tvtest::ControlTest;

TEST(ScrollBar, OrientationSetsTheThickness)
{
    CScrollBarUI bar;
    EXPECT_FALSE(bar.IsHorizontal());
    EXPECT_EQ(bar.GetFixedWidth(), 16);
    EXPECT_EQ(bar.GetFixedHeight(), 0);
    bar.SetHorizontal(true);
    EXPECT_EQ(bar.GetFixedHeight(), 16);
    EXPECT_EQ(bar.GetFixedWidth(), 0);
    bar.SetAttribute(u"hor", u"false");
    EXPECT_EQ(bar.GetFixedWidth(), 16);
    EXPECT_EQ(CUIString(bar.GetClassName()), u"ScrollBar");
}

TEST(ScrollBar, PositionIsClampedAndRoundedUpToTheUnit)
{
    CScrollBarUI bar;
    bar.SetScrollRange(95);
    bar.SetScrollPos(-3);
    EXPECT_EQ(bar.GetScrollPos(), 0);
    bar.SetScrollPos(200);
    EXPECT_EQ(bar.GetScrollPos(), 95);
    bar.SetScrollUnit(10);
    bar.SetScrollPos(41);
    EXPECT_EQ(bar.GetScrollPos(), 50);
    // The end of a range that is not a multiple of the unit stays reachable.
    bar.SetScrollPos(91);
    EXPECT_EQ(bar.GetScrollPos(), 95);
    bar.SetScrollRange(30);
    EXPECT_EQ(bar.GetScrollPos(), 30);
    bar.SetScrollRange(-5);
    EXPECT_EQ(bar.GetScrollRange(), 0);
    EXPECT_EQ(bar.GetScrollPos(), 0);
    bar.ApplyAttributeList(u"range=\"200\" value=\"33\" linesize=\"12\"");
    EXPECT_EQ(bar.GetScrollRange(), 200);
    EXPECT_EQ(bar.GetScrollPos(), 40);
    EXPECT_EQ(bar.GetLineSize(), 12);
}

TEST(ScrollBar, TheThumbShowsTheVisibleShare)
{
    CScrollBarUI bar;
    bar.SetPosition({0, 0, 16, 100});
    bar.SetScrollRange(100);
    // 100 of 200 pixels visible: half the track.
    EXPECT_EQ(bar.GetThumbRect(), CUIRect(0, 0, 16, 50));
    bar.SetScrollPos(100);
    EXPECT_EQ(bar.GetThumbRect(), CUIRect(0, 50, 16, 100));
    bar.SetScrollRange(100000);
    EXPECT_EQ(bar.GetThumbRect().Height(), CScrollBarUI::kMinThumbLength);
    bar.SetScrollRange(0);
    EXPECT_TRUE(bar.GetThumbRect().IsEmpty());
}

using ScrollBarInputTest = ControlTest;

TEST_F(ScrollBarInputTest, DraggingTheThumbAndClickingTheTrackScrollTheOwner)
{
    auto* stack = new tvtest::CStackUI;
    manager->AttachRoot(stack);
    stack->EnableScrollBar();
    for (int i = 0; i < 6; ++i) {
        auto* row = new CControlUI;
        row->SetFixedHeight(100);
        stack->Add(row);
    }
    stack->SetPosition({0, 0, kWidth, kHeight});
    CScrollBarUI* bar = stack->GetVerticalScrollBar();
    ASSERT_TRUE(bar->IsVisible());
    ASSERT_EQ(bar->GetScrollRange(), 300);
    const CUIRect thumb = bar->GetThumbRect();
    ASSERT_EQ(thumb, CUIRect(kWidth - 16, 0, kWidth, 150));

    // The found control under the bar is the bar itself.
    EXPECT_EQ(manager->ControlAt({kWidth - 8, 10}), bar);

    TUIEvent down = tvtest::MakeEvent(EVT_BUTTON_DOWN, bar, {kWidth - 8, 10});
    bar->Event(down);
    TUIEvent move = tvtest::MakeEvent(EVT_MOUSE_MOVE, bar, {kWidth - 8, 85});
    bar->Event(move);
    // 75 of 150 pixels of travel: half the range.
    EXPECT_EQ(stack->GetScrollPos().cy, 150);
    EXPECT_EQ(stack->GetItemAt(0)->GetPosition().top, -150);
    TUIEvent up = tvtest::MakeEvent(EVT_BUTTON_UP, bar, {kWidth - 8, 85});
    bar->Event(up);
    move.point = {kWidth - 8, 10};
    bar->Event(move);
    EXPECT_EQ(stack->GetScrollPos().cy, 150);

    // The thumb now covers 75..225; a click below it pages down, above it pages up.
    TUIEvent below = tvtest::MakeEvent(EVT_BUTTON_DOWN, bar, {kWidth - 8, 280});
    bar->Event(below);
    EXPECT_EQ(stack->GetScrollPos().cy, 300);
    TUIEvent above = tvtest::MakeEvent(EVT_BUTTON_DOWN, bar, {kWidth - 8, 5});
    bar->Event(above);
    EXPECT_EQ(stack->GetScrollPos().cy, 0);

    // A disabled bar ignores clicks.
    bar->SetEnabled(false);
    bar->Event(below);
    EXPECT_EQ(stack->GetScrollPos().cy, 0);
}

TEST_F(ScrollBarInputTest, TheBarPaintsATrackAndAThumb)
{
    CScrollBarUI bar;
    bar.SetManager(manager.get(), nullptr, false);
    bar.SetPosition({0, 0, 16, 100});
    bar.SetScrollRange(100);
    Canvas canvas(16, 100);
    bar.Paint(canvas.dc.get(), {0, 0, 16, 100}, nullptr);
    EXPECT_EQ(canvas.Pixel(8, 25), bar.GetThumbColor());
    EXPECT_EQ(canvas.Pixel(8, 75), bar.GetTrackColor());
    EXPECT_EQ(canvas.Pixel(0, 25), bar.GetTrackColor());
}
