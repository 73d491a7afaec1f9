// End-to-end runs of the real uninstall.exe under Wine, headless, against a staged installation in
// the prefix: the whole job confirmed (with the progress frames), cancelled, refused for a missing
// manifest, and stopped by the close button during step 1.
#include "Win32Sandbox.h"

#include "tests/e2e/FrameProbes.h"
#include "tests/e2e/WindowDriver.h"

#include <cstdlib>

namespace e2e_win32 {
namespace {

constexpr char kCaption[] = "Tarvion Uninstall Window";

std::wstring Key(std::u16string_view root, std::u16string_view path)
{
    return W(root) + L"\\" + W(path);
}

TEST(Win32Uninstaller, ConfirmedRunRelaunchesFromTempRemovesEverythingAndDeletesItsCopy)
{
    Sandbox box;
    ASSERT_NO_FATAL_FAILURE(box.Stage());
    ::CreateDirectoryW((box.Dir() + L"\\outside").c_str(), nullptr);
    ASSERT_TRUE(WriteFileText(box.Dir() + L"\\outside\\keep.txt", "not the product's"));
    const Process first = Sandbox::Spawn(box.InstalledUninstaller(), L"", box.HeadlessEnv(L"ok"));
    ASSERT_TRUE(first);
    EXPECT_EQ(first.WaitExit(20s), 0) << "the first process only copies itself and relaunches";
    EXPECT_TRUE(box.Boxes().empty()) << "the first process shows nothing";

    const Process copy = box.WaitForRelaunchedCopy();
    ASSERT_TRUE(copy) << "no copy was started from TEMP";
    ASSERT_EQ(copy.WaitExit(60s), 0);
    const auto closed = std::chrono::steady_clock::now();

    ASSERT_EQ(box.Boxes().size(), 1u);
    EXPECT_EQ(box.Boxes()[0], std::string(kCaption) + "\tAre you sure you want to completely remove Tarvion?\tok");
    EXPECT_FALSE(Exists(box.Install()));
    EXPECT_FALSE(Exists(box.Dir() + L"\\desktop\\Tarvion VPN.lnk"));
    EXPECT_FALSE(Exists(Sandbox::StartMenuTarvion()));
    // Read back from outside, by the prefix's own reg.exe.
    EXPECT_FALSE(RegQuerySeesKey(Key(u"HKLM", kUninstallKey)));
    EXPECT_FALSE(RegQuerySeesKey(Key(u"HKCU", kProductKey)));
    EXPECT_FALSE(RegQuerySeesKey(Key(u"HKCR", kProductKey)));
    for (DWORD pid : box.ProductPids())
        EXPECT_FALSE(IsAlive(pid)) << "product process " << pid << " still runs";
    EXPECT_TRUE(Exists(box.Dir() + L"\\outside\\keep.txt")) << "something outside the installation went";
    EXPECT_TRUE(Exists(box.Dir() + L"\\desktop"));

    // The copy goes about three seconds after the window closed, not before.
    EXPECT_TRUE(Exists(box.TempCopy())) << "deleted before its delay";
    ASSERT_TRUE(WaitFor([&] { return !Exists(box.TempCopy()); }, 10s)) << "the copy was never deleted";
    const auto waited = std::chrono::steady_clock::now() - closed;
    EXPECT_GE(waited, 2500ms);

    // The progress display passed both pause points, read 54 % after the first and ended full.
    std::vector<int> widths;
    const std::vector<e2e::fs::path> frames = e2e::FramesOf(e2e::fs::path(box.Frames()));
    for (const e2e::fs::path& frame : frames)
        widths.push_back(e2e::FillWidth(frame));
    ASSERT_FALSE(widths.empty());
    EXPECT_TRUE(std::is_sorted(widths.begin(), widths.end()));
    EXPECT_EQ(widths.back(), 400);
    const auto at219 = std::find(widths.begin(), widths.end(), 219);
    ASSERT_NE(at219, widths.end());
    EXPECT_NE(std::find(widths.begin(), widths.end(), 315), widths.end());
    ASSERT_NE(at219 + 1, widths.end());
    EXPECT_TRUE(e2e::ShowsPercent(frames[std::size_t(at219 - widths.begin()) + 1], u"54%"));
    EXPECT_TRUE(e2e::ShowsPercent(frames.back(), u"100%"));
    EXPECT_FALSE(e2e::ShowsPercent(frames.back(), u"54%")) << "the comparison tells texts apart";
}

TEST(Win32Uninstaller, CancelRemovesNothingAndKeepsTheCopy)
{
    Sandbox box;
    ASSERT_NO_FATAL_FAILURE(box.Stage());
    const Process first = Sandbox::Spawn(box.InstalledUninstaller(), L"", box.HeadlessEnv(L"cancel"));
    EXPECT_EQ(first.WaitExit(20s), 0);
    // A cancelled copy can end before a poll sees it; the box it answered tells it ran.
    if (const Process copy = box.WaitForRelaunchedCopy(5s)) {
        EXPECT_EQ(copy.WaitExit(30s), 0);
    }
    ASSERT_TRUE(WaitFor([&] { return box.Boxes().size() == 1; }, 10s));
    EXPECT_NE(box.Boxes()[0].find("\tcancel"), std::string::npos);
    std::this_thread::sleep_for(3500ms);
    EXPECT_TRUE(Exists(box.TempCopy()));
    box.ExpectInstallationIntact();
}

TEST(Win32Uninstaller, MissingManifestShowsTheMessageAndRemovesNothing)
{
    Sandbox box;
    ASSERT_NO_FATAL_FAILURE(box.Stage());
    ASSERT_TRUE(::DeleteFileW((box.Install() + L"\\uninstall.dat").c_str()));
    const Process first = Sandbox::Spawn(box.InstalledUninstaller(), L"", box.HeadlessEnv(L"ok"));
    EXPECT_EQ(first.WaitExit(20s), 0);
    ASSERT_EQ(box.Boxes().size(), 1u);
    EXPECT_EQ(box.Boxes()[0], std::string(kCaption) + "\tuninstall.dat error.Uninstall Failed.\tok");
    std::this_thread::sleep_for(1500ms);
    EXPECT_TRUE(ProcessesRunning(box.TempCopy()).empty()) << "nothing is relaunched";
    EXPECT_TRUE(Exists(box.Install() + L"\\Tarvion.exe"));
    EXPECT_TRUE(Sandbox::KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

constexpr char kInnerFlag[] = "TVU_CLOSE_BUTTON_INNER";

// In the copy: runs the window until the first listed file is gone, then presses "close_btn".
void RunWindowAndCloseDuringStepOne(const std::string& install)
{
    e2e::WindowDriver driver;
    const std::wstring firstFile = std::wstring(install.begin(), install.end()) + L"\\lib\\p0\\q0\\r0\\file0.dat";
    bool pressed = false;
    const bool closed = driver.RunUntilClosed(
        [&] {
            // One message at a time: the press must come while step 1 is still deleting.
            if (!pressed && !Exists(firstFile))
                pressed = driver.ClickCloseButton();
        },
        60s);
    EXPECT_TRUE(pressed) << "step 1 never started";
    EXPECT_TRUE(closed) << "the window did not close";
}

// The window is driven in-process, from a copy of this test program, because closing deletes the
// running executable three seconds later.
TEST(Win32CloseButton, DuringStepOneStopsTheWorkerAndLeavesLaterStepsUndone)
{
    if (const char* inner = std::getenv(kInnerFlag)) {
        RunWindowAndCloseDuringStepOne(inner);
        return;
    }
    Sandbox box;
    ASSERT_NO_FATAL_FAILURE(box.Stage(5000));
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring copy = box.Temp() + L"\\closing-test.exe";
    ASSERT_TRUE(::CopyFileW(self, copy.c_str(), FALSE));
    const Process run = Sandbox::Spawn(
        copy, L"--gtest_filter=Win32CloseButton.*",
        box.HeadlessEnv(
            L"ok,yes,ok",
            {{L"TVU_CLOSE_BUTTON_INNER", box.Install()}, {L"TEMP", L""}, {L"TMP", L""}, {L"TVU_FRAMES", L""}}));
    ASSERT_EQ(run.WaitExit(180s), 0);
    const auto closed = std::chrono::steady_clock::now();

    const auto boxes = box.Boxes();
    ASSERT_EQ(boxes.size(), 3u) << "confirmation, the stop question, the notice";
    EXPECT_NE(boxes[2].find("left partly removed"), std::string::npos) << boxes[2];
    EXPECT_TRUE(Exists(box.Install() + L"\\uninstall.dat")) << "step 1 ran to its end";
    EXPECT_TRUE(Sandbox::KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey)) << "step 3 was done";
    EXPECT_TRUE(Exists(Sandbox::StartMenuTarvion() + L"\\Tarvion.lnk")) << "step 4 was done";
    EXPECT_TRUE(WaitFor([&] { return !Exists(copy); }, 10s)) << "the executable was not deleted";
    EXPECT_GE(std::chrono::steady_clock::now() - closed, 2000ms);
}

} // namespace
} // namespace e2e_win32
