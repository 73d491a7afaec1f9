// The worker's report and the order that keeps a product removable: a stopped run, an entry that
// cannot be deleted, a broken manifest and a write-locked registry store each leave the installed
// uninstaller, its manifest and the uninstall registration in place, say so in the report, and a
// later run finishes the job.
#include "app/UninstallWorker.h"
#include "app/WndThread.h"

#include "TestSandbox.h"
#include "app/Removal.h"
#include "platform/Registry.h"
#include "platform/TextEncoding.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <malloc.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

using namespace tvu_test;
using namespace std::chrono_literals;

namespace {

class ReportWindow : public IUninstallWindow
{
public:
    ReportWindow() { SetMainWindowInstance(this); }
    ~ReportWindow() { SetMainWindowInstance(nullptr); }
    UninstallProgressFlags& ProgressFlags() override { return flags; }
    void RearmProgressTimer() override { ++rearms; }

    UninstallProgressFlags flags;
    std::atomic<int> rearms{0};
};

bool UninstallKeyExists()
{
    platform::RegistryStore store(platform::RegistryStore::DefaultLocation());
    platform::RegistryKey key;
    return store.OpenKey(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_QUERY_VALUE, key) == ERROR_SUCCESS;
}

bool Mentions(const std::vector<std::u16string>& texts, const std::string& part)
{
    const std::u16string wide = platform::Utf8ToUtf16(part);
    return std::any_of(texts.begin(), texts.end(), [&](const std::u16string& t) { return t.find(wide) != t.npos; });
}

// Runs the worker to its end with a window present and returns its report.
RemovalReport RunToEnd()
{
    ReportWindow window;
    CWndThread threads;
    const std::uint32_t id = threads.Start(UninstallWorker, nullptr);
    EXPECT_NE(id, 0u);
    EXPECT_TRUE(WaitFor([&] { return window.flags.workerFinished.load() == 1; }, std::chrono::seconds(60)));
    EXPECT_EQ(window.flags.filesStepResult.load(), 1);
    EXPECT_EQ(window.flags.shortcutStepResult.load(), 1);
    EXPECT_TRUE(WaitFor([&] { return threads.LookupRoutine(id) == nullptr; }));
    return LastRemovalReport();
}

// Sets or clears the immutable attribute, which even root cannot delete through.
bool SetImmutable(const fs::path& path, bool on)
{
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    ok = ok && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    close(fd);
    return ok;
}

class RemovalReportTest : public ::testing::Test
{
protected:
    void Stage(int files)
    {
        m_sandbox.Stage(Cat({"--files ", std::to_string(files), " --uninstaller '", ToolPath("tarvion-idle"), "'"}));
    }
    fs::path Install() const { return m_sandbox.Install(); }

    Sandbox m_sandbox;
};

} // namespace

TEST_F(RemovalReportTest, ACompleteRunReportsWhatWentAndNothingLeft)
{
    Stage(40);
    const RemovalReport report = RunToEnd();
    EXPECT_TRUE(report.Complete());
    EXPECT_FALSE(report.registrationKept);
    EXPECT_TRUE(report.leftBehind.empty());
    EXPECT_TRUE(report.problems.empty());
    EXPECT_FALSE(fs::exists(Install()));
    EXPECT_FALSE(UninstallKeyExists());
    // The uninstaller and its manifest went last of the listed entries, then the folder itself.
    ASSERT_GE(report.removed.size(), 3u);
    const auto at = [&](const std::string& name) {
        return std::find_if(report.removed.begin(), report.removed.end(),
                            [&](const std::u16string& p) { return p == platform::Utf8ToUtf16(name); }) -
               report.removed.begin();
    };
    const std::string dir = Install().string() + "/";
    const auto exe = at(dir + "uninstall.exe"), dat = at(dir + "uninstall.dat"), folder = at(dir);
    EXPECT_LT(exe, std::ptrdiff_t(report.removed.size()));
    EXPECT_LT(dat, std::ptrdiff_t(report.removed.size()));
    EXPECT_EQ(std::max(exe, dat) + 1, folder);
    for (const std::u16string& path : report.removed) {
        if (path.rfind(platform::Utf8ToUtf16(dir + "lib"), 0) == 0) {
            EXPECT_LT(&path - report.removed.data(), std::min(exe, dat));
        }
    }
}

