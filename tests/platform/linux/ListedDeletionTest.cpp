// Deleting a whole list of names below a confined directory: whatever the list holds (folders of
// one depth emptied side by side, folders listed before or after their contents, names reached
// through a link, hard links, repeats, mount points that cannot go), every name must end as it
// would if the names were deleted one after the other, and a stop must leave untried names there.
#include "platform/FileSystem.h"
#include "platform/TextEncoding.h"

#include "tests/app/TestSandbox.h"

#include <gtest/gtest.h>

#include <atomic>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace tvu_test;
using Outcome = platform::ConfinedDirectory::Outcome;

namespace {

std::u16string U(const fs::path& p)
{
    return platform::Utf8ToUtf16(p.string());
}

// A prefix and a number, built by appending (the sum of a short literal and a number's text trips a
// false -Wrestrict warning of GCC 12).
std::string Numbered(const char* prefix, int n)
{
    std::string text(prefix);
    text += std::to_string(n);
    return text;
}

char Letter(Outcome outcome)
{
    switch (outcome) {
    case Outcome::NotTried:
        return 'n';
    case Outcome::Removed:
        return 'r';
    case Outcome::LeftBehind:
        return 'l';
    case Outcome::Absent:
        return 'a';
    }
    return '?';
}

// Twelve sibling folders of thirty files, with the awkward cases among them; the names in the
// order an installer could list them, folders mostly after their contents.
std::vector<std::string> BuildTree(const fs::path& base)
{
    std::vector<std::string> names;
    for (int f = 0; f < 12; ++f) {
        const std::string folder = "lib/f" + std::to_string(f);
        for (int i = 0; i < 30; ++i) {
            WriteText(base / folder / Numbered("file", i), "x");
            names.push_back(folder + "/file" + std::to_string(i));
        }
        if (f == 9) {
            // A mount point (made by the caller) cannot go and is left behind.
            fs::create_directories(base / folder / "m");
            names.push_back(folder + "/m");
        }
        if (f == 3) {
            // A listed folder with contents of its own, whose files are listed right after it:
            // they are gone with it and must not be counted as removed on their own.
            for (int i = 0; i < 200; ++i)
                WriteText(base / folder / "sub" / Numbered("s", i), "x");
            names.push_back(folder + "/sub");
            for (int i = 0; i < 200; ++i)
                names.push_back(folder + "/sub/s" + std::to_string(i));
        }
    }
    // The same file through two links, in two folders of one depth.
    fs::create_hard_link(base / "lib/f1/file0", base / "lib/f2/hard");
    names.push_back("lib/f2/hard");
    // A folder reached through a link: only the first of the two names reaching a file removes it.
    fs::create_directory_symlink("f4", base / "lib/alias");
    names.push_back("lib/alias/file0");
    names.push_back("lib/f4/file0");
    // Repeats, written differently.
    names.push_back("lib/f5/file1");
    names.push_back("lib//f5/./file1");
    // Missing names and a missing folder; a link to a folder is removed as a link.
    names.push_back("lib/f6/nothere");
    names.push_back("lib/missing/x");
    fs::create_directory_symlink("../f8", base / "lib/f7/link");
    WriteText(base / "lib/f8/kept-until-listed", "x");
    names.push_back("lib/f7/link");
    names.push_back("lib/f8/kept-until-listed");
    // A refused name touches nothing.
    names.push_back("../outside");
    // The folders, deepest first, then a name below one of them again.
    for (int f = 0; f < 12; ++f)
        names.push_back("lib/f" + std::to_string(f));
    names.push_back("lib/alias");
    names.push_back("lib/f0/file0");
    names.push_back("lib");
    return names;
}

std::string Listing(const fs::path& base)
{
    std::vector<std::string> entries;
    for (auto it = fs::recursive_directory_iterator(base); it != fs::recursive_directory_iterator(); ++it)
        entries.push_back(fs::relative(it->path(), base).string());
    std::sort(entries.begin(), entries.end());
    std::string text;
    for (const std::string& e : entries)
        text += e + "\n";
    return text;
}

} // namespace

