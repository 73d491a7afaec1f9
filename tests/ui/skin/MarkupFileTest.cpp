// Loading markup from the skin folder and from the skin archive (a file, or a block in memory),
// with every load error the document reports.
#include "ui/manager/WindowManager.h"
#include "ui/skin/XmlDocument.h"

#include "tests/ui/skin/ZipTestSupport.h"

#include <gtest/gtest.h>

#include <string>

using ui::CWindowManagerUI;
using ui::CXmlDocument;
using ziptest::TempDir;

namespace {

std::u16string Wide(const std::string& s)
{
    return std::u16string(s.begin(), s.end());
}

// A one-element document padded with spaces to the given total size. Built by appending: GCC's
// bounds warning misreads the inlined copy of a literal added to a large temporary string.
std::string PaddedDocument(std::size_t size)
{
    std::string text = "<a/>";
    text.append(size - text.size(), ' ');
    return text;
}

std::u16string S(const char16_t* text)
{
    return text == nullptr ? std::u16string(u"<null>") : std::u16string(text);
}

void WriteText(const std::filesystem::path& path, const std::string& text)
{
    ziptest::WriteFile(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

class MarkupFile : public ::testing::Test
{
protected:
    void SetUp() override { UseFolder(); }
    void TearDown() override
    {
        CWindowManagerUI::SetSkinArchive(u"", ui::ArchiveMode::OpenPerLoad, nullptr);
        CWindowManagerUI::SetSkinFolder(u"");
    }

    void UseFolder()
    {
        CWindowManagerUI::SetSkinArchive(u"", ui::ArchiveMode::OpenPerLoad, nullptr);
        CWindowManagerUI::SetSkinFolder(Wide(m_dir.Path().string()).c_str());
    }

    // Zips the files of folder src into name with the zip program; fixture names the archive among
    // the committed ones that stand in for it where there is no zip program.
    void Zip(const std::string& name, const std::string& src, const std::string& password, const std::string& fixture)
    {
        const std::string options = password.empty() ? "-r" : "-r -P " + password;
        ASSERT_EQ(ziptest::InfoZip(m_dir / src, options, m_dir / name, ".", fixture), 0);
    }

    std::u16string LoadError(const char16_t* name)
    {
        CXmlDocument doc;
        if (doc.LoadFile(name)) {
            return u"loaded";
        }
        EXPECT_FALSE(doc.IsLoaded());
        EXPECT_EQ(S(doc.GetErrorLocation()), u"");
        return S(doc.GetErrorMessage());
    }

    TempDir m_dir;
};

} // namespace

TEST_F(MarkupFile, FolderFilesLoadWithTheirErrors)
{
    WriteText(m_dir / "main.xml", "\xEF\xBB\xBF<Window title=\"\xC3\xBC\"><Button/></Window>");
    WriteText(m_dir / "sub" / "dialog.xml", "<Dialog/>");
    WriteText(m_dir / "empty.xml", "");
    WriteText(m_dir / "big.xml", PaddedDocument(CXmlDocument::kMaxFileSize + 1));
    WriteText(m_dir / "limit.xml", PaddedDocument(CXmlDocument::kMaxFileSize));
    WriteText(m_dir / "bad.xml", "<a></b>");

    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFile(u"main.xml"));
    EXPECT_EQ(S(doc.Root().AttributeValue(u"title")), u"\u00fc");
    EXPECT_EQ(S(doc.Root().FirstChild().Name()), u"Button");
    // Skins name nested files with backslashes.
    ASSERT_TRUE(doc.LoadFile(u"sub\\dialog.xml"));
    EXPECT_EQ(S(doc.Root().Name()), u"Dialog");
    ASSERT_TRUE(doc.LoadFile(u"limit.xml"));

    EXPECT_EQ(LoadError(u"missing.xml"), u"Error opening file");
    EXPECT_EQ(LoadError(u"sub"), u"Error opening file");
    EXPECT_EQ(LoadError(u"empty.xml"), u"File is empty");
    EXPECT_EQ(LoadError(u"big.xml"), u"File too large");
    CXmlDocument bad;
    EXPECT_FALSE(bad.LoadFile(u"bad.xml"));
    EXPECT_EQ(S(bad.GetErrorMessage()), u"Unmatched closing tag");
}

// Kernel attribute files announce a size of a page and deliver far less: a file that is shorter
// than its size.
TEST_F(MarkupFile, ShortReadIsReported)
{
    const char* candidates[] = {"/sys/kernel/mm/transparent_hugepage/enabled", "/sys/kernel/uevent_seqnum",
                                "/sys/kernel/address_bits", "/sys/power/state"};
    for (const char* candidate : candidates) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(candidate, ec) && std::filesystem::file_size(candidate, ec) == 4096 &&
            !ec && ziptest::ReadFile(candidate).size() < 4096 && !ziptest::ReadFile(candidate).empty()) {
            CWindowManagerUI::SetSkinFolder(u"/");
            EXPECT_EQ(LoadError(Wide(candidate + 1).c_str()), u"Could not read file");
            return;
        }
    }
    GTEST_SKIP() << "no file shorter than its announced size on this machine";
}

