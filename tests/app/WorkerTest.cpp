// CWndThread's registry of threads and the uninstall worker's order of work, progress reports,
// stop requests and process termination, with a stand-in for the main window.
#include "app/UninstallWorker.h"
#include "app/WndThread.h"

#include "TestSandbox.h"
#include "app/Removal.h"
#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <latch>

using namespace tvu_test;

namespace {

class FakeWindow : public IUninstallWindow
{
public:
    FakeWindow() { SetMainWindowInstance(this); }
    ~FakeWindow() { SetMainWindowInstance(nullptr); }
    UninstallProgressFlags& ProgressFlags() override { return flags; }
    void RearmProgressTimer() override
    {
        // Each re-arm records how far the steps had got when it came.
        rearms.push_back(flags.filesStepResult.load() * 10 + flags.shortcutStepResult.load());
    }

    UninstallProgressFlags flags;
    std::vector<int> rearms;
};

bool KeyExists(HKEY root, std::u16string_view key)
{
    platform::RegistryStore store(platform::RegistryStore::DefaultLocation());
    platform::RegistryKey k;
    return store.OpenKey(root, key, KEY_READ, k) == ERROR_SUCCESS;
}

// Runs the worker on a CWndThread and waits until its thread has unregistered.
void RunWorker()
{
    CWndThread threads;
    const std::uint32_t id = threads.Start(UninstallWorker, nullptr);
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(WaitFor([&] { return threads.LookupRoutine(id) == nullptr; }, std::chrono::seconds(30)));
}

} // namespace

TEST(WndThread, RunsTheRoutineWithItsArgumentAndUnregistersAfterwards)
{
    CWndThread threads;
    static std::latch* s_release = nullptr;
    std::latch release(1);
    s_release = &release;
    int value = 0;
    const ThreadRoutine routine = [](void* arg) {
        s_release->wait();
        *static_cast<int*>(arg) = 7;
    };
    const std::uint32_t a = threads.Start(routine, &value);
    ASSERT_NE(a, 0u);
    EXPECT_EQ(threads.LookupRoutine(a), routine);
    EXPECT_EQ(threads.LookupArgument(a), &value);
    EXPECT_EQ(threads.LookupRoutine(a + 1000), nullptr);
    EXPECT_EQ(threads.LookupArgument(a + 1000), nullptr);
    release.count_down();
    ASSERT_TRUE(WaitFor([&] { return threads.LookupRoutine(a) == nullptr; }));
    EXPECT_EQ(threads.LookupArgument(a), nullptr);
    EXPECT_EQ(value, 7);
    EXPECT_NE(threads.Start([](void*) {}, nullptr), a);
    EXPECT_FALSE(CWndThread::StopRequested());
}

TEST(WndThread, StopAllAsksRunningThreadsToStopAndTheyMayOutliveTheOwner)
{
    static std::atomic<int> s_stopped{0};
    static std::atomic<int> s_running{0};
    {
        CWndThread threads;
        for (int i = 0; i < 3; ++i) {
            threads.Start(
                [](void*) {
                    ++s_running;
                    while (!CWndThread::StopRequested())
                        std::this_thread::sleep_for(std::chrono::milliseconds(1));
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                    ++s_stopped;
                },
                nullptr);
        }
        ASSERT_TRUE(WaitFor([] { return s_running == 3; }));
        threads.StopAll();
    }
    // The owner is gone; the threads end on their own without touching it.
    EXPECT_TRUE(WaitFor([] { return s_stopped == 3; }));
}

TEST(UninstallWorker, RunsEveryStepAndReportsProgress)
{
    Sandbox sandbox;
    sandbox.Stage("--files 60");
    FakeWindow window;
    RunWorker();
    EXPECT_EQ(window.flags.filesStepResult, 1);
    EXPECT_EQ(window.flags.shortcutStepResult, 1);
    EXPECT_EQ(window.flags.registryStepResult, 1);
    EXPECT_EQ(window.flags.workerFinished, 1);
    // Re-armed once after step 1 and once after step 2.
    EXPECT_EQ(window.rearms, (std::vector<int>{10, 11}));
    EXPECT_FALSE(fs::exists(sandbox.Install()));
    EXPECT_FALSE(fs::exists(sandbox.Dir() / "desktop" / "Tarvion VPN.lnk"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(fs::exists(sandbox.Dir() / "startmenu" / "Tarvion"));
}

TEST(UninstallWorker, WithoutAMainWindowOnlyTheStartMenuStepRuns)
{
    Sandbox sandbox;
    sandbox.Stage("--files 5");
    RunWorker();
    EXPECT_TRUE(fs::exists(sandbox.Install() / "uninstall.dat"));
    EXPECT_TRUE(fs::exists(sandbox.Dir() / "desktop" / "Tarvion VPN.lnk"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(fs::exists(sandbox.Dir() / "startmenu" / "Tarvion"));
}

TEST(UninstallWorker, StopDuringStepOneLeavesTheLaterStepsUndone)
{
    Sandbox sandbox;
    sandbox.Stage("--files 30000");
    std::uint32_t id = 0;
    CWndThread threads;
    {
        FakeWindow window;
        id = threads.Start(UninstallWorker, nullptr);
        ASSERT_NE(id, 0u);
        // Step 1 is under way once the first listed file is gone.
        ASSERT_TRUE(WaitFor([&] { return !fs::exists(sandbox.Install() / "lib/p0/q0/r0/file0.dat"); }));
        threads.StopAll();
        // As the main window's destructor does: StopAll, then the instance is cleared.
    }
    ASSERT_TRUE(WaitFor([&] { return threads.LookupRoutine(id) == nullptr; }, std::chrono::seconds(30)));
    EXPECT_TRUE(fs::exists(sandbox.Install() / "uninstall.dat"));
    EXPECT_TRUE(fs::exists(sandbox.Install() / "lib/p5/q9/r9/file29999.dat"));
    EXPECT_TRUE(fs::exists(sandbox.Dir() / "desktop" / "Tarvion VPN.lnk"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kProductKey));
    EXPECT_TRUE(fs::exists(sandbox.Dir() / "startmenu" / "Tarvion" / "Tarvion.lnk"));
}

TEST(UninstallWorker, TerminatesProcessesWhoseWholeFileNameMatches)
{
    Sandbox sandbox;
    const int a = sandbox.StartIdleAs("Tarvion.exe");
    const int b = sandbox.StartIdleAs("TARVION.EXE");
    const int bak = sandbox.StartIdleAs("Tarvion.exe.bak");
    const int mine = sandbox.StartIdleAs("myTarvion.exe");
    const int transport = sandbox.StartIdleAs("Transport.Exe");
    for (int pid : {a, b, bak, mine, transport})
        ASSERT_GT(pid, 0);
    ASSERT_TRUE(WaitFor([&] {
        int seen = 0;
        for (const platform::ProcessEntry& p : platform::SnapshotProcesses())
            seen += p.pid == a || p.pid == b || p.pid == transport;
        return seen == 3;
    }));

    EXPECT_GE(TerminateProcessesByName(u"Tarvion.exe"), 2);
    EXPECT_GE(TerminateProcessesByName(u"transport.exe"), 1);
    EXPECT_TRUE(WaitFor([&] { return !platform::IsProcessRunning(a) && !platform::IsProcessRunning(b); }));
    EXPECT_TRUE(WaitFor([&] { return !platform::IsProcessRunning(transport); }));
    EXPECT_TRUE(platform::IsProcessRunning(bak));
    EXPECT_TRUE(platform::IsProcessRunning(mine));
}
