// Family names read from fonts' name tables, also from broken or hostile bytes: the bytes come
// from skins anyone can make.
#include "platform/FontNames.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

// Appends a font to a collection's bytes, its table offsets moved to where it now starts.
std::size_t AppendFace(std::vector<std::uint8_t>& collection, const std::vector<std::uint8_t>& font)
{
    const std::size_t at = collection.size();
    collection.insert(collection.end(), font.begin(), font.end());
    const std::size_t tables = (std::size_t(font[4]) << 8) | font[5];
    for (std::size_t i = 0; i < tables; ++i) {
        const std::size_t record = at + 12 + i * 16 + 8;
        std::uint32_t offset = 0;
        for (int k = 0; k < 4; ++k)
            offset = offset << 8 | collection[record + k];
        PutU32(collection, record, offset + std::uint32_t(at));
    }
    return at;
}

TEST(FontNames, FamiliesOfAFontAndOfACollection)
{
    const std::vector<std::uint8_t> font = ReadAll(kMonoPath);
    ASSERT_FALSE(font.empty()) << kMonoPath << " is not installed (package fonts-dejavu-core)";
    EXPECT_EQ(FontFamilyNames(font.data(), font.size()), std::vector<std::u16string>{u"DejaVu Sans Mono"});

    // A collection of the same face twice: its header, then the font with its table offsets moved
    // by the header's length. The family is named once.
    const std::size_t header = 12 + 2 * 4;
    std::vector<std::uint8_t> collection(header, 0);
    collection[0] = 't', collection[1] = 't', collection[2] = 'c', collection[3] = 'f';
    PutU32(collection, 4, 0x00010000);
    PutU32(collection, 8, 2);
    PutU32(collection, 12, std::uint32_t(header));
    PutU32(collection, 16, std::uint32_t(header));
    AppendFace(collection, font);
    EXPECT_EQ(FontFamilyNames(collection.data(), collection.size()), std::vector<std::u16string>{u"DejaVu Sans Mono"});
}

TEST(FontNames, BrokenBytesGiveNoNamesAndAreNeverReadPastTheirEnd)
{
    const std::vector<std::uint8_t> font = ReadAll(kMonoPath);
    ASSERT_FALSE(font.empty()) << kMonoPath << " is not installed (package fonts-dejavu-core)";
    EXPECT_TRUE(FontFamilyNames(nullptr, 100).empty());
    const std::uint8_t text[] = "not a font at all";
    EXPECT_TRUE(FontFamilyNames(text, sizeof text).empty());

    // Cut short anywhere in the table directory: each cut is a copy of exactly that length, so a
    // read past its end is a heap overflow (the address sanitizer's, or garbage in the names).
    for (std::size_t length = 0; length < 12 + 16 * 20; ++length) {
        const std::vector<std::uint8_t> cut(font.begin(), font.begin() + std::ptrdiff_t(length));
        EXPECT_TRUE(FontFamilyNames(cut.data(), cut.size()).empty()) << length;
    }
    // Every table's offset and length pointed far outside the bytes, one table at a time.
    const std::size_t tables = (std::size_t(font[4]) << 8) | font[5];
    for (std::size_t i = 0; i < tables; ++i) {
        std::vector<std::uint8_t> hostile = font;
        PutU32(hostile, 12 + i * 16 + 8, 0xFFFFFFF0u);
        PutU32(hostile, 12 + i * 16 + 12, 0x7FFFFFFFu);
        const auto names = FontFamilyNames(hostile.data(), hostile.size());
        EXPECT_LE(names.size(), 1u);
    }
    // A collection claiming a billion faces in twenty bytes.
    std::vector<std::uint8_t> collection(20, 0);
    collection[0] = 't', collection[1] = 't', collection[2] = 'c', collection[3] = 'f';
    PutU32(collection, 8, 1000000000u);
    EXPECT_TRUE(FontFamilyNames(collection.data(), collection.size()).empty());
}

TEST(FontNames, AHostileCollectionIsReadInBoundedTime)
{
    // Four hundred thousand faces, every one over the same directory of 65535 tables of which none
    // is a name table: read face by face, some 26 billion table records.
    const std::uint32_t faces = 400000;
    const std::size_t directory = 12 + std::size_t(faces) * 4;
    std::vector<std::uint8_t> collection(directory + 12 + 65535 * 16, 0);
    collection[0] = 't', collection[1] = 't', collection[2] = 'c', collection[3] = 'f';
    PutU32(collection, 4, 0x00010000);
    PutU32(collection, 8, faces);
    for (std::uint32_t i = 0; i < faces; ++i)
        PutU32(collection, 12 + std::size_t(i) * 4, std::uint32_t(directory));
    PutU32(collection, directory, 0x00010000);
    collection[directory + 4] = 0xFF, collection[directory + 5] = 0xFF;

    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(FontFamilyNames(collection.data(), collection.size()).empty());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

    // A real font's face first in such a collection is still named.
    const std::vector<std::uint8_t> font = ReadAll(kMonoPath);
    ASSERT_FALSE(font.empty()) << kMonoPath << " is not installed (package fonts-dejavu-core)";
    PutU32(collection, 12, std::uint32_t(AppendFace(collection, font)));
    EXPECT_EQ(FontFamilyNames(collection.data(), collection.size()), std::vector<std::u16string>{u"DejaVu Sans Mono"});
}

} // namespace
