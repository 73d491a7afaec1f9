// Tests of the skin archive reader: archives made by Info-ZIP's zip at test time must come out
// byte-identical; lookups, partial extraction, result codes and hostile archives.
#include "ui/skin/ZipArchive.h"

#include "tests/JoinedText.h"
#include "tests/ui/skin/ZipTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

namespace {

using namespace ui::zip;
using namespace ziptest;

constexpr char kPassword[] = "QwPlrTvK";

std::uint32_t Get32(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t(b[at + 3]) << 24);
}

void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = std::uint8_t(v >> (8 * i));
}

std::size_t EndRecordOffset(const std::vector<std::uint8_t>& b)
{
    for (std::size_t i = b.size() - 22 + 1; i-- > 0;) {
        if (Get32(b, i) == 0x06054b50)
            return i;
    }
    return std::string::npos;
}

// Offset of the central directory header of a member.
std::size_t CentralHeaderOf(const std::vector<std::uint8_t>& b, const std::string& name)
{
    std::size_t pos = Get32(b, EndRecordOffset(b) + 16);
    while (Get32(b, pos) == 0x02014b50) {
        std::size_t nameLength = b[pos + 28] | (b[pos + 29] << 8);
        std::size_t rest = nameLength + (b[pos + 30] | (b[pos + 31] << 8)) + (b[pos + 32] | (b[pos + 33] << 8));
        if (std::string(reinterpret_cast<const char*>(&b[pos + 46]), nameLength) == name)
            return pos;
        pos += 46 + rest;
    }
    return std::string::npos;
}

// The skin folder and the archives Info-ZIP makes of it, shared by every test of the suite.
class ZipArchiveTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = std::make_unique<TempDir>();
        s_files = {
            {"main.xml", TextBytes(700)},
            {"img/close.png", NoiseBytes(100000, 7)},
            {"img/bg.txt", TextBytes(300000)},
            {"empty.txt", {}},
        };
        for (const auto& [name, data] : s_files)
            WriteFile(*s_dir / ("skin/" + name), data);
        const auto skin = *s_dir / "skin";
        const std::string password = std::string("-P ") + kPassword;
        ASSERT_EQ(InfoZip(skin, "-r -X " + password, *s_dir / "deflated.zip", ".", "archive-deflated.zip"), 0);
        ASSERT_EQ(InfoZip(skin, "-r -X -0 " + password, *s_dir / "stored.zip", ".", "archive-stored.zip"), 0);
        ASSERT_EQ(InfoZip(skin, "-r -X", *s_dir / "plain.zip", ".", "archive-plain.zip"), 0);
    }
    static void TearDownTestSuite() { s_dir.reset(); }

    static std::vector<std::uint8_t> Archive(const std::string& name) { return ReadFile(*s_dir / name); }

    // Extracts a member whole into a buffer of its announced size.
    static ZipResult ExtractAll(HARCHIVE archive, const std::string& name, std::vector<std::uint8_t>& out)
    {
        std::int32_t index = -1;
        TZipEntry entry;
        if (ZipResult r = FindMember(archive, name.c_str(), true, &index, &entry); r != kZipOk)
            return r;
        out.assign(std::size_t(entry.uncompressedSize), 0);
        return ExtractToMemory(archive, index, out.data(), out.size());
    }

    static inline std::unique_ptr<TempDir> s_dir;
    static inline std::map<std::string, std::vector<std::uint8_t>> s_files;
};

TEST_F(ZipArchiveTest, InfoZipMembersComeOutByteIdentical)
{
    for (const char* archiveName : {"deflated.zip", "stored.zip", "plain.zip"}) {
        SCOPED_TRACE(archiveName);
        const std::vector<std::uint8_t> block = Archive(archiveName);
        ZipArchivePtr fromMemory(OpenFromMemory(block.data(), block.size(), kPassword));
        ZipArchivePtr fromFile(OpenFromFile((*s_dir / archiveName).string().c_str(), kPassword));
        ASSERT_TRUE(fromMemory && fromFile);
        for (HARCHIVE archive : {fromMemory.get(), fromFile.get()}) {
            for (const auto& [name, data] : s_files) {
                SCOPED_TRACE(name);
                std::vector<std::uint8_t> out;
                EXPECT_EQ(ExtractAll(archive, name, out), kZipOk);
                EXPECT_TRUE(out == data);
            }
        }
    }
}

