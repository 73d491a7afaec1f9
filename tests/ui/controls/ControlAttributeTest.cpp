// The control base's attribute table, custom attributes and the attribute-list reader.
#include "ControlTestSupport.h"

using namespace ui;

TEST(ControlAttributes, PosGivesOffsetAndFixedSizeWithoutTouchingThePosition)
{
    CControlUI c;
    c.SetAttribute(u"pos", u"10,20,110,60");
    EXPECT_EQ(c.GetFloatOffset(), CUIPoint(10, 20));
    EXPECT_EQ(c.GetFixedWidth(), 100);
    EXPECT_EQ(c.GetFixedHeight(), 40);
    EXPECT_EQ(c.GetPosition(), CUIRect());
    EXPECT_FALSE(c.IsFloat());
}

TEST(ControlAttributes, ColoursInBackgroundAndBorderForms)
{
    CControlUI c;
    c.SetAttribute(u"bkcolor", u"#FF00FF00");
    EXPECT_EQ(c.GetBackColor(), 0xFF00FF00u);
    c.SetAttribute(u"bkcolor1", u"#00FF00");
    EXPECT_EQ(c.GetBackColor(), 0x0000FF00u);
    c.SetAttribute(u"bkcolor2", u" #FF112233");
    EXPECT_EQ(c.GetBackColor2(), 0xFF112233u);
    c.SetAttribute(u"bkcolor3", u"FF445566");
    EXPECT_EQ(c.GetBackColor3(), 0xFF445566u);
    c.SetAttribute(u"bordercolor", u" #FF00FF00");
    EXPECT_EQ(c.GetBorderColor(), 0u);
    c.SetAttribute(u"focusbordercolor", u"#FFABCDEF");
    EXPECT_EQ(c.GetFocusBorderColor(), 0xFFABCDEFu);
}

TEST(ControlAttributes, BorderSizeTakesOneOrFourNumbers)
{
    CControlUI c;
    c.SetAttribute(u"bordersize", u"2");
    EXPECT_EQ(c.GetBorderSize(), CUIRect(2, 2, 2, 2));
    c.SetAttribute(u"bordersize", u"1,2,3,4");
    EXPECT_EQ(c.GetBorderSize(), CUIRect(1, 2, 3, 4));
    c.SetAttribute(u"borderround", u"6,8");
    EXPECT_EQ(c.GetBorderRound(), CUISize(6, 8));
    c.SetAttribute(u"borderstyle", u"2");
    EXPECT_EQ(c.GetBorderStyle(), 2);
}

TEST(ControlAttributes, SizeLimitsIgnoreNegativeValuesAndMaxNeverFallsBelowMin)
{
    CControlUI c;
    c.SetAttribute(u"width", u"-5");
    EXPECT_EQ(c.GetFixedWidth(), 0);
    c.SetAttribute(u"height", u"30");
    EXPECT_EQ(c.GetFixedHeight(), 30);
    c.SetAttribute(u"maxwidth", u"50");
    c.SetAttribute(u"minwidth", u"80");
    EXPECT_EQ(c.GetMaxWidth(), 80);
    c.SetAttribute(u"minheight", u"-1");
    EXPECT_EQ(c.GetMinHeight(), 0);
    EXPECT_EQ(c.GetMaxHeight(), 9999);
    c.SetAttribute(u"maxheight", u"40");
    EXPECT_EQ(c.GetMaxHeight(), 40);
}

TEST(ControlAttributes, FloatTakesABooleanOrFourAnchors)
{
    CControlUI c;
    c.SetAttribute(u"float", u"true");
    EXPECT_TRUE(c.IsFloat());
    double l, t, r, b;
    c.GetFloatAnchors(l, t, r, b);
    EXPECT_EQ(l + t + r + b, 0.0);

    CControlUI d;
    d.SetAttribute(u"float", u"0.5,0,0.5,0");
    EXPECT_TRUE(d.IsFloat());
    d.GetFloatAnchors(l, t, r, b);
    EXPECT_DOUBLE_EQ(l, 0.5);
    EXPECT_DOUBLE_EQ(t, 0.0);
    EXPECT_DOUBLE_EQ(r, 0.5);
    d.SetAttribute(u"float", u"false");
    EXPECT_FALSE(d.IsFloat());
}

