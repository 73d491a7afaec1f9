// The markup-text renderer: both bracket kinds, escapes, nested styles, colours, raw and selected
// text, paragraphs, inline images, word break and ellipsis, links, and the measuring pass.
#include "RenderTestSupport.h"

#include "ui/render/MarkupTag.h"

#include "platform/Color.h"

using namespace ui;
using tvtest::Canvas;
using tvtest::RenderTest;

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFF;

} // namespace

TEST(MarkupTag, TagsEscapesAndText)
{
    TMarkupTag tag;
    ASSERT_TRUE(ParseMarkupTag(u"{b}x", tag));
    EXPECT_FALSE(tag.closing);
    EXPECT_EQ(tag.letter, u'b');
    EXPECT_EQ(tag.length, 3);
    ASSERT_TRUE(ParseMarkupTag(u"<c #FF0000FF}x", tag)); // mixed brackets close a tag too
    EXPECT_EQ(std::u16string(tag.argument, tag.argumentLength), u"#FF0000FF");
    EXPECT_EQ(tag.length, 13);
    ASSERT_TRUE(ParseMarkupTag(u"{/b>", tag));
    EXPECT_TRUE(tag.closing);
    EXPECT_EQ(tag.length, 4);

    // Not tags: an upper-case opening letter, no blank after the letter, no closing bracket.
    EXPECT_FALSE(ParseMarkupTag(u"{B}", tag));
    EXPECT_FALSE(ParseMarkupTag(u"{bx}", tag));
    EXPECT_FALSE(ParseMarkupTag(u"{b", tag));
    EXPECT_FALSE(ParseMarkupTag(u"<", tag));
    EXPECT_FALSE(ParseMarkupTag(u"{/", tag));

    char16_t printed = 0;
    EXPECT_TRUE(ParseMarkupEscape(u"{<}", printed));
    EXPECT_EQ(printed, u'<');
    EXPECT_TRUE(ParseMarkupEscape(u"<}>", printed));
    EXPECT_EQ(printed, u'}');
    EXPECT_FALSE(ParseMarkupEscape(u"{<>", printed));

    EXPECT_EQ(RawSectionEndAt(u"{/r>"), 4);
    EXPECT_EQ(RawSectionEndAt(u"</r}"), 4);
    EXPECT_EQ(RawSectionEndAt(u"</b>"), 0);
    EXPECT_TRUE(IsMarkupTokenStart(u"{>}"));
    EXPECT_FALSE(IsMarkupTokenStart(u"<3"));
}

TEST_F(RenderTest, BracesAndAngleBracketsDrawTheSame)
{
    Canvas braces(120, 30, kWhite), angles(120, 30, kWhite), mixed(120, 30, kWhite), plain(120, 30, kWhite);
    DrawMarkup(braces, {2, 2, 118, 28}, u"{b}bold{/b}");
    DrawMarkup(angles, {2, 2, 118, 28}, u"<b>bold</b>");
    DrawMarkup(mixed, {2, 2, 118, 28}, u"{b>bold</b}");
    DrawMarkup(plain, {2, 2, 118, 28}, u"bold");
    EXPECT_TRUE(braces.SameAs(angles)) << tvtest::DumpCanvas(braces, "braces") << " "
                                       << tvtest::DumpCanvas(angles, "angles");
    EXPECT_TRUE(braces.SameAs(mixed));
    EXPECT_FALSE(braces.SameAs(plain)) << "bold must differ from regular";
    EXPECT_EQ(Measure({0, 0, 200, 50}, u"{b}bold{/b}").Width(), TextWidth(u"bold", true));
}

TEST_F(RenderTest, EscapesPrintBrackets)
{
    EXPECT_EQ(Measure({0, 0, 200, 50}, u"a{<}b").Width(), TextWidth(u"a") + TextWidth(u"<") + TextWidth(u"b"));
    EXPECT_EQ(Measure({0, 0, 200, 50}, u"<{>x<}>").Width(), TextWidth(u"{") + TextWidth(u"x") + TextWidth(u"}"));
    // A bracket that starts no tag is ordinary text.
    EXPECT_EQ(Measure({0, 0, 200, 50}, u"1 <3").Width(), TextWidth(u"1") + TextWidth(u" ") + TextWidth(u"<3"));
}