TEST_F(RemovalReportTest, AStopKeepsWhatALaterRunNeedsAndThatRunFinishes)
{
    Stage(10000);
    {
        ReportWindow window;
        CWndThread threads;
        threads.Start(UninstallWorker, nullptr);
        ASSERT_TRUE(WaitFor([&] { return !fs::exists(Install() / "lib/p0/q0/r0/file0.dat"); }));
        threads.StopAll();
        // The window stays: the stopped worker still tells it that it is done.
        ASSERT_TRUE(WaitFor([&] { return window.flags.workerFinished.load() == 1; }, std::chrono::seconds(30)));
        EXPECT_EQ(window.flags.registryStepResult.load(), 0);
    }
    const RemovalReport stopped = LastRemovalReport();
    EXPECT_TRUE(stopped.stopped);
    EXPECT_TRUE(stopped.registrationKept);
    EXPECT_FALSE(stopped.Complete());
    EXPECT_TRUE(fs::exists(Install() / "uninstall.exe"));
    EXPECT_TRUE(fs::exists(Install() / "uninstall.dat"));
    EXPECT_TRUE(UninstallKeyExists());
    EXPECT_TRUE(Mentions(stopped.leftBehind, "install/uninstall.exe"));
    EXPECT_TRUE(Mentions(stopped.leftBehind, "install/lib/p1/q9/r9/file9999.dat"));
    EXPECT_TRUE(Mentions(stopped.leftBehind, "Tarvion VPN.lnk"));
    EXPECT_TRUE(Mentions(stopped.leftBehind, "startmenu/Tarvion"));
    // Every entry reported left behind is really still there.
    for (const std::u16string& path : stopped.leftBehind) {
        if (path.front() == u'/') {
            EXPECT_TRUE(fs::exists(fs::path(platform::Utf16ToUtf8(path)))) << platform::Utf16ToUtf8(path);
        }
    }

    const RemovalReport second = RunToEnd();
    EXPECT_TRUE(second.Complete());
    EXPECT_FALSE(fs::exists(Install()));
    EXPECT_FALSE(UninstallKeyExists());
    EXPECT_FALSE(fs::exists(m_sandbox.Dir() / "desktop" / "Tarvion VPN.lnk"));
}

TEST_F(RemovalReportTest, AnEntryThatCannotBeDeletedKeepsTheUninstallerAndTheRegistration)
{
    Stage(30);
    const fs::path stuck = Install() / "lib/p0/q0/r0/file0.dat";
    if (!SetImmutable(stuck, true))
        GTEST_SKIP() << "this file system has no immutable attribute";
    struct Unstick
    {
        fs::path path;
        ~Unstick() { SetImmutable(path, false); }
    } unstick{stuck};

    const RemovalReport report = RunToEnd();
    EXPECT_FALSE(report.Complete());
    EXPECT_TRUE(report.registrationKept);
    EXPECT_TRUE(Mentions(report.leftBehind, "lib/p0/q0/r0/file0.dat"));
    EXPECT_TRUE(Mentions(report.leftBehind, "install/uninstall.exe"));
    EXPECT_TRUE(fs::exists(Install() / "uninstall.exe"));
    EXPECT_TRUE(fs::exists(Install() / "uninstall.dat"));
    EXPECT_FALSE(fs::exists(Install() / "lib/p0/q0/r0/file1.dat"));
    EXPECT_TRUE(UninstallKeyExists());

    SetImmutable(stuck, false);
    EXPECT_TRUE(RunToEnd().Complete());
    EXPECT_FALSE(fs::exists(Install()));
    EXPECT_FALSE(UninstallKeyExists());
}

