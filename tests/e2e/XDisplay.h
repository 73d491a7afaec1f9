// A private Xvfb server for the end-to-end tests of the real window, and what they do on it:
// finding the uninstaller's windows, and pressing keys through the XTEST extension.
#pragma once

#include "E2eHarness.h"
#include "TitledWindows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <dlfcn.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/Surface.h"

namespace e2e {

struct FakeKeys
{
    using Motion = int (*)(::Display*, int, int, int, unsigned long);
    using Key = int (*)(::Display*, unsigned int, int, unsigned long);
    void Press(::Display* display, KeySym sym, KeySym modifier = NoSymbol) const
    {
        if (modifier != NoSymbol)
            key(display, XKeysymToKeycode(display, modifier), True, 0);
        key(display, XKeysymToKeycode(display, sym), True, 0);
        key(display, XKeysymToKeycode(display, sym), False, 0);
        if (modifier != NoSymbol)
            key(display, XKeysymToKeycode(display, modifier), False, 0);
        XFlush(display);
        std::this_thread::sleep_for(std::chrono::milliseconds(80));
    }
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

// Client windows titled like the uninstaller's anywhere in the tree, with their places on the screen.
inline void FindTitled(::Display* display, Window parentWindow, std::vector<Placed>& found)
{
    ForEachTitledWindow(display, parentWindow, kUninstallerTitle, [&](Window window, const XWindowAttributes& a) {
        int x = 0, y = 0;
        Window child = 0;
        XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
        found.push_back({window, x, y, a.width, a.height});
    });
}

class XServer
{
public:
    // `screen` is Xvfb's WIDTHxHEIGHTxDEPTH.
    explicit XServer(Sandbox& box, std::string screen = "1024x768x24") : m_box(box), m_screen(std::move(screen)) {}
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
            m_pid = m_box.Spawn("/usr/bin/Xvfb", {m_name, "-screen", "0", m_screen, "-nolisten", "tcp"}, {});
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
    std::string m_screen;
    int m_pid = -1;
    std::string m_name;
    ::Display* m_display = nullptr;
};

// The environment of a run in the sandbox on the SDL backend on the given X display: the real
// message boxes, no frame dumps.
inline Env SdlEnv(const Sandbox& box, const std::string& display)
{
    return box.HeadlessEnv("", {{"TVU_PLATFORM", "sdl"},
                                {"DISPLAY", display},
                                {"TVU_MSGBOX", ""},
                                {"TVU_MSGBOX_LOG", ""},
                                {"TVU_FRAMES", ""}});
}

// The window's pixels, read back from the screen, as an opaque picture.
inline platform::Surface Capture(::Display* display, const Placed& w)
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

// Captures the main window until its progress fill (blue over the track at logical (40, 214), row
// 218) is at least `atLeast` logical pixels long or 15 s pass; the last capture goes to `shot`, the
// fill's length in device pixels is returned. `scale` is the window's scale.
inline int WaitForProgressFill(::Display* display, const Placed& main, int scale, int atLeast, platform::Surface& shot)
{
    int fill = 0;
    WaitFor(
        [&] {
            shot = Capture(display, main);
            fill = 0;
            for (int x = 40 * scale; x < 440 * scale && shot.IsValid(); ++x) {
                const std::uint32_t p = shot.GetPixel(x, 218 * scale + scale / 2);
                if (((p >> 16) & 0xFF) < 0x80 && (p & 0xFF) > 0x80)
                    fill = x - 40 * scale + 1;
            }
            return fill >= atLeast * scale;
        },
        15s);
    return fill;
}

// Waits for the 480x300 main window and the box titled like it.
inline bool WaitForWindowAndBox(::Display* display, Placed& main, Placed& dialog)
{
    return WaitFor(
        [&] {
            std::vector<Placed> windows;
            FindTitled(display, DefaultRootWindow(display), windows);
            for (const Placed& w : windows)
                (w.width == 480 && w.height == 300 ? main : dialog) = w;
            return dialog.window != 0 && main.window != 0;
        },
        15s);
}

// A test on a private X server of its own, with XTEST to press keys: skipped where Xvfb or XTEST
// is missing. The server is gone before the sandbox it runs in.
class RealDisplayTest : public ::testing::Test
{
protected:
    // `screen` is the server's WIDTHxHEIGHTxDEPTH.
    explicit RealDisplayTest(std::string screen = "1024x768x24") : server{box, std::move(screen)} {}
    void SetUp() override
    {
        if (!fs::exists("/usr/bin/Xvfb"))
            GTEST_SKIP() << "Xvfb is not installed";
        if (!fake.Load())
            GTEST_SKIP() << "libXtst is not installed";
        ASSERT_TRUE(server.Start()) << "Xvfb did not start";
        display = server.Get();
    }

    FakeKeys fake;
    Sandbox box;
    XServer server;
    ::Display* display = nullptr;
};

} // namespace e2e
