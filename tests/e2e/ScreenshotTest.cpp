// The real window under a private Xvfb server: the uninstaller runs on the SDL backend, the
// confirmation box is answered OK with the keyboard, and a screenshot of the window shows the skin
// with the progress running. The picture is kept as e2e-window.png in the build tree. Under a
// window manager, the confirmation is the program's own dialog over a window already painted, with
// no dark pixel at the window's rounded corners (e2e-behind-confirmation.png).
#include "XDisplay.h"

#include "platform/PngFile.h"

#include <algorithm>

namespace e2e {
namespace {

// A property's 32-bit items (atoms, cardinals) as longs; empty when missing.
std::vector<long> Property(::Display* display, Window window, const char* name)
{
    std::vector<long> items;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 1 << 20, False, AnyPropertyType,
                           &type, &format, &count, &after, &data) == Success &&
        data) {
        if (format == 32)
            items.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + count);
        XFree(data);
    }
    return items;
}

bool Contains(const std::vector<long>& items, long item)
{
    return std::find(items.begin(), items.end(), item) != items.end();
}

// Starts the installed uninstaller on the SDL backend on the given X display; the first process's
// exit code.
int StartOnDisplay(Sandbox& box, const std::string& display)
{
    return box.WaitExit(box.Spawn(box.InstalledUninstaller().string(), {}, SdlEnv(box, display)), 10s);
}

using Screenshot = RealDisplayTest;

TEST_F(Screenshot, RealWindowShowsTheSkinOnceConfirmed)
{
    ASSERT_NO_FATAL_FAILURE(box.Stage(3000));

    EXPECT_EQ(StartOnDisplay(box, server.Name()), 0) << "the first process only copies itself and relaunches";

    // The confirmation box: the uninstaller's title on a window that is not the 480x300 main window.
    Placed dialog, main;
    ASSERT_TRUE(WaitForWindowAndBox(display, main, dialog))
        << "the window and its confirmation did not appear (main " << main.width << "x" << main.height << ", box "
        << dialog.width << "x" << dialog.height << ", copy "
        << (Sandbox::ProcessesRunning(box.TempCopy()).empty() ? "not running)" : "running)");
    std::this_thread::sleep_for(300ms);
    fake.motion(display, -1, dialog.x + dialog.width / 2, dialog.y + dialog.height / 2, 0);
    // Without a window manager the keyboard stays where the program last put it: give it to the box.
    XSetInputFocus(display, dialog.window, RevertToParent, CurrentTime);
    XSync(display, False);
    const unsigned enter = XKeysymToKeycode(display, XK_Return);
    fake.key(display, enter, True, 0);
    fake.key(display, enter, False, 0);
    XFlush(display);

    // Once confirmed, the progress fill grows over the track at (40, 214).
    platform::Surface shot;
    const int fill = WaitForProgressFill(display, main, 1, 60, shot);
    ASSERT_TRUE(shot.IsValid());
    platform::WritePng(shot.Pixels(), BuiltPath("tests/e2e/e2e-window.png"));
    EXPECT_GE(fill, 60) << "the progress did not run: the confirmation was not answered OK";

    const auto channel = [](std::uint32_t p, int shift) { return int((p >> shift) & 0xFF); };
    const std::uint32_t band = shot.GetPixel(150, 60), body = shot.GetPixel(240, 110);
    EXPECT_GT(channel(band, 0), channel(band, 16) + 40) << "the caption band is the brand's blue";
    EXPECT_GT(channel(body, 16), 0xF0) << "the body is white";
    EXPECT_EQ(shot.GetPixel(0, 0) & 0xFFFFFF, 0u) << "the rounded corner leaves the screen behind showing";

    const int copy =
        Sandbox::ProcessesRunning(box.TempCopy()).empty() ? -1 : Sandbox::ProcessesRunning(box.TempCopy())[0];
    if (copy > 0) {
        EXPECT_EQ(box.WaitExit(copy, 30s), 0);
    }
    EXPECT_TRUE(WaitFor([&] { return !fs::exists(box.Install()); }, 10s));
}

