// The value forms of markup attributes (integers, integer lists, colours in both forms, fractions)
// and integers written back as decimal text.
#include "ui/core/ValueParse.h"
#include "ui/core/Decimal.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

using namespace ui;
using namespace ui::markup;

TEST(ValueParse, IntegersReadLikeTheCLibrary)
{
    EXPECT_EQ(ParseInt(u"42"), 42);
    EXPECT_EQ(ParseInt(u"  -17px"), -17);
    EXPECT_EQ(ParseInt(u"+8"), 8);
    EXPECT_EQ(ParseInt(u"abc"), 0);
    EXPECT_EQ(ParseInt(u""), 0);
    EXPECT_EQ(ParseInt(nullptr), 0);
    EXPECT_EQ(ParseInt(u"99999999999"), 2147483647);
    EXPECT_EQ(ParseInt(u"-99999999999"), -2147483647 - 1);
}

TEST(ValueParse, ListsTakeExactlyOneSeparatorBetweenNumbers)
{
    EXPECT_EQ(ParseRect(u"1,2,3,4"), CUIRect(1, 2, 3, 4));
    EXPECT_EQ(ParseRect(u"1 2 3 4"), CUIRect(1, 2, 3, 4));
    // A second separator is read as the start of the next number, which then has no digits.
    EXPECT_EQ(ParseRect(u"1,,2,3"), CUIRect(1, 0, 2, 3));
    // Missing numbers read as 0 and the terminator is never stepped over.
    EXPECT_EQ(ParseRect(u"5"), CUIRect(5, 0, 0, 0));
    EXPECT_EQ(ParseRect(u"5,"), CUIRect(5, 0, 0, 0));
    EXPECT_EQ(ParseRect(u"-20,0,20,30"), CUIRect(-20, 0, 20, 30));
}

TEST(ValueParse, BackgroundColoursSkipBlanksAndAHash)
{
    EXPECT_EQ(ParseColor(u"#FF00FF00"), 0xFF00FF00u);
    EXPECT_EQ(ParseColor(u"#00FF00"), 0x0000FF00u);
    EXPECT_EQ(ParseColor(u" #FF00FF00"), 0xFF00FF00u);
    EXPECT_EQ(ParseColor(u"ff102030"), 0xFF102030u);
    EXPECT_EQ(ParseColor(u"#FF0000zz"), 0x00FF0000u);
    EXPECT_EQ(ParseColor(u"red"), 0u);
    EXPECT_EQ(ParseColor(u"#123456789"), 0xFFFFFFFFu);
}

TEST(ValueParse, BorderColoursSkipAHashOnlyAsTheFirstCharacter)
{
    EXPECT_EQ(ParseBorderColor(u"#FF00FF00"), 0xFF00FF00u);
    EXPECT_EQ(ParseBorderColor(u" #FF00FF00"), 0u);
    EXPECT_EQ(ParseBorderColor(u" FF00FF00"), 0xFF00FF00u);
}

TEST(ValueParse, FractionsAndBooleans)
{
    double v[4];
    ParseDoubleList(u"0.5,0,1,.25", v, 4);
    EXPECT_DOUBLE_EQ(v[0], 0.5);
    EXPECT_DOUBLE_EQ(v[1], 0.0);
    EXPECT_DOUBLE_EQ(v[2], 1.0);
    EXPECT_DOUBLE_EQ(v[3], 0.25);
    EXPECT_DOUBLE_EQ(ParseDouble(u" -1.5e1x"), -15.0);
    EXPECT_TRUE(ParseBool(u"true"));
    EXPECT_FALSE(ParseBool(u"True"));
    EXPECT_FALSE(ParseBool(u"1"));
    EXPECT_TRUE(ParseBoolNoCase(u"TRUE"));
}

TEST(ValueParse, DecimalsAreWrittenAsPrintfWritesThem)
{
    for (const int value : {0, 7, -7, 10, 57, 100, -100, 2147483647, -2147483647 - 1}) {
        char16_t text[kDecimalMaxLength + 1];
        text[kDecimalMaxLength] = u'\0';
        const char16_t* begin = WriteDecimal(value, text + kDecimalMaxLength);
        ASSERT_GE(begin, text) << value;
        char expected[16];
        std::snprintf(expected, sizeof expected, "%d", value);
        EXPECT_EQ(std::u16string(begin), std::u16string(expected, expected + std::strlen(expected))) << value;
    }
}
