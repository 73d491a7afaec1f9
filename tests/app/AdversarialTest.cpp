// Manifests, registry values and links that try to make step 1 delete something outside the
// installation directory. After every removal, every outside file is still there, byte for byte.
#include "app/Removal.h"

#include "TestSandbox.h"
#include "platform/Registry.h"
#include "platform/TextEncoding.h"

#include <gtest/gtest.h>

using namespace tvu_test;

namespace {

class Adversarial : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_outside = m_sandbox.Dir() / "outside";
        WriteText(m_outside / "secret.txt", "do not delete");
        WriteText(m_outside / "nested" / "data.bin", std::string("\0\1\2binary", 9));
        WriteText(m_sandbox.Dir() / "sibling.txt", "sibling");
        WriteText(Install() / "keep.txt", "inside but not listed");
        SetUninstallDirectory(Install().string() + "/");
        m_before = Sandbox::Snapshot(m_outside);
    }

    fs::path Install() const { return m_sandbox.Dir() / "install"; }

    void SetUninstallDirectory(const std::string& dir)
    {
        platform::RegistryStore store(platform::RegistryStore::DefaultLocation());
        platform::RegistryKey key;
        ASSERT_EQ(store.CreateKey(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_ALL_ACCESS, key), ERROR_SUCCESS);
        ASSERT_EQ(store.SetString(key, u"UninstallString", platform::Utf8ToUtf16(dir + "uninstall.exe")),
                  ERROR_SUCCESS);
    }

    void WriteManifest(const std::vector<std::string>& names, const fs::path& dir)
    {
        std::string json = "[";
        for (const std::string& n : names) {
            std::string escaped;
            for (char c : n) {
                if (c == 0) {
                    escaped += "\\u0000";
                    continue;
                }
                if (c == '"' || c == '\\')
                    escaped.push_back('\\');
                escaped.push_back(c);
            }
            json += "{\"name\":\"" + escaped + "\"},";
        }
        json += "{\"name\":\"\"}]";
        WriteText(dir / "uninstall.dat", json);
    }

    void ExpectOutsideUntouched()
    {
        EXPECT_EQ(Sandbox::Snapshot(m_outside), m_before);
        EXPECT_EQ(ReadText(m_sandbox.Dir() / "sibling.txt"), "sibling");
    }

    Sandbox m_sandbox;
    fs::path m_outside;
    std::map<std::string, std::string> m_before;
};

} // namespace

TEST_F(Adversarial, NamesThatLeaveTheDirectoryLexicallyAreSkipped)
{
    const std::string outside = m_outside.string();
    WriteText(Install() / "victim.txt", "listed last");
    WriteManifest({"../outside/secret.txt", "..\\outside\\secret.txt", "sub/../../outside/secret.txt", outside,
                   outside + "/secret.txt", "/" + outside + "/nested", "\\..\\sibling.txt", "..", ".", "./", "/",
                   std::string("keep.txt\0/../../sibling.txt", 27), "../sibling.txt", "victim.txt"},
                  Install());
    EXPECT_TRUE(RemoveListedFiles());
    ExpectOutsideUntouched();
    // The loop went on past every refused name; the embedded zero ended that name at keep.txt.
    EXPECT_FALSE(fs::exists(Install() / "victim.txt"));
    EXPECT_FALSE(fs::exists(Install() / "keep.txt"));
    EXPECT_TRUE(fs::exists(Install() / "uninstall.dat"));
}

TEST_F(Adversarial, LinksInsideTheInstallationAreRemovedNotFollowed)
{
    fs::create_symlink(m_outside, Install() / "dirlink");
    fs::create_symlink(m_outside / "secret.txt", Install() / "filelink");
    fs::create_directories(Install() / "plugins");
    fs::create_symlink(m_outside, Install() / "plugins" / "escape");
    fs::create_symlink("../../outside", Install() / "plugins" / "relative-escape");
    WriteText(Install() / "plugins" / "p.so", "x");
    // A hard link is one more name for the outside file: only the name inside goes.
    fs::create_hard_link(m_outside / "secret.txt", Install() / "plugins" / "hard");
    m_before = Sandbox::Snapshot(m_outside);
    WriteManifest({"plugins/hard", "dirlink/secret.txt", "dirlink/nested", "plugins/escape/secret.txt",
                   "plugins/relative-escape/nested/data.bin", "dirlink", "filelink", "plugins", "keep.txt",
                   "uninstall.dat"},
                  Install());
    EXPECT_TRUE(RemoveListedFiles());
    ExpectOutsideUntouched();
    EXPECT_FALSE(fs::exists(Install()));
}

