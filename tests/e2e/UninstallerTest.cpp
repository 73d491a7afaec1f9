// End-to-end runs of the real uninstall.exe, headless, in sandboxes staged by tarvion-stage: the
// whole job confirmed, cancelled, refused for a missing manifest or an unwritable TEMP, a second
// copy meeting the first, and a run in place without TEMP.
#include "E2eHarness.h"
#include "FrameProbes.h"

#include <algorithm>

namespace e2e {
namespace {

constexpr char16_t kUninstallKey[] = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarvion VPN";
constexpr char16_t kProductKey[] = u"Software\\Tarvion VPN";
constexpr char kCaption[] = "Tarvion Uninstall Window";

void ExpectInstallationIntact(Sandbox& box)
{
    EXPECT_TRUE(fs::exists(box.Install() / "uninstall.dat"));
    EXPECT_TRUE(fs::exists(box.Install() / "Tarvion.exe"));
    EXPECT_TRUE(fs::exists(box.Dir() / "desktop" / "Tarvion VPN.lnk"));
    EXPECT_TRUE(fs::exists(box.Dir() / "startmenu" / "Tarvion" / "Tarvion.lnk"));
    EXPECT_TRUE(box.KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_TRUE(box.KeyExists(HKEY_CURRENT_USER, kProductKey));
    for (int pid : box.ProductPids())
        EXPECT_TRUE(Sandbox::IsAlive(pid)) << pid;
}

TEST(Uninstaller, ConfirmedRunRelaunchesFromTempRemovesEverythingAndDeletesItsCopy)
{
    Sandbox box;
    ASSERT_NO_FATAL_FAILURE(box.Stage());
    const int first = box.Spawn(box.InstalledUninstaller().string(), {}, box.HeadlessEnv("ok"));
    ASSERT_GT(first, 0);
    EXPECT_EQ(box.WaitExit(first, 10s), 0) << "the first process only copies itself and relaunches";
    EXPECT_TRUE(box.Boxes().empty()) << "the first process shows nothing";
    ASSERT_TRUE(fs::exists(box.TempCopy()));

    const int copy = WaitForRelaunchedCopy(box);
    ASSERT_GT(copy, 0) << "no copy was started from TEMP";
    std::optional<std::chrono::steady_clock::time_point> scheduled;
    ASSERT_EQ(box.WaitExitNotingWorker(copy, box.TempCopy(), 30s, scheduled), 0);

    ASSERT_EQ(box.Boxes().size(), 1u);
    EXPECT_EQ(box.Boxes()[0], std::string(kCaption) + "\tAre you sure you want to completely remove Tarvion?\tok");
    EXPECT_FALSE(fs::exists(box.Install()));
    EXPECT_FALSE(fs::exists(box.Dir() / "desktop" / "Tarvion VPN.lnk"));
    EXPECT_FALSE(fs::exists(box.Dir() / "startmenu" / "Tarvion"));
    EXPECT_FALSE(box.KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(box.KeyExists(HKEY_CURRENT_USER, kProductKey));
    EXPECT_FALSE(box.KeyExists(HKEY_CLASSES_ROOT, kProductKey));
    for (int pid : box.ProductPids())
        EXPECT_FALSE(Sandbox::IsAlive(pid)) << "product process " << pid << " still runs";

    // The copy goes about three seconds after the window closed, not before.
    EXPECT_TRUE(fs::exists(box.TempCopy())) << "deleted before its delay";
    ASSERT_TRUE(WaitFor([&] { return !fs::exists(box.TempCopy()); }, 8s)) << "the copy was never deleted";
    ASSERT_TRUE(scheduled) << "no detached worker took the deletion over";
    const auto waited = std::chrono::steady_clock::now() - *scheduled;
    EXPECT_GE(waited, 2500ms);
    EXPECT_LE(waited, 5000ms);

    // Every process of the run ended with 0; the product's were killed.
    WaitFor([&] { return Sandbox::ProcessesRunning(box.TempCopy()).empty(); }, 2s);
    std::this_thread::sleep_for(100ms);
    for (const auto& [pid, code] : box.ReapEnded()) {
        const auto& products = box.ProductPids();
        if (std::find(products.begin(), products.end(), pid) == products.end()) {
            EXPECT_EQ(code, 0) << "process " << pid;
        }
    }

    // The progress display passed both pause points and ended full.
    std::vector<int> widths;
    for (const fs::path& frame : FramesOf(box.Frames()))
        widths.push_back(FillWidth(frame));
    ASSERT_FALSE(widths.empty());
    EXPECT_TRUE(std::is_sorted(widths.begin(), widths.end()));
    EXPECT_NE(std::find(widths.begin(), widths.end(), 219), widths.end());
    EXPECT_NE(std::find(widths.begin(), widths.end(), 315), widths.end());
    EXPECT_EQ(widths.back(), 400);

    // The percentage is written before the width moves on: the frame after the one at 219 (the
    // pause while step 1 runs) reads 54%. The finished display is painted before the window goes,
    // so the last frame reads 100%.
    const std::vector<fs::path> frames = FramesOf(box.Frames());
    const auto at219 = std::find(widths.begin(), widths.end(), 219);
    ASSERT_NE(at219 + 1, widths.end());
    EXPECT_TRUE(ShowsPercent(frames[std::size_t(at219 - widths.begin()) + 1], u"54%"));
    EXPECT_TRUE(ShowsPercent(frames.back(), u"100%"));
    EXPECT_FALSE(ShowsPercent(frames.back(), u"54%")) << "the comparison tells texts apart";
}

TEST(Uninstaller, CancelRemovesNothingAndKeepsTheCopy)
{
    Sandbox box;
    ASSERT_NO_FATAL_FAILURE(box.Stage());
    const int first = box.Spawn(box.InstalledUninstaller().string(), {}, box.HeadlessEnv("cancel"));
    EXPECT_EQ(box.WaitExit(first, 10s), 0);
    // A cancelled copy can answer and end before a poll sees it running; it is then found among the
    // ended children (the test adopts orphans).
    int copy = WaitForRelaunchedCopy(box), code = -2;
    if (copy > 0)
        code = box.WaitExit(copy, 20s);
    else
        WaitFor(
            [&] {
                for (const auto& [pid, exitCode] : box.ReapEnded())
                    copy = pid, code = exitCode;
                return copy > 0;
            },
            5s);
    ASSERT_GT(copy, 0) << "no copy was started from TEMP";
    EXPECT_EQ(code, 0);
    ASSERT_EQ(box.Boxes().size(), 1u);
    EXPECT_NE(box.Boxes()[0].find("\tcancel"), std::string::npos);
    std::this_thread::sleep_for(3500ms);
    EXPECT_TRUE(fs::exists(box.TempCopy()));
    ExpectInstallationIntact(box);
}

TEST(Uninstaller, MissingManifestShowsTheMessageAndRemovesNothing)
{
    Sandbox box;
    ASSERT_NO_FATAL_FAILURE(box.Stage());
    fs::remove(box.Install() / "uninstall.dat");
    const int first = box.Spawn(box.InstalledUninstaller().string(), {}, box.HeadlessEnv("ok"));
    EXPECT_EQ(box.WaitExit(first, 10s), 0);
    ASSERT_EQ(box.Boxes().size(), 1u);
    EXPECT_EQ(box.Boxes()[0], std::string(kCaption) + "\tuninstall.dat error.Uninstall Failed.\tok");
    std::this_thread::sleep_for(1500ms);
    EXPECT_TRUE(Sandbox::ProcessesRunning(box.TempCopy()).empty()) << "nothing is relaunched";
    EXPECT_TRUE(fs::exists(box.TempCopy())) << "the copy is left behind";
    EXPECT_TRUE(fs::exists(box.Install() / "Tarvion.exe"));
    EXPECT_TRUE(box.KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

TEST(Uninstaller, UnwritableTempShowsTheCopyErrorWithItsCode)
{
    Sandbox box;
    ASSERT_NO_FATAL_FAILURE(box.Stage());
    fs::permissions(box.Temp(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    std::ofstream(box.BoxLog()).flush();
    fs::permissions(box.BoxLog(),
                    fs::perms::all & ~(fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec));
    int first = -1;
    if (geteuid() == 0) {
        // Permissions do not stop root: the run drops to nobody, for whom TEMP is read-only.
        first = box.Spawn("/usr/bin/setpriv",
                          {"--reuid=65534", "--regid=65534", "--clear-groups", box.InstalledUninstaller().string()},
                          box.HeadlessEnv("ok"));
    } else {
        first = box.Spawn(box.InstalledUninstaller().string(), {}, box.HeadlessEnv("ok"));
    }
    EXPECT_EQ(box.WaitExit(first, 10s), 0);
    ASSERT_EQ(box.Boxes().size(), 1u);
    EXPECT_EQ(box.Boxes()[0], std::string(kCaption) + "\tuninstall.exe copy error,err=5\tok");
    EXPECT_FALSE(fs::exists(box.TempCopy()));
    ExpectInstallationIntact(box);
}

TEST(Uninstaller, SecondCopyFromTempRaisesTheFirstAndExits)
{
    Sandbox box;
    ASSERT_NO_FATAL_FAILURE(box.Stage(3000));
    fs::copy_file(UninstallerPath(), box.TempCopy());
    const int running = box.Spawn(box.TempCopy().string(), {}, box.HeadlessEnv("ok"));
    ASSERT_TRUE(WaitFor([&] { return !FramesOf(box.Frames()).empty(); }, 10s)) << "the first copy shows no window";

    const fs::path secondLog = box.Dir() / "second-boxes.log";
    const fs::path secondFrames = box.Dir() / "second-frames";
    const int second = box.Spawn(
        box.TempCopy().string(), {},
        box.HeadlessEnv("ok", {{"TVU_MSGBOX_LOG", secondLog.string()}, {"TVU_FRAMES", secondFrames.string()}}));
    EXPECT_EQ(box.WaitExit(second, 5s), 0);
    EXPECT_FALSE(fs::exists(secondLog)) << "the second copy asked for confirmation itself";
    EXPECT_TRUE(FramesOf(secondFrames).empty()) << "the second copy showed a window";
    EXPECT_EQ(box.WaitExit(running, 30s), 0);
    EXPECT_FALSE(fs::exists(box.Install()));
}

TEST(Uninstaller, WithoutTempRunsInPlace)
{
    Sandbox box;
    ASSERT_NO_FATAL_FAILURE(box.Stage());
    const int run = box.Spawn(box.InstalledUninstaller().string(), {}, box.HeadlessEnv("ok", {{"TEMP", ""}}));
    EXPECT_EQ(box.WaitExit(run, 30s), 0);
    ASSERT_EQ(box.Boxes().size(), 1u);
    EXPECT_FALSE(fs::exists(box.TempCopy()));
    EXPECT_FALSE(fs::exists(box.Install() / "Tarvion.exe"));
    EXPECT_FALSE(box.KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

} // namespace
} // namespace e2e
