// A real window on the SDL backend under a private Xvfb server: created, painted and read back from
// the screen, dragged by its caption band, resized, shaped with rounded corners and closed by the
// desktop. Skipped only where Xvfb cannot start.
#include "platform/WindowSystem.h"
#include "platform/sdl/SdlBackend.h"

#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include "XvfbServer.h"
#include "tests/platform/WindowTestSupport.h"

#include <chrono>
#include <cstdlib>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace {

using platform::WindowSystem;

constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr std::uint32_t kBlue = 0xFF0000FF;
constexpr int kCaptionHeight = 30;

using testx::FakeInput;
using testx::XServer;

// ---------------------------------------------------------------------------------------------
// The window under test
// ---------------------------------------------------------------------------------------------

int g_paints = 0;
bool g_paintDirtyOnly = false; // WM_PAINT leaves the picture and shows only what was invalidated
int g_sizes = 0;
bool g_destroyed = false;
std::vector<MSG> g_input; // mouse and keyboard messages, in order

LRESULT TestProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto& windows = platform::Windows();
    switch (message) {
    case WM_NCHITTEST: {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        windows.ScreenToClient(hwnd, p);
        return p.y < kCaptionHeight ? HTCAPTION : HTCLIENT;
    }
    case WM_PAINT:
        if (g_paintDirtyOnly) {
            platform::PaintInfo paint;
            windows.BeginPaint(hwnd, paint);
            windows.EndPaint(hwnd, paint);
        } else {
            window_test::PaintHalves(windows, hwnd, kRed, kBlue);
        }
        ++g_paints;
        return 0;
    case WM_SIZE:
        ++g_sizes;
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR: {
        MSG msg;
        msg.hwnd = hwnd;
        msg.message = message;
        msg.wParam = wParam;
        msg.lParam = lParam;
        g_input.push_back(msg);
        return 0;
    }
    case WM_DESTROY:
        g_destroyed = true;
        return 0;
    default:
        return windows.DefWindowProc(hwnd, message, wParam, lParam);
    }
}

class SdlWindowTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_server = new XServer;
        if (!s_server->Start())
            return;
        setenv("DISPLAY", s_server->Display().c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
        setenv("SDL_VIDEODRIVER", "x11", 1);
    }
    static void TearDownTestSuite()
    {
        WindowSystem::Shutdown();
        if (s_server)
            s_server->Stop();
        delete s_server;
        s_server = nullptr;
    }

    void SetUp() override
    {
        if (s_server->Display().empty())
            GTEST_SKIP() << "real-window test skipped: " << s_server->Error();
        std::string error;
        auto backend = platform::CreateSdlBackend(&error);
        ASSERT_NE(backend, nullptr) << "SDL could not open the Xvfb display " << s_server->Display() << ": " << error;
        backendInUse = backend.get();
        windows = &WindowSystem::Install(std::move(backend));
        display = XOpenDisplay(s_server->Display().c_str());
        ASSERT_NE(display, nullptr);
        window_test::RegisterTestClass(*windows, u"SdlTestWindow", TestProc);
        g_paints = 0;
        g_paintDirtyOnly = false;
        g_sizes = 0;
        g_destroyed = false;
        g_input.clear();
    }

    void TearDown() override
    {
        if (display)
            XCloseDisplay(display);
        display = nullptr;
        if (windows)
            WindowSystem::Shutdown();
    }

    // Runs the message loop until the condition holds or two seconds pass.
    bool PumpUntil(const std::function<bool()>& condition)
    {
        return window_test::PumpUntil(*windows, condition, 2000, 10);
    }

    // The screen's colour at (x, y) as 0xFFRRGGBB.
    std::uint32_t ScreenPixel(int x, int y)
    {
        XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image)
            return 0;
        const unsigned long pixel = XGetPixel(image, 0, 0);
        XDestroyImage(image);
        return 0xFF000000u | std::uint32_t(pixel & 0xFFFFFF);
    }

    ::Window FindXWindow(const char* title)
    {
        ::Window root = DefaultRootWindow(display), parent = 0, *children = nullptr;
        unsigned count = 0;
        ::Window found = 0;
        if (XQueryTree(display, root, &root, &parent, &children, &count)) {
            for (unsigned i = 0; i < count && !found; ++i) {
                char* name = nullptr;
                if (XFetchName(display, children[i], &name) && name) {
                    if (std::string(name) == title)
                        found = children[i];
                    XFree(name);
                }
            }
            XFree(children);
        }
        return found;
    }

    HWND CreateTestWindow(int x, int y, int width, int height)
    {
        return windows->CreateWindowEx(0, u"SdlTestWindow", u"tvu-sdl-test", WS_POPUP | WS_VISIBLE, x, y, width, height,
                                       nullptr, nullptr, nullptr, nullptr);
    }

    // Sends the window a client message from the test's own connection after `delay` unless
    // ended first, which wakes any wait on the display: it ends a test whose wait would otherwise
    // not end at all.
    class Rescue
    {
    public:
        Rescue(::Window xwindow, std::string display, std::chrono::milliseconds delay)
            : m_thread([this, xwindow, display, delay, done = m_done.get_future()] {
                  if (done.wait_for(delay) == std::future_status::ready)
                      return;
                  ::Display* other = XOpenDisplay(display.c_str());
                  if (!other)
                      return;
                  XEvent event{};
                  event.xclient.type = ClientMessage;
                  event.xclient.window = xwindow;
                  event.xclient.message_type = XInternAtom(other, "TVU_TEST_RESCUE", False);
                  event.xclient.format = 32;
                  XSendEvent(other, xwindow, False, NoEventMask, &event);
                  XCloseDisplay(other);
              })
        {
        }
        ~Rescue()
        {
            m_done.set_value();
            m_thread.join();
        }

    private:
        std::promise<void> m_done;
        std::thread m_thread;
    };
    std::unique_ptr<Rescue> RescueAfter(std::chrono::milliseconds delay)
    {
        return std::make_unique<Rescue>(FindXWindow("tvu-sdl-test"), s_server->Display(), delay);
    }

    static XServer* s_server;
    WindowSystem* windows = nullptr;
    platform::IWindowBackend* backendInUse = nullptr;
    ::Display* display = nullptr;
};