TEST_F(Adversarial, LinksBelowStayingInsideAreResolved)
{
    WriteText(Install() / "real" / "f.txt", "x");
    fs::create_symlink("real", Install() / "alias");
    WriteManifest({"alias/f.txt"}, Install());
    EXPECT_TRUE(RemoveListedFiles());
    EXPECT_FALSE(fs::exists(Install() / "real" / "f.txt"));
    EXPECT_TRUE(fs::is_symlink(Install() / "alias"));
    ExpectOutsideUntouched();
}

TEST_F(Adversarial, ManifestThatIsALinkOutsideIsReadButNothingOutsideGoes)
{
    WriteText(m_outside / "list.json", R"([{"name":"keep.txt"},{"name":"../outside/secret.txt"}])");
    fs::create_symlink(m_outside / "list.json", Install() / "uninstall.dat");
    m_before = Sandbox::Snapshot(m_outside);
    EXPECT_TRUE(RemoveListedFiles());
    EXPECT_FALSE(fs::exists(Install() / "keep.txt"));
    ExpectOutsideUntouched();
}

TEST_F(Adversarial, UnknownRelativeOrRootInstallDirectoryDeletesNothing)
{
    // The working directory holds a manifest naming files that sit right beside it.
    const fs::path cwd = m_sandbox.Dir() / "cwd";
    WriteText(cwd / "precious.txt", "cwd file");
    WriteManifest({"precious.txt", "uninstall.dat"}, cwd);
    const fs::path savedCwd = fs::current_path();
    fs::current_path(cwd);

    const std::vector<std::string> directories = {
        "", "cwd/", "./", "relative/dir/", "/", "//", "/./", m_sandbox.Dir().string() + "/../../../../../../../../"};
    for (const std::string& dir : directories) {
        SetUninstallDirectory(dir);
        EXPECT_TRUE(RemoveListedFiles()) << dir;
        EXPECT_EQ(ReadText(cwd / "precious.txt"), "cwd file") << dir;
        EXPECT_TRUE(fs::exists(cwd / "uninstall.dat")) << dir;
    }
    // A value without any separator is used whole: still not an absolute directory.
    platform::RegistryStore store(platform::RegistryStore::DefaultLocation());
    platform::RegistryKey key;
    ASSERT_EQ(store.OpenKey(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_ALL_ACCESS, key), ERROR_SUCCESS);
    ASSERT_EQ(store.SetString(key, u"UninstallString", u"uninstall.exe"), ERROR_SUCCESS);
    EXPECT_TRUE(RemoveListedFiles());
    ASSERT_EQ(store.DeleteValue(key, u"UninstallString"), ERROR_SUCCESS);
    EXPECT_TRUE(RemoveListedFiles());
    EXPECT_EQ(ReadText(cwd / "precious.txt"), "cwd file");

    fs::current_path(savedCwd);
    ExpectOutsideUntouched();
}

TEST_F(Adversarial, InstallDirectoryBeingALinkKeepsEverythingOutsideTheListedNames)
{
    // The registry may point through a link (e.g. /opt/tarvion -> /data/tarvion): that is followed,
    // but the names below it stay confined to it.
    const fs::path real = m_sandbox.Dir() / "real-install";
    WriteText(real / "a.txt", "a");
    fs::create_symlink(real, m_sandbox.Dir() / "linked");
    SetUninstallDirectory((m_sandbox.Dir() / "linked").string() + "/");
    WriteManifest({"a.txt", "../outside/secret.txt", "../sibling.txt"}, real);
    EXPECT_TRUE(RemoveListedFiles());
    EXPECT_FALSE(fs::exists(real / "a.txt"));
    ExpectOutsideUntouched();
}