TEST_F(RenderTest, EveryClosingTagPopsWhatItsOpeningTagPushed)
{
    // Bold inside bold pushes the bold font again, so the first closing tag keeps y bold.
    const int expected = TextWidth(u"x", true) + TextWidth(u"y", true) + TextWidth(u"z");
    EXPECT_EQ(Measure({0, 0, 300, 50}, u"{b}{b}x{/b}y{/b}z").Width(), expected);
    Canvas nested(120, 30, kWhite), flat(120, 30, kWhite);
    DrawMarkup(nested, {0, 0, 120, 30}, u"{b}{b}x{/b}y{/b}z");
    DrawMarkup(flat, {0, 0, 120, 30}, u"{b}x{/b}{b}y{/b}z");
    EXPECT_TRUE(nested.SameAs(flat));
    // Italic with or without a blank before the bracket; the closing tag returns to upright text.
    EXPECT_EQ(Measure({0, 0, 300, 50}, u"{i }x{/i}y").Width(), Measure({0, 0, 300, 50}, u"{i}x{/i}y").Width());
    EXPECT_EQ(Measure({0, 0, 300, 50}, u"{i}x{/i}").Width(), TextWidth(u"x", false, true));
    // Unbalanced closing tags never pop the call's own font.
    EXPECT_EQ(Measure({0, 0, 300, 50}, u"{/b}{/b}z").Width(), TextWidth(u"z"));
}

TEST_F(RenderTest, ColoursAndBlackSubstitution)
{
    Canvas canvas(200, 30, kWhite);
    DrawMarkup(canvas, {0, 0, 200, 30}, u"{c #FFFF0000}red{/c}black", 0, 0);
    const int redWidth = TextWidth(u"red");
    EXPECT_GT(canvas.CountNear(0xFFFF0000), 0);
    EXPECT_GT(canvas.CountPixels(0xFF000001), 0) << "a call colour of 0 paints in 0xFF000001";
    EXPECT_EQ(canvas.CountPixels(0xFF000000), 0);
    Canvas black(200, 30, kWhite);
    DrawMarkup(black, {0, 0, 200, 30}, u"{c #FFFF0000}red{/c}black", 0, 0);
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < redWidth; ++x)
            ASSERT_NE(canvas.Pixel(x, y), 0xFF000001u) << "red text at " << x << "," << y;
    }
    EXPECT_EQ(canvas.CountNear(0xFFFF0000), black.CountNear(0xFFFF0000));
}

TEST_F(RenderTest, BlackIsReplacedInTagLinkAndSelectionColours)
{
    // Pure black is the layered window's see-through colour, so no colour of the markup may reach
    // the device as 0xFF000000: not a colour tag, not a link colour, not the selection background.
    manager->SetLinkColor(0xFF000000);
    manager->SetSelectedColor(0xFF000000);
    Canvas tagged(200, 30, kWhite), linked(200, 30, kWhite), selected(200, 30, kWhite);
    DrawMarkup(tagged, {0, 0, 200, 30}, u"{c #FF000000}MM{/c}{c #00000000}MM{/c}", 0, 0xFFFF0000);
    DrawMarkup(linked, {0, 0, 200, 30}, u"{a x}MM{/a}", 0, 0xFFFF0000);
    DrawMarkup(selected, {0, 0, 200, 30}, u"{s}MM{/s}", 0, 0xFFFF0000);
    for (const Canvas* canvas : {&tagged, &linked, &selected}) {
        EXPECT_EQ(canvas->CountPixels(0xFF000000), 0);
        EXPECT_GT(canvas->CountPixels(0xFF000001), 0);
    }
    EXPECT_EQ(selected.Pixel(1, 1), 0xFF000001u);
}

TEST_F(RenderTest, MeasuringGivesLineHeightsAndTheWidestPen)
{
    const int line = LineHeight();
    CUIRect r = Measure({10, 20, 400, 300}, u"ab\ncd");
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.Height(), 2 * line);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.Width(), std::max(TextWidth(u"ab"), TextWidth(u"cd")));
    EXPECT_EQ(Measure({0, 0, 400, 300}, u"a{n}b{n}c").Height(), 3 * line);
    // The rectangle's right edge is never widened.
    EXPECT_EQ(Measure({0, 0, 5, 300}, u"wide text here").right, 5);
    // Paragraph spacing is added to the paragraph's lines; a paragraph breaks the line before it.
    EXPECT_EQ(Measure({0, 0, 400, 300}, u"x{p 10}a{/p}b").Height(), line + (line + 10) + line);
    // The y tag sets the line height, the x tag moves the pen.
    EXPECT_EQ(Measure({0, 0, 400, 300}, u"{y 40}a").Height(), 40);
    EXPECT_EQ(Measure({0, 0, 400, 300}, u"{x 30}a").Width(), 30 + TextWidth(u"a"));
    // Absurd numbers are bounded rather than overflowing the pen or the line height.
    EXPECT_EQ(Measure({0, 0, 400, 300}, u"{x 99999999999}{x 99999999999}{y 99999999999}a{p 99999999999}b").right, 400);
    // Single-line text stops after its first line.
    EXPECT_EQ(Measure({0, 0, 400, 300}, u"ab\ncd", DT_SINGLELINE).Height(), line);
}

