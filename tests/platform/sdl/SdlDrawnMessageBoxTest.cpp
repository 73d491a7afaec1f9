// The message box the SDL backend draws itself when SDL's own cannot be shown. The private Xvfb
// server has only its built-in fonts (-fp built-ins), which makes SDL's box fail as on a desktop
// without the X core fonts. The box is asked through the window system on this thread; a second
// thread with its own X connection finds it by its title and answers it through XTest.
#include "platform/TextEncoding.h"
#include "platform/WindowSystem.h"
#include "platform/sdl/SdlBackend.h"
#include "platform/sdl/SdlDrawnMessageBox.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include "XvfbServer.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using platform::WindowSystem;

struct Placed
{
    ::Window window = 0;
    int x = 0, y = 0, width = 0, height = 0;
};

// The viewable top-level window whose title (WM_NAME) holds exactly these UTF-8 bytes.
Placed FindByTitle(::Display* display, const std::string& title)
{
    Placed found;
    ::Window root = DefaultRootWindow(display), parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, root, &root, &parent, &children, &count))
        return found;
    for (unsigned i = 0; i < count && !found.window; ++i) {
        XWindowAttributes a;
        XTextProperty name{};
        if (!XGetWindowAttributes(display, children[i], &a) || a.map_state != IsViewable ||
            !XGetWMName(display, children[i], &name) || !name.value)
            continue;
        if (std::string(reinterpret_cast<const char*>(name.value), name.nitems) == title)
            found = {children[i], a.x, a.y, a.width, a.height};
        XFree(name.value);
    }
    XFree(children);
    return found;
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (condition())
            return true;
        std::this_thread::sleep_for(20ms);
    }
    return condition();
}

std::vector<UINT> g_ownerInput; // mouse and key messages the owner window received

// The times a thread of this process has gone to sleep of its own accord.
long VoluntarySwitches(pid_t thread)
{
    std::ifstream status("/proc/self/task/" + std::to_string(thread) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0)
            return std::stol(line.substr(line.find(':') + 1));
    return -1;
}

std::atomic<int> g_threadTimerTicks{0};

LRESULT OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP || message == WM_KEYDOWN || message == WM_CHAR)
        g_ownerInput.push_back(message);
    return platform::Windows().DefWindowProc(hwnd, message, wParam, lParam);
}

class DrawnMessageBoxTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_server = std::make_unique<testx::XServer>();
        if (!s_server->Start({"-fp", "built-ins"}))
            return;
        setenv("DISPLAY", s_server->Display().c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
        setenv("SDL_VIDEODRIVER", "x11", 1);
        // SDL also tries a helper program found on PATH; none may stand in for the drawn box here.
        setenv("PATH", "/nonexistent", 1);
    }
    static void TearDownTestSuite()
    {
        // Whatever window system is still installed must let go of the display before it goes.
        WindowSystem::Shutdown();
        if (s_server)
            s_server->Stop();
        s_server.reset();
    }

    void SetUp() override
    {
        if (s_server->Display().empty())
            GTEST_SKIP() << "Xvfb is needed: " << s_server->Error();
        if (!input.Load())
            GTEST_SKIP() << "the X test extension library (libXtst.so.6) is missing";
        std::string error;
        auto backend = platform::CreateSdlBackend(&error);
        ASSERT_NE(backend, nullptr) << "SDL could not open " << s_server->Display() << ": " << error;
        windows = &WindowSystem::Install(std::move(backend));
        g_ownerInput.clear();
    }

    void TearDown() override
    {
        if (windows)
            WindowSystem::Shutdown();
    }

    using Answerer = std::function<void(::Display*, const Placed&)>;

    // Asks the window system's MessageBox while a helper thread waits for the box, checks that it is
    // the drawn one (its size is the drawn layout's) and that it holds the keyboard, then answers.
    int Ask(HWND owner, const std::u16string& caption, const std::u16string& text, UINT type, const Answerer& answer)
    {
        const platform::DrawnMessageBox drawn{platform::Utf16ToUtf8(caption), platform::Utf16ToUtf8(text),
                                              platform::MessageBoxIconFor(type), platform::MessageBoxChoicesFor(type)};
        layout = platform::LayOutMessageBox(drawn);
        seen = Placed{};
        // The connection is opened and closed on this thread: SDL tries its own box in a forked
        // child, and a child forked while another thread holds Xlib's global lock would never return.
        ::Display* display = XOpenDisplay(s_server->Display().c_str());
        if (!display) {
            ADD_FAILURE() << "no second connection to " << s_server->Display();
            return -1;
        }
        std::thread helper([&] {
            WaitFor([&] { return (seen = FindByTitle(display, drawn.title)).window != 0; }, 10s);
            if (!seen.window)
                return;
            focused = WaitFor(
                [&] {
                    ::Window focus = 0;
                    int revert = 0;
                    XGetInputFocus(display, &focus, &revert);
                    return focus == seen.window;
                },
                5s); // generous: a loaded machine can be slow to hand the keyboard over
            answer(display, seen);
            XSync(display, False);
        });
        const int result = windows->MessageBox(owner, text.c_str(), caption.c_str(), type);
        helper.join();
        XCloseDisplay(display);
        EXPECT_NE(seen.window, 0u) << "no window titled with the caption appeared";
        EXPECT_EQ(seen.width, layout.width) << "the box is not the drawn one";
        EXPECT_EQ(seen.height, layout.height) << "the box is not the drawn one";
        EXPECT_TRUE(focused) << "the box did not take the keyboard";
        return result;
    }

    // Key presses answered through XTest, each pressed and released.
    Answerer Keys(std::vector<KeySym> keys)
    {
        return [this, keys](::Display* display, const Placed&) {
            for (KeySym sym : keys) {
                const unsigned code = XKeysymToKeycode(display, sym);
                input.key(display, code, True, 0);
                input.key(display, code, False, 0);
                XFlush(display);
                std::this_thread::sleep_for(50ms);
            }
        };
    }

    void Click(::Display* display, int x, int y)
    {
        input.motion(display, -1, x, y, 0);
        input.button(display, 1, True, 0);
        input.button(display, 1, False, 0);
        XFlush(display);
    }

    static std::unique_ptr<testx::XServer> s_server;
    testx::FakeInput input;
    WindowSystem* windows = nullptr;
    platform::MessageBoxLayout layout;
    Placed seen;
    bool focused = false;
};

