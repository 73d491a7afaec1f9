// Layout arithmetic of the vertical, horizontal, tile and tab layouts, and separator dragging.
#include "ui/controls/HorizontalLayout.h"
#include "ui/controls/ScrollBar.h"
#include "ui/controls/TabLayout.h"
#include "ui/controls/TileLayout.h"
#include "ui/controls/VerticalLayout.h"
#include "ui/manager/UIEvent.h"
#include "ui/manager/WindowManager.h"

#include "platform/DeviceContext.h"
#include "platform/Surface.h"
#include "platform/WindowSystem.h"
#include "platform/headless/HeadlessBackend.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace ui {

namespace {

// Adds a plain control with the given fixed height (0 = adjustable) and returns it.
CControlUI* AddChild(CContainerUI& layout, int fixedWidth, int fixedHeight)
{
    auto* child = new CControlUI;
    child->SetFixedWidth(fixedWidth);
    child->SetFixedHeight(fixedHeight);
    EXPECT_TRUE(layout.Add(child));
    return child;
}

std::vector<int> Heights(const CContainerUI& layout)
{
    std::vector<int> out;
    for (int i = 0; i < layout.GetCount(); ++i) {
        out.push_back(layout.GetItemAt(i)->GetHeight());
    }
    return out;
}

std::vector<int> Widths(const CContainerUI& layout)
{
    std::vector<int> out;
    for (int i = 0; i < layout.GetCount(); ++i) {
        out.push_back(layout.GetItemAt(i)->GetWidth());
    }
    return out;
}

TUIEvent MakeEvent(int kind, int x, int y)
{
    TUIEvent event;
    event.kind = kind;
    event.point = CUIPoint(x, y);
    return event;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Vertical layout
// ---------------------------------------------------------------------------------------------

TEST(VerticalLayout, AdjustableChildrenShareTheRestAndTheLastTakesTheRemainder)
{
    CVerticalLayoutUI two;
    AddChild(two, 0, 30);
    AddChild(two, 0, 0);
    AddChild(two, 0, 0);
    two.SetPosition(CUIRect(0, 0, 200, 100));
    EXPECT_EQ(Heights(two), (std::vector<int>{30, 35, 35}));
    EXPECT_EQ(two.GetItemAt(2)->GetPosition(), CUIRect(0, 65, 200, 100));

    CVerticalLayoutUI three;
    AddChild(three, 0, 30);
    for (int i = 0; i < 3; ++i) {
        AddChild(three, 0, 0);
    }
    three.SetPosition(CUIRect(0, 0, 200, 100));
    EXPECT_EQ(Heights(three), (std::vector<int>{30, 23, 23, 24}));
    EXPECT_EQ(three.GetItemAt(3)->GetY(), 76);
}

TEST(VerticalLayout, PaddingInsetAndFixedWidthPlaceChildren)
{
    CVerticalLayoutUI layout;
    layout.SetInset(CUIRect(5, 5, 5, 5));
    CControlUI* a = AddChild(layout, 50, 20);
    a->SetPadding(CUIRect(3, 4, 0, 6));
    CControlUI* b = AddChild(layout, 0, 0);
    layout.SetPosition(CUIRect(10, 10, 110, 110));
    EXPECT_EQ(a->GetPosition(), CUIRect(18, 19, 68, 39));
    // b takes 90 - (4 + 20 + 6) = 60 in height and the full inner width.
    EXPECT_EQ(b->GetPosition(), CUIRect(15, 45, 105, 105));
}

TEST(VerticalLayout, MinimumHeightAboveTheShareOverflowsIntoTheScrollBar)
{
    CVerticalLayoutUI layout;
    layout.EnableScrollBar(true, false);
    AddChild(layout, 0, 70);
    CControlUI* tall = AddChild(layout, 0, 0);
    tall->SetMinHeight(50);
    layout.SetPosition(CUIRect(0, 0, 200, 100));
    EXPECT_EQ(tall->GetHeight(), 50);
    CScrollBarUI* bar = layout.GetVerticalScrollBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_EQ(bar->GetScrollRange(), 20);
    // The bar takes its width from the children's area.
    EXPECT_EQ(tall->GetWidth(), 200 - bar->GetFixedWidth());
}

TEST(VerticalLayout, ChildPaddingCountsInTheNeededHeight)
{
    CVerticalLayoutUI layout;
    layout.EnableScrollBar(true, false);
    layout.SetChildPadding(5);
    for (int i = 0; i < 3; ++i) {
        AddChild(layout, 0, 30);
    }
    layout.SetPosition(CUIRect(0, 0, 100, 95));
    EXPECT_EQ(layout.GetItemAt(1)->GetY(), 35);
    EXPECT_EQ(layout.GetItemAt(2)->GetY(), 70);
    // 3 * 30 + 2 * 5 = 100 against 95.
    ASSERT_NE(layout.GetVerticalScrollBar(), nullptr);
    EXPECT_TRUE(layout.GetVerticalScrollBar()->IsVisible());
    EXPECT_EQ(layout.GetVerticalScrollBar()->GetScrollRange(), 5);

    CVerticalLayoutUI fits;
    fits.EnableScrollBar(true, false);
    fits.SetChildPadding(5);
    for (int i = 0; i < 3; ++i) {
        AddChild(fits, 0, 30);
    }
    fits.SetPosition(CUIRect(0, 0, 100, 100));
    EXPECT_FALSE(fits.GetVerticalScrollBar()->IsVisible());
}

TEST(VerticalLayout, CentreAlignmentIgnoresLeftAndRightPadding)
{
    CVerticalLayoutUI layout;
    layout.SetAttribute(u"childalign", u"center");
    CControlUI* child = AddChild(layout, 40, 20);
    child->SetPadding(CUIRect(30, 0, 0, 0));
    layout.SetPosition(CUIRect(0, 0, 201, 100));
    EXPECT_EQ(child->GetPosition(), CUIRect(80, 0, 120, 20));

    CVerticalLayoutUI right;
    right.SetAttribute(u"childalign", u"right");
    CControlUI* r = AddChild(right, 40, 20);
    r->SetPadding(CUIRect(0, 0, 7, 0));
    right.SetPosition(CUIRect(0, 0, 200, 100));
    EXPECT_EQ(r->GetPosition(), CUIRect(153, 0, 193, 20));
}

TEST(VerticalLayout, HiddenAndFloatingChildrenTakeNoShare)
{
    CVerticalLayoutUI layout;
    CControlUI* hidden = AddChild(layout, 0, 40);
    hidden->SetVisible(false);
    CControlUI* floating = AddChild(layout, 0, 0);
    floating->SetAttribute(u"float", u"true");
    floating->SetAttribute(u"pos", u"10,20,30,40");
    AddChild(layout, 0, 0);
    AddChild(layout, 0, 0);
    layout.SetPosition(CUIRect(0, 0, 100, 100));
    EXPECT_EQ(Heights(layout)[2], 50);
    EXPECT_EQ(Heights(layout)[3], 50);
    EXPECT_EQ(floating->GetPosition(), CUIRect(10, 20, 30, 40));
}

TEST(VerticalLayout, ScrolledContentIsPlacedAboveTheTop)
{
    CVerticalLayoutUI layout;
    layout.EnableScrollBar(true, false);
    CControlUI* first = AddChild(layout, 0, 80);
    AddChild(layout, 0, 80);
    layout.SetPosition(CUIRect(0, 0, 100, 100));
    ASSERT_TRUE(layout.GetVerticalScrollBar()->IsVisible());
    layout.SetScrollPos(CUISize(0, 30), false);
    EXPECT_EQ(first->GetY(), -30);
    // A relayout at the same size keeps the scroll position.
    layout.SetPosition(CUIRect(0, 0, 100, 100));
    EXPECT_EQ(first->GetY(), -30);
    EXPECT_EQ(layout.GetItemAt(1)->GetY(), 50);
}

// ---------------------------------------------------------------------------------------------
// Horizontal layout
// ---------------------------------------------------------------------------------------------

namespace {

// Measures as wide as its content (25 pixels) when it sizes itself.
class CMeasuredControl : public CControlUI
{
public:
    CUISize MeasureSize(CUISize available) override
    {
        return IsAutoWidth() ? CUISize(25, 12) : CControlUI::MeasureSize(available);
    }
};

} // namespace

TEST(HorizontalLayout, AutoWidthChildKeepsItsMeasuredWidthOutOfTheShare)
{
    CHorizontalLayoutUI layout;
    auto* measured = new CMeasuredControl;
    measured->SetAttribute(u"autocalwidth", u"True");
    layout.Add(measured);
    CControlUI* rest = AddChild(layout, 0, 0);
    auto* plain = new CMeasuredControl;
    layout.Add(plain);
    layout.SetPosition(CUIRect(0, 0, 101, 30));
    EXPECT_EQ(measured->GetPosition(), CUIRect(0, 0, 25, 30));
    // 76 pixels left for the two others; the last takes the odd one.
    EXPECT_EQ(rest->GetWidth(), 38);
    EXPECT_EQ(plain->GetPosition(), CUIRect(63, 0, 101, 30));
}

TEST(HorizontalLayout, AdjustableChildrenShareTheWidthWithTheRemainderLast)
{
    CHorizontalLayoutUI layout;
    AddChild(layout, 30, 0);
    for (int i = 0; i < 3; ++i) {
        AddChild(layout, 0, 0);
    }
    layout.SetPosition(CUIRect(0, 0, 100, 50));
    EXPECT_EQ(Widths(layout), (std::vector<int>{30, 23, 23, 24}));
    EXPECT_EQ(layout.GetItemAt(3)->GetPosition(), CUIRect(76, 0, 100, 50));
}

TEST(HorizontalLayout, VerticalAlignmentOfFixedHeightChildren)
{
    CHorizontalLayoutUI centred;
    centred.SetAttribute(u"childvalign", u"vcenter");
    CControlUI* c = AddChild(centred, 20, 10);
    centred.SetPosition(CUIRect(0, 0, 100, 51));
    EXPECT_EQ(c->GetPosition(), CUIRect(0, 20, 20, 30));

    CHorizontalLayoutUI bottom;
    bottom.SetAttribute(u"childvalign", u"bottom");
    CControlUI* b = AddChild(bottom, 20, 10);
    b->SetPadding(CUIRect(0, 0, 0, 5));
    bottom.SetPosition(CUIRect(0, 0, 100, 50));
    EXPECT_EQ(b->GetPosition(), CUIRect(0, 35, 20, 45));
}

TEST(HorizontalLayout, ContentWiderThanTheLayoutShowsTheHorizontalBar)
{
    CHorizontalLayoutUI layout;
    layout.EnableScrollBar(false, true);
    layout.SetChildPadding(10);
    AddChild(layout, 60, 0);
    AddChild(layout, 60, 0);
    layout.SetPosition(CUIRect(0, 0, 100, 50));
    ASSERT_NE(layout.GetHorizontalScrollBar(), nullptr);
    EXPECT_TRUE(layout.GetHorizontalScrollBar()->IsVisible());
    EXPECT_EQ(layout.GetHorizontalScrollBar()->GetScrollRange(), 30);
}

// ---------------------------------------------------------------------------------------------
// Tile layout
// ---------------------------------------------------------------------------------------------

TEST(TileLayout, ColumnsAndGapFollowTheWidth)
{
    CTileLayoutUI tile;
    tile.SetAttribute(u"itemsize", u"80,80");
    for (int i = 0; i < 4; ++i) {
        AddChild(tile, 0, 0);
    }
    tile.SetPosition(CUIRect(0, 0, 250, 400));
    EXPECT_EQ(tile.GetColumns(), 3);
    EXPECT_EQ(tile.GetRows(), 2);
    EXPECT_EQ(tile.GetItemAt(1)->GetPosition(), CUIRect(85, 0, 165, 80));
    EXPECT_EQ(tile.GetItemAt(2)->GetX(), 170);
    EXPECT_EQ(tile.GetItemAt(3)->GetPosition(), CUIRect(0, 80, 80, 160));

    tile.SetPosition(CUIRect(0, 0, 70, 400));
    EXPECT_EQ(tile.GetColumns(), 1);
    EXPECT_EQ(tile.GetRows(), 4);
    EXPECT_EQ(tile.GetItemAt(3)->GetY(), 240);
}

TEST(TileLayout, DegenerateItemSizeGivesOneColumn)
{
    CTileLayoutUI tile;
    tile.SetItemSize(CUISize(0, 10));
    AddChild(tile, 0, 0);
    AddChild(tile, 0, 0);
    tile.SetPosition(CUIRect(0, 0, 100, 100));
    EXPECT_EQ(tile.GetColumns(), 1);

    tile.SetItemSize(CUISize(-5, 10));
    tile.SetPosition(CUIRect(0, 0, 101, 100));
    EXPECT_EQ(tile.GetColumns(), 1);
}

TEST(TileLayout, RowModeFillsColumnsAndHiddenChildrenLeaveHoles)
{
    CTileLayoutUI tile;
    tile.SetAttribute(u"itemsize", u"50,40");
    tile.SetAttribute(u"rows", u"2");
    tile.SetAttribute(u"childvpadding", u"4");
    tile.SetChildPadding(6);
    CControlUI* items[5];
    for (CControlUI*& item : items) {
        item = AddChild(tile, 0, 0);
    }
    items[1]->SetVisible(false);
    tile.SetPosition(CUIRect(0, 0, 300, 200));
    EXPECT_EQ(tile.GetRows(), 2);
    EXPECT_EQ(tile.GetColumns(), 3);
    EXPECT_EQ(items[0]->GetPosition(), CUIRect(0, 0, 50, 40));
    // Index 1 is hidden: its cell (column 0, row 1) stays empty.
    EXPECT_EQ(items[2]->GetPosition(), CUIRect(56, 0, 106, 40));
    EXPECT_EQ(items[3]->GetPosition(), CUIRect(56, 44, 106, 84));
    EXPECT_EQ(items[4]->GetPosition(), CUIRect(112, 0, 162, 40));
}

TEST(TileLayout, AlignmentInsideTheCell)
{
    CTileLayoutUI tile;
    tile.SetAttribute(u"itemsize", u"80,60");
    tile.SetAttribute(u"childalign", u"center");
    tile.SetAttribute(u"childvalign", u"vcenter");
    CControlUI* child = AddChild(tile, 0, 0);
    child->SetMaxWidth(40);
    child->SetMaxHeight(20);
    tile.SetPosition(CUIRect(0, 0, 80, 60));
    EXPECT_EQ(child->GetPosition(), CUIRect(20, 20, 60, 40));
}

TEST(TileLayout, FixedGridRefusesChildrenWhenFull)
{
    CTileLayoutUI tile;
    tile.SetFixedColumns(2);
    tile.SetFixedRows(1);
    AddChild(tile, 0, 0);
    AddChild(tile, 0, 0);
    auto* extra = new CControlUI;
    EXPECT_FALSE(tile.Add(extra));
    EXPECT_FALSE(tile.AddAt(extra, 0));
    EXPECT_EQ(tile.GetCount(), 2);
    delete extra;

    tile.SetFixedColumns(-1);
    EXPECT_EQ(tile.GetFixedColumns(), 2);
    tile.SetChildVPadding(-3);
    EXPECT_EQ(tile.GetChildVPadding(), 0);
}

// ---------------------------------------------------------------------------------------------
// Tab layout
// ---------------------------------------------------------------------------------------------

TEST(TabLayout, FirstVisibleChildIsSelectedAndOthersHidden)
{
    CTabLayoutUI tab;
    CControlUI* pages[3];
    for (CControlUI*& page : pages) {
        page = AddChild(tab, 0, 0);
    }
    EXPECT_EQ(tab.GetCurSel(), 0);
    EXPECT_TRUE(pages[0]->IsVisible());
    EXPECT_FALSE(pages[1]->IsVisible());
    EXPECT_FALSE(pages[2]->IsVisible());

    tab.SetInset(CUIRect(1, 2, 3, 4));
    pages[0]->SetPadding(CUIRect(1, 1, 1, 1));
    tab.SetPosition(CUIRect(0, 0, 100, 50));
    EXPECT_EQ(pages[0]->GetPosition(), CUIRect(2, 3, 96, 45));
}

TEST(TabLayout, InsertionBeforeTheSelectionKeepsThePage)
{
    CTabLayoutUI tab;
    AddChild(tab, 0, 0);
    CControlUI* second = AddChild(tab, 0, 0);
    ASSERT_TRUE(tab.SelectItem(1, false));
    EXPECT_TRUE(second->IsVisible());

    auto* before = new CControlUI;
    ASSERT_TRUE(tab.AddAt(before, 0));
    EXPECT_EQ(tab.GetCurSel(), 2);
    EXPECT_EQ(tab.GetItemAt(tab.GetCurSel()), second);

    auto* after = new CControlUI;
    ASSERT_TRUE(tab.AddAt(after, 3));
    EXPECT_EQ(tab.GetCurSel(), 2);
    EXPECT_FALSE(after->IsVisible());
}

TEST(TabLayout, RemovingTheSelectionSelectsTheFirstPage)
{
    CTabLayoutUI tab;
    CControlUI* pages[3];
    for (CControlUI*& page : pages) {
        page = AddChild(tab, 0, 0);
    }
    ASSERT_TRUE(tab.SelectItem(2, false));
    ASSERT_TRUE(tab.Remove(pages[2]));
    EXPECT_EQ(tab.GetCurSel(), 0);
    EXPECT_TRUE(pages[0]->IsVisible());

    ASSERT_TRUE(tab.SelectItem(pages[1], false));
    ASSERT_TRUE(tab.Remove(pages[0]));
    EXPECT_EQ(tab.GetCurSel(), 0);
    EXPECT_EQ(tab.GetItemAt(0), pages[1]);

    ASSERT_TRUE(tab.Remove(pages[1]));
    EXPECT_EQ(tab.GetCurSel(), -1);
}

TEST(TabLayout, SelectItemChecksTheIndex)
{
    CTabLayoutUI tab;
    tab.SetAttribute(u"selectedid", u"1");
    EXPECT_EQ(tab.GetCurSel(), -1);
    ASSERT_NE(tab.GetCustomAttribute(u"selectedid"), nullptr);

    CControlUI* a = AddChild(tab, 0, 0);
    CControlUI* b = AddChild(tab, 0, 0);
    EXPECT_FALSE(tab.SelectItem(2, false));
    EXPECT_FALSE(tab.SelectItem(-1, false));
    CControlUI stranger;
    EXPECT_FALSE(tab.SelectItem(&stranger, false));
    EXPECT_TRUE(tab.SelectItem(0, false));
    tab.SetAttribute(u"selectedid", u"1");
    EXPECT_EQ(tab.GetCurSel(), 1);
    EXPECT_FALSE(a->IsVisible());
    EXPECT_TRUE(b->IsVisible());

    tab.RemoveAll();
    EXPECT_EQ(tab.GetCurSel(), -1);
}

namespace {

class CNotifyLog : public INotifyUI
{
public:
    // Only "tabselect": focus changes notify too.
    void Notify(TNotifyMsg& msg) override
    {
        if (msg.type == u"tabselect") {
            messages.push_back(msg);
        }
    }
    std::vector<TNotifyMsg> messages;
};

} // namespace

TEST(TabLayout, SelectItemNotifiesTabselectWithNewAndOldIndex)
{
    CWindowManagerUI manager;
    CNotifyLog log;
    manager.AddNotifyListener(&log);
    auto* tab = new CTabLayoutUI;
    AddChild(*tab, 0, 0);
    AddChild(*tab, 0, 0);
    AddChild(*tab, 0, 0);
    ASSERT_TRUE(manager.AttachRoot(tab));
    ASSERT_TRUE(tab->SelectItem(2, true));
    ASSERT_TRUE(tab->SelectItem(2, true));
    ASSERT_TRUE(tab->SelectItem(1, false));
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_EQ(log.messages[0].type, u"tabselect");
    EXPECT_EQ(log.messages[0].sender, tab);
    EXPECT_EQ(log.messages[0].wParam, 2u);
    EXPECT_EQ(log.messages[0].lParam, 0);
}

// ---------------------------------------------------------------------------------------------
// Separators
// ---------------------------------------------------------------------------------------------

class SeparatorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_panel = new CVerticalLayoutUI;
        m_panel->SetAttribute(u"sepheight", u"4");
        m_panel->SetFixedHeight(100);
        m_panel->SetMinHeight(50);
        m_parent.Add(m_panel);
        m_rest = AddChild(m_parent, 0, 0);
        m_parent.SetPosition(CUIRect(0, 0, 200, 300));
    }

