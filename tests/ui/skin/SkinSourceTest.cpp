// The skin source on its own: this binary links the skin layer and what lies below it, nothing of
// the window manager. Two sources read side by side, each from its own folder or archive.
#include "ui/skin/SkinSource.h"
#include "ui/skin/XmlDocument.h"

#include "tests/ui/skin/ZipTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using ui::CSkinSource;
using ui::CXmlDocument;
using ui::SkinReadResult;

namespace {

std::u16string Wide(const std::string& s)
{
    return std::u16string(s.begin(), s.end());
}

void WriteText(const std::filesystem::path& path, const std::string& text)
{
    ziptest::WriteFile(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::string Text(const std::vector<std::uint8_t>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

// A skin folder named outside every ANSI code page is read on Windows too.
TEST(SkinSourceTest, FoldersWithNonAsciiNamesAreRead)
{
    ziptest::TempDir dir;
    const std::filesystem::path folder = dir.Path() / std::filesystem::path(u8"оболочка-ü");
    WriteText(folder / "main.xml", "<Window/>");
    CSkinSource source;
    source.SetFolder(folder.u16string().c_str());
    std::vector<std::uint8_t> bytes;
    ASSERT_EQ(source.ReadFile(u"main.xml", 100, bytes), SkinReadResult::Ok);
    EXPECT_EQ(Text(bytes), "<Window/>");
}

TEST(SkinSourceTest, EachSourceReadsItsOwnFolderOrArchiveAndNotTheProcessSettings)
{
    ziptest::TempDir dir;
    std::filesystem::create_directories(dir / "a");
    std::filesystem::create_directories(dir / "b" / "sub");
    WriteText(dir / "a" / "main.xml", "<Window name=\"a\"/>");
    WriteText(dir / "b" / "main.xml", "<Window name=\"b\"/>");
    WriteText(dir / "b" / "sub" / "deep.xml", "<Deep/>");
    WriteText(dir / "b" / "empty.xml", "");
    ASSERT_EQ(ziptest::InfoZip(dir / "b", "-r -P pw", dir / "b.zip", ".", "skin-source.zip"), 0);

    CSkinSource folderA;
    folderA.SetFolder(Wide((dir / "a").string()).c_str()); // a separator is appended
    CSkinSource archiveB;
    archiveB.SetFolder(Wide(dir.Path().string() + "/").c_str());
    archiveB.SetArchive(u"b.zip", false, "pw");

    std::vector<std::uint8_t> bytes;
    ASSERT_EQ(folderA.ReadFile(u"main.xml", 100, bytes), SkinReadResult::Ok);
    EXPECT_EQ(Text(bytes), "<Window name=\"a\"/>");
    ASSERT_EQ(archiveB.ReadFile(u"MAIN.XML", 100, bytes), SkinReadResult::Ok);
    EXPECT_EQ(Text(bytes), "<Window name=\"b\"/>");
    // Backslashes separate folders, in the archive as in a folder.
    ASSERT_EQ(archiveB.ReadFile(u"sub\\deep.xml", 100, bytes), SkinReadResult::Ok);
    EXPECT_EQ(Text(bytes), "<Deep/>");

    EXPECT_EQ(folderA.ReadFile(u"missing.xml", 100, bytes), SkinReadResult::OpenFailed);
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(archiveB.ReadFile(u"missing.xml", 100, bytes), SkinReadResult::MemberNotFound);
    EXPECT_EQ(archiveB.ReadFile(u"empty.xml", 100, bytes), SkinReadResult::Empty);
    EXPECT_EQ(folderA.ReadFile(u"main.xml", 5, bytes), SkinReadResult::TooLarge);
    EXPECT_EQ(archiveB.ReadFile(u"main.xml", 5, bytes), SkinReadResult::TooLarge);

    // A document handed a source reads through it, whatever the process's source says.
    CSkinSource::Process().SetFolder(Wide((dir / "a").string()).c_str());
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFile(archiveB, u"main.xml"));
    EXPECT_EQ(std::u16string(doc.Root().AttributeValue(u"name")), u"b");
    ASSERT_TRUE(doc.LoadFile(u"main.xml"));
    EXPECT_EQ(std::u16string(doc.Root().AttributeValue(u"name")), u"a");
    CSkinSource::Process().SetFolder(u"");

    // A wrong password fails the member, a missing archive the whole read.
    archiveB.SetArchive(u"b.zip", true, "wrong");
    EXPECT_EQ(archiveB.ReadFile(u"main.xml", 100, bytes), SkinReadResult::ReadFailed);
    archiveB.SetArchive(u"none.zip", false, nullptr);
    EXPECT_EQ(archiveB.ReadFile(u"main.xml", 100, bytes), SkinReadResult::ArchiveFailed);
}
