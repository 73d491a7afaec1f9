// How a removal ends, end to end: no key stops it, the close button asks first, a stopped or killed
// run is finished by running the uninstaller again, and failures (a locked store, a broken
// manifest, entries that cannot be deleted) end in one box that names what was left and where the
// run's record is, never in a silent success.
#include "E2eHarness.h"
#include "WindowDriver.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>

namespace e2e {
namespace {

constexpr char kInnerFlag[] = "TVU_OUTCOME_INNER";
constexpr char16_t kUninstallKey[] = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarvion VPN";
constexpr char16_t kProductKey[] = u"Software\\Tarvion VPN";
constexpr char kConfirmLine[] = "Tarvion Uninstall Window\tAre you sure you want to completely remove Tarvion?\tok";

fs::path RecordOf(const Sandbox& box)
{
    return box.Dir() / "uninstall-record.txt";
}

// What of the product is still there, for failure messages.
std::string Remaining(Sandbox& box)
{
    std::string what;
    std::error_code ec;
    if (fs::exists(box.Install())) {
        int count = 0;
        for (auto it = fs::recursive_directory_iterator(box.Install(), ec); it != fs::recursive_directory_iterator();
             it.increment(ec))
            ++count;
        what += "install folder (" + std::to_string(count) + " entries";
        what += fs::exists(box.InstalledUninstaller()) ? ", uninstaller" : "";
        what += fs::exists(box.Install() / "uninstall.dat") ? ", manifest" : "";
        what += ") ";
    }
    if (fs::exists(box.Dir() / "desktop" / "Tarvion VPN.lnk"))
        what += "shortcut ";
    if (fs::exists(box.Dir() / "startmenu" / "Tarvion"))
        what += "start-menu ";
    if (box.KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey))
        what += "registration ";
    if (box.KeyExists(HKEY_CURRENT_USER, kProductKey))
        what += "settings ";
    return what;
}

bool NothingListedRemains(Sandbox& box)
{
    return !fs::exists(box.Install()) && !fs::exists(box.Dir() / "desktop" / "Tarvion VPN.lnk") &&
           !fs::exists(box.Dir() / "startmenu" / "Tarvion") && !box.KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey) &&
           !box.KeyExists(HKEY_CURRENT_USER, kProductKey);
}

// ---- inside the copy ------------------------------------------------------------------------

// Return, Space, Tab then Space, Escape and Alt+F4 in turn, every few milliseconds, from the moment
// the removal starts until the window closes.
void PressKeysUntilTheEnd()
{
    WindowDriver driver;
    int next = 0;
    auto last = std::chrono::steady_clock::now();
    const bool closed = driver.RunUntilClosed(
        [&] {
            if (!driver.Window().WorkerMayBeRunning() && next == 0)
                return;
            if (std::chrono::steady_clock::now() - last < 15ms)
                return;
            last = std::chrono::steady_clock::now();
            switch (next++ % 5) {
            case 0:
                driver.PressKey(VK_RETURN);
                break;
            case 1:
                driver.PressKey(VK_SPACE);
                break;
            case 2:
                driver.PressKey(VK_TAB);
                driver.PressKey(VK_SPACE);
                break;
            case 3:
                driver.PressKey(VK_ESCAPE);
                break;
            default:
                driver.PressChord(VK_MENU, VK_F4);
                break;
            }
        },
        120s);
    EXPECT_TRUE(closed) << "the window did not close";
    EXPECT_GT(next, 10) << "too few keys were pressed during the removal";
}

// Clicks "close_btn" once, while step 1 is deleting files; the boxes answer as TVU_MSGBOX says.
void ClickCloseDuringStepOne(const fs::path& install)
{
    WindowDriver driver;
    const fs::path firstFile = install / "lib/p0/q0/r0/file0.dat";
    bool clicked = false;
    const bool closed = driver.RunUntilClosed(
        [&] {
            if (!clicked && !fs::exists(firstFile) && driver.Window().WorkerMayBeRunning())
                clicked = driver.ClickCloseButton();
        },
        120s);
    EXPECT_TRUE(clicked) << "step 1 never started";
    EXPECT_TRUE(closed) << "the window did not close";
}

