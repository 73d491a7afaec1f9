// Scrolling containers: the bar negotiation after layout, scroll positions and steps, keys and the
// wheel, floating children, and scrolling to the end after the next paint.
#include "ControlTestSupport.h"
#include "tests/ui/manager/WindowManagerProbe.h"

using namespace ui;
using tvtest::Canvas;
using tvtest::ControlTest;
using tvtest::CStackUI;

namespace {

struct ScrollListener : INotifyUI
{
    void Notify(TNotifyMsg& msg) override
    {
        if (msg.type == u"scroll")
            scrolls.push_back({int(msg.wParam), int(msg.lParam)});
    }
    std::vector<std::pair<int, int>> scrolls;
};

} // namespace

class ContainerScrollTest : public ControlTest
{
protected:
    // A stack filling the window with `rows` children of 100 pixels.
    CStackUI* MakeStack(int rows, bool vertical = true, bool horizontal = false)
    {
        auto* stack = new CStackUI;
        manager->AttachRoot(stack);
        stack->EnableScrollBar(vertical, horizontal);
        for (int i = 0; i < rows; ++i)
            AddRow(stack);
        return stack;
    }
    static CControlUI* AddRow(CContainerUI* stack, int width = 0)
    {
        auto* row = new CControlUI;
        row->SetFixedHeight(100);
        row->SetFixedWidth(width);
        stack->Add(row);
        return row;
    }
    static void Layout(CStackUI* stack) { stack->SetPosition({0, 0, kWidth, kHeight}); }
};

TEST_F(ContainerScrollTest, ABarAppearsWithOneNestedRelayoutOverTheNarrowerArea)
{
    CStackUI* stack = MakeStack(5);
    CScrollBarUI* bar = stack->GetVerticalScrollBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->GetScrollRange(), 0);
    Layout(stack);
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_EQ(bar->GetScrollRange(), 200);
    EXPECT_EQ(bar->GetScrollPos(), 0);
    EXPECT_EQ(stack->placements, 2);
    EXPECT_EQ(stack->lastContentWidth, kWidth - 16);
    EXPECT_EQ(bar->GetPosition(), CUIRect(kWidth - 16, 0, kWidth, kHeight));
    EXPECT_EQ(stack->GetItemAt(0)->GetPosition(), CUIRect(0, 0, kWidth - 16, 100));
    EXPECT_EQ(stack->GetContentRect(), CUIRect(0, 0, kWidth - 16, kHeight));
}

TEST_F(ContainerScrollTest, TheNestedRelayoutDoesNotHideTheBarAgain)
{
    CStackUI* stack = MakeStack(1);
    // The content needs 310 pixels at full width and fits (290) once the bar narrows it.
    stack->scriptedHeights = {310, 290};
    Layout(stack);
    EXPECT_TRUE(stack->GetVerticalScrollBar()->IsVisible());
    EXPECT_EQ(stack->placements, 2);

    // Laid out again from outside, the fitting content hides the bar.
    stack->scriptedHeights = {290, 290};
    Layout(stack);
    EXPECT_FALSE(stack->GetVerticalScrollBar()->IsVisible());
    EXPECT_EQ(stack->GetScrollRange(), CUISize(0, 0));
}

TEST_F(ContainerScrollTest, ContentThatFitsKeepsTheBarHidden)
{
    CStackUI* stack = MakeStack(2);
    Layout(stack);
    EXPECT_FALSE(stack->GetVerticalScrollBar()->IsVisible());
    EXPECT_EQ(stack->placements, 1);
}

TEST_F(ContainerScrollTest, ScrollingMovesChildrenButNotFloatingOnes)
{
    CStackUI* stack = MakeStack(5);
    auto* floating = new CControlUI;
    floating->SetAttribute(u"float", u"true");
    floating->SetAttribute(u"pos", u"10,10,50,50");
    stack->Add(floating);
    Layout(stack);
    ScrollListener listener;
    manager->AddNotifyListener(&listener);

    stack->SetScrollPos({0, 120});
    EXPECT_EQ(stack->GetScrollPos(), CUISize(0, 120));
    EXPECT_EQ(stack->GetItemAt(0)->GetPosition(), CUIRect(0, -120, kWidth - 16, -20));
    EXPECT_EQ(stack->GetItemAt(1)->GetPosition(), CUIRect(0, -20, kWidth - 16, 80));
    EXPECT_EQ(floating->GetPosition(), CUIRect(10, 10, 50, 50));

    // Positions are clamped to the range; the notification is queued with new and old positions.
    stack->SetScrollPos({0, 999});
    EXPECT_EQ(stack->GetScrollPos().cy, 200);
    stack->SetScrollPos({0, -5});
    EXPECT_EQ(stack->GetScrollPos().cy, 0);
    EXPECT_TRUE(listener.scrolls.empty());
    windows->DispatchPending();
    EXPECT_EQ(listener.scrolls, (std::vector<std::pair<int, int>>{{120, 0}, {200, 120}, {0, 200}}));
    manager->RemoveNotifyListener(&listener);
}

