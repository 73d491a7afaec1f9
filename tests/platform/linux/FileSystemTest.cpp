// File and shell services: existence, reading, emptiness, recursive deletion that never follows a
// link, deletion confined to one directory, the Start Menu folder and text conversion.
#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "platform/TextEncoding.h"
#include "platform/Win32Defs.h"

#include "tests/app/TestSandbox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tvu_test;

namespace {

std::u16string U(const fs::path& p)
{
    return platform::Utf8ToUtf16(p.string());
}

} // namespace

TEST(TextEncoding, RoundTripsAndReplacesMalformedSequences)
{
    const std::string text = "a\xC3\xA9\xE6\x96\x87\xF0\x9F\x98\x80";
    EXPECT_EQ(platform::Utf8ToUtf16(text), u"a\u00e9\u6587\U0001F600");
    EXPECT_EQ(platform::Utf16ToUtf8(platform::Utf8ToUtf16(text)), text);
    EXPECT_EQ(platform::Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");           // overlong '/'
    EXPECT_EQ(platform::Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD"); // encoded surrogate
    EXPECT_EQ(platform::Utf8ToUtf16("ab\xE6\x96"), u"ab\uFFFD\uFFFD");       // truncated at the end
    EXPECT_EQ(platform::Utf16ToUtf8(std::u16string(1, char16_t(0xD800)) + u"x"), "\xEF\xBF\xBDx");
    for (const char* bad : {"\xC0\xAF", "\xED\xA0\x80", "ab\xE6\x96", "\xF4\x90\x80\x80", "\xFF", "\x80"})
        EXPECT_FALSE(platform::IsValidUtf8(bad)) << bad;
    EXPECT_TRUE(platform::IsValidUtf8(text));
    EXPECT_TRUE(platform::IsValidUtf8(""));
}

// Window text input replaces a whole bad sequence with one character; stored names refuse lone
// surrogates; text layout needs the byte offset of every UTF-16 index.
TEST(TextEncoding, CallerOptionsForMalformedInputAndOffsets)
{
    using platform::MalformedUtf8;
    EXPECT_EQ(platform::Utf8ToUtf16("\xE6\x96x", MalformedUtf8::ReplaceSequence), u"\uFFFDx");
    EXPECT_EQ(platform::Utf8ToUtf16("\xE6\x96x"), u"\uFFFD\uFFFDx");
    EXPECT_EQ(platform::Utf8ToUtf16("\xED\xA0\x80y\xFF", MalformedUtf8::ReplaceSequence), u"\uFFFDy\uFFFD");
    EXPECT_EQ(platform::Utf8ToUtf16("\xC0\xAF", MalformedUtf8::ReplaceSequence), u"\uFFFD"); // overlong '/'
    EXPECT_EQ(platform::Utf8ToUtf16("ab\xF0\x9F\x98", MalformedUtf8::ReplaceSequence), u"ab\uFFFD");

    std::string out = "x";
    EXPECT_FALSE(platform::AppendUtf16AsUtf8(u"a\xDC00"
                                             u"b",
                                             out, platform::UnpairedSurrogate::Reject));
    EXPECT_EQ(out, "xa");
    out.clear();
    EXPECT_TRUE(platform::AppendUtf16AsUtf8(u"a\U0001F600\u00e9", out, platform::UnpairedSurrogate::Reject));
    EXPECT_EQ(out, "a\xF0\x9F\x98\x80\xC3\xA9");

    std::vector<int> offsets(4, -1);
    out.clear();
    platform::AppendUtf16AsUtf8(u"a\U0001F600\u00e9", out, platform::UnpairedSurrogate::Replace, &offsets);
    EXPECT_EQ(offsets, (std::vector<int>{0, 1, 1, 5}));
}

TEST(FileSystem, ExistenceReadingAndEmptiness)
{
    Sandbox sandbox;
    const fs::path dir = sandbox.Dir();
    WriteText(dir / "f.txt", std::string("text\0after", 10));
    fs::create_symlink(dir / "nowhere", dir / "dangling");
    fs::create_directories(dir / "empty");
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);

    EXPECT_FALSE(platform::FileExists(u""));
    EXPECT_TRUE(platform::FileExists(U(dir / "f.txt")));
    EXPECT_TRUE(platform::FileExists(U(dir / "empty")));
    EXPECT_TRUE(platform::FileExists(U(dir / "dangling")));
    EXPECT_FALSE(platform::FileExists(U(dir / "missing")));

    EXPECT_EQ(platform::ReadFileBytes(U(dir / "f.txt")), "text");
    EXPECT_EQ(platform::ReadFileBytes(U(dir / "missing")), "");
    EXPECT_EQ(platform::ReadFileBytes(U(dir / "empty")), "");
    EXPECT_EQ(platform::ReadFileBytes(U(dir / "fifo")), ""); // returns at once instead of blocking
    EXPECT_EQ(platform::ReadFileBytes(U(dir) + u"\\f.txt"), "text");

    EXPECT_TRUE(platform::IsDirectoryEmpty(U(dir / "empty")));
    EXPECT_TRUE(platform::IsDirectoryEmpty(U(dir / "empty") + u"/"));
    EXPECT_FALSE(platform::IsDirectoryEmpty(U(dir)));
    EXPECT_FALSE(platform::IsDirectoryEmpty(U(dir / "missing")));
    EXPECT_FALSE(platform::IsDirectoryEmpty(u""));

    EXPECT_FALSE(platform::DeleteFile(U(dir / "empty")));
    EXPECT_TRUE(platform::DeleteFile(U(dir / "dangling")));
    EXPECT_FALSE(platform::RemoveDirectory(U(dir)));
    EXPECT_TRUE(platform::RemoveDirectory(U(dir / "empty")));
}

TEST(ShellDelete, RemovesTreesButNeverFollowsLinks)
{
    Sandbox sandbox;
    const fs::path dir = sandbox.Dir();
    WriteText(dir / "outside" / "keep.txt", "keep");
    WriteText(dir / "tree" / "a" / "b" / "c.txt", "c");
    fs::create_symlink(dir / "outside", dir / "tree" / "a" / "link-dir");
    fs::create_symlink(dir / "outside" / "keep.txt", dir / "tree" / "link-file");
    fs::create_symlink(dir / "outside", dir / "top-link");
    const auto before = Sandbox::Snapshot(dir / "outside");

    EXPECT_EQ(platform::ShellDeletePath(U(dir / "tree")), 0);
    EXPECT_FALSE(fs::exists(dir / "tree"));
    EXPECT_EQ(platform::ShellDeletePath(U(dir / "top-link")), 0);
    EXPECT_FALSE(fs::is_symlink(dir / "top-link"));
    EXPECT_EQ(Sandbox::Snapshot(dir / "outside"), before);

    EXPECT_EQ(platform::ShellDeletePath(U(dir / "tree")), int(ERROR_FILE_NOT_FOUND));
    EXPECT_NE(platform::ShellDeletePath(U(dir / "no" / "parent")), 0);
    EXPECT_EQ(platform::ShellDeletePath(u""), int(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(platform::ShellDeletePath(u"/"), int(ERROR_ACCESS_DENIED));
    EXPECT_EQ(platform::ShellDeletePath(U(dir / "outside") + u"/.."), int(ERROR_INVALID_PARAMETER));
    WriteText(dir / "single.txt", "x");
    EXPECT_EQ(platform::ShellDeletePath(U(dir) + u"\\single.txt"), 0);
    EXPECT_TRUE(fs::exists(dir / "outside" / "keep.txt"));
}

TEST(ConfinedDirectory, OpensOnlyAbsoluteDirectoriesOtherThanTheRoot)
{
    Sandbox sandbox;
    platform::ConfinedDirectory d;
    EXPECT_FALSE(d.Open(u""));
    EXPECT_FALSE(d.Open(u"relative/"));
    EXPECT_FALSE(d.Open(u"/"));
    EXPECT_FALSE(d.Open(U(sandbox.Dir()) + u"/../../../../../../.."));
    EXPECT_FALSE(d.Open(U(sandbox.Dir() / "missing")));
    EXPECT_FALSE(d.IsOpen());
    EXPECT_NE(d.DeleteBelow(u"x"), 0);
    EXPECT_TRUE(d.Open(U(sandbox.Dir()) + u"/"));
    EXPECT_TRUE(d.IsOpen());
}

TEST(ConfinedDirectory, RefusesNamesThatLeaveAndDeletesThoseThatStay)
{
    for (const char16_t* bad : {u"", u"/etc", u"\\etc", u"..", u"a/../b", u"a\\..\\b", u".", u"./", u"a/./.."})
        EXPECT_FALSE(platform::ConfinedDirectory::IsAcceptableName(bad)) << platform::Utf16ToUtf8(bad);
    for (const char16_t* good : {u"a", u"a/b", u"a\\b", u"./a", u"a//b/", u"..a", u"a..", u"...", u"C:\\x"})
        EXPECT_TRUE(platform::ConfinedDirectory::IsAcceptableName(good)) << platform::Utf16ToUtf8(good);

    Sandbox sandbox;
    const fs::path base = sandbox.Dir() / "base";
    WriteText(sandbox.Dir() / "outside" / "f", "keep");
    WriteText(base / "sub" / "f", "x");
    WriteText(base / "sub" / "g", "x");
    fs::create_symlink(sandbox.Dir() / "outside", base / "abs-link");
    fs::create_symlink("../outside", base / "rel-link");
    platform::ConfinedDirectory d;
    ASSERT_TRUE(d.Open(U(base)));
    EXPECT_EQ(d.DeleteBelow(u"abs-link/f"), int(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(d.DeleteBelow(u"rel-link/f"), int(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(d.DeleteBelow(u"../outside/f"), int(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(d.DeleteBelow(u"sub\\f"), 0);
    EXPECT_EQ(d.DeleteBelow(u"sub/f"), int(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(d.DeleteBelow(u"sub"), 0);
    EXPECT_EQ(d.DeleteBelow(u"sub/g"), int(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(d.DeleteBelow(u"abs-link"), 0);
    EXPECT_EQ(ReadText(sandbox.Dir() / "outside" / "f"), "keep");
}

// A folder holding more names than one reading of it takes, a few of which cannot go (mount points
// answer EBUSY): every other name goes, later readings skip what failed and come to an end, and
// the failure is told rather than hidden by the folder's own refusal. Run in a private mount namespace so that nothing
// outside sees the mounts.
TEST(ConfinedDirectory, AFolderOfManyNamesIsEmptiedAroundWhatCannotGo)
{
    Sandbox sandbox;
    const fs::path base = sandbox.Dir() / "base";
    const fs::path tree = base / "tree";
    for (int i = 0; i < 700; ++i)
        WriteText(fs::path(tree / "f") += std::to_string(i), "x");
    WriteText(tree / "sub" / "deeper" / "g", "x");
    const std::vector<std::string> held = {"m3", "m300", "m650"};
    for (const std::string& name : held)
        fs::create_directories(tree / name);

    const pid_t child = fork();
    if (child == 0) {
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            _exit(200);
        for (const std::string& name : held) {
            if (mount("tmpfs", (tree / name).c_str(), "tmpfs", 0, "size=64k,mode=0755") != 0)
                _exit(200);
        }
        platform::ConfinedDirectory d;
        if (!d.Open(U(base)))
            _exit(1);
        const int rc = d.DeleteBelow(u"tree");
        std::vector<std::string> left;
        for (const auto& entry : fs::directory_iterator(tree))
            left.push_back(entry.path().filename().string());
        std::sort(left.begin(), left.end());
        if (left != held)
            _exit(2);
        _exit(rc == int(ERROR_SHARING_VIOLATION) ? 0 : 3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_NE(WEXITSTATUS(status), 200) << "no private mount namespace";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: not opened, 2: wrong names left, 3: wrong error code";
}

TEST(StartMenuFolder, EnvironmentOverrideThenXdgThenHome)
{
    std::u16string folder;
    setenv("TVU_STARTMENU", "/sandbox/menu/", 1);
    EXPECT_TRUE(platform::GetStartMenuFolder(folder));
    EXPECT_EQ(folder, u"/sandbox/menu");
    setenv("TVU_STARTMENU", "", 1);
    setenv("XDG_DATA_HOME", "/data", 1);
    setenv("HOME", "/home/u", 1);
    EXPECT_TRUE(platform::GetStartMenuFolder(folder));
    EXPECT_EQ(folder, u"/data/applications");
    setenv("XDG_DATA_HOME", "relative", 1);
    EXPECT_TRUE(platform::GetStartMenuFolder(folder));
    EXPECT_EQ(folder, u"/home/u/.local/share/applications");
    unsetenv("XDG_DATA_HOME");
    unsetenv("HOME");
    EXPECT_FALSE(platform::GetStartMenuFolder(folder));
    EXPECT_EQ(folder, u"");
}