void RunInner(const std::string& scenario)
{
    if (scenario == "keys") {
        PressKeysUntilTheEnd();
    } else {
        ClickCloseDuringStepOne(scenario);
    }
}

// ---- outside --------------------------------------------------------------------------------

// Runs this test binary's copy in the sandbox with the window driven by scenario.
void RunDriven(Sandbox& box, const std::string& test, const std::string& scenario, const std::string& answers)
{
    fs::create_directories(box.Temp());
    const fs::path copy = box.Temp() / "outcome-test";
    fs::copy_file("/proc/self/exe", copy, fs::copy_options::overwrite_existing);
    const int run = box.Spawn(copy.string(), {"--gtest_filter=" + test},
                              box.HeadlessEnv(answers, {{kInnerFlag, scenario}, {"TEMP", ""}, {"TVU_FRAMES", ""}}));
    ASSERT_EQ(box.WaitExit(run, 150s), 0);
}

// The copy the installed uninstaller relaunched from TEMP; its pid, or -1.
int WaitForCopy(Sandbox& box)
{
    int copy = -1;
    WaitFor(
        [&] {
            const auto running = Sandbox::ProcessesRunning(box.TempCopy());
            copy = running.empty() ? -1 : running.front();
            return copy > 0;
        },
        5s);
    return copy;
}

// One whole run of the installed uninstaller (relaunch included); false when there is none.
bool RunInstalledUninstaller(Sandbox& box, const std::string& answers)
{
    if (!fs::exists(box.InstalledUninstaller()))
        return false;
    fs::create_directories(box.Temp());
    const int first =
        box.Spawn(box.InstalledUninstaller().string(), {}, box.HeadlessEnv(answers, {{"TVU_FRAMES", ""}}));
    EXPECT_EQ(box.WaitExit(first, 10s), 0);
    const int copy = WaitForCopy(box);
    if (copy > 0) {
        EXPECT_EQ(box.WaitExit(copy, 120s), 0);
    }
    return true;
}

// Runs the installed uninstaller again until nothing listed remains; how many runs it took, or -1
// when something remained with no uninstaller left to run.
int RerunUntilNothingRemains(Sandbox& box, int maxRuns)
{
    if (NothingListedRemains(box))
        return 0;
    for (int run = 1; run <= maxRuns; ++run) {
        if (!RunInstalledUninstaller(box, "ok"))
            return -1;
        if (NothingListedRemains(box))
            return run;
    }
    return -1;
}

std::vector<std::string> BoxesAfterTheConfirmation(const Sandbox& box)
{
    std::vector<std::string> lines = box.Boxes();
    EXPECT_FALSE(lines.empty());
    if (!lines.empty()) {
        EXPECT_EQ(lines.front(), kConfirmLine);
        lines.erase(lines.begin());
    }
    return lines;
}

#define OUTCOME_INNER()                                                                                                \
    if (const char* inner = std::getenv(kInnerFlag)) {                                                                 \
        RunInner(inner);                                                                                               \
        return;                                                                                                        \
    }

TEST(Outcome, NoKeyStopsTheRemovalAndASuccessShowsNoExtraBox)
{
    OUTCOME_INNER();
    Sandbox box;
    ASSERT_NO_FATAL_FAILURE(box.Stage(3000));
    RunDriven(box, "Outcome.NoKeyStops*", "keys", "ok");
    EXPECT_TRUE(NothingListedRemains(box)) << "a key stopped the removal";
    EXPECT_TRUE(BoxesAfterTheConfirmation(box).empty()) << "a complete success shows no extra box";
    const std::string record = ReadText(RecordOf(box));
    EXPECT_NE(record.find("Outcome: complete"), std::string::npos) << record.substr(0, 400);
    EXPECT_NE(record.find("Left behind (0)"), std::string::npos);
    EXPECT_NE(record.find("lib/p0/q0/r0/file0.dat"), std::string::npos) << "the record lists what was removed";
}

TEST(Outcome, CloseButtonAnsweredNoGoesOnToTheEnd)
{
    OUTCOME_INNER();
    Sandbox box;
    ASSERT_NO_FATAL_FAILURE(box.Stage(20000));
    RunDriven(box, "Outcome.CloseButtonAnsweredNo*", box.Install().string(), "ok,no");
    const auto boxes = BoxesAfterTheConfirmation(box);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Tarvion Uninstall Window\tTarvion is still being removed. Stop now and leave it partly "
                        "removed?\\n\\nYes stops now; No goes on removing it.\tno");
    EXPECT_TRUE(NothingListedRemains(box));
}