TEST_F(ContainerScrollTest, LineAndPageSteps)
{
    CStackUI* stack = MakeStack(8);
    Layout(stack);
    const int fontStep = manager->DefaultFontInfo()->metrics.height + 8;
    ASSERT_GT(fontStep, 8);
    stack->LineDown();
    EXPECT_EQ(stack->GetScrollPos().cy, fontStep);
    stack->LineUp();
    EXPECT_EQ(stack->GetScrollPos().cy, 0);
    stack->PageDown();
    EXPECT_EQ(stack->GetScrollPos().cy, kHeight);
    stack->PageUp();
    EXPECT_EQ(stack->GetScrollPos().cy, 0);

    // A scroll unit above 1 is the line step, and positions are rounded up to it.
    stack->GetVerticalScrollBar()->SetScrollUnit(30);
    stack->LineDown();
    EXPECT_EQ(stack->GetScrollPos().cy, 30);
    stack->SetScrollPos({0, 31});
    EXPECT_EQ(stack->GetScrollPos().cy, 60);
    stack->HomeUp();
    EXPECT_EQ(stack->GetScrollPos().cy, 0);

    // A detached container steps by 8.
    CContainerUI detached;
    detached.EnableScrollBar();
    detached.GetVerticalScrollBar()->SetVisible(true);
    detached.GetVerticalScrollBar()->SetScrollRange(100);
    detached.LineDown();
    EXPECT_EQ(detached.GetScrollPos().cy, 8);
}

TEST_F(ContainerScrollTest, KeysScrollTheVerticalBarFirst)
{
    CStackUI* stack = MakeStack(5, true, true);
    AddRow(stack, 1000);
    Layout(stack);
    ASSERT_TRUE(stack->GetVerticalScrollBar()->IsVisible());
    ASSERT_TRUE(stack->GetHorizontalScrollBar()->IsVisible());
    TUIEvent down = tvtest::MakeEvent(EVT_KEY_DOWN, stack);
    down.keyChar = VK_DOWN;
    stack->Event(down);
    EXPECT_GT(stack->GetScrollPos().cy, 0);
    EXPECT_EQ(stack->GetScrollPos().cx, 0);
    down.keyChar = VK_END;
    stack->Event(down);
    // End waits for the next paint.
    EXPECT_LT(stack->GetScrollPos().cy, stack->GetScrollRange().cy);
    EXPECT_EQ(ui::CWindowManagerProbe(*manager).PostPaintCount(), 1);
}

TEST_F(ContainerScrollTest, WithOnlyAHorizontalBarUpAndDownScrollSideways)
{
    CStackUI* stack = MakeStack(0, false, true);
    AddRow(stack, 1000);
    Layout(stack);
    ASSERT_TRUE(stack->GetHorizontalScrollBar()->IsVisible());
    TUIEvent key = tvtest::MakeEvent(EVT_KEY_DOWN, stack);
    key.keyChar = VK_DOWN;
    stack->Event(key);
    EXPECT_EQ(stack->GetScrollPos().cx, 8);
    key.keyChar = VK_UP;
    stack->Event(key);
    EXPECT_EQ(stack->GetScrollPos().cx, 0);
    key.keyChar = VK_NEXT;
    stack->Event(key);
    EXPECT_EQ(stack->GetScrollPos().cx, kWidth);
    key.keyChar = VK_HOME;
    stack->Event(key);
    EXPECT_EQ(stack->GetScrollPos().cx, 0);
    key.keyChar = VK_END;
    stack->Event(key);
    EXPECT_EQ(stack->GetScrollPos().cx, 1000 - kWidth);
    // Left and right are not the container's keys.
    key.keyChar = VK_LEFT;
    stack->Event(key);
    EXPECT_EQ(stack->GetScrollPos().cx, 1000 - kWidth);
}