    void Drag(int fromY, int toY)
    {
        TUIEvent down = MakeEvent(EVT_BUTTON_DOWN, 10, fromY);
        m_panel->Event(down);
        TUIEvent move = MakeEvent(EVT_MOUSE_MOVE, 10, toY);
        m_panel->Event(move);
    }

    CVerticalLayoutUI m_parent;
    CVerticalLayoutUI* m_panel = nullptr;
    CControlUI* m_rest = nullptr;
};

TEST_F(SeparatorTest, ThumbLiesAlongTheEdgeAndSetsTheCursorFlag)
{
    EXPECT_EQ(m_panel->GetThumbRect(false), CUIRect(0, 96, 200, 100));
    EXPECT_EQ(m_panel->GetControlFlags(), CF_SETCURSOR);
    m_panel->SetSepSize(-6);
    EXPECT_EQ(m_panel->GetThumbRect(false), CUIRect(0, 0, 200, 6));
    m_panel->SetSepSize(0);
    EXPECT_EQ(m_panel->GetControlFlags(), 0u);

    CHorizontalLayoutUI row;
    row.SetAttribute(u"sepwidth", u"-3");
    row.SetPosition(CUIRect(10, 0, 50, 20));
    EXPECT_EQ(row.GetThumbRect(false), CUIRect(10, 0, 13, 20));
}

