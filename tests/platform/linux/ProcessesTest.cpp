// Process services: the /proc snapshot, termination, and detached starts.
#include "platform/Processes.h"

#include "platform/TextEncoding.h"
#include "tests/app/TestSandbox.h"

#include <gtest/gtest.h>

using namespace tvu_test;

TEST(Processes, SnapshotNamesTheExecutableFileOfEachProcess)
{
    const std::vector<platform::ProcessEntry> processes = platform::SnapshotProcesses();
    const auto self = fs::read_symlink("/proc/self/exe").filename().string();
    const int pid = std::stoi(fs::read_symlink("/proc/self").string());
    bool found = false;
    for (const platform::ProcessEntry& p : processes)
        found |= p.pid == pid && p.exeFileName == platform::Utf8ToUtf16(self);
    EXPECT_TRUE(found) << self;
}

TEST(Processes, DetachedStartAndTermination)
{
    Sandbox sandbox;
    const int pid = sandbox.StartIdleAs("Name With Spaces.exe");
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(platform::IsProcessRunning(pid));
    EXPECT_TRUE(WaitFor([&] {
        for (const platform::ProcessEntry& p : platform::SnapshotProcesses())
            if (p.pid == pid && p.exeFileName == u"Name With Spaces.exe")
                return true;
        return false;
    }));
    EXPECT_TRUE(platform::TerminateProcess(pid));
    EXPECT_TRUE(WaitFor([&] { return !platform::IsProcessRunning(pid); }));

    EXPECT_FALSE(platform::TerminateProcess(0));
    EXPECT_FALSE(platform::TerminateProcess(-1));
    EXPECT_FALSE(platform::IsProcessRunning(0));
    EXPECT_EQ(platform::StartDetachedProcess((sandbox.Dir() / "missing").string(), {}), -1);
}