TEST_F(Screenshot, UnderAWindowManagerTheConfirmationIsOurDialogOverAPaintedWindow)
{
    if (!fs::exists("/usr/bin/openbox"))
        GTEST_SKIP() << "openbox is not installed";
    // A loud desktop colour, so that a corner pixel shows whether the window or the desktop is there.
    const Window root = DefaultRootWindow(display);
    XSetWindowBackground(display, root, 0xFF00FF);
    XClearWindow(display, root);
    XSync(display, False);
    const int wm = box.Spawn("/usr/bin/openbox", {"--sm-disable"}, {{"DISPLAY", server.Name()}});
    ASSERT_GT(wm, 0);
    ASSERT_TRUE(WaitFor([&] { return !Property(display, root, "_NET_SUPPORTING_WM_CHECK").empty(); }, 10s))
        << "the window manager did not start";
    ASSERT_NO_FATAL_FAILURE(box.Stage(200));

    EXPECT_EQ(StartOnDisplay(box, server.Name()), 0) << "the first process only copies itself and relaunches";
    Placed dialog, main;
    ASSERT_TRUE(WaitForWindowAndBox(display, main, dialog)) << "the window and its confirmation did not appear";
    std::this_thread::sleep_for(500ms);

    // The window behind the question is already painted, its corners free of dark pixels.
    const platform::Surface behind = Capture(display, main);
    ASSERT_TRUE(behind.IsValid());
    platform::WritePng(behind.Pixels(), BuiltPath("tests/e2e/e2e-behind-confirmation.png"));
    const auto channel = [](std::uint32_t p, int shift) { return int((p >> shift) & 0xFF); };
    const std::uint32_t band = behind.GetPixel(150, 60), body = behind.GetPixel(460, 240);
    EXPECT_GT(channel(band, 0), channel(band, 16) + 40) << "the caption band is not painted";
    EXPECT_GT(channel(body, 16), 0xF0) << "the body is not painted";
    int dark = 0, desktop = 0;
    for (int y = 0; y < 14; ++y)
        for (int x = 0; x < 14; ++x)
            for (const auto& [cx, cy] : {std::pair{x, y}, {479 - x, y}, {x, 299 - y}, {479 - x, 299 - y}}) {
                const std::uint32_t p = behind.GetPixel(cx, cy);
                desktop += (p & 0xFFFFFF) == 0xFF00FF;
                dark += std::max({channel(p, 0), channel(p, 8), channel(p, 16)}) < 0x50;
            }
    EXPECT_EQ(dark, 0) << "dark pixels at the window's corners";
    EXPECT_GT(desktop, 4 * 20) << "the rounded corners do not let the desktop show";

    // Our own dialog: the window's icon, no minimise or maximise, centred on its owner, the keyboard.
    const Atom dialogType = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DIALOG", False);
    EXPECT_TRUE(Contains(Property(display, dialog.window, "_NET_WM_WINDOW_TYPE"), long(dialogType)));
    const std::vector<long> icon = Property(display, dialog.window, "_NET_WM_ICON");
    EXPECT_EQ(icon, Property(display, main.window, "_NET_WM_ICON")) << "the box does not carry the window's icon";
    EXPECT_GT(icon.size(), 2u);
    // Motif hints: functions move and close only (no minimise, maximise or resize), decorations
    // border, title and menu. This window manager keeps its minimise and maximise buttons whatever
    // the hints say; desktops that honour them draw only the close button.
    const std::vector<long> motif = Property(display, dialog.window, "_MOTIF_WM_HINTS");
    ASSERT_GE(motif.size(), 3u);
    EXPECT_EQ(motif[0] & 3, 3) << "functions and decorations are both given";
    EXPECT_EQ(motif[1], 4 | 32) << "functions other than move and close";
    EXPECT_EQ(motif[2] & (32 | 64), 0) << "minimise or maximise decorations";
    EXPECT_NEAR(dialog.x + dialog.width / 2, main.x + main.width / 2, 4) << "not centred on its owner";
    EXPECT_NEAR(dialog.y + dialog.height / 2, main.y + main.height / 2, 30) << "not centred on its owner";
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    EXPECT_EQ(focus, dialog.window) << "the box did not take the keyboard";

    // Tab, Tab, Shift+Tab lands on Cancel; Return answers it and nothing is removed.
    fake.Press(display, XK_Tab);
    fake.Press(display, XK_Tab);
    fake.Press(display, XK_Tab, XK_Shift_L);
    fake.Press(display, XK_Return);
    const auto copies = Sandbox::ProcessesRunning(box.TempCopy());
    if (!copies.empty()) {
        EXPECT_EQ(box.WaitExit(copies.front(), 10s), 0);
    }
    EXPECT_TRUE(WaitFor([&] { return Sandbox::ProcessesRunning(box.TempCopy()).empty(); }, 10s))
        << "Return did not answer the focused button";
    EXPECT_TRUE(fs::exists(box.Install() / "uninstall.dat")) << "Cancel removed something";
    kill(wm, SIGTERM);
    box.WaitExit(wm, 5s);
}

} // namespace
} // namespace e2e
