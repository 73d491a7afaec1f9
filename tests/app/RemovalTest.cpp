// The removal utilities and the four removal steps against a staged sandbox installation with a
// real registry database.
#include "app/Removal.h"

#include "TestSandbox.h"
#include "platform/Registry.h"
#include "platform/TextEncoding.h"

#include <gtest/gtest.h>

using namespace tvu_test;

namespace {

platform::RegistryStore Store()
{
    return platform::RegistryStore(platform::RegistryStore::DefaultLocation());
}

void SetString(HKEY root, std::u16string_view key, std::u16string_view name, std::u16string_view value, DWORD view = 0)
{
    platform::RegistryStore store(platform::RegistryStore::DefaultLocation());
    platform::RegistryKey k;
    ASSERT_EQ(store.CreateKey(root, key, KEY_ALL_ACCESS | view, k), ERROR_SUCCESS);
    ASSERT_EQ(store.SetString(k, name, value), ERROR_SUCCESS);
}

bool KeyExists(HKEY root, std::u16string_view key)
{
    platform::RegistryStore store(platform::RegistryStore::DefaultLocation());
    platform::RegistryKey k;
    return store.OpenKey(root, key, KEY_READ, k) == ERROR_SUCCESS;
}

} // namespace

TEST(RemovalUtilities, DirectoryPartKeepsTheLastSeparator)
{
    EXPECT_EQ(GetDirectoryPart(u"C:/Apps/T/u.exe"), u"C:/Apps/T/");
    EXPECT_EQ(GetDirectoryPart(u"C:\\Apps\\Tarvion\\uninst.exe"), u"C:\\Apps\\Tarvion\\");
    EXPECT_EQ(GetDirectoryPart(u"/opt/a\\b/c"), u"/opt/a\\b/");
    EXPECT_EQ(GetDirectoryPart(u"\"uninstall.exe\""), u"\"uninstall.exe\"");
    EXPECT_EQ(GetDirectoryPart(u""), u"");
}

TEST(RemovalUtilities, Utf8ToWideConvertsUpToTheFirstZero)
{
    EXPECT_EQ(Utf8ToWide("d\xC3\xA9j\xC3\xA0 \xF0\x9F\x98\x80"), u"d\u00e9j\u00e0 \U0001F600");
    EXPECT_EQ(Utf8ToWide(std::string_view("ab\0../x", 7)), u"ab");
    EXPECT_EQ(Utf8ToWide("a\xFF"
                         "b"),
              u"a\uFFFDb");
    EXPECT_EQ(Utf8ToWide(""), u"");
}

TEST(RemovalUtilities, QueryRegistryValueFormsTheRequestedKind)
{
    Sandbox sandbox;
    SetString(HKEY_LOCAL_MACHINE, u"SOFTWARE\\T", u"S", u"Gr\u00fc\u00dfe");
    {
        platform::RegistryStore store = Store();
        platform::RegistryKey k;
        ASSERT_EQ(store.CreateKey(HKEY_LOCAL_MACHINE, u"SOFTWARE\\T", KEY_ALL_ACCESS, k), ERROR_SUCCESS);
        ASSERT_EQ(store.SetDword(k, u"D", 0xFFFFFFFE), ERROR_SUCCESS);
        ASSERT_EQ(store.SetDword(k, u"Big", 4000000000u), ERROR_SUCCESS);
    }
    std::u16string text = u"stale";
    EXPECT_TRUE(QueryRegistryValue(HKEY_LOCAL_MACHINE, u"software\\t", u"s", REG_SZ, text));
    EXPECT_EQ(text, u"Gr\u00fc\u00dfe");
    EXPECT_TRUE(QueryRegistryValue(HKEY_LOCAL_MACHINE, u"SOFTWARE\\T", u"D", REG_DWORD, text));
    EXPECT_EQ(text, u"-2");
    EXPECT_TRUE(QueryRegistryValue(HKEY_LOCAL_MACHINE, u"SOFTWARE\\T", u"Big", REG_BINARY, text));
    EXPECT_EQ(text, u"-294967296");
    // The kind asked for decides, not the kind stored: "Gr" as a 32-bit word.
    EXPECT_TRUE(QueryRegistryValue(HKEY_LOCAL_MACHINE, u"SOFTWARE\\T", u"S", REG_DWORD, text));
    EXPECT_EQ(text, u"7471175");
    EXPECT_FALSE(QueryRegistryValue(HKEY_LOCAL_MACHINE, u"SOFTWARE\\T", u"Missing", REG_SZ, text));
    EXPECT_EQ(text, u"");
    EXPECT_FALSE(QueryRegistryValue(HKEY_CURRENT_USER, u"SOFTWARE\\T", u"S", REG_SZ, text));
}