TEST(ControlAttributes, TextsFlagsAndShortcut)
{
    CControlUI c;
    c.SetAttribute(u"tooltip", u"a<n>b");
    EXPECT_EQ(c.GetToolTip(), u"a\r\nb");
    c.SetAttribute(u"text", u"hello");
    EXPECT_EQ(c.GetText(), u"hello");
    c.SetAttribute(u"userdata", u"data");
    EXPECT_EQ(c.GetUserData(), u"data");
    c.SetAttribute(u"tag", u"77");
    EXPECT_EQ(c.GetTag(), 77u);
    c.SetAttribute(u"shortcut", u"Qx");
    EXPECT_EQ(c.GetShortcut(), u'Q');
    c.SetAttribute(u"menu", u"true");
    EXPECT_TRUE(c.IsContextMenuEnabled());
    c.SetAttribute(u"mouse", u"false");
    EXPECT_FALSE(c.IsMouseEnabled());
    c.SetAttribute(u"keyboard", u"TRUE");
    EXPECT_FALSE(c.IsKeyboardEnabled());
    c.SetAttribute(u"enabled", u"false");
    EXPECT_FALSE(c.IsEnabled());
    c.SetAttribute(u"visible", u"false");
    EXPECT_FALSE(c.IsVisible());
    c.SetAttribute(u"name", u"n1");
    EXPECT_EQ(c.GetName(), u"n1");
    c.SetAttribute(u"virtualwnd", u"vw");
    EXPECT_EQ(c.GetVirtualWindow(), u"vw");
}

TEST(ControlAttributes, SeldomSetValuesReadEmptyUntilGivenAndEachKeepsItsOwn)
{
    CControlUI parent;
    parent.SetVirtualWindow(u"outer");
    CControlUI c;
    c.SetManager(nullptr, &parent, false);
    EXPECT_TRUE(c.GetToolTip().IsEmpty());
    EXPECT_TRUE(c.GetUserData().IsEmpty());
    EXPECT_EQ(c.GetVirtualWindow(), u"outer");
    EXPECT_EQ(c.GetBackImage()[0], 0);
    EXPECT_EQ(c.GetForeImage()[0], 0);
    EXPECT_EQ(c.GetCustomAttribute(u"k"), nullptr);
    EXPECT_FALSE(c.RemoveCustomAttribute(u"k"));
    c.RemoveAllCustomAttributes();

    // Clearing what was never set leaves everything empty.
    c.SetToolTip(u"");
    c.SetUserData(nullptr);
    c.SetVirtualWindow(u"");
    c.SetForeImage(nullptr);
    EXPECT_TRUE(c.GetToolTip().IsEmpty());
    EXPECT_EQ(c.GetVirtualWindow(), u"outer");

    c.SetToolTip(u"tip");
    EXPECT_TRUE(c.GetUserData().IsEmpty());
    EXPECT_EQ(c.GetVirtualWindow(), u"outer");
    EXPECT_EQ(c.GetCustomAttribute(u"k"), nullptr);
    c.SetUserData(u"data");
    c.SetVirtualWindow(u"inner");
    c.SetForeImage(u"fore.png");
    c.SetCustomAttribute(u"k", u"v");
    EXPECT_EQ(c.GetToolTip(), u"tip");
    EXPECT_EQ(c.GetUserData(), u"data");
    EXPECT_EQ(c.GetVirtualWindow(), u"inner");
    EXPECT_EQ(CUIString(c.GetForeImage()), u"fore.png");
    EXPECT_EQ(c.GetBackImage()[0], 0);
    ASSERT_NE(c.GetCustomAttribute(u"k"), nullptr);

    c.SetToolTip(nullptr);
    c.SetVirtualWindow(u"");
    EXPECT_TRUE(c.GetToolTip().IsEmpty());
    EXPECT_EQ(c.GetVirtualWindow(), u"outer");
    EXPECT_EQ(c.GetUserData(), u"data");
}

TEST(ControlAttributes, AutoSizeNamesAndValuesIgnoreLetterCase)
{
    CControlUI c;
    c.SetAttribute(u"AutoCalWidth", u"True");
    EXPECT_TRUE(c.IsAutoWidth());
    c.SetAttribute(u"autocalheight", u"TRUE");
    EXPECT_TRUE(c.IsAutoHeight());
    // Every other name is exact: this one is a custom attribute.
    c.SetAttribute(u"Width", u"10");
    EXPECT_EQ(c.GetFixedWidth(), 0);
    ASSERT_NE(c.GetCustomAttribute(u"Width"), nullptr);
}

TEST(ControlAttributes, CustomAttributesKeepTheFirstValue)
{
    CControlUI c;
    c.SetAttribute(u"mykey", u"one");
    c.SetAttribute(u"mykey", u"two");
    ASSERT_NE(c.GetCustomAttribute(u"mykey"), nullptr);
    EXPECT_EQ(*c.GetCustomAttribute(u"mykey"), u"one");
    c.SetCustomAttribute(u"empty", u"");
    c.SetCustomAttribute(u"", u"x");
    c.SetCustomAttribute(nullptr, u"x");
    EXPECT_EQ(c.GetCustomAttribute(u"empty"), nullptr);
    EXPECT_EQ(c.GetCustomAttribute(u""), nullptr);
    EXPECT_EQ(c.GetCustomAttribute(nullptr), nullptr);
    EXPECT_TRUE(c.RemoveCustomAttribute(u"mykey"));
    EXPECT_FALSE(c.RemoveCustomAttribute(u"mykey"));
    c.SetCustomAttribute(u"mykey", u"three");
    EXPECT_EQ(*c.GetCustomAttribute(u"mykey"), u"three");
    c.SetCustomAttribute(u"other", u"x");
    c.RemoveAllCustomAttributes();
    EXPECT_EQ(c.GetCustomAttribute(u"mykey"), nullptr);
    EXPECT_EQ(c.GetCustomAttribute(u"other"), nullptr);
}

