// Fonts, metrics, measuring and DrawText's DT_* styles. The tests hold for any sans face that
// fontconfig may pick: they compare text with itself, never with stored glyph pictures.
#include <gtest/gtest.h>

#include <string>

#include "platform/DeviceContext.h"
#include "platform/Font.h"
#include "platform/TextLayout.h"
#include "tests/platform/drawing/DrawingTestUtil.h"

using namespace platform;

namespace {

int Len(const char16_t* s)
{
    return static_cast<int>(std::char_traits<char16_t>::length(s));
}

// The bounding box of every pixel that is not `background`.
Rect InkBounds(const Surface& s, std::uint32_t background)
{
    Rect r{s.Width(), s.Height(), 0, 0};
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x)
            if (s.GetPixel(x, y) != background)
                r = {std::min(r.left, x), std::min(r.top, y), std::max(r.right, x + 1), std::max(r.bottom, y + 1)};
    return r.IsEmpty() ? Rect{} : r;
}

TEST(FontTest, DefaultGuiFontIsASans12PixelFontWithConsistentMetrics)
{
    const Font font = Font::DefaultGui();
    ASSERT_FALSE(font.IsNull());
    EXPECT_EQ(font.GetLogFont().pixelSize, 12);
    EXPECT_FALSE(font.ResolvedFamily().empty());
    const TextMetrics& m = font.Metrics();
    EXPECT_EQ(m.height, m.ascent + m.descent);
    EXPECT_GE(m.height, 12);
    EXPECT_LE(m.height, 20);
    EXPECT_GT(m.descent, 0);
    EXPECT_EQ(m.internalLeading, m.height - 12);
    EXPECT_GE(m.externalLeading, 0);
    EXPECT_GT(m.averageCharWidth, 0);
    EXPECT_GE(m.maxCharWidth, m.averageCharWidth);
    EXPECT_EQ(m.overhang, 0);
}

TEST(FontTest, SizeAndStylesChangeTheFont)
{
    const Font small = Font::Create({u"Sans", 10});
    const Font large = Font::Create({u"Sans", 24});
    const Font bold = Font::Create({u"Sans", 10, true});
    EXPECT_GT(large.Metrics().height, small.Metrics().height);
    const char16_t* text = u"Uninstalling Tarvion";
    EXPECT_GT(large.Measure(text, Len(text)).width, small.Measure(text, Len(text)).width);
    EXPECT_GT(bold.Measure(text, Len(text)).width, small.Measure(text, Len(text)).width);
    // An unknown face still gives a usable font, and defaults fill in missing values.
    const Font fallback = Font::Create({u"No Such Face Anywhere", 0});
    ASSERT_FALSE(fallback.IsNull());
    EXPECT_EQ(fallback.GetLogFont().pixelSize, 12);
    EXPECT_GT(fallback.Measure(text, Len(text)).width, 0);
    // Copies share the font.
    Font copy = bold;
    EXPECT_TRUE(copy == bold);
    EXPECT_FALSE(copy == small);
}

TEST(FontTest, MeasuringAddsUpAndHandlesOddInput)
{
    const Font font = Font::DefaultGui();
    const int one = font.Measure(u"m", 1).width;
    EXPECT_GT(one, 0);
    EXPECT_EQ(font.Measure(u"mmmm", 4).width, 4 * one);
    const Size empty = font.Measure(u"", 0);
    EXPECT_EQ(empty.width, 0);
    EXPECT_EQ(empty.height, font.Metrics().height);
    EXPECT_EQ(font.Measure(nullptr, 5).width, 0);
    // A surrogate pair is one character; a lone surrogate or NUL is shown, not a crash or a cut.
    const char16_t pair[] = {u'a', 0xD83D, 0xDE00};
    EXPECT_GT(font.Measure(pair, 3).width, one / 2);
    const char16_t broken[] = {u'a', 0xDC00, u'b', 0, u'c'};
    EXPECT_GT(font.Measure(broken, 5).width, font.Measure(u"abc", 3).width);
}