TEST_F(ZipArchiveTest, LookupAcceptsBackslashesLeadingAndRepeatedSlashesAndCapitals)
{
    const std::vector<std::uint8_t> block = Archive("deflated.zip");
    ZipArchivePtr archive(OpenFromMemory(block.data(), block.size(), kPassword));
    std::int32_t expected = -1;
    ASSERT_EQ(FindMember(archive.get(), u"img/close.png", false, &expected, nullptr), kZipOk);
    for (const char16_t* name : {u"img\\close.png", u"/img/close.png", u"\\\\img//\\close.png", u"IMG/Close.PNG"}) {
        std::int32_t index = -1;
        TZipEntry entry;
        EXPECT_EQ(FindMember(archive.get(), name, true, &index, &entry), kZipOk);
        EXPECT_EQ(index, expected);
        EXPECT_EQ(entry.index, expected);
        EXPECT_EQ(entry.name, "img/close.png");
        EXPECT_EQ(entry.uncompressedSize, 100000);
    }
    // Letter case counts unless asked otherwise; a miss clears the entry.
    std::int32_t index = 5;
    TZipEntry entry;
    entry.name = "stale";
    EXPECT_EQ(FindMember(archive.get(), u"IMG/Close.PNG", false, &index, &entry), kZipNotFound);
    EXPECT_EQ(index, -1);
    EXPECT_EQ(entry.index, -1);
    EXPECT_EQ(entry.name, "");
    EXPECT_EQ(LastResult(), kZipNotFound);
    // Unpaired surrogates and names longer than any lookup buffer find nothing.
    const char16_t broken[] = {u'a', 0xD800, 0};
    EXPECT_EQ(FindMember(archive.get(), broken, true, &index, nullptr), kZipNotFound);
    EXPECT_EQ(
        FindMember(archive.get(), tvtest::Joined(std::string(300, '/'), "main.xml").c_str(), true, &index, nullptr),
        kZipNotFound);
}

TEST_F(ZipArchiveTest, SmallBuffersExtractPieceByPieceAndExactBuffersFinish)
{
    for (const char* archiveName : {"deflated.zip", "stored.zip"}) {
        for (const char* name : {"img/bg.txt", "img/close.png"}) {
            SCOPED_TRACE(std::string(archiveName) + " " + name);
            const std::vector<std::uint8_t> block = Archive(archiveName);
            ZipArchivePtr archive(OpenFromMemory(block.data(), block.size(), kPassword));
            const std::vector<std::uint8_t>& data = s_files[name];
            std::int32_t index = -1;
            ASSERT_EQ(FindMember(archive.get(), name, true, &index, nullptr), kZipOk);

            // Exactly the member's size: done in one call, nothing left over.
            std::vector<std::uint8_t> exact(data.size());
            EXPECT_EQ(ExtractToMemory(archive.get(), index, exact.data(), exact.size()), kZipOk);
            EXPECT_TRUE(exact == data);

            // One byte short: "more data", and the last byte alone finishes the member.
            std::uint8_t last = 0;
            EXPECT_EQ(ExtractToMemory(archive.get(), index, exact.data(), exact.size() - 1), kZipMoreData);
            EXPECT_EQ(ExtractToMemory(archive.get(), index, &last, 1), kZipOk);
            EXPECT_EQ(last, data.back());

            // Pieces that do not divide the size: "more data" until the last one.
            std::vector<std::uint8_t> joined, piece(7777);
            ZipResult r = kZipMoreData;
            while (r == kZipMoreData) {
                r = ExtractToMemory(archive.get(), index, piece.data(), piece.size());
                std::size_t n = r == kZipMoreData ? piece.size() : data.size() - joined.size();
                joined.insert(joined.end(), piece.begin(), piece.begin() + std::ptrdiff_t(n));
            }
            EXPECT_EQ(r, kZipOk);
            EXPECT_TRUE(joined == data);

            // A fresh lookup abandons a member half read: it starts again from the beginning.
            ASSERT_EQ(ExtractToMemory(archive.get(), index, piece.data(), piece.size()), kZipMoreData);
            ASSERT_EQ(FindMember(archive.get(), name, true, &index, nullptr), kZipOk);
            EXPECT_EQ(ExtractToMemory(archive.get(), index, exact.data(), exact.size()), kZipOk);
            EXPECT_TRUE(exact == data);
        }
    }
}

