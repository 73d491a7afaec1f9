// Rectangle, point and size values and their text forms.
#include "ui/core/UIRect.h"

#include <gtest/gtest.h>

using ui::CUIPoint;
using ui::CUIRect;
using ui::CUISize;

TEST(UIRect, JoinKeepsEmptyOperandsWhileUnionIgnoresThem)
{
    CUIRect join(0, 0, 0, 0);
    join.Join(CUIRect(10, 10, 20, 20));
    EXPECT_EQ(join, CUIRect(0, 0, 20, 20));

    CUIRect uni(0, 0, 0, 0);
    uni.Union(CUIRect(10, 10, 20, 20));
    EXPECT_EQ(uni, CUIRect(10, 10, 20, 20));

    CUIRect a(10, 10, 20, 20);
    a.Union(CUIRect(5, 5, 5, 50)); // no width: ignored
    EXPECT_EQ(a, CUIRect(10, 10, 20, 20));
    CUIRect both(3, 3, 3, 9);
    both.Union(CUIRect(1, 1, 1, 1));
    EXPECT_TRUE(both.IsNull());
    a.Union(CUIRect(0, 15, 12, 30));
    EXPECT_EQ(a, CUIRect(0, 10, 20, 30));
}

TEST(UIRect, GeometryOperations)
{
    CUIRect rc(30, 40, 10, 20);
    rc.Normalize();
    EXPECT_EQ(rc, CUIRect(10, 20, 30, 40));
    EXPECT_EQ(rc.Width(), 20);
    EXPECT_EQ(rc.Height(), 20);
    rc.Inflate(2, 3);
    EXPECT_EQ(rc, CUIRect(8, 17, 32, 43));
    rc.Deflate(2, 3);
    rc.Offset(-5, 5);
    EXPECT_EQ(rc, CUIRect(5, 25, 25, 45));
    rc.MoveToOrigin();
    EXPECT_EQ(rc, CUIRect(0, 0, 20, 20));
    EXPECT_FALSE(rc.IsNull());
    CUIRect other(10, 10, 40, 40);
    EXPECT_TRUE(other.Intersect(rc));
    EXPECT_EQ(other, CUIRect(10, 10, 20, 20));
    EXPECT_FALSE(other.Intersect(CUIRect(50, 50, 60, 60)));
    EXPECT_TRUE(other.IsNull());
    rc.Clear();
    EXPECT_TRUE(rc.IsNull());
    EXPECT_EQ(CUISize(CUIRect(1, 2, 11, 32)), CUISize(10, 30));
}

TEST(UIRect, PackedPointsAreSignExtended)
{
    EXPECT_EQ(CUIPoint::FromPacked(0x0005000A), CUIPoint(10, 5));
    EXPECT_EQ(CUIPoint::FromPacked(0xFFFEFFFF), CUIPoint(-1, -2));
    EXPECT_EQ(CUIPoint::FromPacked(static_cast<std::intptr_t>(0x7FFF8000)), CUIPoint(-32768, 32767));
}

TEST(UIRect, TextFormsRoundTrip)
{
    EXPECT_EQ(CUIPoint(-3, 7).ToString(), u"-3,7");
    EXPECT_EQ(CUISize(640, 480).ToString(), u"640,480");
    EXPECT_EQ(CUIRect(1, -2, 3, 4).ToString(), u"1,-2,3,4");
    EXPECT_EQ(CUIRect::Parse(u"1,-2,3,4"), CUIRect(1, -2, 3, 4));
    EXPECT_EQ(CUIPoint::Parse(u"-3,7"), CUIPoint(-3, 7));
    EXPECT_EQ(CUISize::Parse(u" 640 , 480"), CUISize(640, 0)); // the separator is exactly one character
    EXPECT_EQ(CUISize::Parse(u"640x480"), CUISize(640, 480));
    EXPECT_EQ(CUIRect::Parse(nullptr), CUIRect());
    EXPECT_EQ(CUIRect::Parse(u""), CUIRect());
    // A short text leaves the remaining values 0 and never reads past its terminator.
    EXPECT_EQ(CUIRect::Parse(u"5"), CUIRect(5, 0, 0, 0));
    EXPECT_EQ(CUIRect::Parse(u"5,6,"), CUIRect(5, 6, 0, 0));
    EXPECT_EQ(CUIPoint::Parse(u"99999999999,-99999999999"), CUIPoint(2147483647, -2147483647 - 1));
}