TEST_F(ContainerScrollTest, TheWheelOverTheHorizontalBarScrollsSideways)
{
    CStackUI* stack = MakeStack(5, true, true);
    AddRow(stack, 1000);
    Layout(stack);
    CScrollBarUI* h = stack->GetHorizontalScrollBar();
    ASSERT_TRUE(h->IsVisible());
    const CUIRect bar = h->GetPosition();
    TUIEvent wheel = tvtest::MakeEvent(EVT_SCROLL_WHEEL, stack, {bar.left + 5, bar.top + 5}, 1);
    stack->Event(wheel);
    EXPECT_EQ(stack->GetScrollPos(), CUISize(8, 0));

    wheel.point = {10, 10};
    stack->Event(wheel);
    EXPECT_GT(stack->GetScrollPos().cy, 0);
    EXPECT_EQ(stack->GetScrollPos().cx, 8);
    wheel.wParam = 0;
    stack->Event(wheel);
    EXPECT_EQ(stack->GetScrollPos(), CUISize(8, 0));

    // The wheel turned on the bar itself reaches the owner.
    wheel.point = {bar.left + 5, bar.top + 5};
    wheel.wParam = 0;
    h->Event(wheel);
    EXPECT_EQ(stack->GetScrollPos(), CUISize(0, 0));
}

TEST_F(ContainerScrollTest, EndDownAfterFillingReachesTheEndOfTheNewRange)
{
    CStackUI* stack = MakeStack(1);
    Layout(stack);
    stack->EndDown();
    EXPECT_EQ(ui::CWindowManagerProbe(*manager).PostPaintCount(), 1);
    for (int i = 0; i < 9; ++i)
        AddRow(stack);
    Layout(stack);
    EXPECT_EQ(stack->GetScrollPos().cy, 0);
    Canvas canvas(kWidth, kHeight);
    stack->PostPaint(canvas.dc.get(), {0, 0, kWidth, kHeight});
    EXPECT_EQ(stack->GetScrollPos().cy, 700);
    EXPECT_EQ(stack->GetItemAt(9)->GetPosition().bottom, kHeight);
    EXPECT_EQ(ui::CWindowManagerProbe(*manager).PostPaintCount(), 0);
}

TEST_F(ContainerScrollTest, TheWindowPaintScrollsAPendingEndDown)
{
    CStackUI* stack = MakeStack(1);
    manager->LayoutIfNeeded();
    stack->EndDown();
    for (int i = 0; i < 9; ++i)
        AddRow(stack);
    windows->InvalidateRect(hwnd, nullptr, false);
    windows->UpdateWindow(hwnd);
    EXPECT_EQ(stack->GetScrollPos().cy, 700);
}

TEST_F(ContainerScrollTest, ASizeChangeResetsTheRangeOfAVisibleBar)
{
    CContainerUI* root = AttachRoot();
    root->EnableScrollBar(true, true);
    CScrollBarUI* v = root->GetVerticalScrollBar();
    CScrollBarUI* h = root->GetHorizontalScrollBar();
    v->SetVisible(true);
    v->SetScrollRange(200);
    v->SetScrollPos(150);
    h->SetScrollRange(50);
    root->SetPosition({0, 0, kWidth + 10, kHeight});
    // The height is unchanged; the width changed but the horizontal bar is hidden.
    EXPECT_EQ(v->GetScrollRange(), 200);
    EXPECT_EQ(h->GetScrollRange(), 50);
    root->SetPosition({0, 0, kWidth + 10, kHeight + 100});
    EXPECT_EQ(v->GetScrollRange(), 0);
    EXPECT_EQ(v->GetScrollPos(), 0);
    root->EnableScrollBar(false, false);
    EXPECT_EQ(root->GetVerticalScrollBar(), nullptr);
    EXPECT_EQ(root->GetScrollPos(), CUISize(0, 0));
}

TEST_F(ContainerScrollTest, NewBarsTakeTheManagersDefaultAttributes)
{
    manager->RegisterDefaultAttributes(u"VScrollBar", u"width=\"10\" scrollunit=\"4\"");
    manager->RegisterDefaultAttributes(u"HScrollBar", u"height=\"12\"");
    CContainerUI* root = AttachRoot();
    root->EnableScrollBar(true, true);
    EXPECT_EQ(root->GetVerticalScrollBar()->GetFixedWidth(), 10);
    EXPECT_EQ(root->GetVerticalScrollBar()->GetScrollUnit(), 4);
    EXPECT_EQ(root->GetHorizontalScrollBar()->GetFixedHeight(), 12);
    EXPECT_EQ(root->GetVerticalScrollBar()->GetOwner(), root);
    EXPECT_FALSE(root->GetVerticalScrollBar()->IsVisible());
}