XServer* SdlWindowTest::s_server = nullptr;

} // namespace

TEST_F(SdlWindowTest, APaintedWindowShowsItsColoursOnTheScreen)
{
    EXPECT_STREQ(windows->Backend().Name(), "sdl");
    HWND hwnd = CreateTestWindow(100, 100, 200, 150);
    ASSERT_NE(hwnd, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return g_paints > 0 && ScreenPixel(150, 110) == kRed; }))
        << std::hex << "top half: " << ScreenPixel(150, 110);
    EXPECT_EQ(ScreenPixel(150, 230), kBlue) << std::hex << ScreenPixel(150, 230);
    EXPECT_NE(ScreenPixel(320, 110), kRed) << "nothing outside the window";
}

// An animation repaints a hundred times a second. Showing a frame must not wait for the X server's
// answer: each wait puts the window thread to sleep and wakes it again, which on a virtual machine
// costs about as much as the frame itself.
TEST_F(SdlWindowTest, ShowingAFrameDoesNotWaitForTheServer)
{
    HWND hwnd = CreateTestWindow(100, 100, 200, 150);
    ASSERT_NE(hwnd, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return g_paints > 0 && ScreenPixel(150, 110) == kRed; }));
    windows->DispatchPending();
    constexpr int kFrames = 50;
    rusage before{}, after{};
    getrusage(RUSAGE_THREAD, &before);
    const int paintsBefore = g_paints;
    // Each frame shows only its piece (400 bytes), so all fifty fit in the socket's buffer: a server
    // that a busy machine leaves unscheduled cannot make the writes block, only waiting for replies
    // would.
    g_paintDirtyOnly = true;
    for (int frame = 0; frame < kFrames; ++frame) {
        const RECT piece{10 + frame % 20, 10 + frame % 20, 20 + frame % 20, 20 + frame % 20};
        windows->InvalidateRect(hwnd, &piece, false);
        windows->UpdateWindow(hwnd);
    }
    getrusage(RUSAGE_THREAD, &after);
    EXPECT_EQ(g_paints - paintsBefore, kFrames);
    // Waiting for replies would block on every frame.
    EXPECT_LT(after.ru_nvcsw - before.ru_nvcsw, kFrames / 5) << "voluntary switches in " << kFrames << " frames";
    // And the frames arrive: the pixels are still the window's.
    ASSERT_TRUE(PumpUntil([&] { return ScreenPixel(120, 125) == kRed; })) << std::hex << ScreenPixel(120, 125);
    EXPECT_EQ(ScreenPixel(150, 230), kBlue) << std::hex << ScreenPixel(150, 230);
}

