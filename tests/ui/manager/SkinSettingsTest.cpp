// Tests of the window manager's process-wide skin settings: instances, skin folder, and the skin
// archive given as a file or a memory block with its password.
#include "ui/manager/WindowManager.h"

#include "tests/ui/skin/ZipTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using ui::ArchiveMode;
using ui::CWindowManagerUI;
using namespace ziptest;

std::u16string Wide(const std::string& ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

// The settings are process-wide: every test starts from no archive and no folder.
class SkinSettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CWindowManagerUI::CloseArchive();
        CWindowManagerUI::SetSkinFolder(nullptr);
        CWindowManagerUI::SetSkinArchive(nullptr, ArchiveMode::KeepOpen, nullptr);
    }
    void TearDown() override { SetUp(); }

    static void SetUpTestSuite()
    {
        s_dir = std::make_unique<TempDir>();
        WriteFile(*s_dir / "skin/main.xml", TextBytes(300));
        ASSERT_EQ(InfoZip(*s_dir / "skin", "-X -P QwPlrTvK", *s_dir / "skin.zip", "main.xml", "skin-settings.zip"), 0);
        s_block = ReadFile(*s_dir / "skin.zip");
    }
    static void TearDownTestSuite() { s_dir.reset(); }

    static bool CanRead(ui::zip::HARCHIVE archive)
    {
        std::int32_t index = -1;
        ui::zip::TZipEntry entry;
        if (ui::zip::FindMember(archive, u"MAIN.XML", true, &index, &entry) != ui::zip::kZipOk)
            return false;
        std::vector<std::uint8_t> out(std::size_t(entry.uncompressedSize));
        return ui::zip::ExtractToMemory(archive, index, out.data(), out.size()) == ui::zip::kZipOk;
    }

    static inline std::unique_ptr<TempDir> s_dir;
    static inline std::vector<std::uint8_t> s_block;
};

TEST_F(SkinSettingsTest, SkinFolderEndsWithASeparator)
{
    EXPECT_EQ(std::u16string(CWindowManagerUI::SkinFolder()), u"");
    CWindowManagerUI::SetSkinFolder(u"C:\\skins");
    EXPECT_EQ(std::u16string(CWindowManagerUI::SkinFolder()), u"C:\\skins\\");
    CWindowManagerUI::SetSkinFolder(u"/opt/skins/");
    EXPECT_EQ(std::u16string(CWindowManagerUI::SkinFolder()), u"/opt/skins/");
    CWindowManagerUI::SetSkinFolder(u"skins\\");
    EXPECT_EQ(std::u16string(CWindowManagerUI::SkinFolder()), u"skins\\");
    CWindowManagerUI::SetSkinFolder(u"");
    EXPECT_EQ(std::u16string(CWindowManagerUI::SkinFolder()), u"");
}

TEST_F(SkinSettingsTest, ResourceInstanceFallsBackToTheAppInstance)
{
    int app = 0, resources = 0;
    CWindowManagerUI::SetAppInstance(&app);
    CWindowManagerUI::SetResourceInstance(nullptr);
    EXPECT_EQ(CWindowManagerUI::AppInstance(), &app);
    EXPECT_EQ(CWindowManagerUI::ResourceInstance(), &app);
    CWindowManagerUI::SetResourceInstance(&resources);
    EXPECT_EQ(CWindowManagerUI::ResourceInstance(), &resources);
    CWindowManagerUI::SetResourceInstance(nullptr);
    CWindowManagerUI::SetAppInstance(nullptr);
}

