// Fonts over GDI: family names read from fonts' name tables (also from broken or hostile bytes),
// GDI's extents of every prefix of a string, and the line breaking that text layout gets from them.
#include "platform/Font.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/LineBreaking.h"
#include "platform/gdi/FontNames.h"

using namespace platform;

namespace {

const char kMonoPath[] = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";

std::vector<std::uint8_t> ReadAll(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void PutU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = std::uint8_t(value >> (24 - 8 * i));
}

TEST(GdiFontNames, FamiliesOfAFontAndOfACollection)
{
    const std::vector<std::uint8_t> font = ReadAll(kMonoPath);
    ASSERT_FALSE(font.empty()) << kMonoPath << " is not installed (package fonts-dejavu-core)";
    EXPECT_EQ(gdi::FontFamilyNames(font.data(), font.size()), std::vector<std::u16string>{u"DejaVu Sans Mono"});

    // A collection of the same face twice: its header, then the font with its table offsets moved
    // by the header's length. The family is named once.
    const std::size_t header = 12 + 2 * 4;
    std::vector<std::uint8_t> collection(header, 0);
    collection[0] = 't', collection[1] = 't', collection[2] = 'c', collection[3] = 'f';
    PutU32(collection, 4, 0x00010000);
    PutU32(collection, 8, 2);
    PutU32(collection, 12, std::uint32_t(header));
    PutU32(collection, 16, std::uint32_t(header));
    collection.insert(collection.end(), font.begin(), font.end());
    const std::size_t tables = (std::size_t(font[4]) << 8) | font[5];
    for (std::size_t i = 0; i < tables; ++i) {
        const std::size_t record = header + 12 + i * 16 + 8;
        std::uint32_t offset = 0;
        for (int k = 0; k < 4; ++k)
            offset = offset << 8 | collection[record + k];
        PutU32(collection, record, offset + std::uint32_t(header));
    }
    EXPECT_EQ(gdi::FontFamilyNames(collection.data(), collection.size()),
              std::vector<std::u16string>{u"DejaVu Sans Mono"});
}

TEST(GdiFontNames, BrokenBytesGiveNoNamesAndAreNeverReadPastTheirEnd)
{
    const std::vector<std::uint8_t> font = ReadAll(kMonoPath);
    ASSERT_FALSE(font.empty()) << kMonoPath << " is not installed (package fonts-dejavu-core)";
    EXPECT_TRUE(gdi::FontFamilyNames(nullptr, 100).empty());
    const std::uint8_t text[] = "not a font at all";
    EXPECT_TRUE(gdi::FontFamilyNames(text, sizeof text).empty());

    // Cut short anywhere in the table directory: each cut is a copy of exactly that length, so a
    // read past its end is a heap overflow (the address sanitizer's, or garbage in the names).
    for (std::size_t length = 0; length < 12 + 16 * 20; ++length) {
        const std::vector<std::uint8_t> cut(font.begin(), font.begin() + std::ptrdiff_t(length));
        EXPECT_TRUE(gdi::FontFamilyNames(cut.data(), cut.size()).empty()) << length;
    }
    // Every table's offset and length pointed far outside the bytes, one table at a time.
    const std::size_t tables = (std::size_t(font[4]) << 8) | font[5];
    for (std::size_t i = 0; i < tables; ++i) {
        std::vector<std::uint8_t> hostile = font;
        PutU32(hostile, 12 + i * 16 + 8, 0xFFFFFFF0u);
        PutU32(hostile, 12 + i * 16 + 12, 0x7FFFFFFFu);
        const auto names = gdi::FontFamilyNames(hostile.data(), hostile.size());
        EXPECT_LE(names.size(), 1u);
    }
    // A collection claiming a billion faces in twenty bytes.
    std::vector<std::uint8_t> collection(20, 0);
    collection[0] = 't', collection[1] = 't', collection[2] = 'c', collection[3] = 'f';
    PutU32(collection, 8, 1000000000u);
    EXPECT_TRUE(gdi::FontFamilyNames(collection.data(), collection.size()).empty());
}

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
