// The Win32 file and shell services against the real file system under Wine, with the links Wine
// shows to Windows programs: a Unix link to a folder is a reparse point there, a Unix link to a
// file looks like the file itself.
#include "Win32TestSupport.h"

#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "platform/win32/WinPath.h"

namespace {

using namespace win32_test;

TEST(Win32FileSystem, FileQueriesReadAndEmptiness)
{
    TempFolder t;
    t.Make({L"empty\\", L"full\\", L"full\\a.txt", L"zero.bin"});
    ASSERT_TRUE(WriteFileText(t / L"zero.bin", std::string("ab\0cd", 5)));
    EXPECT_FALSE(platform::FileExists(u""));
    EXPECT_TRUE(platform::FileExists(U(t / L"full")));
    EXPECT_TRUE(platform::FileExists(U(t.Path() + L"/full/a.txt")));
    EXPECT_FALSE(platform::FileExists(U(t / L"missing")));
    // A wildcard is no file name: it must not match the entries it would list.
    EXPECT_FALSE(platform::FileExists(U(t / L"full\\*")));
    EXPECT_EQ(platform::ReadFileBytes(U(t / L"zero.bin")), "ab");
    EXPECT_EQ(platform::ReadFileBytes(U(t / L"full\\a.txt")), "data of full\\a.txt");
    EXPECT_EQ(platform::ReadFileBytes(U(t / L"full")), "");
    EXPECT_TRUE(platform::IsDirectoryEmpty(U(t / L"empty")));
    EXPECT_FALSE(platform::IsDirectoryEmpty(U(t / L"full")));
    EXPECT_FALSE(platform::IsDirectoryEmpty(U(t / L"missing")));
    EXPECT_EQ(platform::NativePath(u"C:/a/b"), "C:\\a\\b");
}

TEST(Win32FileSystem, SingleDeletesKeepToTheirKind)
{
    TempFolder t;
    t.Make({L"dir\\", L"dir\\f.txt", L"ro.txt"});
    ::SetFileAttributesW((t / L"ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(platform::DeleteFile(U(t / L"dir")));
    EXPECT_FALSE(platform::RemoveDirectory(U(t / L"dir"))) << "not empty";
    EXPECT_TRUE(platform::DeleteFile(U(t / L"dir\\f.txt")));
    EXPECT_TRUE(platform::RemoveDirectory(U(t / L"dir")));
    EXPECT_FALSE(Exists(t / L"dir"));
    EXPECT_FALSE(platform::DeleteFile(U(t / L"missing")));
}

TEST(Win32FileSystem, LinksToFoldersAreReparsePointsAndNeverFollowed)
{
    TempFolder t;
    t.Make({L"outside\\", L"outside\\keep.txt", L"inside\\"});
    ASSERT_TRUE(MakeUnixLink(t / L"outside", t / L"inside\\link"));
    ASSERT_TRUE(MakeUnixLink(t / L"outside", t / L"emptylink"));
    t.Make({L"hollow\\"});
    ASSERT_TRUE(MakeUnixLink(t / L"hollow", t / L"hollowlink"));
    // This is how Wine presents the link: a folder that is a reparse point.
    const DWORD attributes = platform::win32_impl::EntryAttributes(t / L"inside\\link");
    EXPECT_TRUE(platform::win32_impl::IsReparsePoint(attributes));
    EXPECT_TRUE(platform::win32_impl::IsFolder(attributes));

    // The shell's deletion of a folder holding a link: the target and its file stay.
    platform::ShellDeletePath(U(t / L"inside"));
    EXPECT_TRUE(Exists(t / L"outside\\keep.txt"));
    // The link given as the path itself: its target stays.
    platform::ShellDeletePath(U(t / L"emptylink"));
    EXPECT_TRUE(Exists(t / L"outside\\keep.txt"));
    // Removing a link to an empty folder must not remove that folder (Wine's RemoveDirectoryW would).
    EXPECT_FALSE(platform::RemoveDirectory(U(t / L"hollowlink")));
    EXPECT_TRUE(Exists(t / L"hollow"));
    EXPECT_FALSE(platform::DeleteFile(U(t / L"hollowlink\\x")));
    // A folder replaced by a link leads nowhere for single deletes.
    EXPECT_FALSE(platform::DeleteFile(U(t / L"emptylink\\keep.txt")));
    EXPECT_TRUE(Exists(t / L"outside\\keep.txt"));
    // A path through a link is not trusted.
    std::u16string why;
    EXPECT_FALSE(platform::FolderIsTrusted(U(t / L"emptylink"), why));
    EXPECT_NE(why.find(u"emptylink"), std::u16string::npos);
    EXPECT_TRUE(platform::FolderIsTrusted(U(t / L"outside"), why)) << std::string(why.begin(), why.end());
}

TEST(Win32FileSystem, ShellDeletePathRemovesTreesAndRefusesRootsAndWildcards)
{
    TempFolder t;
    t.Make({L"tree\\", L"tree\\a\\", L"tree\\a\\b\\", L"tree\\a\\b\\c.txt", L"tree\\ro.txt", L"other.txt"});
    ::SetFileAttributesW((t / L"tree\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(platform::ShellDeletePath(U(t / L"tree\\")), 0);
    EXPECT_FALSE(Exists(t / L"tree"));
    EXPECT_EQ(platform::ShellDeletePath(U(t / L"tree")), int(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(platform::ShellDeletePath(U(t / L"*")), int(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(platform::ShellDeletePath(u"Z:\\"), int(ERROR_ACCESS_DENIED));
    EXPECT_EQ(platform::ShellDeletePath(u""), int(ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(Exists(t / L"other.txt"));
}

TEST(Win32FileSystem, StartMenuFolderIsTheShells)
{
    std::u16string folder;
    ASSERT_TRUE(platform::GetStartMenuFolder(folder));
    EXPECT_NE(folder.find(u"Start Menu"), std::u16string::npos) << std::string(folder.begin(), folder.end());
    EXPECT_NE(folder.back(), u'\\');
}

TEST(Win32ConfinedDirectory, RefusesNamesThatLeaveOrThatWindowsWouldRead)
{
    for (const char16_t* name : {u"..\\x", u"a\\..\\..\\x", u"\\x", u"/x", u"C:x", u"C:\\x", u"a\\*", u"f.txt:stream",
                                 u"...", u"a\\.. ", u"x.", u""}) {
        EXPECT_FALSE(platform::ConfinedDirectory::IsAcceptableName(name)) << std::string(name, name + 1);
    }
    std::string normalized;
    EXPECT_TRUE(platform::ConfinedDirectory::NormalizeUtf8("a\\\\.\\b/c", normalized));
    EXPECT_EQ(normalized, "a/b/c");
}

TEST(Win32ConfinedDirectory, OpensOnlyAbsoluteFoldersBelowARoot)
{
    TempFolder t;
    t.Make({L"f.txt"});
    platform::ConfinedDirectory d;
    EXPECT_FALSE(d.Open(u""));
    EXPECT_FALSE(d.Open(u"relative\\dir"));
    EXPECT_FALSE(d.Open(u"Z:\\"));
    EXPECT_FALSE(d.Open(u"Z:"));
    EXPECT_FALSE(d.Open(U(t / L"f.txt")));
    EXPECT_TRUE(d.Open(U(t.Path() + L"\\")));
    std::u16string why;
    EXPECT_TRUE(d.IsTrusted(why));
}

TEST(Win32ConfinedDirectory, DeletesBelowWithoutLeavingThroughLinks)
{
    TempFolder t;
    t.Make({L"outside\\", L"outside\\keep.txt", L"outside\\sub\\", L"outside\\sub\\deep.txt", L"install\\",
            L"install\\a.txt", L"install\\dir\\", L"install\\dir\\b.txt"});
    ASSERT_TRUE(MakeUnixLink(t / L"outside", t / L"install\\dir\\away"));
    ASSERT_TRUE(MakeUnixLink(t / L"outside", t / L"install\\way"));
    platform::ConfinedDirectory d;
    ASSERT_TRUE(d.Open(U(t / L"install")));
    // Through a link on the way: refused, whatever is behind it.
    EXPECT_EQ(d.DeleteBelowUtf8("way/keep.txt"), int(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(d.DeleteBelowUtf8("way\\sub"), int(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(d.ExistsBelowUtf8("way/keep.txt"));
    std::string text;
    EXPECT_EQ(d.ReadFileBelow("way/keep.txt", 100, text), int(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(d.DeleteBelowUtf8("../outside/keep.txt"), int(ERROR_INVALID_PARAMETER));
    // A folder holding a link: everything of its own goes, the link's target stays.
    d.DeleteBelowUtf8("dir");
    EXPECT_FALSE(Exists(t / L"install\\dir\\b.txt"));
    EXPECT_TRUE(Exists(t / L"outside\\keep.txt"));
    EXPECT_TRUE(Exists(t / L"outside\\sub\\deep.txt"));
    EXPECT_EQ(d.DeleteBelowUtf8("a.txt"), 0);
    EXPECT_EQ(d.DeleteBelowUtf8("a.txt"), int(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(d.DeleteBelowUtf8("nowhere/x"), int(ERROR_PATH_NOT_FOUND));
}

TEST(Win32ConfinedDirectory, ReadsBoundedAndRemovesOnlyItselfWhenEmpty)
{
    TempFolder t;
    t.Make({L"install\\", L"install\\m.dat", L"install\\sub\\"});
    ASSERT_TRUE(WriteFileText(t / L"install\\m.dat", "0123456789"));
    platform::ConfinedDirectory d;
    ASSERT_TRUE(d.Open(U(t / L"install")));
    std::string text;
    EXPECT_EQ(d.ReadFileBelow("m.dat", 10, text), 0);
    EXPECT_EQ(text, "0123456789");
    EXPECT_EQ(d.ReadFileBelow("m.dat", 9, text), int(ERROR_FILE_TOO_LARGE));
    EXPECT_EQ(text, "");
    EXPECT_EQ(d.ReadFileBelow("sub", 100, text), int(ERROR_INVALID_DATA));
    EXPECT_EQ(d.RemoveSelfIfEmpty(), int(ERROR_DIR_NOT_EMPTY));
    EXPECT_EQ(d.DeleteBelowUtf8("m.dat"), 0);
    EXPECT_EQ(d.DeleteBelowUtf8("sub"), 0);
    EXPECT_EQ(d.RemoveSelfIfEmpty(), 0);
    EXPECT_FALSE(Exists(t / L"install"));
}

} // namespace
