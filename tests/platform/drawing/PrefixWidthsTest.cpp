// Prefix widths from one shaping, and the per-thread cache of shaped strings that measuring and
// drawing share: widths must agree with measuring each prefix on its own, and a kept shaping must
// never stand in for a different font or string.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "platform/DeviceContext.h"
#include "platform/Font.h"
#include "tests/platform/drawing/DrawingTestUtil.h"

using namespace platform;

namespace {

// Kerning may move a letter by a pixel or two when the next one follows it, so a prefix measured
// within the whole string may be that much narrower than measured alone; `slack` allows it.
void ExpectEveryPrefixMeasuresAlike(const Font& font, const std::u16string& text, int slack = 0)
{
    const std::vector<int> widths = font.PrefixWidths(text.data(), static_cast<int>(text.size()));
    ASSERT_EQ(widths.size(), text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        // A prefix that ends inside a group of characters shaped together gets the group's end.
        std::size_t end = i + 1;
        while (end < text.size() &&
               ((text[end] >= 0xDC00 && text[end] <= 0xDFFF) || (text[end] >= 0x0300 && text[end] <= 0x036F)))
            ++end;
        const int alone = font.Measure(text.data(), static_cast<int>(end)).width;
        EXPECT_LE(widths[i], alone) << "prefix of " << i + 1 << " units";
        EXPECT_GE(widths[i], alone - slack) << "prefix of " << i + 1 << " units";
        if (i > 0) {
            EXPECT_GE(widths[i], widths[i - 1]) << "at " << i;
        }
    }
}

TEST(PrefixWidthsTest, EveryPrefixIsAsWideAsMeasuringItAlone)
{
    // Letters that do not kern: exact.
    ExpectEveryPrefixMeasuresAlike(Font::DefaultGui(), u"mono minimum 1234 noon");
    ExpectEveryPrefixMeasuresAlike(Font::Create({u"Sans", 17, true, true}), u"humming moon");
    ExpectEveryPrefixMeasuresAlike(Font::DefaultGui(), u"Removing Tarvion VPN, step 2 of 3: shortcuts...", 2);
    const std::u16string text = u"Removing Tarvion VPN";
    EXPECT_EQ(Font::DefaultGui().PrefixWidths(text.data(), static_cast<int>(text.size())).back(),
              Font::DefaultGui().Measure(text.data(), static_cast<int>(text.size())).width);
}

TEST(PrefixWidthsTest, CombiningMarksAndSurrogatePairsTakeTheirGroupsEnd)
{
    const Font font = Font::Create({u"Sans", 16});
    // "e" + combining acute, "u" + combining diaeresis, a character outside the BMP, then "b".
    const std::u16string text = u"xe\u0301u\u0308\U0001F600b";
    ExpectEveryPrefixMeasuresAlike(font, text);
    const std::vector<int> widths = font.PrefixWidths(text.data(), static_cast<int>(text.size()));
    EXPECT_EQ(widths[1], widths[2]); // the base letter already carries its mark
    EXPECT_EQ(widths[3], widths[4]);
    EXPECT_EQ(widths[5], widths[6]); // both halves of the pair
    EXPECT_GT(widths[5], widths[4]);
    EXPECT_EQ(widths.back(), font.Measure(text.data(), static_cast<int>(text.size())).width);
}

TEST(PrefixWidthsTest, RightToLeftTextAddsUpInReadingOrder)
{
    const Font font = Font::Create({u"Sans", 16});
    const std::u16string text = u"\u05E9\u05DC\u05D5\u05DD abc";
    const std::vector<int> widths = font.PrefixWidths(text.data(), static_cast<int>(text.size()));
    ASSERT_EQ(widths.size(), text.size());
    for (std::size_t i = 1; i < widths.size(); ++i)
        EXPECT_GT(widths[i], widths[i - 1]) << "at " << i;
    EXPECT_EQ(widths[3], font.Measure(text.data(), 4).width);
    EXPECT_EQ(widths.back(), font.Measure(text.data(), static_cast<int>(text.size())).width);
}

TEST(PrefixWidthsTest, OddInputGivesZerosNotACrash)
{
    const Font font = Font::DefaultGui();
    EXPECT_TRUE(font.PrefixWidths(u"abc", 0).empty());
    EXPECT_TRUE(font.PrefixWidths(u"abc", -4).empty());
    EXPECT_EQ(font.PrefixWidths(nullptr, 3), std::vector<int>(3, 0));
    EXPECT_EQ(Font().PrefixWidths(u"abc", 3), std::vector<int>(3, 0));
    // A lone surrogate and a NUL are shown as characters of their own, as Measure shows them.
    const char16_t broken[] = {u'a', 0xDC00, u'b', 0, u'c'};
    const std::vector<int> widths = font.PrefixWidths(broken, 5);
    EXPECT_GT(widths[1], widths[0]);
    EXPECT_GT(widths[3], widths[2]);
    EXPECT_EQ(widths[4], font.Measure(broken, 5).width);
}

TEST(ShapedTextCacheTest, AnotherFontOrStringNeverGetsAKeptShaping)
{
    const std::u16string text = u"Uninstalling";
    const Font small = Font::Create({u"Sans", 10});
    const int smallWidth = small.Measure(text.data(), static_cast<int>(text.size())).width;
    // The same text in a font with the same description but another handle, a larger one and a
    // bold one: each is shaped in its own font.
    EXPECT_EQ(Font::Create({u"Sans", 10}).Measure(text.data(), static_cast<int>(text.size())).width, smallWidth);
    const Font large = Font::Create({u"Sans", 30});
    EXPECT_GT(large.Measure(text.data(), static_cast<int>(text.size())).width, 2 * smallWidth);
    const Font bold = Font::Create({u"Sans", 10, true});
    EXPECT_GT(bold.Measure(text.data(), static_cast<int>(text.size())).width, smallWidth);
    EXPECT_EQ(small.Measure(text.data(), static_cast<int>(text.size())).width, smallWidth);
    // A string that is a prefix of a kept one is not the kept one.
    EXPECT_LT(small.Measure(text.data(), 4).width, smallWidth);
}

TEST(ShapedTextCacheTest, WidthsStayRightAfterEvictionForLongStringsAndOnOtherThreads)
{
    const Font font = Font::DefaultGui();
    const std::u16string first = u"first string";
    const int width = font.Measure(first.data(), static_cast<int>(first.size())).width;
    // Far more distinct strings than any cache keeps push the first one out.
    int previous = 0;
    for (int i = 1; i <= 300; ++i) {
        const std::u16string s(static_cast<std::size_t>(i), u'm');
        const int w = font.Measure(s.data(), i).width;
        EXPECT_GT(w, previous);
        previous = w;
    }
    EXPECT_EQ(font.Measure(first.data(), static_cast<int>(first.size())).width, width);
    int other = 0;
    std::thread([&] { other = font.Measure(first.data(), static_cast<int>(first.size())).width; }).join();
    EXPECT_EQ(other, width);
}

TEST(ShapedTextCacheTest, DrawingAfterMeasuringUsesTheSelectedFont)
{
    // The same string drawn in two fonts one after the other: the second drawing must not reuse
    // the first font's shaping.
    const Font small = Font::Create({u"Sans", 10});
    const Font large = Font::Create({u"Sans", 28});
    const char16_t* text = u"Tarvion";
    auto inkWidth = [&](const Font& font) {
        Surface s = Surface::Create(300, 60);
        s.Clear(0xFFFFFFFF);
        DeviceContext dc(s);
        dc.SelectFont(font);
        dc.SetTextColor(0xFF000000);
        font.Measure(text, 7);
        Rect r{0, 0, 300, 60};
        dc.DrawText(text, 7, r, DT_SINGLELINE | DT_NOPREFIX);
        int left = 300, right = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 300; ++x)
                if (s.GetPixel(x, y) != 0xFFFFFFFF) {
                    left = std::min(left, x);
                    right = std::max(right, x + 1);
                }
        return right - left;
    };
    const int smallInk = inkWidth(small);
    const int largeInk = inkWidth(large);
    EXPECT_GT(smallInk, 0);
    EXPECT_GT(largeInk, 2 * smallInk);
    EXPECT_EQ(inkWidth(small), smallInk);
}

} // namespace