// Each tree is deleted in a child with its own mount namespace, one name at a time and as a list;
// the outcomes and what is left must agree. Repeated, as two threads may meet in any order.
TEST(ListedDeletion, EndsEveryNameAsOneAfterTheOtherWould)
{
    Sandbox sandbox;
    const fs::path results = sandbox.Dir() / "results";
    for (int round = 0; round < 10; ++round) {
        const fs::path one = sandbox.Dir() / ("one" + std::to_string(round));
        const fs::path list = sandbox.Dir() / ("list" + std::to_string(round));
        const std::vector<std::string> names = BuildTree(one);
        ASSERT_EQ(BuildTree(list), names);
        ASSERT_GE(names.size(), 256u) << "too few names for the second thread";

        const pid_t child = fork();
        if (child == 0) {
            if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
                _exit(200);
            for (const fs::path& base : {one, list}) {
                if (mount("tmpfs", (base / "lib/f9/m").c_str(), "tmpfs", 0, "size=64k,mode=0755") != 0)
                    _exit(200);
            }
            std::string text;
            platform::ConfinedDirectory single;
            if (!single.Open(U(one)))
                _exit(1);
            for (const std::string& name : names) {
                if (single.DeleteBelowUtf8(name) == 0)
                    text += 'r';
                else
                    text += single.ExistsBelowUtf8(name) ? 'l' : 'a';
            }
            text += '\n';
            platform::ConfinedDirectory all;
            if (!all.Open(U(list)))
                _exit(1);
            const std::vector<std::string_view> views(names.begin(), names.end());
            std::vector<Outcome> outcomes;
            all.DeleteEachBelowUtf8(views, nullptr, outcomes);
            if (outcomes.size() != names.size())
                _exit(2);
            for (const Outcome outcome : outcomes)
                text += Letter(outcome);
            text += '\n' + Listing(one) + "--\n" + Listing(list);
            WriteText(results, text);
            for (const fs::path& base : {one, list})
                umount((base / "lib/f9/m").c_str());
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        ASSERT_NE(WEXITSTATUS(status), 200) << "no private mount namespace";
        ASSERT_EQ(WEXITSTATUS(status), 0);

        const std::string text = ReadText(results);
        const std::size_t first = text.find('\n'), second = text.find('\n', first + 1);
        ASSERT_NE(second, std::string::npos);
        const std::string expected = text.substr(0, first), got = text.substr(first + 1, second - first - 1);
        EXPECT_EQ(got, expected) << "round " << round;
        const std::size_t split = text.find("--\n");
        EXPECT_EQ(text.substr(split + 3), text.substr(second + 1, split - second - 1)) << "round " << round;
        // The cases the tree was built for did happen.
        EXPECT_NE(expected.find('l'), std::string::npos);
        EXPECT_EQ(expected.substr(4 * 30, 1), "r") << "the listed folder with contents";
        EXPECT_EQ(expected.substr(4 * 30 + 1, 200), std::string(200, 'a'));
    }
}

// A stop from another thread at any moment: what was tried is told as it went, and every name
// not tried is still there.
TEST(ListedDeletion, AStopLeavesEveryUntriedNameInPlace)
{
    Sandbox sandbox;
    const fs::path base = sandbox.Dir() / "base";
    std::vector<std::string> names;
    for (int f = 0; f < 100; ++f) {
        for (int i = 0; i < 50; ++i) {
            names.push_back(Numbered("d", f) + Numbered("/file", i));
            WriteText(base / names.back(), "x");
        }
    }
    const std::vector<std::string_view> views(names.begin(), names.end());
    platform::ConfinedDirectory d;
    ASSERT_TRUE(d.Open(U(base)));

    std::atomic<bool> stop{true};
    std::vector<Outcome> outcomes;
    d.DeleteEachBelowUtf8(views, &stop, outcomes);
    ASSERT_EQ(outcomes.size(), names.size());
    EXPECT_EQ(std::count(outcomes.begin(), outcomes.end(), Outcome::NotTried), std::ptrdiff_t(names.size()));
    EXPECT_TRUE(fs::exists(base / names.front()));

    stop = false;
    std::thread stopper([&] {
        while (fs::exists(base / names[300]) || fs::exists(base / names[350]))
            std::this_thread::yield();
        stop = true;
    });
    d.DeleteEachBelowUtf8(views, &stop, outcomes);
    stopper.join();
    std::size_t untried = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const bool there = fs::exists(base / names[i]);
        if (outcomes[i] == Outcome::NotTried) {
            ++untried;
            EXPECT_TRUE(there) << names[i];
        } else {
            EXPECT_EQ(outcomes[i], Outcome::Removed) << names[i];
            EXPECT_FALSE(there) << names[i];
        }
    }
    EXPECT_GT(untried, 0u) << "the stop came after the last name";
}
