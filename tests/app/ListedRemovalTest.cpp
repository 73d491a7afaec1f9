// Step 1's report over an installation large enough for two threads: removed paths in the
// manifest's order whichever thread removed them, refused names told once and in place, repeats
// and missing names left out, and after a stop every listed name still there told as left behind.
#include "TestSandbox.h"
#include "app/Manifest.h"
#include "app/Removal.h"
#include "platform/TextEncoding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <thread>

using namespace tvu_test;

namespace {

// Rewrites the staged manifest with `extra` names inserted before its entry `at`.
std::vector<std::string> InsertNames(const fs::path& install, std::size_t at, const std::vector<std::string>& extra)
{
    std::vector<std::string> names = ReadManifestNames(ReadText(install / "uninstall.dat"));
    names.insert(names.begin() + std::ptrdiff_t(std::min(at, names.size())), extra.begin(), extra.end());
    std::string text = "[";
    for (const std::string& name : names)
        text += (text.size() > 1 ? ",{\"name\":\"" : "{\"name\":\"") + name + "\"}";
    WriteText(install / "uninstall.dat", text + "]");
    return names;
}

} // namespace

TEST(ListedRemoval, TheReportFollowsTheManifestWhicheverThreadRemoved)
{
    Sandbox sandbox;
    sandbox.Stage("--files 3000");
    const fs::path install = sandbox.Install();
    const std::vector<std::string> names =
        InsertNames(install, 1500, {"../outside.txt", "lib/p0/q0/r0/file0.dat", "lib/p0/q9/r9/none.dat", "lib/"});

    // What one name after the other gives: each name that is still there when its turn comes.
    std::vector<std::u16string> expected;
    const std::u16string dir = GetInstallDirectory();
    std::set<std::string> gone;
    for (const std::string& name : names) {
        std::string key = name;
        while (!key.empty() && key.back() == '/')
            key.pop_back();
        if (name == "uninstall.dat" || gone.count(key) != 0 || !fs::exists(install / key))
            continue;
        gone.insert(key);
        expected.push_back(dir + platform::Utf8ToUtf16(name));
    }

    RemovalReport report;
    EXPECT_TRUE(RemoveListedFiles(nullptr, &report));
    // The refused name is a problem, so the manifest is kept for a later run.
    EXPECT_EQ(report.leftBehind, std::vector<std::u16string>{dir + u"uninstall.dat"});
    EXPECT_TRUE(fs::exists(install / "uninstall.dat"));
    ASSERT_EQ(report.problems.size(), 1u);
    EXPECT_NE(report.problems[0].find(u"../outside.txt"), std::u16string::npos);
    // "lib/" goes with everything below it at its turn: the later folders of lib are not there
    // any more and are not counted.
    const auto lib = std::find(expected.begin(), expected.end(), dir + u"lib/");
    ASSERT_NE(lib, expected.end());
    std::vector<std::u16string> trimmed(expected.begin(), lib + 1);
    for (auto it = lib + 1; it != expected.end(); ++it) {
        if (it->rfind(dir + u"lib/", 0) != 0)
            trimmed.push_back(*it);
    }
    ASSERT_GE(report.removed.size(), 1500u);
    EXPECT_EQ(report.removed.size(), trimmed.size());
    EXPECT_TRUE(report.removed == trimmed) << "the removed paths are not in the manifest's order";
}

TEST(ListedRemoval, AStopTellsEveryListedNameThatIsStillThere)
{
    Sandbox sandbox;
    sandbox.Stage("--files 5000");
    const fs::path install = sandbox.Install();
    const std::vector<std::string> names = ReadManifestNames(ReadText(install / "uninstall.dat"));
    const std::u16string dir = GetInstallDirectory();

    std::atomic<bool> stop{false};
    std::thread stopper([&] {
        while (fs::exists(install / "lib/p0/q1/r0/file500.dat"))
            std::this_thread::yield();
        stop = true;
    });
    RemovalReport report;
    EXPECT_TRUE(RemoveListedFiles(&stop, &report));
    stopper.join();

    std::set<std::u16string> removed(report.removed.begin(), report.removed.end());
    std::set<std::u16string> left(report.leftBehind.begin(), report.leftBehind.end());
    EXPECT_EQ(removed.size(), report.removed.size());
    std::size_t lastRemoved = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::u16string path = dir + platform::Utf8ToUtf16(names[i]);
        const bool there = fs::exists(install / names[i]);
        EXPECT_EQ(left.count(path) != 0, there) << names[i];
        EXPECT_EQ(removed.count(path) != 0, !there) << names[i];
        if (removed.count(path) != 0) {
            EXPECT_EQ(report.removed[lastRemoved], path) << "removed out of the manifest's order";
            ++lastRemoved;
        }
    }
    EXPECT_TRUE(fs::exists(install / "uninstall.dat"));
    EXPECT_FALSE(left.empty()) << "the stop came after the last name";
}
