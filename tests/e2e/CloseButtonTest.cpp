// "close_btn" pressed while step 1 deletes files: the window closes, the worker stops, the later
// steps (registry keys, Start Menu entries) are not done, and the executable deletes itself. The
// window is driven in-process, from a copy of this test binary, because closing deletes the
// running executable three seconds later.
#include "E2eHarness.h"

#include "app/MainWnd.h"
#include "app/Startup.h"
#include "platform/Resources.h"
#include "platform/WindowSystem.h"
#include "platform/headless/HeadlessBackend.h"
#include "ui/controls/Control.h"

namespace e2e {
namespace {

constexpr char kInnerFlag[] = "TVU_CLOSE_BUTTON_INNER";
constexpr char16_t kUninstallKey[] = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarvion VPN";

// In the copy: runs the window until the first listed file is gone, then presses "close_btn".
void RunWindowAndCloseDuringStepOne(const fs::path& install)
{
    auto backend = std::make_unique<platform::HeadlessBackend>();
    platform::HeadlessBackend* headless = backend.get();
    platform::WindowSystem::Install(std::move(backend));
    auto& windows = platform::Windows();

    const auto skin = platform::FindResource(kSkinResourceType, kSkinResourceId);
    ASSERT_FALSE(skin.empty());
    ui::CWindowManagerUI::SetAppInstance(reinterpret_cast<HINSTANCE>(&windows));
    ui::CWindowManagerUI::SetSkinArchiveMemory(skin.data(), skin.size(), kSkinPassword);

    auto window = std::make_unique<CMainWnd>();
    ASSERT_TRUE(window->CreateNativeWindow(nullptr, kMainWindowTitle, WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0,
                                           0, 0, 0, 0));
    window->CenterOnOwner();
    windows.ShowWindow(*window, SW_SHOWNORMAL);
    const HWND hwnd = *window;
    const fs::path firstFile = install / "lib/p0/q0/r0/file0.dat";
    bool pressed = false;
    ui::CControlUI standIn;
    const bool closed = WaitFor(
        [&] {
            // One message at a time: the press must come while step 1 is still deleting.
            MSG msg;
            if (windows.PeekMessage(msg) && msg.message != WM_QUIT) {
                windows.TranslateMessage(msg);
                windows.DispatchMessage(msg);
            }
            if (!pressed && !fs::exists(firstFile)) {
                pressed = true;
                ui::CControlUI* button = window->Manager().ControlByName(u"close_btn");
                if (button != nullptr && button->CastTo(u"Button") != nullptr) {
                    const ui::CUIRect r = button->GetPosition();
                    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
                    windows.ClientToScreen(hwnd, p);
                    headless->InjectButton(platform::kLeftButton, true, p.x, p.y);
                    headless->InjectButton(platform::kLeftButton, false, p.x, p.y);
                } else {
                    // Until the skin builder knows the button class, the press arrives as the
                    // notification the button would send.
                    standIn.SetName(u"close_btn");
                    ui::TNotifyMsg click;
                    click.type = u"click";
                    click.sender = &standIn;
                    window->Notify(click);
                }
            }
            return !windows.IsWindow(hwnd);
        },
        20s);
    EXPECT_TRUE(pressed) << "step 1 never started";
    EXPECT_TRUE(closed) << "the window did not close";
    window.reset();
    // The stopped worker ends at its next check; give it that moment before the process ends.
    std::this_thread::sleep_for(300ms);
    platform::WindowSystem::Shutdown();
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
    const int run =
        box.Spawn(copy.string(), {"--gtest_filter=CloseButton.*"},
                  box.HeadlessEnv("ok", {{kInnerFlag, box.Install().string()}, {"TEMP", ""}, {"TVU_FRAMES", ""}}));
    ASSERT_EQ(box.WaitExit(run, 60s), 0);
    const auto closed = std::chrono::steady_clock::now();

    EXPECT_TRUE(fs::exists(box.Install() / "uninstall.dat")) << "step 1 ran to its end";
    EXPECT_TRUE(box.KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey)) << "step 3 was done";
    EXPECT_TRUE(fs::exists(box.Dir() / "startmenu" / "Tarvion" / "Tarvion.lnk")) << "step 4 was done";
    EXPECT_TRUE(WaitFor([&] { return !fs::exists(copy); }, 6s)) << "the executable was not deleted";
    EXPECT_GE(std::chrono::steady_clock::now() - closed, 2000ms);
}

} // namespace
} // namespace e2e
