// Private fonts from files and from memory: adding, naming, removing and refusing non-fonts.
#include "platform/PrivateFonts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/Font.h"
#include "tests/DrawingDifferences.h"

using namespace platform;

namespace {

const char kFontPath[] = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";

std::vector<char> ReadAll(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(PrivateFontsTest, FontDataFromMemoryIsAddedNamedAndRemoved)
{
    const std::vector<char> bytes = ReadAll(kFontPath);
    if (bytes.empty())
        GTEST_SKIP() << kFontPath << " is not installed (package fonts-dejavu-core)";
    const FontResource id = AddPrivateFontData(bytes.data(), bytes.size());
    ASSERT_NE(id, 0);
    const auto families = PrivateFontFamilies(id);
    ASSERT_EQ(families.size(), 1u);
    EXPECT_EQ(families[0], u"DejaVu Sans Mono");
    // Text still works while the font list changes underneath.
    const Font font = Font::Create({families[0], 14});
    EXPECT_GT(font.Measure(u"abc", 3).width, 0);

    const FontResource second = AddPrivateFontFile(kFontPath);
    ASSERT_NE(second, 0);
    EXPECT_NE(second, id);
    EXPECT_TRUE(RemovePrivateFont(id));
    EXPECT_FALSE(RemovePrivateFont(id));
    EXPECT_TRUE(PrivateFontFamilies(id).empty());
    EXPECT_EQ(PrivateFontFamilies(second).size(), 1u);
    RemoveAllPrivateFonts();
    EXPECT_FALSE(RemovePrivateFont(second));
    EXPECT_GT(Font::Create({u"Sans", 14}).Measure(u"abc", 3).width, 0);
}

TEST(PrivateFontsTest, AFontFileIsFoundUnderANonAsciiName)
{
    if (!std::filesystem::exists(kFontPath))
        GTEST_SKIP() << kFontPath << " is not installed (package fonts-dejavu-core)";
    // The path is handed over as Unicode: a folder and a file name in Cyrillic.
    const std::filesystem::path folder = std::filesystem::path(TVU_BINARY_DIR) / std::filesystem::path(u8"шрифты-тест");
    std::filesystem::create_directories(folder);
    const std::filesystem::path file = folder / std::filesystem::path(u8"моноширинный.ttf");
    std::filesystem::copy_file(kFontPath, file, std::filesystem::copy_options::overwrite_existing);
    const FontResource id = AddPrivateFontFile(file);
    EXPECT_NE(id, 0);
    const auto families = PrivateFontFamilies(id);
    ASSERT_EQ(families.size(), 1u);
    EXPECT_EQ(families[0], u"DejaVu Sans Mono");
    EXPECT_TRUE(RemovePrivateFont(id));
    EXPECT_EQ(AddPrivateFontFile(folder / std::filesystem::path(u8"нет.ttf")), 0);
    std::filesystem::remove_all(folder);
}

// Renames the family inside the font's name table (same length, so offsets stay valid; the
// checksums are not verified by font loaders), giving a face no system has installed.
void Rename(std::vector<char>& bytes, const std::string& from, const std::string& to)
{
    auto replace = [&bytes](const std::string& a, const std::string& b) {
        for (size_t i = 0; i + a.size() <= bytes.size(); ++i)
            if (std::equal(a.begin(), a.end(), bytes.begin() + i))
                std::copy(b.begin(), b.end(), bytes.begin() + i);
    };
    replace(from, to);
    std::string wideFrom, wideTo; // UTF-16BE records
    for (char c : from)
        wideFrom += std::string{'\0', c};
    for (char c : to)
        wideTo += std::string{'\0', c};
    replace(wideFrom, wideTo);
}

TEST(PrivateFontsTest, AnAddedFaceIsFoundByNameUntilRemoved)
{
    std::vector<char> bytes = ReadAll(kFontPath);
    if (bytes.empty())
        GTEST_SKIP() << kFontPath << " is not installed (package fonts-dejavu-core)";
    Rename(bytes, "DejaVu Sans Mono", "Tarvion Test Fnt");
    const LogFont logFont{u"Tarvion Test Fnt", 14};
    EXPECT_NE(Font::Create(logFont).ResolvedFamily(), u"Tarvion Test Fnt");
    const FontResource id = AddPrivateFontData(bytes.data(), bytes.size());
    ASSERT_NE(id, 0);
    EXPECT_EQ(PrivateFontFamilies(id), std::vector<std::u16string>{u"Tarvion Test Fnt"});
    const Font font = Font::Create(logFont);
    EXPECT_EQ(font.ResolvedFamily(), u"Tarvion Test Fnt");
    // A monospaced face: every character has the same advance.
    EXPECT_EQ(font.Measure(u"iiii", 4).width, font.Measure(u"MMMM", 4).width);
    EXPECT_TRUE(RemovePrivateFont(id));
    if (tvutest::MemoryFontsRemovable()) {
        EXPECT_NE(Font::Create(logFont).ResolvedFamily(), u"Tarvion Test Fnt");
    }
    EXPECT_TRUE(PrivateFontFamilies(id).empty());
}

TEST(PrivateFontsTest, RemovingOneFontKeepsTheOthers)
{
    std::vector<char> kept = ReadAll(kFontPath);
    if (kept.empty())
        GTEST_SKIP() << kFontPath << " is not installed (package fonts-dejavu-core)";
    std::vector<char> dropped = kept;
    Rename(kept, "DejaVu Sans Mono", "Tarvion Kept Fnt");
    Rename(dropped, "DejaVu Sans Mono", "Tarvion Gone Fnt");
    const FontResource keptId = AddPrivateFontData(kept.data(), kept.size());
    const FontResource droppedId = AddPrivateFontData(dropped.data(), dropped.size());
    ASSERT_NE(keptId, 0);
    ASSERT_NE(droppedId, 0);
    EXPECT_EQ(Font::Create({u"Tarvion Gone Fnt", 14}).ResolvedFamily(), u"Tarvion Gone Fnt");
    // Where the system can only drop all added fonts at once, the others must come back.
    EXPECT_TRUE(RemovePrivateFont(droppedId));
    EXPECT_EQ(PrivateFontFamilies(keptId), std::vector<std::u16string>{u"Tarvion Kept Fnt"});
    EXPECT_EQ(Font::Create({u"Tarvion Kept Fnt", 14}).ResolvedFamily(), u"Tarvion Kept Fnt");
    if (tvutest::MemoryFontsRemovable()) {
        EXPECT_NE(Font::Create({u"Tarvion Gone Fnt", 14}).ResolvedFamily(), u"Tarvion Gone Fnt");
    }
    RemoveAllPrivateFonts();
    EXPECT_TRUE(PrivateFontFamilies(keptId).empty());
    EXPECT_FALSE(RemovePrivateFont(keptId));
    if (tvutest::MemoryFontsRemovable()) {
        EXPECT_NE(Font::Create({u"Tarvion Kept Fnt", 14}).ResolvedFamily(), u"Tarvion Kept Fnt");
    }
}

TEST(PrivateFontsTest, NonFontsAreRefused)
{
    const char garbage[] = "certainly not a font file";
    EXPECT_EQ(AddPrivateFontData(garbage, sizeof garbage), 0);
    EXPECT_EQ(AddPrivateFontData(nullptr, 10), 0);
    EXPECT_EQ(AddPrivateFontData(garbage, 0), 0);
    EXPECT_EQ(AddPrivateFontFile("/no/such/font.ttf"), 0);
    EXPECT_FALSE(RemovePrivateFont(0));
    EXPECT_FALSE(RemovePrivateFont(12345));
}

} // namespace