TEST(FontTest, CharWidthsAddUpToTheAdvance)
{
    const Font italic = Font::Create({u"Sans", 20, false, true});
    for (char16_t c : {u'f', u'W', u'i', u' '}) {
        const CharWidths w = italic.GetCharWidths(c);
        EXPECT_EQ(w.a + w.b + w.c, italic.Measure(&c, 1).width) << char(c);
    }
    const CharWidths space = italic.GetCharWidths(U' ');
    EXPECT_EQ(space.a, 0);
    EXPECT_EQ(space.c, 0);
}

TEST(TextLayoutTest, CalcRectOfTwoLinesIsTwoLineHeights)
{
    Surface s = Surface::Create(200, 100);
    DeviceContext dc(s);
    const int lineHeight = dc.GetTextMetrics().height;
    Rect rect{10, 20, 200, 100};
    const int height = dc.DrawText(u"first line\nsecond", 17, rect, DT_CALCRECT);
    EXPECT_EQ(height, 2 * lineHeight);
    EXPECT_EQ(rect.top, 20);
    EXPECT_EQ(rect.Height(), 2 * lineHeight);
    EXPECT_EQ(rect.Width(), dc.MeasureString(u"first line", 10).width);
    EXPECT_EQ(InkBounds(s, 0), Rect{}); // nothing drawn

    // Windows line ends count once; a final line break adds no line; empty text has no lines.
    Rect crlf{0, 0, 200, 100};
    EXPECT_EQ(dc.DrawText(u"a\r\nb\r\n", 6, crlf, DT_CALCRECT), 2 * lineHeight);
    Rect blank{0, 0, 200, 100};
    EXPECT_EQ(dc.DrawText(u"a\n\nb", 4, blank, DT_CALCRECT), 3 * lineHeight);
    Rect none{0, 0, 200, 100};
    EXPECT_EQ(dc.DrawText(u"", 0, none, DT_CALCRECT), 0);
    EXPECT_EQ(none.Height(), 0);
    Rect single{0, 0, 200, 100};
    EXPECT_EQ(dc.DrawText(u"", 0, single, DT_CALCRECT | DT_SINGLELINE), lineHeight);
}

TEST(TextLayoutTest, SingleLineIgnoresLineBreaks)
{
    const Font font = Font::DefaultGui();
    const TextLayout layout(font, u"one\ntwo", 7, {0, 0, 300, 50}, DT_SINGLELINE);
    ASSERT_EQ(layout.Lines().size(), 1u);
    EXPECT_EQ(layout.Lines()[0].text, u"onetwo");
}