std::unique_ptr<testx::XServer> DrawnMessageBoxTest::s_server;

} // namespace

TEST_F(DrawnMessageBoxTest, ReturnAnswersTheDefaultButton)
{
    const std::u16string caption = u"Tarvion – Entfernen? ✓";
    EXPECT_EQ(Ask(nullptr, caption, u"Remove the product?", MB_OKCANCEL | MB_ICONWARNING, Keys({XK_Return})), IDOK);
    // Without an owner the box sits in the middle of the 1024x768 screen.
    EXPECT_NEAR(seen.x + seen.width / 2, 512, 1);
    EXPECT_NEAR(seen.y + seen.height / 2, 384, 1);
}

TEST_F(DrawnMessageBoxTest, EscapeAnswersCancel)
{
    // A long message wraps instead of stretching the box across the screen.
    std::u16string text;
    for (int i = 0; i < 40; ++i)
        text += u"All settings will be removed. ";
    EXPECT_EQ(Ask(nullptr, u"Long question", text, MB_OKCANCEL, Keys({XK_Escape})), IDCANCEL);
    EXPECT_LE(seen.width, 500);
    EXPECT_GE(seen.height, 150);
}

TEST_F(DrawnMessageBoxTest, KeyboardMovesFocusAndAnswersWhatIsFocused)
{
    struct Case
    {
        UINT type;
        std::vector<KeySym> keys;
        int expected;
    };
    const Case cases[] = {
        {MB_OKCANCEL | MB_DEFBUTTON2, {XK_KP_Enter}, IDCANCEL},
        {MB_YESNOCANCEL, {XK_Tab, XK_space}, IDNO},
        {MB_YESNO, {XK_Left, XK_Return}, IDNO}, // focus wraps around
        {MB_YESNOCANCEL | MB_DEFBUTTON2, {XK_Right, XK_Left, XK_Left, XK_space}, IDYES},
        {MB_YESNO, {XK_Escape}, IDNO}, // without Cancel, dismissing gives the last answer
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const std::u16string caption = u"Keys " + platform::Utf8ToUtf16(std::to_string(i));
        EXPECT_EQ(Ask(nullptr, caption, u"Which one?", cases[i].type, Keys(cases[i].keys)), cases[i].expected)
            << "case " << i;
    }
}

