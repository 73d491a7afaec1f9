// The one hexadecimal colour reader: the forms the skin's readers use differ only in what may stand
// before the digits and in what more than eight digits give.
#include "ui/core/ValueParse.h"

#include <gtest/gtest.h>

using ui::markup::ParseHexColor;
using ui::markup::THexColorForm;
using Lead = THexColorForm::Lead;

TEST(ColorFormTest, TheFormsDifferExactlyInLeadSpaceAfterHashAndOverflow)
{
    const THexColorForm plain{};
    const THexColorForm background{Lead::Blanks, true, true};
    const THexColorForm tag{Lead::Spaces, false, false};
    const THexColorForm window{Lead::None, true, false};

    // What they all agree on: an optional '#', digits of either case, no alpha added to "#RRGGBB",
    // reading stops at the first non-digit, no digits give 0.
    for (const THexColorForm& form : {plain, background, tag, window}) {
        EXPECT_EQ(ParseHexColor(u"#80FF00aa", form), 0x80FF00AAu);
        EXPECT_EQ(ParseHexColor(u"FF00FF00", form), 0xFF00FF00u);
        EXPECT_EQ(ParseHexColor(u"#00FF00", form), 0x0000FF00u);
        EXPECT_EQ(ParseHexColor(u"#12g4", form), 0x12u);
        EXPECT_EQ(ParseHexColor(u"#", form), 0u);
        EXPECT_EQ(ParseHexColor(nullptr, form), 0u);
    }

    // Before the '#': nothing, blanks up to space (a tab too), or spaces only.
    EXPECT_EQ(ParseHexColor(u" #FF", plain), 0u);
    EXPECT_EQ(ParseHexColor(u"\t #FF", background), 0xFFu);
    EXPECT_EQ(ParseHexColor(u"  #FF", tag), 0xFFu);
    EXPECT_EQ(ParseHexColor(u"\t#FF", tag), 0u);

    // After the '#': white space only where the form allows it.
    EXPECT_EQ(ParseHexColor(u"# FF", window), 0xFFu);
    EXPECT_EQ(ParseHexColor(u"# FF", plain), 0u);

    // More than eight digits: saturated, or the last eight.
    EXPECT_EQ(ParseHexColor(u"123456789", background), 0xFFFFFFFFu);
    EXPECT_EQ(ParseHexColor(u"123456789", plain), 0x23456789u);

    // With an end the text need not be terminated, and nothing past the end is read.
    const char16_t tagText[] = {u' ', u'#', u'F', u'F', u'0', u'0'};
    EXPECT_EQ(ParseHexColor(tagText, tag, tagText + 4), 0xFFu);
}