TEST_F(SdlWindowTest, DraggingTheCaptionBandMovesTheWindow)
{
    FakeInput input;
    if (!input.Load())
        GTEST_SKIP() << "the X test extension library (libXtst.so.6) is missing";
    HWND hwnd = CreateTestWindow(100, 100, 200, 150);
    ASSERT_TRUE(PumpUntil([&] { return ScreenPixel(150, 110) == kRed; }));
    input.motion(display, -1, 150, 110, 0);
    XFlush(display);
    PumpUntil([] { return false; });
    input.button(display, 1, True, 0);
    XFlush(display);
    windows->DispatchPending();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    for (int step = 1; step <= 5; ++step) {
        input.motion(display, -1, 150 + step * 40, 110 + step * 30, 0);
        XFlush(display);
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        windows->DispatchPending();
    }
    input.button(display, 1, False, 0);
    XFlush(display);
    RECT r;
    ASSERT_TRUE(PumpUntil([&] {
        windows->GetWindowRect(hwnd, r);
        return r.left == 300 && r.top == 250;
    })) << "window at "
        << r.left << "," << r.top;
    ASSERT_TRUE(PumpUntil([&] { return ScreenPixel(350, 260) == kRed; }))
        << std::hex << ScreenPixel(350, 260) << " where the moved window's caption should be";
}

TEST_F(SdlWindowTest, ResizingRepaintsTheNewSize)
{
    HWND hwnd = CreateTestWindow(100, 100, 200, 150);
    ASSERT_TRUE(PumpUntil([&] { return ScreenPixel(150, 110) == kRed; }));
    const int sizesBefore = g_sizes;
    windows->SetWindowPos(hwnd, nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_GT(g_sizes, sizesBefore);
    ASSERT_TRUE(PumpUntil([&] { return ScreenPixel(450, 120) == kRed && ScreenPixel(450, 380) == kBlue; }))
        << std::hex << ScreenPixel(450, 120) << " " << ScreenPixel(450, 380);
}

TEST_F(SdlWindowTest, RoundedRegionsCutTheCorners)
{
    HWND hwnd = CreateTestWindow(100, 100, 200, 150);
    windows->SetWindowRegion(hwnd, platform::WindowRegion::RoundRect(RECT{0, 0, 201, 151}, 40, 40), true);
    ASSERT_TRUE(PumpUntil([&] { return ScreenPixel(150, 110) == kRed; }));
    ASSERT_TRUE(PumpUntil([&] { return ScreenPixel(101, 101) != kRed; }))
        << "the corner is cut away " << std::hex << ScreenPixel(100, 100) << " " << ScreenPixel(103, 103) << " "
        << ScreenPixel(106, 106) << " " << ScreenPixel(99, 99);
    EXPECT_EQ(ScreenPixel(200, 101), kRed) << "the top edge between the corners stays";
}

// A layered window's alpha is handed to the desktop as the standard opacity hint, which a
// compositing desktop applies; setting the window opaque again updates it.
TEST_F(SdlWindowTest, LayeredOpacityReachesTheDesktop)
{
    HWND hwnd = CreateTestWindow(100, 100, 200, 150);
    ASSERT_TRUE(PumpUntil([&] { return ScreenPixel(150, 110) == kRed; }));
    EXPECT_FALSE(windows->SetLayeredWindowAttributes(hwnd, 0, 128, LWA_ALPHA)) << "only layered windows";
    windows->SetWindowLongPtr(hwnd, GWL_EXSTYLE, windows->GetWindowLongPtr(hwnd, GWL_EXSTYLE) | WS_EX_LAYERED);
    ASSERT_TRUE(windows->SetLayeredWindowAttributes(hwnd, 0, 128, LWA_ALPHA));
    const ::Window xwindow = FindXWindow("tvu-sdl-test");
    ASSERT_NE(xwindow, 0u);
    const Atom hint = XInternAtom(display, "_NET_WM_WINDOW_OPACITY", False);
    const auto opacity = [&]() -> unsigned long {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        unsigned long value = 0xFFFFFFFFul;
        if (XGetWindowProperty(display, xwindow, hint, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after,
                               &data) == Success &&
            data && count == 1)
            value = *reinterpret_cast<unsigned long*>(data) & 0xFFFFFFFFul;
        if (data)
            XFree(data);
        return value;
    };
    EXPECT_TRUE(PumpUntil([&] { return opacity() / 0x1000000ul == 128; })) << std::hex << "opacity hint " << opacity();
    windows->SetWindowLongPtr(hwnd, GWL_EXSTYLE, windows->GetWindowLongPtr(hwnd, GWL_EXSTYLE) & ~WS_EX_LAYERED);
    EXPECT_TRUE(PumpUntil([&] { return opacity() == 0xFFFFFFFFul; })) << std::hex << "opacity hint " << opacity();
    EXPECT_EQ(windows->WindowOpacity(hwnd), 255);
}

TEST_F(SdlWindowTest, TheDesktopsCloseRequestClosesTheWindow)
{
    HWND hwnd = CreateTestWindow(100, 100, 200, 150);
    ASSERT_TRUE(PumpUntil([&] { return ScreenPixel(150, 110) == kRed; }));
    ::Window xwindow = FindXWindow("tvu-sdl-test");
    ASSERT_NE(xwindow, 0u);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = xwindow;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, xwindow, False, NoEventMask, &event);
    XFlush(display);
    ASSERT_TRUE(PumpUntil([&] { return g_destroyed; })) << "WM_SYSCOMMAND SC_CLOSE then WM_CLOSE destroy it";
    EXPECT_FALSE(windows->IsWindow(hwnd));
    EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(150, 110) != kRed; }));
}