TEST_F(DrawnMessageBoxTest, ClickingAButtonAndClosingTheWindowAnswer)
{
    const int clicked = Ask(nullptr, u"Click", u"Which one?", MB_YESNOCANCEL | MB_ICONERROR,
                            [&](::Display* display, const Placed& box) {
                                const auto& yes = layout.buttons[0];
                                Click(display, box.x + yes.x + yes.width / 2, box.y + yes.y + yes.height / 2);
                            });
    EXPECT_EQ(clicked, IDYES);

    // Pressed on one button and released on another is no click; the desktop's close then dismisses.
    const int closed =
        Ask(nullptr, u"Close", u"Which one?", MB_YESNOCANCEL, [&](::Display* display, const Placed& box) {
            const auto& yes = layout.buttons[0];
            const auto& no = layout.buttons[1];
            input.motion(display, -1, box.x + yes.x + 5, box.y + yes.y + 5, 0);
            input.button(display, 1, True, 0);
            input.motion(display, -1, box.x + no.x + 5, box.y + no.y + 5, 0);
            input.button(display, 1, False, 0);
            XFlush(display);
            std::this_thread::sleep_for(100ms);
            XEvent event{};
            event.xclient.type = ClientMessage;
            event.xclient.window = box.window;
            event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
            event.xclient.format = 32;
            event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
            event.xclient.data.l[1] = CurrentTime;
            XSendEvent(display, box.window, False, NoEventMask, &event);
        });
    EXPECT_EQ(closed, IDCANCEL);
}

TEST_F(DrawnMessageBoxTest, TheOwnerGetsNoInputWhileTheBoxIsOpen)
{
    WNDCLASSEXW wc;
    wc.lpfnWndProc = OwnerProc;
    wc.lpszClassName = platform::Win32Text(u"DrawnBoxOwner");
    windows->RegisterClassEx(wc);
    HWND owner = windows->CreateWindowEx(0, u"DrawnBoxOwner", u"owner", WS_POPUP | WS_VISIBLE, 100, 100, 500, 400,
                                         nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    windows->DispatchPending();

    const int answer = Ask(owner, u"Owned", u"Sure?", MB_OKCANCEL, [&](::Display* display, const Placed& box) {
        Click(display, 110, 110); // on the owner, outside the box
        std::this_thread::sleep_for(100ms);
        const auto& cancel = layout.buttons[1];
        Click(display, box.x + cancel.x + cancel.width / 2, box.y + cancel.y + cancel.height / 2);
    });
    EXPECT_EQ(answer, IDCANCEL);
    EXPECT_NEAR(seen.x + seen.width / 2, 350, 1) << "centred on the owner";
    EXPECT_NEAR(seen.y + seen.height / 2, 300, 1) << "centred on the owner";
    std::this_thread::sleep_for(100ms);
    windows->DispatchPending();
    EXPECT_TRUE(g_ownerInput.empty()) << g_ownerInput.size() << " input messages reached the owner";
}

// While the question waits, the box's thread sleeps until the user, the X server or the next thread
// timer has something for it. Looking for events every few milliseconds would wake it two hundred
// times a second for as long as the box stays open.
TEST_F(DrawnMessageBoxTest, AWaitingBoxSleepsUntilInputOrItsThreadsNextTimer)
{
    g_threadTimerTicks = 0;
    const UINT_PTR timer = windows->SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) { ++g_threadTimerTicks; });
    ASSERT_NE(timer, 0u);
    const pid_t boxThread = gettid();
    long switches = -1;
    int ticks = 0;
    const Answerer press = Keys({XK_Return});
    const int answer =
        Ask(nullptr, u"Sleeping box", u"Remove the product?", MB_OKCANCEL, [&](::Display* display, const Placed& box) {
            std::this_thread::sleep_for(200ms);
            const long before = VoluntarySwitches(boxThread);
            const int ticksBefore = g_threadTimerTicks;
            std::this_thread::sleep_for(500ms);
            switches = VoluntarySwitches(boxThread) - before;
            ticks = g_threadTimerTicks - ticksBefore;
            press(display, box);
        });
    windows->KillTimer(nullptr, timer);
    EXPECT_EQ(answer, IDOK);
    // Ten ticks of 50 ms in half a second; a loaded machine may lose a few.
    EXPECT_GE(ticks, 6) << "the thread's timer stopped while the box was open";
    EXPECT_LT(switches, 40) << "the box's thread woke " << switches << " times in 0.5 s for " << ticks << " ticks";
}