TEST_F(ZipArchiveTest, WrongOrMissingPasswordIsReported)
{
    const std::vector<std::uint8_t> block = Archive("deflated.zip");
    for (const char* password : {"qwplrtvk", "", static_cast<const char*>(nullptr)}) {
        ZipArchivePtr archive(OpenFromMemory(block.data(), block.size(), password));
        ASSERT_TRUE(archive);
        std::vector<std::uint8_t> out;
        EXPECT_EQ(ExtractAll(archive.get(), "img/bg.txt", out), kZipPassword);
        EXPECT_EQ(ExtractAll(archive.get(), "main.xml", out), kZipPassword);
        EXPECT_EQ(LastResult(), kZipPassword);
    }
    // Unencrypted members ignore a password.
    const std::vector<std::uint8_t> plain = Archive("plain.zip");
    ZipArchivePtr archive(OpenFromMemory(plain.data(), plain.size(), "anything"));
    std::vector<std::uint8_t> out;
    EXPECT_EQ(ExtractAll(archive.get(), "main.xml", out), kZipOk);
}

TEST_F(ZipArchiveTest, MemberEnumerationAndEntryDetails)
{
    const std::vector<std::uint8_t> block = Archive("deflated.zip");
    ZipArchivePtr archive(OpenFromMemory(block.data(), block.size(), kPassword));
    const std::int32_t count = MemberCount(archive.get());
    std::map<std::string, TZipEntry> entries;
    for (std::int32_t i = 0; i < count; ++i) {
        TZipEntry e;
        ASSERT_EQ(GetMember(archive.get(), i, &e), kZipOk);
        EXPECT_EQ(e.index, i);
        entries[e.name] = e;
    }
    EXPECT_EQ(GetMember(archive.get(), count, nullptr), kZipBadArguments);
    ASSERT_TRUE(entries.count("img/"));
    EXPECT_EQ(entries["img/"].attributes & kZipAttrDirectory, kZipAttrDirectory);
    EXPECT_EQ(entries["main.xml"].attributes & kZipAttrDirectory, 0u);
    EXPECT_EQ(entries["main.xml"].uncompressedSize, 700);
    // Encrypted data carries a 12-byte header in front of the (here incompressible) content.
    EXPECT_GE(entries["img/close.png"].compressedSize, 100000 + 12);
    EXPECT_GT(entries["main.xml"].modifyTime, 1500000000); // packed just now
    EXPECT_EQ(ExtractToMemory(archive.get(), count, nullptr, 0), kZipBadArguments);
}

TEST_F(ZipArchiveTest, FilePathsMayUseBackslashes)
{
    std::string path = (*s_dir / "deflated.zip").string();
    std::replace(path.begin(), path.end(), '/', '\\');
    ZipArchivePtr archive(OpenFromFile(path.c_str(), kPassword));
    ASSERT_TRUE(archive);
    std::vector<std::uint8_t> out;
    EXPECT_EQ(ExtractAll(archive.get(), "main.xml", out), kZipOk);
}

// Names outside every ANSI code page, in the folder and the file: on Windows the C++ library would
// read a narrow name in that code page, so these open only when the name is carried as Unicode.
TEST_F(ZipArchiveTest, NonAsciiNamesOpenAndExtract)
{
    const fs::path folder = s_dir->Path() / fs::path(u8"Удаление-ü");
    fs::create_directories(folder);
    const fs::path file = folder / fs::path(u8"скин-ü.zip");
    fs::copy_file(*s_dir / "deflated.zip", file, fs::copy_options::overwrite_existing);
    ZipArchivePtr archive(OpenFromFile(file.u16string().c_str(), kPassword));
    ASSERT_TRUE(archive);
    std::vector<std::uint8_t> out;
    EXPECT_EQ(ExtractAll(archive.get(), "main.xml", out), kZipOk);
    EXPECT_TRUE(out == s_files.at("main.xml"));

    // UTF-8 names of the narrow entry points: the archive, the base directory, the extracted file.
    const std::u8string narrowFile = file.u8string();
    ZipArchivePtr narrow(OpenFromFile(reinterpret_cast<const char*>(narrowFile.c_str()), kPassword));
    ASSERT_TRUE(narrow);
    const std::u8string base = folder.u8string();
    ASSERT_EQ(SetBaseDirectory(narrow.get(), reinterpret_cast<const char*>(base.c_str())), kZipOk);
    std::int32_t index = -1;
    ASSERT_EQ(FindMember(narrow.get(), "main.xml", true, &index, nullptr), kZipOk);
    EXPECT_EQ(ExtractToFile(narrow.get(), index, reinterpret_cast<const char*>(u8"распаковано.xml")), kZipOk);
    EXPECT_TRUE(ReadFile(folder / fs::path(u8"распаковано.xml")) == s_files.at("main.xml"));
}