TEST(Outcome, CloseButtonAnsweredYesStopsTellsSoAndARerunFinishes)
{
    OUTCOME_INNER();
    Sandbox box;
    ASSERT_NO_FATAL_FAILURE(box.Stage(20000));
    RunDriven(box, "Outcome.CloseButtonAnsweredYes*", box.Install().string(), "ok,yes");
    const auto boxes = BoxesAfterTheConfirmation(box);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(boxes[0].ends_with("\tyes"));
    const std::string record = RecordOf(box).string();
    EXPECT_EQ(boxes[1], "Tarvion Uninstall Window\tThe removal was stopped: Tarvion was left partly removed. Running "
                        "the uninstaller again finishes the job.\\n\\nThe full record of this run is in " +
                            record + ".\tok");
    EXPECT_NE(ReadText(record).find("Outcome: stopped"), std::string::npos);
    EXPECT_TRUE(fs::exists(box.Install() / "lib")) << "step 1 ran to its end";

    // A stop keeps the product removable: its uninstaller, manifest and registration stay.
    EXPECT_TRUE(fs::exists(box.InstalledUninstaller()));
    EXPECT_TRUE(fs::exists(box.Install() / "uninstall.dat"));
    EXPECT_TRUE(box.KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_EQ(RerunUntilNothingRemains(box, 2), 1);
}

// The names the manifest lists, in its order; enough of the format to find entries to watch.
std::vector<std::string> ListedNames(const Sandbox& box)
{
    std::vector<std::string> names;
    const std::string text = ReadText(box.Install() / "uninstall.dat");
    const std::string key = "\"name\"";
    for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + key.size())) {
        const std::size_t open = text.find('"', text.find(':', at + key.size()));
        const std::size_t close = text.find('"', open + 1);
        if (open == std::string::npos || close == std::string::npos)
            break;
        names.push_back(text.substr(open + 1, close - open - 1));
    }
    return names;
}

TEST(Outcome, ACopyKilledAtAnyMomentIsFinishedByRunningTheUninstallerAgain)
{
    // The kills are placed by what the removal has done, not by the clock, so that they land
    // mid-run however fast the machine deletes: as the first listed entry goes, as the entry half
    // way down the manifest goes, and as the desktop shortcut (the step after the files) goes.
    enum class Moment
    {
        FirstEntryGone,
        HalfTheEntriesGone,
        ShortcutGone
    };
    int killedMidway = 0;
    for (const Moment moment : {Moment::FirstEntryGone, Moment::HalfTheEntriesGone, Moment::ShortcutGone}) {
        SCOPED_TRACE("kill moment " + std::to_string(int(moment)));
        Sandbox box;
        ASSERT_NO_FATAL_FAILURE(box.Stage(20000));
        const std::vector<std::string> names = ListedNames(box);
        ASSERT_GT(names.size(), 100u);
        fs::path watched;
        switch (moment) {
        case Moment::FirstEntryGone:
            watched = box.Install() / names.front();
            break;
        case Moment::HalfTheEntriesGone:
            watched = box.Install() / names[names.size() / 2];
            break;
        case Moment::ShortcutGone:
            watched = box.Dir() / "desktop" / "Tarvion VPN.lnk";
            break;
        }
        ASSERT_TRUE(fs::exists(watched)) << watched;
        const int first =
            box.Spawn(box.InstalledUninstaller().string(), {}, box.HeadlessEnv("ok", {{"TVU_FRAMES", ""}}));
        ASSERT_EQ(box.WaitExit(first, 10s), 0);
        const int copy = WaitForCopy(box);
        ASSERT_GT(copy, 0) << "no copy was started from TEMP";
        ASSERT_TRUE(WaitFor([&] { return !fs::exists(watched); }, 60s)) << "the removal never reached " << watched;
        kill(copy, SIGKILL);
        box.WaitExit(copy, 5s);
        const std::string killedState = Remaining(box);
        killedMidway += !killedState.empty();
        EXPECT_GE(RerunUntilNothingRemains(box, 3), 0)
            << "a rerun could not finish the job; after the kill: " << killedState << "; now: " << Remaining(box);
    }
    EXPECT_GE(killedMidway, 2) << "the kills came too late to test anything";
}

