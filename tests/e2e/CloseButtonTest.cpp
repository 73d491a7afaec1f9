// "close_btn" pressed while step 1 deletes files and the stop confirmed: the worker stops, the later
// steps (registry keys, Start Menu entries) are not done, the person is told so, and the executable
// deletes itself. The window is driven in-process, from a copy of this test binary, because
// closing deletes the running executable three seconds later.
#include "E2eHarness.h"
#include "WindowDriver.h"

namespace e2e {
namespace {

constexpr char kInnerFlag[] = "TVU_CLOSE_BUTTON_INNER";
constexpr char16_t kUninstallKey[] = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarvion VPN";

// In the copy: runs the window until the first listed file is gone, then presses "close_btn".
void RunWindowAndCloseDuringStepOne(const fs::path& install)
{
    WindowDriver driver;
    const fs::path firstFile = install / "lib/p0/q0/r0/file0.dat";
    bool pressed = false;
    const bool closed = driver.RunUntilClosed(
        [&] {
            // One message at a time: the press must come while step 1 is still deleting.
            if (!pressed && !fs::exists(firstFile))
                pressed = driver.ClickCloseButton();
        },
        20s);
    EXPECT_TRUE(pressed) << "step 1 never started";
    EXPECT_TRUE(closed) << "the window did not close";
}

TEST(CloseButton, DuringStepOneStopsTheWorkerAndLeavesLaterStepsUndone)
{
    if (const char* inner = std::getenv(kInnerFlag)) {
        RunWindowAndCloseDuringStepOne(inner);
        return;
    }
    Sandbox box;
    ASSERT_NO_FATAL_FAILURE(box.Stage(20000));
    const fs::path copy = box.Temp() / "closing-test";
    fs::copy_file("/proc/self/exe", copy);
    const int run = box.Spawn(
        copy.string(), {"--gtest_filter=CloseButton.*"},
        box.HeadlessEnv("ok,yes,ok", {{kInnerFlag, box.Install().string()}, {"TEMP", ""}, {"TVU_FRAMES", ""}}));
    std::optional<std::chrono::steady_clock::time_point> scheduled;
    ASSERT_EQ(box.WaitExitNotingWorker(run, copy, 120s, scheduled), 0);

    const auto boxes = box.Boxes();
    ASSERT_EQ(boxes.size(), 3u) << "confirmation, the stop question, the notice";
    EXPECT_NE(boxes[2].find("left partly removed"), std::string::npos) << boxes[2];
    EXPECT_TRUE(fs::exists(box.Install() / "uninstall.dat")) << "step 1 ran to its end";
    EXPECT_TRUE(box.KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey)) << "step 3 was done";
    EXPECT_TRUE(fs::exists(box.Dir() / "startmenu" / "Tarvion" / "Tarvion.lnk")) << "step 4 was done";
    EXPECT_TRUE(WaitFor([&] { return !fs::exists(copy); }, 6s)) << "the executable was not deleted";
    ASSERT_TRUE(scheduled) << "no detached worker took the deletion over";
    EXPECT_GE(std::chrono::steady_clock::now() - *scheduled, 2000ms);
}

} // namespace
} // namespace e2e