TEST_F(ZipArchiveTest, ExtractionToFilesUnderABaseDirectory)
{
    const std::vector<std::uint8_t> block = Archive("deflated.zip");
    ZipArchivePtr archive(OpenFromMemory(block.data(), block.size(), kPassword));
    const fs::path base = *s_dir / "extracted";
    ASSERT_EQ(SetBaseDirectory(archive.get(), base.string().c_str()), kZipOk);
    for (std::int32_t i = 0; i < MemberCount(archive.get()); ++i) {
        TZipEntry e;
        ASSERT_EQ(GetMember(archive.get(), i, &e), kZipOk);
        EXPECT_EQ(ExtractToFile(archive.get(), i, e.name.c_str()), kZipOk) << e.name;
    }
    EXPECT_TRUE(fs::is_directory(base / "img"));
    for (const auto& [name, data] : s_files)
        EXPECT_TRUE(ReadFile(base / name) == data) << name;

    // Not while the member is half extracted to memory.
    std::int32_t index = -1;
    ASSERT_EQ(FindMember(archive.get(), "img/bg.txt", true, &index, nullptr), kZipOk);
    std::uint8_t piece[100];
    ASSERT_EQ(ExtractToMemory(archive.get(), index, piece, sizeof piece), kZipMoreData);
    EXPECT_EQ(ExtractToFile(archive.get(), index, "again.txt"), kZipPartlyUnzipped);

    // A failed extraction leaves no file behind.
    ZipArchivePtr wrong(OpenFromMemory(block.data(), block.size(), "wrong"));
    SetBaseDirectory(wrong.get(), base.string().c_str());
    EXPECT_EQ(ExtractToFile(wrong.get(), index, "wrong.txt"), kZipPassword);
    EXPECT_FALSE(fs::exists(base / "wrong.txt"));
}

TEST(ZipResultText, MessagesAreTheSystemsOwnAndTruncateToCapacity)
{
    const std::pair<ZipResult, const char*> table[] = {
        {0, "Success"},
        {0x100, "Culdn't duplicate handle"},
        {0x200, "Couldn't create/open file"},
        {0x300, "Failed to allocate memory"},
        {0x400, "Error writing to file"},
        {0x500, "File not found in the zipfile"},
        {0x600, "Still more data to unzip"},
        {0x700, "Zipfile is corrupt or not a zipfile"},
        {0x800, "Error reading file"},
        {0x1000, "Correct password required"},
        {0x10000, "Caller: faulty arguments"},
        {0x20000, "Caller: can only get memory of a memory zipfile"},
        {0x30000, "Caller: not enough space allocated for memory zipfile"},
        {0x40000, "Caller: there was a previous error"},
        {0x50000, "Caller: additions to the zip have already been ended"},
        {0x60000, "Zip-bug: the anticipated size turned out wrong"},
        {0x70000, "Caller: the file had already been partially unzipped"},
        {0x80000, "Caller: mixing creation and opening of zip"},
        {0x1000000, "Zip-bug: internal initialisation not completed"},
        {0x2000000, "Zip-bug: trying to seek the unseekable"},
        {0x4000000, "Zip-bug: tried to change mind, but not allowed"},
        {0x5000000, "Zip-bug: an internal error during flation"},
        {0x900, "unknown zip result code"},
    };
    for (const auto& [code, message] : table) {
        char buffer[80];
        EXPECT_EQ(FormatResult(code, buffer, sizeof buffer), std::strlen(message));
        EXPECT_STREQ(buffer, message);
    }
    char small[10];
    std::memset(small, 'x', sizeof small);
    EXPECT_EQ(FormatResult(0x1000, small, 10), 25u);
    EXPECT_STREQ(small, "Correct p");
    EXPECT_EQ(FormatResult(0x1000, nullptr, 0), 25u);

    // 1 stands for the last result.
    EXPECT_EQ(Close(nullptr), kZipBadArguments);
    EXPECT_EQ(ResultMessage(kZipLastResult), "Caller: faulty arguments");
}

