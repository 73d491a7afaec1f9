// The real window under a private Xvfb server: the uninstaller runs on the SDL backend, the
// confirmation box is answered OK with the keyboard, and a screenshot of the window shows the skin
// with the progress running. The picture is kept as e2e-window.png in the build tree.
#include "E2eHarness.h"

#include "platform/PngFile.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <dlfcn.h>

namespace e2e {
namespace {

struct FakeKeys
{
    using Motion = int (*)(::Display*, int, int, int, unsigned long);
    using Key = int (*)(::Display*, unsigned int, int, unsigned long);
    Motion motion = nullptr;
    Key key = nullptr;
    bool Load()
    {
        void* library = dlopen("libXtst.so.6", RTLD_NOW);
        if (!library)
            return false;
        motion = reinterpret_cast<Motion>(dlsym(library, "XTestFakeMotionEvent"));
        key = reinterpret_cast<Key>(dlsym(library, "XTestFakeKeyEvent"));
        return motion && key;
    }
};

struct Placed
{
    Window window = 0;
    int x = 0, y = 0, width = 0, height = 0;
};

// Mapped top-level windows titled like the uninstaller's, with their places on the screen.
std::vector<Placed> UninstallerWindows(::Display* display)
{
    std::vector<Placed> found;
    Window root = DefaultRootWindow(display), parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, root, &root, &parent, &children, &count))
        return found;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes a;
        if (!XGetWindowAttributes(display, children[i], &a) || a.map_state != IsViewable)
            continue;
        // The title's bytes, whatever encoding the property declares (the box uses UTF8_STRING).
        XTextProperty title{};
        if (XGetWMName(display, children[i], &title) && title.value) {
            const std::string text(reinterpret_cast<const char*>(title.value), title.nitems);
            if (text == "Tarvion Uninstall Window")
                found.push_back({children[i], a.x, a.y, a.width, a.height});
            XFree(title.value);
        }
    }
    XFree(children);
    return found;
}

class XServer
{
public:
    explicit XServer(Sandbox& box) : m_box(box) {}
    ~XServer()
    {
        if (m_display)
            XCloseDisplay(m_display);
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            m_box.WaitExit(m_pid, 5s);
        }
    }
    bool Start()
    {
        for (int number = 161; number < 230; ++number) {
            const std::string digits = std::to_string(number);
            std::string socket = "/tmp/.X11-unix/X";
            socket += digits;
            std::string lock = "/tmp/.X";
            lock += digits;
            lock += "-lock";
            if (fs::exists(socket) || fs::exists(lock))
                continue;
            m_name = ":" + digits;
            m_pid = m_box.Spawn("/usr/bin/Xvfb", {m_name, "-screen", "0", "1024x768x24", "-nolisten", "tcp"}, {});
            if (m_pid <= 0)
                return false;
            if (WaitFor([&] { return fs::exists(socket); }, 5s)) {
                std::this_thread::sleep_for(100ms);
                m_display = XOpenDisplay(m_name.c_str());
                return m_display != nullptr;
            }
            kill(m_pid, SIGTERM);
            m_box.WaitExit(m_pid, 5s);
            m_pid = -1;
        }
        return false;
    }
    ::Display* Get() const { return m_display; }
    const std::string& Name() const { return m_name; }

private:
    Sandbox& m_box;
    int m_pid = -1;
    std::string m_name;
    ::Display* m_display = nullptr;
};

// The window's pixels, read back from the screen, as an opaque picture.
platform::Surface Capture(::Display* display, const Placed& w)
{
    platform::Surface picture = platform::Surface::Create(w.width, w.height);
    XImage* image = XGetImage(display, DefaultRootWindow(display), w.x, w.y, unsigned(w.width), unsigned(w.height),
                              AllPlanes, ZPixmap);
    if (!image)
        return platform::Surface();
    for (int y = 0; y < w.height; ++y)
        for (int x = 0; x < w.width; ++x)
            picture.SetPixel(x, y, 0xFF000000 | (XGetPixel(image, x, y) & 0xFFFFFF));
    XDestroyImage(image);
    return picture;
}

TEST(Screenshot, RealWindowShowsTheSkinOnceConfirmed)
{
    if (!fs::exists("/usr/bin/Xvfb"))
        GTEST_SKIP() << "Xvfb is not installed";
    FakeKeys fake;
    if (!fake.Load())
        GTEST_SKIP() << "libXtst is not installed";
    Sandbox box;
    XServer server(box);
    ASSERT_TRUE(server.Start()) << "Xvfb did not start";
    ::Display* display = server.Get();
    ASSERT_NO_FATAL_FAILURE(box.Stage(3000));

    Env env = box.HeadlessEnv("", {{"TVU_PLATFORM", "sdl"},
                                   {"DISPLAY", server.Name()},
                                   {"TVU_MSGBOX", ""},
                                   {"TVU_MSGBOX_LOG", ""},
                                   {"TVU_FRAMES", ""}});
    const int first = box.Spawn(box.InstalledUninstaller().string(), {}, env);
    EXPECT_EQ(box.WaitExit(first, 10s), 0);

    // The confirmation box: the uninstaller's title on a window that is not the 480x300 main window.
    Placed dialog, main;
    ASSERT_TRUE(WaitFor(
        [&] {
            const std::vector<Placed> windows = UninstallerWindows(display);
            for (const Placed& w : windows) {
                if (w.width == 480 && w.height == 300)
                    main = w;
                else
                    dialog = w;
            }
            return dialog.window != 0 && main.window != 0;
        },
        15s))
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
    int fill = 0;
    WaitFor(
        [&] {
            shot = Capture(display, main);
            fill = 0;
            for (int x = 40; x < 440 && shot.IsValid(); ++x) {
                const std::uint32_t p = shot.GetPixel(x, 218);
                if (((p >> 16) & 0xFF) < 0x80 && (p & 0xFF) > 0x80)
                    fill = x - 39;
            }
            return fill >= 60;
        },
        15s);
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

} // namespace
} // namespace e2e
