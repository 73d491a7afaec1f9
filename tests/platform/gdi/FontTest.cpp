// Fonts over GDI: GDI's extents of every prefix of a string, and the line breaking that text
// layout gets from them.
#include "platform/Font.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/LineBreaking.h"

using namespace platform;

namespace {

TEST(GdiFont, PrefixWidthsGrowToTheStringsExtent)
{
    const Font font = Font::Create({u"DejaVu Sans", 14});
    ASSERT_FALSE(font.IsNull());
    const std::u16string text = u"Tarvion VPN";
    const std::vector<int> widths = font.PrefixWidths(text.data(), int(text.size()));
    ASSERT_EQ(widths.size(), text.size());
    for (std::size_t i = 1; i < widths.size(); ++i)
        EXPECT_GE(widths[i], widths[i - 1]) << i;
    EXPECT_GT(widths[0], 0);
    EXPECT_EQ(widths.back(), font.Measure(text.data(), int(text.size())).width);
    // Each entry is the extent of that start of the string.
    EXPECT_EQ(widths[6], font.Measure(text.data(), 7).width);
    EXPECT_TRUE(font.PrefixWidths(text.data(), 0).empty());
    EXPECT_EQ(font.PrefixWidths(nullptr, 3), (std::vector<int>{0, 0, 0})) << "as many entries as asked for";
    EXPECT_EQ(Font().PrefixWidths(text.data(), 2), (std::vector<int>{0, 0}));
}

TEST(GdiFont, MetricsAreGdisAndCopiesShareTheFont)
{
    const Font font = Font::Create({u"DejaVu Sans", 20, true});
    const TextMetrics& m = font.Metrics();
    EXPECT_EQ(m.height, m.ascent + m.descent);
    EXPECT_NEAR(m.internalLeading, m.height - 20, 1); // GDI rounds the two on their own
    EXPECT_GT(m.maxCharWidth, m.averageCharWidth);
    EXPECT_EQ(font.ResolvedFamily(), u"DejaVu Sans");
    const Font copy = font;
    EXPECT_TRUE(copy == font);
    EXPECT_EQ(&copy.Metrics(), &m);
    // An unknown face still gives a font: GDI's closest.
    const Font unknown = Font::Create({u"No Such Face Anywhere", 12});
    ASSERT_FALSE(unknown.IsNull());
    EXPECT_NE(unknown.ResolvedFamily(), u"No Such Face Anywhere");
    EXPECT_GT(unknown.Measure(u"abc", 3).width, 0);
}

TEST(GdiLineBreaking, WholeWordsPerLineAndALongWordAlone)
{
    const Font font = Font::Create({u"DejaVu Sans", 12});
    const std::u16string text = u"one two three Supercalifragilistic four";
    const int width = font.Measure(u"one two", 7).width + 2;
    const auto lines = BreakIntoLines(font, text, width);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines.front().first, 0);
    EXPECT_EQ(lines.back().second, int(text.size()));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::u16string line = text.substr(lines[i].first, lines[i].second - lines[i].first);
        if (i > 0) {
            EXPECT_EQ(lines[i].first, lines[i - 1].second); // nothing lost between lines
        }
        while (!line.empty() && line.back() == u' ')
            line.pop_back();
        if (line != u"Supercalifragilistic") {
            EXPECT_LE(font.Measure(line.data(), int(line.size())).width, width) << i;
        }
        EXPECT_EQ(line.find(u' ') == std::u16string::npos || line == u"one two", true) << i;
    }
    EXPECT_EQ(text.substr(lines[0].first, lines[0].second - lines[0].first), u"one two ");
    // Zero width: a word per line, never an empty line.
    for (const auto& [begin, end] : BreakIntoLines(font, u"a b c", 0))
        EXPECT_GT(end, begin);
}

} // namespace