TEST_F(RenderTest, RawTextPrintsTagsUnchanged)
{
    EXPECT_EQ(Measure({0, 0, 400, 50}, u"{r}{b}x{/b}{/r}").Width(), TextWidth(u"{b}x{/b}"));
    EXPECT_EQ(Measure({0, 0, 400, 50}, u"<r>a</r}{b}b{/b}").Width(), TextWidth(u"a") + TextWidth(u"b", true));
}

TEST_F(RenderTest, SelectedTextHasAnOpaqueBackground)
{
    manager->SetSelectedColor(0xFF00FF00);
    Canvas canvas(200, 30, kWhite);
    DrawMarkup(canvas, {0, 0, 200, 30}, u"a{s}sel{/s}b");
    const int x = TextWidth(u"a") + 1;
    EXPECT_EQ(canvas.Pixel(x, 1), 0xFF00FF00u);
    EXPECT_EQ(canvas.Pixel(0, 1), kWhite);
    EXPECT_EQ(canvas.Pixel(TextWidth(u"a") + TextWidth(u"sel") + TextWidth(u"b") - 1, 1), kWhite);
}

TEST_F(RenderTest, WordBreakWrapsAtNonLettersAndEllipsisStaysInside)
{
    const int line = LineHeight();
    const int width = TextWidth(u"alpha beta") + 2;
    CUIRect r = Measure({0, 0, width, 300}, u"alpha beta gamma", DT_WORDBREAK);
    EXPECT_EQ(r.Height(), 2 * line);
    // A word after a tag moves to the next line whole instead of being split.
    r = Measure({0, 0, TextWidth(u"alpha gam"), 300}, u"{b}alpha{/b} gamma", DT_WORDBREAK);
    EXPECT_EQ(r.Height(), 2 * line);
    EXPECT_EQ(r.Width(), TextWidth(u"gamma"));

    Canvas canvas(100, 20, kWhite);
    DrawMarkup(canvas, {0, 0, 60, 20}, u"a very long line that overflows", DT_SINGLELINE | DT_END_ELLIPSIS);
    const CUIRect ink = canvas.Ink(kWhite);
    EXPECT_LE(ink.right, 60);
    EXPECT_GE(ink.right, 60 - TextWidth(u"....")) << "the dots end near the right edge";
    // When the run that overflows starts too close to the edge for the dots, an earlier run is
    // shortened to carry them: the picture is the same as that of the shortened text.
    const int fits = TextWidth(u"abcdefgh");
    Canvas late(100, 20, kWhite), early(100, 20, kWhite);
    DrawMarkup(late, {0, 0, fits + 2, 20}, u"abcdefgh{b}ijkl{/b}", DT_SINGLELINE | DT_END_ELLIPSIS);
    DrawMarkup(early, {0, 0, fits + 2, 20}, u"abcdefgh", DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_LE(late.Ink(kWhite).right, fits + 2);
    Canvas shortened(100, 20, kWhite);
    DrawMarkup(shortened, {0, 0, 100, 20}, u"abcdef{x 0}...", DT_SINGLELINE);
    EXPECT_TRUE(late.SameAs(shortened)) << tvtest::DumpCanvas(late, "late_ellipsis");
}

TEST_F(RenderTest, WrappedLinksGiveOnePiecePerLine)
{
    const int width = TextWidth(u"A link click") + 2;
    CUIRect rects[4];
    CUIString texts[4];
    Canvas canvas(200, 60, kWhite);
    const int n = DrawMarkup(canvas, {0, 0, width, 60}, u"A link {a id1}click here{/a}", DT_WORDBREAK, 0xFF000000,
                             rects, texts, 4);
    ASSERT_EQ(n, 2);
    EXPECT_EQ(texts[0], u"id1");
    EXPECT_EQ(texts[1], u"id1");
    const int line = LineHeight();
    // The space that ends the first piece hangs past the edge; the piece stops at the edge.
    EXPECT_EQ(rects[0], CUIRect(TextWidth(u"A link "), 0, width, line));
    EXPECT_EQ(rects[1], CUIRect(0, line, TextWidth(u"here"), 2 * line));

    CUIRect one[1];
    CUIString oneText[1];
    EXPECT_EQ(DrawMarkup(canvas, {0, 0, width, 60}, u"A link {a id1}click here{/a}", DT_WORDBREAK, 0xFF000000, one,
                         oneText, 1),
              1);
    EXPECT_EQ(one[0], rects[0]);

    // Links of centred lines are where the text is drawn, not where it was measured.
    Canvas centred(200, 30, kWhite);
    ASSERT_EQ(DrawMarkup(centred, {0, 0, 200, 30}, u"{a x}ab{/a}", DT_CENTER, 0, one, oneText, 1), 1);
    EXPECT_EQ(one[0].left, (200 - TextWidth(u"ab")) / 2);
    EXPECT_EQ(one[0].Width(), TextWidth(u"ab"));

    // The measuring pass reports links too.
    int count = 4;
    CUIRect calc(0, 0, width, 60);
    CMarkupText::Draw(nullptr, manager.get(), calc, u"A link {a id1}click here{/a}", 0, rects, texts, count, -1,
                      DT_WORDBREAK | DT_CALCRECT);
    EXPECT_EQ(count, 2);
}

TEST_F(RenderTest, HoveredLinkTakesTheHoverColour)
{
    manager->SetLinkColor(0xFF0000FF);
    manager->SetLinkHoverColor(0xFFFF0000);
    CUIRect rects[2];
    CUIString texts[2];
    Canvas canvas(200, 30, kWhite);
    ASSERT_EQ(DrawMarkup(canvas, {0, 0, 200, 30}, u"{a one}link{/a} {a two}other{/a}", 0, 0, rects, texts, 2), 2);
    EXPECT_GT(canvas.CountNear(0xFF0000FF), 0);
    EXPECT_EQ(canvas.CountNear(0xFFFF0000), 0);

    MoveMouse(rects[0].left + 1, rects[0].top + 1);
    Canvas hovered(200, 30, kWhite);
    DrawMarkup(hovered, {0, 0, 200, 30}, u"{a one}link{/a} {a two}other{/a}", 0, 0, rects, texts, 2);
    // Only the first link turns.
    EXPECT_GT(hovered.CountNear(0xFFFF0000), 0);
    EXPECT_GT(hovered.CountNear(0xFF0000FF), 0) << "the other link keeps the link colour";
    for (int y = rects[1].top; y < rects[1].bottom; ++y) {
        for (int x = rects[1].left; x < rects[1].right; ++x)
            ASSERT_NE(hovered.Pixel(x, y), 0xFFFF0000u);
    }
}

TEST_F(RenderTest, InlineImagesWithCells)
{
    TImageRecord* strip = AddImage(u"strip", 20, 10, 0xFF00FF00);
    // Paint the right half of the strip red: cell 1 of 2.
    for (int y = 0; y < 10; ++y)
        for (int x = 10; x < 20; ++x)
            strip->bitmap->pixels[y * 20 + x] = 0xFFFF0000;
    Canvas canvas(100, 40, kWhite);
    DrawMarkup(canvas, {0, 0, 100, 40}, u"{i strip 2 1}");
    EXPECT_EQ(canvas.Pixel(5, LineHeight() - 1), 0xFFFF0000u);
    EXPECT_EQ(canvas.Pixel(12, LineHeight() - 1), kWhite);
    // Bottom-aligned in a line at least as high as the image.
    EXPECT_EQ(Measure({0, 0, 100, 100}, u"{i strip}").Width(), 20);

    // An image wider than the rectangle is still drawn when it comes first on a line.
    AddImage(u"tall", 50, 40, 0xFF0000FF);
    Canvas narrow(100, 60, kWhite);
    DrawMarkup(narrow, {0, 0, 30, 60}, u"{i tall}");
    EXPECT_EQ(narrow.Pixel(10, 20), 0xFF0000FFu);
    EXPECT_EQ(narrow.Pixel(35, 20), kWhite) << "clipped to the rectangle";
    const CUIRect r = Measure({0, 0, 30, 200}, u"ab{i tall}");
    EXPECT_EQ(r.Height(), LineHeight() + 40) << "an image that does not fit goes to the next line";
    // A missing image takes no room.
    EXPECT_EQ(Measure({0, 0, 100, 100}, u"a{i nothing.png}b").Width(), TextWidth(u"a") + TextWidth(u"b"));
}

TEST_F(RenderTest, BlockAlignmentCentresAndRightAligns)
{
    Canvas left(200, 40, kWhite), centre(200, 40, kWhite), right(200, 40, kWhite);
    DrawMarkup(left, {0, 0, 200, 40}, u"{b}mid{/b}", DT_SINGLELINE);
    DrawMarkup(centre, {0, 0, 200, 40}, u"{b}mid{/b}", DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    DrawMarkup(right, {0, 0, 200, 40}, u"{b}mid{/b}", DT_SINGLELINE | DT_RIGHT | DT_BOTTOM);
    const CUIRect a = left.Ink(kWhite), b = centre.Ink(kWhite), c = right.Ink(kWhite);
    const int width = TextWidth(u"mid", true);
    EXPECT_EQ(b.left - a.left, 100 - width / 2);
    EXPECT_EQ(c.left - a.left, 200 - width);
    EXPECT_EQ(b.top - a.top, 20 - LineHeight() / 2);
    EXPECT_EQ(c.top - a.top, 40 - LineHeight());

    // Multi-line centring shifts each line by its own slack.
    Canvas lines(200, 60, kWhite);
    DrawMarkup(lines, {0, 0, 200, 60}, u"x\nxxx", DT_CENTER);
    EXPECT_NEAR(lines.Ink(kWhite).left, (200 - TextWidth(u"xxx")) / 2, 2);
}

TEST_F(RenderTest, FontTagsByNumberAndByFace)
{
    manager->RegisterFont(7, nullptr, 20, true, false, false, false);
    const int line20 = manager->LookupFontInfo(7)->font.Metrics().height;
    EXPECT_EQ(Measure({0, 0, 400, 100}, u"{f 7}x{/f}").Height(),
              line20 + manager->LookupFontInfo(7)->metrics.externalLeading);
    const int before = manager->FontCount(ResourceScope::Window);
    Measure({0, 0, 400, 100}, u"{f Serif 16 italic BOLD}x{/f}");
    EXPECT_EQ(manager->FontCount(ResourceScope::Window), before + 1) << "a new face is added to the table";
    EXPECT_NE(manager->FindFont(u"Serif", 16, true, false, true, false).IsNull(), true);
    Measure({0, 0, 400, 100}, u"{f Serif 16 italic BOLD}x{/f}");
    EXPECT_EQ(manager->FontCount(ResourceScope::Window), before + 1) << "and found there the next time";
    EXPECT_EQ(manager->LookupFontInfo(7)->size, 20) << "existing ids are left alone";
}

TEST_F(RenderTest, LanguageTokensAndNullInputs)
{
    CWindowManagerUI::RegisterLanguageText(12, u"{b}abc{/b}");
    EXPECT_EQ(Measure({0, 0, 400, 100}, u"%{12}").Width(), TextWidth(u"abc", true));
    CWindowManagerUI::DropLanguageText(12);

    int count = 3;
    CUIRect rect(0, 0, 10, 10);
    CMarkupText::Draw(nullptr, manager.get(), rect, nullptr, 0, nullptr, nullptr, count, -1, DT_CALCRECT);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(rect, CUIRect(0, 0, 10, 10));
    CMarkupText::Draw(nullptr, nullptr, rect, u"x", 0, nullptr, nullptr, count, -1, DT_CALCRECT);
    EXPECT_EQ(rect, CUIRect(0, 0, 10, 10));
}

TEST_F(RenderTest, VerticalAlignmentStacksPlaceRunsInTallLines)
{
    const int line = LineHeight();
    Canvas bottom(100, 60, kWhite), top(100, 60, kWhite), centre(100, 60, kWhite);
    DrawMarkup(bottom, {0, 0, 100, 60}, u"{y 40}x");
    DrawMarkup(top, {0, 0, 100, 60}, u"{y 40}{v top}x{/v}");
    DrawMarkup(centre, {0, 0, 100, 60}, u"{y 40}{v center}x{/v}");
    const int shift = 40 - line;
    EXPECT_EQ(bottom.Ink(kWhite).top - top.Ink(kWhite).top, shift);
    EXPECT_EQ(centre.Ink(kWhite).top - top.Ink(kWhite).top, shift / 2);
    // Closing the stack returns to the bottom.
    Canvas popped(100, 60, kWhite);
    DrawMarkup(popped, {0, 0, 100, 60}, u"{y 40}{v top}{/v}x");
    EXPECT_TRUE(popped.SameAs(bottom));
}

TEST_F(RenderTest, SurrogatePairsAreNeverSplit)
{
    // Four characters outside the basic plane, each a surrogate pair and each a break position.
    const char16_t* text = u"\U0001D400\U0001D400\U0001D400\U0001D400";
    const int one = TextWidth(u"\U0001D400");
    ASSERT_GT(one, 0);
    EXPECT_EQ(Measure({0, 0, one + one / 2, 300}, text).Height(), 4 * LineHeight());
    EXPECT_EQ(Measure({0, 0, one + one / 2, 300}, text, DT_WORDBREAK).Height(), 4 * LineHeight());
    EXPECT_EQ(Measure({0, 0, 1, 300}, text).Height(), 4 * LineHeight()) << "one character per line at least";
}

TEST_F(RenderTest, LongRunsWrapWhereTheyFitWhateverTheirLength)
{
    const int line = LineHeight();
    // A run far longer than a line holds is cut where the line ends, also past the first prefix
    // the layout tries.
    const std::u16string hundred(100, u'a');
    const int width = TextWidth(hundred.c_str());
    CUIRect r = Measure({0, 0, width, 100000}, std::u16string(250, u'a').c_str());
    EXPECT_EQ(r.Height(), 3 * line);
    EXPECT_EQ(r.Width(), width);
    // In a box narrower than a character every character takes a line of its own.
    EXPECT_EQ(Measure({0, 0, 3, 100000}, std::u16string(500, u'a').c_str()).Height(), 500 * line);
    EXPECT_EQ(Measure({0, 0, 3, 100000}, std::u16string(500, u'a').c_str(), DT_WORDBREAK).Height(), 500 * line);
    // Runs that end at a tag and at the end of a raw section, one character a line.
    EXPECT_EQ(Measure({0, 0, 3, 100000}, u"aaaa{b}bbb{/b}cc").Height(), 9 * line);
    EXPECT_EQ(Measure({0, 0, 3, 100000}, u"{r}aaaa{b}{/r}bb").Height(), 9 * line);
    // A surrogate pair that straddles a prefix boundary stays whole.
    std::u16string straddling(63, u'a');
    straddling.append(u"\U0001D400").append(40, u'a');
    EXPECT_EQ(Measure({0, 0, 100000, 300}, straddling.c_str()).Width(), TextWidth(straddling.c_str()));
    std::u16string upTo(63, u'a');
    upTo.append(u"\U0001D400");
    EXPECT_EQ(Measure({0, 0, TextWidth(upTo.c_str()), 300}, straddling.c_str()).Height(), 2 * line);
}

TEST_F(RenderTest, ACutRunKeepsTheLongestStartThatFitsKernedPairsIncluded)
{
    // Letters that kern: a start measured inside the whole run can be narrower than measured alone,
    // and what is drawn is the start alone, which must fit.
    const std::u16string text = u"AVATAR To Ta WAVE Tarvion, YAW";
    std::vector<int> alone;
    for (std::size_t k = 1; k <= text.size(); ++k)
        alone.push_back(TextWidth(text.substr(0, k).c_str()));
    for (int width = 4; width < alone.back(); ++width) {
        std::size_t k = 0;
        while (k < alone.size() && alone[k] <= width)
            ++k;
        const int expected = alone[std::max<std::size_t>(k, 1) - 1]; // a line takes one character at least
        EXPECT_EQ(Measure({0, 0, width, 300}, text.c_str(), DT_SINGLELINE).Width(), std::min(expected, width))
            << "in a box " << width << " wide";
    }
}

TEST_F(RenderTest, DrawingStopsBelowTheRectangle)
{
    const int line = LineHeight();
    CUIRect rects[2];
    CUIString texts[2];
    Canvas canvas(100, 100, kWhite);
    EXPECT_EQ(DrawMarkup(canvas, {0, 0, 100, line}, u"a\n{a x}b{/a}", 0, 0, rects, texts, 2), 0);
    EXPECT_EQ(canvas.Ink(kWhite).bottom <= line, true);
    // Measuring does not stop there.
    int count = 2;
    CUIRect calc(0, 0, 100, line);
    CMarkupText::Draw(nullptr, manager.get(), calc, u"a\n{a x}b{/a}", 0, rects, texts, count, -1, DT_CALCRECT);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(calc.Height(), 2 * line);
}
