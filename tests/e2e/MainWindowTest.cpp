// CMainWnd in-process on the headless backend with a hand-stepped clock: caption hit testing, the
// rounded region, the system close command, foreign clicks, and the progress arithmetic with its
// pauses at 219 and 313 (resumed by the worker's requests from its own thread), its hold at 400 and
// the half second the finished display stays up. Like the close-button test it runs from a copy of
// this binary, since finishing deletes the running executable.
#include "E2eHarness.h"

#include "app/MainWnd.h"
#include "app/Startup.h"
#include "platform/Resources.h"
#include "platform/WindowSystem.h"
#include "platform/headless/HeadlessBackend.h"
#include "ui/controls/Control.h"

namespace e2e {
namespace {

constexpr char kInnerFlag[] = "TVU_MAIN_WINDOW_INNER";

LPARAM ScreenPoint(HWND hwnd, int x, int y)
{
    POINT p{x, y};
    platform::Windows().ClientToScreen(hwnd, p);
    return LPARAM((p.x & 0xFFFF) | ((p.y & 0xFFFF) << 16));
}

void CheckWindow()
{
    platform::ManualClock clock(1000);
    auto backend = std::make_unique<platform::HeadlessBackend>();
    backend->SetMessageBoxScript("ok");
    platform::WindowSystem::Install(std::move(backend));
    auto& windows = platform::Windows();
    windows.SetClock(&clock);

    const auto skin = platform::FindResource(kSkinResourceType, kSkinResourceId);
    ASSERT_FALSE(skin.empty());
    ui::CWindowManagerUI::SetAppInstance(reinterpret_cast<HINSTANCE>(&windows));
    ui::CWindowManagerUI::SetSkinArchiveMemory(skin.data(), skin.size(), kSkinPassword);
    CMainWnd window;
    ASSERT_TRUE(window.CreateNativeWindow(nullptr, kMainWindowTitle, WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0,
                                          0, 0, 0, 0));
    const HWND hwnd = window;
    window.CenterOnOwner();
    windows.ShowWindow(hwnd, SW_SHOWNORMAL);
    windows.DispatchPending(); // first paint: "windowinit", the confirmation, the timer and the worker
    UninstallProgressFlags& flags = window.ProgressFlags();
    ASSERT_TRUE(WaitFor([&] { return flags.workerFinished.load() == 1; }, 10s)) << "the worker did not run";

    // Shape and hit testing.
    RECT client;
    windows.GetClientRect(hwnd, client);
    EXPECT_EQ(client.right, 480);
    EXPECT_EQ(client.bottom, 300);
    const auto region = windows.GetWindowRegion(hwnd);
    ASSERT_TRUE(region.has_value());
    EXPECT_EQ(region->ellipseWidth, 20) << "twice the artwork's corner radius";
    EXPECT_EQ(region->bounds.right, 481);
    EXPECT_EQ(windows.SendMessage(hwnd, WM_NCHITTEST, 0, ScreenPoint(hwnd, 200, 10)), HTCAPTION);
    EXPECT_EQ(windows.SendMessage(hwnd, WM_NCHITTEST, 0, ScreenPoint(hwnd, 200, 95)), HTCAPTION);
    EXPECT_EQ(windows.SendMessage(hwnd, WM_NCHITTEST, 0, ScreenPoint(hwnd, 200, 96)), HTCLIENT);
    ui::CControlUI* atClose = window.Manager().ControlAt(ui::CUIPoint(456, 24));
    const bool isButton = atClose != nullptr && std::u16string_view(atClose->GetClassName()) == u"Button";
    EXPECT_EQ(windows.SendMessage(hwnd, WM_NCHITTEST, 0, ScreenPoint(hwnd, 456, 24)), isButton ? HTCLIENT : HTCAPTION);

    // A click from any control but "close_btn" changes nothing; the system close only hides.
    ui::CControlUI other;
    other.SetName(u"close_btn_other");
    ui::TNotifyMsg click;
    click.type = u"click";
    click.sender = &other;
    window.Notify(click);
    windows.SendMessage(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(windows.IsWindow(hwnd));
    EXPECT_FALSE(windows.IsWindowVisible(hwnd));

    // The progress arithmetic, one timer period at a time, with the flags held by hand.
    ui::CControlUI* bar = window.Manager().ControlByName(u"pro_unins_lab");
    ui::CControlUI* label = window.Manager().ControlByName(u"unins_percent_lab");
    ASSERT_NE(bar, nullptr);
    flags.workerFinished = 0;
    flags.filesStepResult = 0;
    flags.shortcutStepResult = 0;
    const auto tick = [&] {
        clock.Advance(10);
        windows.DispatchPending();
        return bar->GetFixedWidth();
    };
    const auto percent = [&](const char16_t* expected) {
        if (label != nullptr) {
            EXPECT_EQ(std::u16string_view(label->GetText().CStr()), expected);
        }
    };
    // The worker re-arms from its own thread: the request waits in the queue for this thread, which
    // restarts the timer, so the display moves on one period after the step ended.
    const auto rearmFromAnotherThread = [&] { std::thread([&] { window.RearmProgressTimer(); }).join(); };
    rearmFromAnotherThread();
    windows.DispatchPending();
    bar->SetFixedWidth(216);
    EXPECT_EQ(tick(), 219);
    EXPECT_EQ(tick(), 219) << "step 1 holds the display at 219";
    percent(u"54%");
    EXPECT_EQ(tick(), 219);
    flags.filesStepResult = 1;
    EXPECT_EQ(tick(), 219) << "the timer stopped itself; only the worker restarts it";
    rearmFromAnotherThread();
    windows.DispatchPending(); // the request restarts the timer, whose first tick is one period away
    clock.Advance(9);
    windows.DispatchPending();
    EXPECT_EQ(bar->GetFixedWidth(), 219) << "no tick before the period";
    clock.Advance(1);
    windows.DispatchPending();
    EXPECT_EQ(bar->GetFixedWidth(), 222) << "resumed within one timer period of the step's end";

    bar->SetFixedWidth(312);
    EXPECT_EQ(tick(), 315) << "312 is below the second pause point";
    EXPECT_EQ(tick(), 315);
    percent(u"78%");
    flags.shortcutStepResult = 1;
    rearmFromAnotherThread();
    windows.DispatchPending();
    EXPECT_EQ(tick(), 318) << "resumed within one timer period of step 2's end";
    bar->SetFixedWidth(399);
    EXPECT_EQ(tick(), 402);
    EXPECT_EQ(tick(), 400) << "held at 400 while the worker is busy";
    percent(u"100%");
    EXPECT_EQ(tick(), 400);

    flags.workerFinished = 1;
    tick();
    windows.DispatchPending();
    EXPECT_TRUE(windows.IsWindow(hwnd)) << "the finished display stays up";
    clock.Advance(kFinishedHoldMs - 10);
    windows.DispatchPending();
    EXPECT_TRUE(windows.IsWindow(hwnd)) << "the finished display went before half a second";
    percent(u"100%");
    clock.Advance(10);
    windows.DispatchPending();
    windows.DispatchPending();
    EXPECT_FALSE(windows.IsWindow(hwnd)) << "the window closes half a second after the end";

    // A request that arrives after the window is gone does nothing: it is not even posted.
    while (windows.DispatchPending() > 0) {
    }
    rearmFromAnotherThread();
    EXPECT_EQ(windows.DispatchPending(), 0);
    windows.SetClock(nullptr);
}

TEST(MainWindow, HitTestRegionCloseCommandAndProgressArithmetic)
{
    if (std::getenv(kInnerFlag) != nullptr) {
        CheckWindow();
        platform::WindowSystem::Shutdown();
        return;
    }
    Sandbox box;
    fs::create_directories(box.Temp());
    const fs::path copy = box.Temp() / "main-window-test";
    fs::copy_file("/proc/self/exe", copy);
    const int run = box.Spawn(copy.string(), {"--gtest_filter=MainWindow.*"},
                              box.HeadlessEnv("ok", {{kInnerFlag, "1"}, {"TEMP", ""}, {"TVU_FRAMES", ""}}));
    EXPECT_EQ(box.WaitExit(run, 60s), 0);
}

} // namespace
} // namespace e2e