TEST(ControlAttributes, AttributeListsNeedExactlyOneSpaceBetweenPairs)
{
    CControlUI c;
    c.ApplyAttributeList(u"width=\"10\" height=\"20\"");
    EXPECT_EQ(c.GetFixedWidth(), 10);
    EXPECT_EQ(c.GetFixedHeight(), 20);

    // Two spaces: the second pair's name starts with a space and is unknown.
    CControlUI d;
    d.ApplyAttributeList(u"width=\"10\"  height=\"20\"");
    EXPECT_EQ(d.GetFixedWidth(), 10);
    EXPECT_EQ(d.GetFixedHeight(), 0);
    ASSERT_NE(d.GetCustomAttribute(u" height"), nullptr);
    EXPECT_EQ(*d.GetCustomAttribute(u" height"), u"20");
}

TEST(ControlAttributes, AttributeListsStopAtTheFirstMalformedPair)
{
    CControlUI a;
    a.ApplyAttributeList(u"width=\"10\",height=\"20\"");
    EXPECT_EQ(a.GetFixedWidth(), 10);
    EXPECT_EQ(a.GetFixedHeight(), 0);

    CControlUI b;
    b.ApplyAttributeList(u"width=10 height=\"20\"");
    EXPECT_EQ(b.GetFixedWidth(), 0);
    EXPECT_EQ(b.GetFixedHeight(), 0);

    CControlUI c;
    c.ApplyAttributeList(u"width=\"10\" height=\"20");
    EXPECT_EQ(c.GetFixedWidth(), 10);
    EXPECT_EQ(c.GetFixedHeight(), 0);

    // A value keeps surrogate pairs whole.
    CControlUI d;
    d.ApplyAttributeList(u"text=\"\U0001F600x\"");
    EXPECT_EQ(d.GetText(), u"\U0001F600x");
}

TEST(ControlAttributes, ContainerAttributes)
{
    CContainerUI c;
    c.SetAttribute(u"inset", u"1,2,3,4");
    EXPECT_EQ(c.GetInset(), CUIRect(1, 2, 3, 4));
    c.SetAttribute(u"childpadding", u"-4");
    EXPECT_EQ(c.GetChildPadding(), 0);
    c.SetAttribute(u"childalign", u"center");
    EXPECT_EQ(c.GetChildAlign(), 1);
    c.SetAttribute(u"childalign", u"middle");
    EXPECT_EQ(c.GetChildAlign(), 1);
    c.SetAttribute(u"childvalign", u"bottom");
    EXPECT_EQ(c.GetChildVAlign(), 8);
    c.SetAttribute(u"mousechild", u"false");
    EXPECT_FALSE(c.IsMouseChildEnabled());
    // A style given before its bar exists is ignored.
    c.SetAttribute(u"vscrollbarstyle", u"width=\"20\"");
    c.SetAttribute(u"vscrollbar", u"true");
    ASSERT_NE(c.GetVerticalScrollBar(), nullptr);
    EXPECT_EQ(c.GetVerticalScrollBar()->GetFixedWidth(), 16);
    c.SetAttribute(u"vscrollbarstyle", u"width=\"20\" scrollunit=\"5\"");
    EXPECT_EQ(c.GetVerticalScrollBar()->GetFixedWidth(), 20);
    EXPECT_EQ(c.GetVerticalScrollBar()->GetScrollUnit(), 5);
    c.SetAttribute(u"hscrollbar", u"true");
    ASSERT_NE(c.GetHorizontalScrollBar(), nullptr);
    EXPECT_TRUE(c.GetHorizontalScrollBar()->IsHorizontal());
    EXPECT_EQ(c.GetHorizontalScrollBar()->GetFixedHeight(), 16);
    EXPECT_NE(c.GetVerticalScrollBar(), nullptr);
    c.SetAttribute(u"vscrollbar", u"false");
    EXPECT_EQ(c.GetVerticalScrollBar(), nullptr);
    EXPECT_NE(c.GetHorizontalScrollBar(), nullptr);
    c.SetAttribute(u"bkcolor", u"#FF000000");
    EXPECT_EQ(c.GetBackColor(), 0xFF000000u);
}