TEST_F(SeparatorTest, DeferredDragStopsAtTheMinimumAndRelaysOutOnRelease)
{
    Drag(98, 28);
    EXPECT_TRUE(m_panel->IsSepDragging());
    // Only the feedback moves; the layout keeps its rectangle until the release.
    EXPECT_EQ(m_panel->GetHeight(), 100);
    EXPECT_EQ(m_panel->GetThumbRect(true), CUIRect(0, 46, 200, 50));
    EXPECT_EQ(m_panel->GetFixedHeight(), 50);

    // Further up: already at the minimum, ignored.
    TUIEvent more = MakeEvent(EVT_MOUSE_MOVE, 10, 10);
    m_panel->Event(more);
    EXPECT_EQ(m_panel->GetFixedHeight(), 50);

    TUIEvent up = MakeEvent(EVT_BUTTON_UP, 10, 10);
    m_panel->Event(up);
    EXPECT_FALSE(m_panel->IsSepDragging());
    EXPECT_EQ(m_panel->GetHeight(), 50);
    m_parent.SetPosition(m_parent.GetPosition());
    EXPECT_EQ(m_rest->GetPosition(), CUIRect(0, 50, 200, 300));
}

TEST_F(SeparatorTest, DeferredDragPaintsTheFeedbackBarAtTheDragPosition)
{
    platform::Surface surface = platform::Surface::Create(200, 300);
    surface.Clear(0xFFFFFFFF);
    Drag(98, 58);
    {
        platform::DeviceContext dc(surface);
        m_panel->PostPaint(&dc, CUIRect(0, 0, 200, 300));
    }
    // 0xAA000000 over white: 0x55 left of each channel.
    EXPECT_EQ(surface.GetPixel(100, 57), 0xFF555555u);
    EXPECT_EQ(surface.GetPixel(100, 53), 0xFFFFFFFFu);
    EXPECT_EQ(surface.GetPixel(100, 98), 0xFFFFFFFFu);

    m_panel->SetSepImmediate(true);
    surface.Clear(0xFFFFFFFF);
    {
        platform::DeviceContext dc(surface);
        m_panel->PostPaint(&dc, CUIRect(0, 0, 200, 300));
    }
    EXPECT_EQ(surface.GetPixel(100, 57), 0xFFFFFFFFu);
}