namespace {

// "mmm" drawn in `font` after `flood` has shaped enough strings to fill the cache on its own.
std::vector<std::uint32_t> DrawnAfterFlooding(const Font& font, const Font& flood)
{
    for (int i = 0; i < 200; ++i) {
        const std::u16string s = u"filler " + std::u16string(static_cast<std::size_t>(i % 50 + 1), u'x') +
                                 std::u16string(static_cast<std::size_t>(i / 50 + 1), u'y');
        flood.Measure(s.data(), static_cast<int>(s.size()));
    }
    Surface s = Surface::Create(60, 30);
    s.Clear(0xFFFFFFFF);
    DeviceContext dc(s);
    dc.SelectFont(font);
    dc.SetTextColor(0xFF000000);
    Rect r{0, 0, 60, 30};
    dc.DrawText(u"mmm", 3, r, DT_SINGLELINE | DT_NOPREFIX);
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 60; ++x)
            pixels.push_back(s.GetPixel(x, y));
    return pixels;
}

} // namespace

TEST(ShapedTextCacheTest, AReusedShapingLosesTheUnderlineOfItsFormerFont)
{
    const Font plain = Font::Create({u"Sans", 14});
    const Font underlined = Font::Create({u"Sans", 14, false, false, true});
    const Font struck = Font::Create({u"Sans", 14, false, false, false, true});
    const std::vector<std::uint32_t> clean = DrawnAfterFlooding(plain, plain);
    EXPECT_EQ(DrawnAfterFlooding(plain, underlined), clean) << "no underline left from a reused shaping";
    EXPECT_EQ(DrawnAfterFlooding(plain, struck), clean) << "no strikeout left from a reused shaping";
    EXPECT_NE(DrawnAfterFlooding(underlined, plain), clean) << "an underlined font still draws its underline";
}