TEST(ZipHandle, EveryEntryPointChecksTheHandle)
{
    TArchiveHandle foreign;
    foreign.kind = 2;
    std::uint8_t byte = 0;
    for (HARCHIVE h : {static_cast<HARCHIVE>(nullptr), &foreign}) {
        const ZipResult expected = h ? kZipMixedUse : kZipBadArguments;
        EXPECT_EQ(FindMember(h, u"a", true, nullptr, nullptr), expected);
        EXPECT_EQ(LastResult(), expected);
        EXPECT_EQ(FindMember(h, "a", true, nullptr, nullptr), expected);
        EXPECT_EQ(ExtractToMemory(h, 0, &byte, 1), expected);
        EXPECT_EQ(GetMember(h, 0, nullptr), expected);
        EXPECT_EQ(MemberCount(h), 0);
        EXPECT_EQ(Close(h), expected);
    }
    EXPECT_EQ(OpenFromMemory(nullptr, 10, nullptr), nullptr);
    EXPECT_EQ(LastResult(), kZipBadArguments);
    EXPECT_EQ(OpenFromFile("/nonexistent/skin.zip", nullptr), nullptr);
    EXPECT_EQ(LastResult(), kZipOpenFile);
    EXPECT_EQ(OpenFromFile(fs::temp_directory_path().string().c_str(), nullptr), nullptr);
    EXPECT_EQ(LastResult(), kZipOpenFile);
}

// ---------------------------------------------------------------------------------------------
// Hostile archives: every one gives a result code; the asan build checks that nothing reads out
// of bounds on the way.
// ---------------------------------------------------------------------------------------------

// Opens a block and extracts every member; the first failing result, or kZipOk.
ZipResult ReadEverything(const std::vector<std::uint8_t>& block)
{
    // A private copy of exactly the block's size, so that reads past its end are caught.
    auto copy = std::make_unique<std::uint8_t[]>(block.size() + 1);
    if (!block.empty())
        std::memcpy(copy.get(), block.data(), block.size());
    ZipArchivePtr archive(OpenFromMemory(copy.get(), block.size(), kPassword));
    if (!archive)
        return LastResult();
    ZipResult worst = kZipOk;
    for (std::int32_t i = 0; i < MemberCount(archive.get()); ++i) {
        TZipEntry e;
        GetMember(archive.get(), i, &e);
        std::vector<std::uint8_t> out(std::size_t(std::min<std::int64_t>(e.uncompressedSize, 1 << 20)));
        ZipResult r = ExtractToMemory(archive.get(), i, out.data(), out.size());
        if (r != kZipOk && worst == kZipOk)
            worst = r;
    }
    return worst;
}

TEST_F(ZipArchiveTest, NotAnArchiveOrEmptyArchive)
{
    EXPECT_EQ(ReadEverything({}), kZipCorrupt);
    EXPECT_EQ(ReadEverything(TextBytes(5000)), kZipCorrupt);
    EXPECT_EQ(ReadEverything(s_files["main.xml"]), kZipCorrupt);

    // An archive without members opens; lookups find nothing.
    std::vector<std::uint8_t> empty(22, 0);
    Put32(empty, 0, 0x06054b50);
    ZipArchivePtr archive(OpenFromMemory(empty.data(), empty.size(), nullptr));
    ASSERT_TRUE(archive);
    EXPECT_EQ(MemberCount(archive.get()), 0);
    EXPECT_EQ(FindMember(archive.get(), u"main.xml", true, nullptr, nullptr), kZipNotFound);
}