TEST(RemovalUtilities, QueryRegistryValueReadsAtMostTheLimit)
{
    Sandbox sandbox;
    // 5,119 characters and the terminator are exactly 10,240 bytes; one more does not fit.
    SetString(HKEY_LOCAL_MACHINE, u"SOFTWARE\\T", u"Fits", std::u16string(5119, u'x'));
    SetString(HKEY_LOCAL_MACHINE, u"SOFTWARE\\T", u"TooLong", std::u16string(5120, u'x'));
    std::u16string text;
    EXPECT_TRUE(QueryRegistryValue(HKEY_LOCAL_MACHINE, u"SOFTWARE\\T", u"Fits", REG_SZ, text));
    EXPECT_EQ(text.size(), 5119u);
    EXPECT_FALSE(QueryRegistryValue(HKEY_LOCAL_MACHINE, u"SOFTWARE\\T", u"TooLong", REG_SZ, text));
    EXPECT_EQ(text, u"");
}

TEST(RemovalUtilities, QueryRegistryValueTriesThe64BitViewOnlyForAMissingValue)
{
    Sandbox sandbox;
    SetString(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Both", u"Other", u"default view");
    SetString(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Both", u"V", u"64-bit view", KEY_WOW64_64KEY);
    SetString(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Only64", u"V", u"64-bit view", KEY_WOW64_64KEY);
    std::u16string text;
    EXPECT_TRUE(QueryRegistryValue(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Both", u"V", REG_SZ, text));
    EXPECT_EQ(text, u"64-bit view");
    EXPECT_FALSE(QueryRegistryValue(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Only64", u"V", REG_SZ, text));
    // A value present in both views is read from the default view.
    SetString(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Both", u"V", u"default view");
    EXPECT_TRUE(QueryRegistryValue(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Both", u"V", REG_SZ, text));
    EXPECT_EQ(text, u"default view");
}

TEST(RemovalUtilities, NoDatabaseMeansNothingCanBeRead)
{
    Sandbox sandbox;
    std::u16string text;
    EXPECT_FALSE(QueryRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, u"UninstallString", REG_SZ, text));
    EXPECT_EQ(GetInstallDirectory(), u"");
    EXPECT_FALSE(DeleteRegistryTree(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(fs::exists(sandbox.Dir() / "registry.db"));
}

TEST(RemovalSteps, AllFourStepsRemoveTheStagedInstallation)
{
    Sandbox sandbox;
    sandbox.Stage("--files 120");
    SetString(HKEY_CURRENT_USER, u"Software\\Tarvion VPN2", u"Keep", u"1");
    SetString(HKEY_CURRENT_USER, u"Software\\Other", u"Keep", u"1");
    EXPECT_EQ(GetInstallDirectory(), platform::Utf8ToUtf16(sandbox.Install().string() + "/"));

    EXPECT_TRUE(RemoveListedFiles());
    EXPECT_FALSE(fs::exists(sandbox.Install()));
    EXPECT_TRUE(RemoveRecordedShortcut());
    EXPECT_FALSE(fs::exists(sandbox.Dir() / "desktop" / "Tarvion VPN.lnk"));
    EXPECT_TRUE(fs::exists(sandbox.Dir() / "desktop"));
    EXPECT_TRUE(RemoveRegistryKeys());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kProductKey));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, u"Software\\Tarvion VPN2"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, u"Software\\Other"));
    RemoveStartMenuEntries();
    EXPECT_FALSE(fs::exists(sandbox.Dir() / "startmenu" / "Tarvion"));
    EXPECT_TRUE(fs::exists(sandbox.Dir() / "startmenu"));
    EXPECT_TRUE(fs::exists(sandbox.Dir() / "temp"));

    // A second run finds nothing left and reports as before, except for the registry key.
    EXPECT_TRUE(RemoveListedFiles());
    EXPECT_TRUE(RemoveRecordedShortcut());
    EXPECT_FALSE(RemoveRegistryKeys());
    RemoveStartMenuEntries();
}

TEST(RemovalSteps, ManifestOnlyDeletesWhatItListsBeforeTheEnd)
{
    Sandbox sandbox;
    sandbox.Stage("--files 0");
    const fs::path install = sandbox.Install();
    WriteText(install / "a.txt", "a");
    WriteText(install / "b.txt", "b");
    WriteText(install / "c.txt", "c");
    WriteText(install / "uninstall.dat", R"([{"name":"a.txt"},{"name":""},{"name":"c.txt"},{"name":"uninstall.dat"}])");
    EXPECT_TRUE(RemoveListedFiles());
    EXPECT_FALSE(fs::exists(install / "a.txt"));
    EXPECT_TRUE(fs::exists(install / "b.txt"));
    EXPECT_TRUE(fs::exists(install / "c.txt"));
    // Not listing itself, the manifest stays, and so does the directory.
    EXPECT_TRUE(fs::exists(install / "uninstall.dat"));
}

TEST(RemovalSteps, NonAsciiNamesAndFoldersWithContentAreDeleted)
{
    Sandbox sandbox;
    sandbox.Stage("--files 0");
    const fs::path install = sandbox.Install();
    for (const fs::directory_entry& e : fs::directory_iterator(install))
        fs::remove_all(e.path());
    WriteText(install / "d\xC3\xA9j\xC3\xA0" / "\xE6\x96\x87\xE4\xBB\xB6.txt", "x");
    WriteText(install / "plugins" / "deep" / "deeper" / "p.so", "x");
    WriteText(install / "uninstall.dat", "[{\"name\":\"d\xC3\xA9j\xC3\xA0/\xE6\x96\x87\xE4\xBB\xB6.txt\"},"
                                         "{\"name\":\"d\xC3\xA9j\xC3\xA0\"},{\"name\":\"plugins\"},"
                                         "{\"name\":\"missing.txt\"},{\"name\":\"uninstall.dat\"}]");
    EXPECT_TRUE(RemoveListedFiles());
    EXPECT_FALSE(fs::exists(install));
}

TEST(RemovalSteps, UnreadableManifestStillRemovesAnEmptyDirectory)
{
    Sandbox sandbox;
    sandbox.Stage("--files 0");
    const fs::path install = sandbox.Install();
    WriteText(install / "uninstall.dat", "{ broken");
    EXPECT_TRUE(RemoveListedFiles());
    EXPECT_TRUE(fs::exists(install / "Tarvion.exe"));

    for (const fs::directory_entry& e : fs::directory_iterator(install))
        fs::remove_all(e.path());
    EXPECT_TRUE(RemoveListedFiles());
    EXPECT_FALSE(fs::exists(install));
}

TEST(RemovalSteps, StopRequestEndsStepOneBetweenEntries)
{
    Sandbox sandbox;
    sandbox.Stage("--files 10");
    std::atomic<bool> stop{true};
    EXPECT_TRUE(RemoveListedFiles(&stop));
    EXPECT_EQ(Sandbox::Snapshot(sandbox.Install()).count("lib/p0/q0/r0/file0.dat"), 1u);
    stop = false;
    EXPECT_TRUE(RemoveListedFiles(&stop));
    EXPECT_FALSE(fs::exists(sandbox.Install()));
}

TEST(RemovalSteps, RecordedShortcutIsDeletedOnlyWhenItIsNotAFolder)
{
    Sandbox sandbox;
    const fs::path folder = sandbox.Dir() / "Desktop folder";
    WriteText(folder / "keep.txt", "keep");
    SetString(HKEY_LOCAL_MACHINE, kUninstallKey, u"DisplayShortcut", platform::Utf8ToUtf16(folder.string()));
    EXPECT_TRUE(RemoveRecordedShortcut());
    EXPECT_EQ(ReadText(folder / "keep.txt"), "keep");

    // A shortcut that is a link loses the link only.
    const fs::path link = sandbox.Dir() / "Tarvion VPN.lnk";
    fs::create_symlink(folder / "keep.txt", link);
    SetString(HKEY_LOCAL_MACHINE, kUninstallKey, u"DisplayShortcut", platform::Utf8ToUtf16(link.string()));
    EXPECT_TRUE(RemoveRecordedShortcut());
    EXPECT_FALSE(fs::is_symlink(link));
    EXPECT_EQ(ReadText(folder / "keep.txt"), "keep");
}

TEST(RemovalSteps, StartMenuFolderWithOtherContentStays)
{
    Sandbox sandbox;
    sandbox.Stage("--files 0");
    const fs::path menu = sandbox.Dir() / "startmenu" / "Tarvion";
    WriteText(menu / "Readme.lnk", "user's own");
    RemoveStartMenuEntries();
    EXPECT_FALSE(fs::exists(menu / "Tarvion.lnk"));
    EXPECT_FALSE(fs::exists(menu / "Remove Tarvion.lnk"));
    EXPECT_TRUE(fs::exists(menu / "Readme.lnk"));

    // Without TVU_STARTMENU the XDG folder is used.
    unsetenv("TVU_STARTMENU");
    setenv("XDG_DATA_HOME", (sandbox.Dir() / "xdg").c_str(), 1);
    WriteText(sandbox.Dir() / "xdg" / "applications" / "Tarvion" / "Tarvion.lnk", "x");
    RemoveStartMenuEntries();
    EXPECT_FALSE(fs::exists(sandbox.Dir() / "xdg" / "applications" / "Tarvion"));
}