TEST_F(RemovalReportTest, ABrokenOrOversizedManifestKeepsTheFilesAndTheRegistration)
{
    Stage(10);
    const std::string good = ReadText(Install() / "uninstall.dat");
    for (const std::string& broken : {good.substr(0, good.size() / 2), std::string("{\"name\": \"lib\"}")}) {
        WriteText(Install() / "uninstall.dat", broken);
        const RemovalReport report = RunToEnd();
        EXPECT_FALSE(report.Complete());
        EXPECT_TRUE(report.registrationKept);
        EXPECT_TRUE(Mentions(report.problems, "uninstall.dat")) << broken;
        EXPECT_TRUE(fs::exists(Install() / "lib/p0/q0/r0/file0.dat"));
        EXPECT_TRUE(fs::exists(Install() / "uninstall.exe"));
        EXPECT_TRUE(UninstallKeyExists());
    }
    // A sparse manifest far above the limit is refused without reading it into memory.
    {
        std::ofstream(Install() / "uninstall.dat", std::ios::trunc);
        fs::resize_file(Install() / "uninstall.dat", std::uintmax_t(1) << 40);
        const RemovalReport report = RunToEnd();
        EXPECT_TRUE(Mentions(report.problems, "larger than 64 MiB"));
        EXPECT_TRUE(report.registrationKept);
        EXPECT_TRUE(fs::exists(Install() / "lib/p0/q0/r0/file0.dat"));
    }
    WriteText(Install() / "uninstall.dat", good);
    EXPECT_TRUE(RunToEnd().Complete());
    EXPECT_FALSE(fs::exists(Install()));
}

TEST_F(RemovalReportTest, AWriteLockedStoreKeepsTheUninstallerThatCanStillBeRun)
{
    Stage(20);
    // Another writer holds the store: readers go on, every write waits and then fails.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((m_sandbox.Dir() / "registry.db").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);

    const RemovalReport report = RunToEnd();
    EXPECT_FALSE(report.Complete());
    EXPECT_TRUE(report.registrationKept);
    EXPECT_TRUE(Mentions(report.problems, "registry store"));
    EXPECT_FALSE(fs::exists(Install() / "lib/p0/q0/r0/file0.dat"));
    EXPECT_TRUE(fs::exists(Install() / "uninstall.exe"));
    EXPECT_TRUE(fs::exists(Install() / "uninstall.dat"));

    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    EXPECT_TRUE(UninstallKeyExists());
    EXPECT_TRUE(RunToEnd().Complete());
    EXPECT_FALSE(fs::exists(Install()));
    EXPECT_FALSE(UninstallKeyExists());
}

// The sanitizers' allocators end the process instead of throwing when the address space runs out,
// so this test is for the plain builds.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// A step that throws (here: no memory for a manifest below the size limit) is noted and counts as
// done, so the window still sees every flag set. The worker runs in a fresh copy of this program,
// whose address space is limited so that the manifest's 60 MiB cannot be had.
TEST(RemovalReportThrowing, AStepThatThrowsStillLetsTheWorkerSetItsFlags)
{
    if (std::getenv("TVU_THROWING_STEP") != nullptr) {
        std::ifstream status("/proc/self/status");
        std::size_t kib = 0;
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("VmSize:", 0) == 0)
                kib = std::stoul(line.substr(7));
        }
        // What the process has now, the worker's stack and a little more.
        const rlimit limit{(kib << 10) + (24u << 20), (kib << 10) + (24u << 20)};
        setrlimit(RLIMIT_AS, &limit);
        // One malloc arena: a new thread's own arena would reserve 64 MiB of address space.
        mallopt(M_ARENA_MAX, 1);
        ReportWindow window;
        CWndThread threads;
        if (threads.Start(UninstallWorker, nullptr) == 0)
            _exit(3);
        const bool finished = WaitFor([&] { return window.flags.workerFinished.load() == 1; }, 30s);
        const RemovalReport report = LastRemovalReport();
        _exit(!finished                                             ? 4
              : window.flags.filesStepResult.load() != 1            ? 5
              : !Mentions(report.problems, "A removal step failed") ? 6
              : report.registrationKept                             ? 0
                                                                    : 7);
    }
    Sandbox sandbox;
    sandbox.Stage(Cat({"--files 5 --uninstaller '", ToolPath("tarvion-idle"), "'"}));
    {
        std::ofstream(sandbox.Install() / "uninstall.dat", std::ios::trunc);
        fs::resize_file(sandbox.Install() / "uninstall.dat", std::uintmax_t(60) << 20);
    }
    const CommandResult r = sandbox.Run(
        Cat({"TVU_THROWING_STEP=1 /proc/", std::to_string(getpid()), "/exe --gtest_filter=RemovalReportThrowing.*"}));
    EXPECT_EQ(r.exitCode, 0) << "3 no thread, 4 never finished, 5 no step-1 flag, 6 not noted, 7 key gone";
    EXPECT_TRUE(fs::exists(sandbox.Install() / "uninstall.exe"));
    EXPECT_TRUE(UninstallKeyExists());
}
#endif