TEST_F(SdlWindowTest, ClicksAndKeysArriveAsWin32Messages)
{
    FakeInput input;
    if (!input.Load())
        GTEST_SKIP() << "the X test extension library (libXtst.so.6) is missing";
    HWND hwnd = CreateTestWindow(100, 100, 200, 150);
    ASSERT_TRUE(PumpUntil([&] { return ScreenPixel(150, 200) == kBlue; }));
    input.motion(display, -1, 160, 190, 0);
    input.button(display, 1, True, 0);
    input.button(display, 1, False, 0);
    const KeyCode a = XKeysymToKeycode(display, XK_a);
    input.key(display, a, True, 0);
    input.key(display, a, False, 0);
    XFlush(display);
    ASSERT_TRUE(PumpUntil([&] { return g_input.size() >= 5; })) << g_input.size() << " input messages";
    EXPECT_EQ(g_input[0].message, WM_LBUTTONDOWN);
    EXPECT_EQ(g_input[0].lParam, MAKELPARAM(60, 90));
    EXPECT_EQ(g_input[0].wParam, MK_LBUTTON);
    EXPECT_EQ(g_input[1].message, WM_LBUTTONUP);
    EXPECT_EQ(g_input[2].message, WM_KEYDOWN);
    EXPECT_EQ(g_input[2].wParam, WPARAM('A'));
    EXPECT_EQ(g_input[3].message, WM_CHAR);
    EXPECT_EQ(g_input[3].wParam, WPARAM('a'));
    EXPECT_EQ(g_input[4].message, WM_KEYUP);
    EXPECT_EQ(windows->GetFocus(), hwnd);
}

// The message loop waits on the display server's socket: a message posted from another thread must
// end that wait at once, and input that Xlib read while a paint waited for the server (so that the
// socket has nothing more to say) must be taken without waiting for further input.
TEST_F(SdlWindowTest, AWaitEndsForAPostedMessageAndForInputReadDuringAPaint)
{
    HWND hwnd = CreateTestWindow(100, 100, 200, 150);
    ASSERT_TRUE(PumpUntil([&] { return ScreenPixel(150, 200) == kBlue; }));
    MSG msg;
    while (windows->PeekMessage(msg, nullptr, 0, 0, PM_REMOVE))
        windows->DispatchMessage(msg);

    auto rescue = RescueAfter(std::chrono::seconds(5));
    std::thread poster([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        windows->PostMessage(hwnd, WM_APP + 7, 0, 0);
    });
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(windows->GetMessage(msg, nullptr, 0, 0), 1);
    const auto waited = std::chrono::steady_clock::now() - start;
    poster.join();
    rescue.reset();
    EXPECT_EQ(msg.message, UINT(WM_APP + 7));
    EXPECT_LT(waited, std::chrono::seconds(4)) << "the posted message did not end the wait";

    FakeInput input;
    if (!input.Load())
        GTEST_SKIP() << "the X test extension library (libXtst.so.6) is missing";
    while (windows->PeekMessage(msg, nullptr, 0, 0, PM_REMOVE))
        windows->DispatchMessage(msg);
    g_input.clear();
    const KeyCode b = XKeysymToKeycode(display, XK_b);
    input.key(display, b, True, 0);
    input.key(display, b, False, 0);
    // Once the server has made the key events, the paint's wait for the server reads them into
    // Xlib's queue on the way to its reply; the socket then stays quiet.
    XSync(display, False);
    windows->InvalidateRect(hwnd, nullptr, false);
    windows->UpdateWindow(hwnd);
    auto rescueInput = RescueAfter(std::chrono::seconds(5));
    const auto inputStart = std::chrono::steady_clock::now();
    backendInUse->WaitEvents(-1);
    const auto inputWaited = std::chrono::steady_clock::now() - inputStart;
    rescueInput.reset();
    EXPECT_LT(inputWaited, std::chrono::seconds(4)) << "the wait sat on input already read";
    EXPECT_TRUE(PumpUntil([&] { return g_input.size() >= 2; })) << g_input.size() << " input messages";
}