TEST_F(ZipArchiveTest, CommentsAndLeadingBytesAreAllowed)
{
    std::vector<std::uint8_t> block = Archive("deflated.zip");
    // A comment that itself looks like the start of an end record must not mislead the search.
    const std::string comment = "PK\x05\x06 skin v1";
    std::size_t end = EndRecordOffset(block);
    block[end + 20] = std::uint8_t(comment.size());
    block.insert(block.end(), comment.begin(), comment.end());
    EXPECT_EQ(ReadEverything(block), kZipOk);

    std::vector<std::uint8_t> prefixed = TextBytes(4096);
    prefixed.insert(prefixed.end(), block.begin(), block.end());
    EXPECT_EQ(ReadEverything(prefixed), kZipOk);
}

TEST_F(ZipArchiveTest, TruncatedArchivesFailCleanly)
{
    const std::vector<std::uint8_t> block = Archive("deflated.zip");
    for (std::size_t cut : {std::size_t(0), std::size_t(21), std::size_t(100), block.size() / 3, block.size() / 2,
                            block.size() - 23, block.size() - 1}) {
        SCOPED_TRACE(cut);
        std::vector<std::uint8_t> truncated(block.begin(), block.begin() + std::ptrdiff_t(cut));
        EXPECT_EQ(ReadEverything(truncated), kZipCorrupt);
    }
}

TEST_F(ZipArchiveTest, LyingDirectoriesGiveResultCodes)
{
    const std::vector<std::uint8_t> block = Archive("deflated.zip");
    const std::size_t end = EndRecordOffset(block);
    const std::size_t bg = CentralHeaderOf(block, "img/bg.txt");
    const std::size_t close = CentralHeaderOf(block, "img/close.png");
    ASSERT_NE(bg, std::string::npos);
    auto patched = [&](std::size_t at, std::uint32_t value) {
        std::vector<std::uint8_t> b = block;
        Put32(b, at, value);
        return b;
    };
    // Central directory past the end, or larger than the file.
    EXPECT_EQ(ReadEverything(patched(end + 16, std::uint32_t(block.size()))), kZipCorrupt);
    EXPECT_EQ(ReadEverything(patched(end + 12, 0x7FFFFFFF)), kZipCorrupt);
    // Local header offset past the end; compressed size running into the directory.
    EXPECT_EQ(ReadEverything(patched(bg + 42, 0x7FFFFFF0)), kZipCorrupt);
    EXPECT_EQ(ReadEverything(patched(bg + 20, 0x00FFFFFF)), kZipCorrupt);
    // An uncompressed size larger than the data really is: the member ends early.
    EXPECT_EQ(ReadEverything(patched(bg + 24, 300001)), kZipCorrupt);
    // Smaller: the buffer made from it fills before the member ends.
    EXPECT_EQ(ReadEverything(patched(bg + 24, 299999)), kZipMoreData);
    // A wrong CRC behind a correct check byte: the data is not what was stored.
    std::uint32_t crc = Get32(block, close + 16);
    EXPECT_EQ(ReadEverything(patched(close + 16, crc ^ 0x00000001)), kZipPassword);
}

TEST_F(ZipArchiveTest, DamagedMemberDataIsDetected)
{
    const std::vector<std::uint8_t> block = Archive("plain.zip");
    const std::size_t bg = CentralHeaderOf(block, "img/bg.txt");
    const std::size_t local = Get32(block, bg + 42);
    std::vector<std::uint8_t> damaged = block;
    for (std::size_t i = 0; i < 64; ++i)
        damaged[local + 30 + 10 + 100 + i] ^= 0x5A;
    EXPECT_EQ(ReadEverything(damaged), kZipCorrupt);
}

TEST_F(ZipArchiveTest, RandomDamageNeverCrashes)
{
    for (const char* archiveName : {"deflated.zip", "stored.zip", "plain.zip"}) {
        const std::vector<std::uint8_t> block = Archive(archiveName);
        std::mt19937 gen(12345);
        for (int round = 0; round < 300; ++round) {
            std::vector<std::uint8_t> b = block;
            // Damage concentrates on the headers at both ends, where the offsets and sizes live.
            for (int k = 0; k < 4; ++k) {
                std::size_t at = gen() % 2 ? gen() % 200 : b.size() - 1 - gen() % std::min<std::size_t>(b.size(), 400);
                b[at] = std::uint8_t(gen());
            }
            ZipResult r = ReadEverything(b);
            EXPECT_NE(r, kZipFlateError);
        }
    }
}

} // namespace