TEST_F(SeparatorTest, SetCursorInTheThumbShowsTheSizingCursor)
{
    auto backend = std::make_unique<platform::HeadlessBackend>();
    platform::HeadlessBackend* headless = backend.get();
    platform::WindowSystem::Install(std::move(backend));
    TUIEvent inside = MakeEvent(EVT_SET_CURSOR, 10, 97);
    m_panel->Event(inside);
    EXPECT_EQ(headless->CursorShape(), IDC_SIZENS);

    CHorizontalLayoutUI row;
    row.SetAttribute(u"sepwidth", u"4");
    row.SetPosition(CUIRect(0, 0, 50, 20));
    TUIEvent rowEvent = MakeEvent(EVT_SET_CURSOR, 48, 5);
    row.Event(rowEvent);
    EXPECT_EQ(headless->CursorShape(), IDC_SIZEWE);
    platform::WindowSystem::Shutdown();
}

TEST_F(SeparatorTest, ImmediateDragResizesWhileMoving)
{
    m_panel->SetAttribute(u"sepimm", u"true");
    Drag(98, 128);
    EXPECT_EQ(m_panel->GetHeight(), 130);
    EXPECT_EQ(m_panel->GetFixedHeight(), 130);
    TUIEvent up = MakeEvent(EVT_BUTTON_UP, 10, 128);
    m_panel->Event(up);
    m_parent.SetPosition(m_parent.GetPosition());
    EXPECT_EQ(m_rest->GetY(), 130);
}

