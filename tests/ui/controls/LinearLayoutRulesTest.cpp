// The places where the horizontal layout is not the vertical one transposed: each case lays out a
// row and the matching column, so that a rule applied to the wrong axis (or dropped) shows.
#include "ui/controls/HorizontalLayout.h"
#include "ui/controls/ScrollBar.h"
#include "ui/controls/VerticalLayout.h"

#include <gtest/gtest.h>

namespace ui {

namespace {

// Measures a fixed size whatever it is offered, like a label measuring its text.
class CTextLikeUI : public CControlUI
{
public:
    CTextLikeUI(int cx, int cy) : m_measured(cx, cy) {}
    CUISize MeasureSize(CUISize) override { return m_measured; }

private:
    CUISize m_measured;
};

} // namespace

TEST(LinearLayoutRules, ACentredChildKeepsItsPaddingOffsetInARowButNotInAColumn)
{
    CHorizontalLayoutUI row;
    row.SetAttribute(u"childvalign", u"vcenter");
    auto* inRow = new CControlUI;
    inRow->SetFixedWidth(20);
    inRow->SetFixedHeight(10);
    inRow->SetPadding(CUIRect(3, 8, 0, 2));
    row.Add(inRow);
    row.SetPosition(CUIRect(0, 0, 100, 51));
    // Centre 25, height 10: 20..30, moved down by top minus bottom padding (6).
    EXPECT_EQ(inRow->GetPosition(), CUIRect(3, 26, 23, 36));

    CVerticalLayoutUI column;
    column.SetAttribute(u"childalign", u"center");
    auto* inColumn = new CControlUI;
    inColumn->SetFixedWidth(10);
    inColumn->SetFixedHeight(20);
    inColumn->SetPadding(CUIRect(8, 3, 2, 0));
    column.Add(inColumn);
    column.SetPosition(CUIRect(0, 0, 51, 100));
    EXPECT_EQ(inColumn->GetPosition(), CUIRect(20, 3, 30, 23));
}

TEST(LinearLayoutRules, AnUnfixedChildThatMeasuresItselfStretchesInARowOnly)
{
    CHorizontalLayoutUI row;
    auto* inRow = new CTextLikeUI(25, 12);
    row.Add(inRow);
    row.SetPosition(CUIRect(0, 0, 100, 30));
    EXPECT_EQ(inRow->GetWidth(), 100);

    CVerticalLayoutUI column;
    auto* inColumn = new CTextLikeUI(12, 25);
    column.Add(inColumn);
    column.SetPosition(CUIRect(0, 0, 30, 100));
    EXPECT_EQ(inColumn->GetHeight(), 25);
}

TEST(LinearLayoutRules, ARowNeedsTheFixedHeightOfAnUnfixedChildNotItsMeasuredOne)
{
    // The row's child measures 80 high in a 50 high row; the row needs only its fixed height (0),
    // so no vertical bar appears.
    CHorizontalLayoutUI row;
    row.EnableScrollBar(true, false);
    row.Add(new CTextLikeUI(10, 80));
    row.SetPosition(CUIRect(0, 0, 100, 50));
    ASSERT_NE(row.GetVerticalScrollBar(), nullptr);
    EXPECT_FALSE(row.GetVerticalScrollBar()->IsVisible());

    // The column counts what its child measures across: 80 wide in 50 shows the horizontal bar.
    CVerticalLayoutUI column;
    column.EnableScrollBar(false, true);
    column.Add(new CTextLikeUI(80, 10));
    column.SetPosition(CUIRect(0, 0, 50, 100));
    ASSERT_NE(column.GetHorizontalScrollBar(), nullptr);
    EXPECT_TRUE(column.GetHorizontalScrollBar()->IsVisible());
    EXPECT_EQ(column.GetHorizontalScrollBar()->GetScrollRange(), 30);
}

TEST(LinearLayoutRules, AColumnsSeparatorStaysInsideTheLayoutARowsDoesNot)
{
    CVerticalLayoutUI column;
    column.SetSepSize(10);
    column.SetPosition(CUIRect(0, 0, 200, 3));
    EXPECT_EQ(column.GetThumbRect(false), CUIRect(0, 0, 200, 3));
    column.SetSepSize(-10);
    EXPECT_EQ(column.GetThumbRect(false), CUIRect(0, 0, 200, 3));

    CHorizontalLayoutUI row;
    row.SetSepSize(10);
    row.SetPosition(CUIRect(0, 0, 3, 20));
    EXPECT_EQ(row.GetThumbRect(false), CUIRect(-7, 0, 3, 20));
    row.SetSepSize(-10);
    EXPECT_EQ(row.GetThumbRect(false), CUIRect(0, 0, 10, 20));
}

} // namespace ui