TEST_F(SkinSettingsTest, MemoryArchiveIsOpenedOnceAndKept)
{
    CWindowManagerUI::SetSkinArchiveMemory(s_block.data(), s_block.size(), "QwPlrTvK");
    EXPECT_EQ(std::u16string(CWindowManagerUI::SkinArchiveName()), u"membuffer");
    EXPECT_STREQ(CWindowManagerUI::SkinArchivePassword(), "QwPlrTvK");
    EXPECT_TRUE(CWindowManagerUI::IsArchiveKeptOpen());
    ui::zip::HARCHIVE first = CWindowManagerUI::OpenArchive();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(CanRead(first));

    // A second block is ignored while the name is "membuffer"; only the password is taken.
    std::vector<std::uint8_t> other = TextBytes(100);
    CWindowManagerUI::SetSkinArchiveMemory(other.data(), other.size(), "other");
    EXPECT_EQ(CWindowManagerUI::OpenArchive(), first);
    EXPECT_STREQ(CWindowManagerUI::SkinArchivePassword(), "other");

    CWindowManagerUI::CloseArchive();
    EXPECT_EQ(CWindowManagerUI::OpenArchive(), nullptr);
}

TEST_F(SkinSettingsTest, MemoryArchiveIsKeptOpenEvenWhenFilesAreNot)
{
    CWindowManagerUI::SetSkinArchive(u"skin.zip", ArchiveMode::OpenPerLoad, nullptr);
    EXPECT_FALSE(CWindowManagerUI::IsArchiveKeptOpen());
    CWindowManagerUI::SetSkinArchiveMemory(s_block.data(), s_block.size(), "QwPlrTvK");
    EXPECT_TRUE(CWindowManagerUI::IsArchiveKeptOpen());
    EXPECT_TRUE(CanRead(CWindowManagerUI::OpenArchive()));
}

TEST_F(SkinSettingsTest, ArchiveFileUnderTheSkinFolder)
{
    CWindowManagerUI::SetSkinFolder(Wide(s_dir->Path().string()).c_str());
    CWindowManagerUI::SetSkinArchive(u"skin.zip", ArchiveMode::KeepOpen, "QwPlrTvK");
    ui::zip::HARCHIVE archive = CWindowManagerUI::OpenArchive();
    ASSERT_NE(archive, nullptr);
    EXPECT_TRUE(CanRead(archive));

    // Same name and mode: nothing is reopened.
    CWindowManagerUI::SetSkinArchive(u"skin.zip", ArchiveMode::KeepOpen, "QwPlrTvK");
    EXPECT_EQ(CWindowManagerUI::OpenArchive(), archive);

    // Opened per load: the kept archive is closed and none is held.
    CWindowManagerUI::SetSkinArchive(u"skin.zip", ArchiveMode::OpenPerLoad, "QwPlrTvK");
    EXPECT_EQ(CWindowManagerUI::OpenArchive(), nullptr);
    EXPECT_EQ(std::u16string(CWindowManagerUI::SkinArchiveName()), u"skin.zip");

    // A missing file leaves no handle.
    CWindowManagerUI::SetSkinArchive(u"missing.zip", ArchiveMode::KeepOpen, nullptr);
    EXPECT_EQ(CWindowManagerUI::OpenArchive(), nullptr);
    EXPECT_EQ(ui::zip::LastResult(), ui::zip::kZipOpenFile);
}

TEST_F(SkinSettingsTest, PasswordReadsNullWhenEmptyAndIsCutToItsBuffer)
{
    CWindowManagerUI::SetSkinArchive(u"a.zip", ArchiveMode::OpenPerLoad, "");
    EXPECT_EQ(CWindowManagerUI::SkinArchivePassword(), nullptr);
    CWindowManagerUI::SetSkinArchive(u"a.zip", ArchiveMode::OpenPerLoad, "pw");
    EXPECT_STREQ(CWindowManagerUI::SkinArchivePassword(), "pw");
    CWindowManagerUI::SetSkinArchive(u"a.zip", ArchiveMode::OpenPerLoad, nullptr);
    EXPECT_EQ(CWindowManagerUI::SkinArchivePassword(), nullptr);
    const std::string longPassword(100, 'k');
    CWindowManagerUI::SetSkinArchive(u"a.zip", ArchiveMode::OpenPerLoad, longPassword.c_str());
    EXPECT_EQ(std::string(CWindowManagerUI::SkinArchivePassword()), std::string(63, 'k'));
}

} // namespace