// Holds the registry store's database locked against every other process, as a second program
// in the middle of a long transaction would; the lock goes with this object.
class StoreLock
{
public:
    explicit StoreLock(const fs::path& database)
    {
        m_fd = open(database.c_str(), O_RDWR | O_CLOEXEC);
        // The lock bytes SQLite uses for its pending, reserved and shared locks.
        struct flock lock
        {
        };
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        lock.l_start = 0x40000000;
        lock.l_len = 512 + 2;
        m_locked = m_fd >= 0 && fcntl(m_fd, F_SETLK, &lock) == 0;
    }
    ~StoreLock() { Release(); }
    bool Locked() const { return m_locked; }
    void Release()
    {
        if (m_fd >= 0)
            close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd = -1;
    bool m_locked = false;
};

// The text of the last box, which should tell what was left, and the record it names.
void ExpectAnHonestEnd(Sandbox& box, const std::string& expectedInBox)
{
    const auto boxes = BoxesAfterTheConfirmation(box);
    ASSERT_EQ(boxes.size(), 1u) << "one box at the end";
    const std::string& end = boxes[0];
    EXPECT_NE(end.find("Tarvion could not be removed completely."), std::string::npos) << end;
    EXPECT_NE(end.find(expectedInBox), std::string::npos) << end;
    EXPECT_NE(end.find("The full record of this run is in " + RecordOf(box).string() + "."), std::string::npos) << end;
    const std::string record = ReadText(RecordOf(box));
    EXPECT_NE(record.find("Outcome: incomplete"), std::string::npos) << record.substr(0, 400);
    EXPECT_TRUE(box.KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey)) << "the registration was not kept";
}

TEST(Outcome, ALockedStoreEndsInABoxAndARecordAndKeepsTheRegistration)
{
    Sandbox box;
    ASSERT_NO_FATAL_FAILURE(box.Stage(100));
    StoreLock lock(box.Dir() / "registry.db");
    ASSERT_TRUE(lock.Locked());
    ASSERT_TRUE(RunInstalledUninstaller(box, "ok"));
    lock.Release();
    ExpectAnHonestEnd(box, "problem");
}

TEST(Outcome, ABrokenManifestEndsInABoxAndARecordAndKeepsTheRest)
{
    Sandbox box;
    ASSERT_NO_FATAL_FAILURE(box.Stage(100));
    std::ofstream(box.Install() / "uninstall.dat", std::ios::trunc) << "[{\"name\": \"Tarvion.exe\"";
    ASSERT_TRUE(RunInstalledUninstaller(box, "ok"));
    ExpectAnHonestEnd(box, "problem");
    EXPECT_TRUE(fs::exists(box.Install() / "Tarvion.exe"));
}

// Sets or clears a file's immutable flag; false where the file system has none.
bool SetImmutable(const fs::path& path, bool on)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    close(fd);
    return done;
}

TEST(Outcome, EntriesThatCannotBeDeletedAreNamedInTheBoxAndTheRecord)
{
    Sandbox box;
    ASSERT_NO_FATAL_FAILURE(box.Stage(100));
    const fs::path stuck = box.Install() / "lib/p0/q0/r0/file3.dat";
    if (!SetImmutable(stuck, true))
        GTEST_SKIP() << "this file system has no immutable flag";
    std::error_code ec;
    ASSERT_FALSE(fs::remove(stuck, ec)) << "the flag does not hold";
    const bool ran = RunInstalledUninstaller(box, "ok");
    SetImmutable(stuck, false);
    ASSERT_TRUE(ran);
    ExpectAnHonestEnd(box, "left behind: ");
    EXPECT_NE(box.Boxes().back().find("file3.dat"), std::string::npos) << box.Boxes().back();
    EXPECT_NE(ReadText(RecordOf(box)).find("file3.dat"), std::string::npos);
    EXPECT_TRUE(fs::exists(box.InstalledUninstaller())) << "the uninstaller went although entries remain";
}

} // namespace
} // namespace e2e