TEST_F(MarkupFile, ArchiveMembersLoadWithTheirErrors)
{
    WriteText(m_dir / "src" / "main.xml", "<Window><Label text=\"hi\"/></Window>");
    WriteText(m_dir / "src" / "empty.xml", "");
    WriteText(m_dir / "src" / "big.xml", PaddedDocument(CXmlDocument::kMaxFileSize + 4));
    Zip("skin.zip", "src", "secret", "markup-members-secret.zip");
    Zip("plain.zip", "src", "", "markup-members-plain.zip");

    CWindowManagerUI::SetSkinArchive(u"skin.zip", ui::ArchiveMode::OpenPerLoad, "secret");
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFile(u"MAIN.xml")); // member names ignore case
    EXPECT_EQ(S(doc.Root().FirstChild().AttributeValue(u"text")), u"hi");
    EXPECT_EQ(LoadError(u"other.xml"), u"Could not find ziped file");
    EXPECT_EQ(LoadError(u"empty.xml"), u"File is empty");
    EXPECT_EQ(LoadError(u"big.xml"), u"File too large");

    CWindowManagerUI::SetSkinArchive(u"skin.zip", ui::ArchiveMode::KeepOpen, "wrong");
    EXPECT_EQ(LoadError(u"main.xml"), u"Could not unzip file");

    CWindowManagerUI::SetSkinArchive(u"plain.zip", ui::ArchiveMode::KeepOpen, nullptr);
    ASSERT_NE(CWindowManagerUI::OpenArchive(), nullptr);
    ASSERT_TRUE(doc.LoadFile(u"main.xml"));
    ASSERT_TRUE(doc.LoadFile(u"main.xml")); // a kept-open archive stays usable
    EXPECT_NE(CWindowManagerUI::OpenArchive(), nullptr);

    CWindowManagerUI::SetSkinArchive(u"none.zip", ui::ArchiveMode::OpenPerLoad, nullptr);
    EXPECT_EQ(LoadError(u"main.xml"), u"Error opening zip file");
}

TEST_F(MarkupFile, ArchiveInMemoryIsUsedInPlace)
{
    WriteText(m_dir / "src" / "main.xml", "<Window size=\"10,20\"/>");
    Zip("mem.zip", "src", "pw", "markup-memory.zip");
    const std::vector<std::uint8_t> block = ziptest::ReadFile(m_dir / "mem.zip");
    CWindowManagerUI::SetSkinArchiveMemory(block.data(), block.size(), "pw");
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFile(u"main.xml"));
    EXPECT_EQ(S(doc.Root().AttributeValue(u"size")), u"10,20");
    ASSERT_TRUE(doc.LoadFile(u"main.xml"));
    EXPECT_EQ(LoadError(u"nothing.xml"), u"Could not find ziped file");
}