TEST(TextLayoutTest, EndEllipsisEndsInThreePeriodsInsideTheRectangle)
{
    const Font font = Font::DefaultGui();
    const char16_t* text = u"Removing the Tarvion VPN program files from this computer";
    const Rect rect{5, 0, 105, 20};
    const TextLayout layout(font, text, Len(text), rect, DT_SINGLELINE | DT_END_ELLIPSIS);
    ASSERT_EQ(layout.Lines().size(), 1u);
    const std::u16string& shown = layout.Lines()[0].text;
    ASSERT_GE(shown.size(), 4u);
    EXPECT_EQ(shown.substr(shown.size() - 3), u"...");
    EXPECT_EQ(std::u16string(text).compare(0, shown.size() - 3, shown, 0, shown.size() - 3), 0);
    EXPECT_LE(layout.Lines()[0].rect.right, rect.right);
    // The longest start that fits was kept: one more character would not fit.
    const std::u16string longer = std::u16string(text).substr(0, shown.size() - 2) + u"...";
    EXPECT_GT(font.Measure(longer.data(), static_cast<int>(longer.size())).width, rect.Width());

    // Drawn, the ink stays inside the rectangle and reaches close to its right edge.
    Surface s = Surface::Create(200, 20);
    DeviceContext dc(s);
    Rect drawRect = rect;
    dc.DrawText(text, Len(text), drawRect, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOCLIP);
    const Rect ink = InkBounds(s, 0);
    EXPECT_GE(ink.left, rect.left);
    EXPECT_LE(ink.right, rect.right);
    EXPECT_GT(ink.right, rect.right - 15);

    // Text that fits is left alone.
    const TextLayout fits(font, u"Short", 5, rect, DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_EQ(fits.Lines()[0].text, u"Short");
}

TEST(TextLayoutTest, WordBreakWrapsAtSpacesWithinTheWidth)
{
    const Font font = Font::DefaultGui();
    const char16_t* text = u"Please wait while the uninstaller removes the program";
    const Rect rect{0, 0, 120, 200};
    const TextLayout layout(font, text, Len(text), rect, DT_WORDBREAK);
    ASSERT_GE(layout.Lines().size(), 3u);
    std::u16string joined;
    for (const TextLine& line : layout.Lines()) {
        EXPECT_LE(line.rect.Width(), rect.Width());
        EXPECT_NE(line.text.back(), u' ') << "trailing space kept";
        joined += (joined.empty() ? u"" : u" ") + line.text;
    }
    EXPECT_EQ(joined, text);
    // Lines follow each other at the line height; CALCRECT narrows to the widest line.
    EXPECT_EQ(layout.Lines()[1].rect.top - layout.Lines()[0].rect.top, font.Metrics().height);
    EXPECT_LE(layout.CalcRect().Width(), rect.Width());
    EXPECT_EQ(layout.CalcRect().Height(), static_cast<int>(layout.Lines().size()) * font.Metrics().height);

    // A word wider than the line is not split; with an end ellipsis it is cut instead.
    const char16_t* path = u"see TarvionVirtualPrivateNetworkUninstaller";
    const TextLayout longWord(font, path, Len(path), {0, 0, 80, 100}, DT_WORDBREAK);
    ASSERT_EQ(longWord.Lines().size(), 2u);
    EXPECT_EQ(longWord.Lines()[1].text, std::u16string(path + 4));
    EXPECT_GT(longWord.Lines()[1].rect.Width(), 80);
    const TextLayout cut(font, path, Len(path), {0, 0, 80, 100}, DT_WORDBREAK | DT_END_ELLIPSIS);
    ASSERT_EQ(cut.Lines().size(), 2u);
    EXPECT_EQ(cut.Lines()[1].text.substr(cut.Lines()[1].text.size() - 3), u"...");
    EXPECT_LE(cut.Lines()[1].rect.Width(), 80);

    // Without DT_WORDBREAK the same text stays on one line.
    const TextLayout unwrapped(font, text, Len(text), rect, 0);
    EXPECT_EQ(unwrapped.Lines().size(), 1u);
    EXPECT_GT(unwrapped.CalcRect().Width(), rect.Width());
}

TEST(TextLayoutTest, HorizontalAndVerticalAlignment)
{
    const Font font = Font::DefaultGui();
    const Rect rect{10, 10, 210, 60};
    const int width = font.Measure(u"Tarvion", 7).width;
    const int lineHeight = font.Metrics().height;

    const TextLayout centred(font, u"Tarvion", 7, rect, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    EXPECT_EQ(centred.Lines()[0].rect.left, 10 + (200 - width) / 2);
    EXPECT_EQ(centred.Lines()[0].rect.top, 10 + (50 - lineHeight) / 2);
    EXPECT_EQ(centred.Height(), (50 - lineHeight) / 2 + lineHeight);

    const TextLayout right(font, u"Tarvion", 7, rect, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM);
    EXPECT_EQ(right.Lines()[0].rect.right, 210);
    EXPECT_EQ(right.Lines()[0].rect.bottom, 60);

    // As in GDI, vertical alignment only applies to single lines.
    const TextLayout multi(font, u"Tarvion", 7, rect, DT_VCENTER);
    EXPECT_EQ(multi.Lines()[0].rect.top, 10);
}

TEST(TextLayoutTest, PrefixCharacters)
{
    const Font font = Font::DefaultGui();
    const TextLayout marked(font, u"&Cancel", 7, {0, 0, 100, 20}, DT_SINGLELINE);
    EXPECT_EQ(marked.Lines()[0].text, u"Cancel");
    EXPECT_EQ(marked.Lines()[0].prefixIndex, 0);
    const TextLayout doubled(font, u"R&&D", 4, {0, 0, 100, 20}, DT_SINGLELINE);
    EXPECT_EQ(doubled.Lines()[0].text, u"R&D");
    EXPECT_EQ(doubled.Lines()[0].prefixIndex, -1);
    const TextLayout raw(font, u"R&&D &x", 7, {0, 0, 100, 20}, DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(raw.Lines()[0].text, u"R&&D &x");
    const TextLayout hidden(font, u"&Cancel", 7, {0, 0, 100, 20}, DT_SINGLELINE | DT_HIDEPREFIX);
    EXPECT_EQ(hidden.Lines()[0].text, u"Cancel");
    EXPECT_EQ(hidden.Lines()[0].prefixIndex, -1);

    // A mark before a line break or at the very end marks nothing; drawing such text is safe.
    const TextLayout beforeBreak(font, u"Next&\nline&", 11, {0, 0, 100, 40}, 0);
    ASSERT_EQ(beforeBreak.Lines().size(), 2u);
    EXPECT_EQ(beforeBreak.Lines()[0].text, u"Next");
    EXPECT_EQ(beforeBreak.Lines()[0].prefixIndex, -1);
    EXPECT_EQ(beforeBreak.Lines()[1].text, u"line&");
    const char16_t surrogate[] = {u'&', 0xD83D, 0xDE00, u'x'};
    const TextLayout pair(font, surrogate, 4, {0, 0, 100, 20}, DT_SINGLELINE);
    EXPECT_EQ(pair.Lines()[0].prefixIndex, 0);
    Surface s = Surface::Create(100, 40);
    DeviceContext dc(s);
    dc.DrawTextLayout(beforeBreak);
    dc.DrawTextLayout(pair);
}

TEST(DrawTextTest, DrawsInTheTextColourClippedToTheRectangle)
{
    Surface s = Surface::Create(120, 40);
    s.Clear(0xFFFFFFFF);
    DeviceContext dc(s);
    dc.SetTextColor(0x00FF0000); // alpha is ignored: text is opaque
    Rect rect{10, 5, 40, 25};
    dc.DrawText(u"WWWWWWWWWW", 10, rect, DT_SINGLELINE | DT_VCENTER);
    const Rect ink = InkBounds(s, 0xFFFFFFFF);
    ASSERT_FALSE(ink.IsEmpty());
    EXPECT_GE(ink.left, 10);
    EXPECT_LE(ink.right, 40);
    EXPECT_GE(ink.top, 5);
    EXPECT_LE(ink.bottom, 25);
    EXPECT_GT(drawingtest::CountEqual(s, 0, 0, 120, 40, 0xFFFF0000), 0);

    Surface t = Surface::Create(120, 40);
    DeviceContext dt(t);
    Rect noClip{10, 5, 40, 25};
    dt.DrawText(u"WWWWWWWWWW", 10, noClip, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(InkBounds(t, 0).right, 40);

    // The device clip applies as well.
    Surface u = Surface::Create(120, 40);
    DeviceContext du(u);
    du.IntersectClipRect({0, 0, 20, 40});
    Rect wide{0, 0, 120, 40};
    du.DrawText(u"WWWWWWWWWW", 10, wide, DT_SINGLELINE);
    EXPECT_LE(InkBounds(u, 0).right, 20);
}

TEST(DrawTextTest, TextSitsOnTheLineBaseline)
{
    Surface s = Surface::Create(100, 40);
    DeviceContext dc(s);
    Rect rect{0, 0, 100, 40};
    dc.DrawText(u"H", 1, rect, 0);
    const Rect ink = InkBounds(s, 0);
    const TextMetrics& m = dc.GetTextMetrics();
    // A capital rests on the baseline (within anti-aliasing) and stays below the line's top.
    EXPECT_NEAR(ink.bottom, m.ascent, 1);
    EXPECT_GE(ink.top, 0);
    EXPECT_LT(ink.top, m.ascent);
}

} // namespace