TEST_F(SeparatorTest, PressOutsideTheThumbOrOnADisabledLayoutDoesNotDrag)
{
    Drag(50, 20);
    EXPECT_FALSE(m_panel->IsSepDragging());
    EXPECT_EQ(m_panel->GetFixedHeight(), 100);

    m_panel->SetEnabled(false);
    Drag(98, 60);
    EXPECT_FALSE(m_panel->IsSepDragging());
}

TEST_F(SeparatorTest, MovesOnTheWrongSideOfTheEdgeAreIgnored)
{
    TUIEvent down = MakeEvent(EVT_BUTTON_DOWN, 10, 98);
    m_panel->Event(down);
    // The edge follows the pointer by its steps and stops at the minimum.
    TUIEvent up1 = MakeEvent(EVT_MOUSE_MOVE, 10, 60);
    m_panel->Event(up1);
    EXPECT_EQ(m_panel->GetFixedHeight(), 62); // the edge moves by the pointer's step (-38)
    TUIEvent down1 = MakeEvent(EVT_MOUSE_MOVE, 10, 40);
    m_panel->Event(down1);
    TUIEvent back = MakeEvent(EVT_MOUSE_MOVE, 10, 45);
    m_panel->Event(back);
    // 40 is below the minimum: stopped at 50; the move back to 45 lies above the thumb (46..50).
    EXPECT_EQ(m_panel->GetFixedHeight(), 50);
}

} // namespace ui
