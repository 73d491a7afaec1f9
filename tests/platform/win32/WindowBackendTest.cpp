// Real top-level windows of the Win32 window backend under Wine, on the X server the launcher
// started for this test program: the picture read back from the screen, input sent through
// SendInput from a second thread (the desktop's move loop and the message box's own loop keep the
// window's thread busy meanwhile) and arriving as the window system's messages.
#include "platform/DeviceContext.h"
#include "platform/DrawnMessageBox.h"
#include "platform/Surface.h"
#include "platform/TextEncoding.h"
#include "platform/WindowBackends.h"
#include "platform/WindowSystem.h"
#include "platform/win32/Win32DrawnMessageBox.h"
#include "platform/win32/Win32WindowBackend.h"

#include "tests/platform/win32/Win32TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

namespace {

using platform::WindowSystem;
using win32_test::ClientOnScreen;
using win32_test::LeftButton;
using win32_test::MoveTo;
using win32_test::ScreenPixel;
using win32_test::Send;
using win32_test::SendClick;

constexpr std::uint32_t kRed = 0xFFFF0000;  // as the picture holds it
constexpr std::uint32_t kBlue = 0xFF0000FF; // as the picture holds it
constexpr COLORREF kScreenRed = RGB(255, 0, 0);
constexpr COLORREF kScreenBlue = RGB(0, 0, 255);
constexpr int kCaptionHeight = 30;
constexpr int kGripSize = 10; // the bottom right corner sizes the window
const char16_t* const kTitle = u"tvu-win32-window";

// ---------------------------------------------------------------------------------------------
// The window under test
// ---------------------------------------------------------------------------------------------

struct Seen
{
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

std::vector<Seen> g_input; // mouse and keyboard messages, in order
int g_paints = 0;
bool g_destroyed = false;
bool g_captureOnPress = false;
bool g_trackLeave = false;

LRESULT TestProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto& windows = platform::Windows();
    switch (message) {
    case WM_NCHITTEST: {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        windows.ScreenToClient(hwnd, p);
        RECT client{};
        windows.GetClientRect(hwnd, client);
        if (p.x >= client.right - kGripSize && p.y >= client.bottom - kGripSize)
            return HTBOTTOMRIGHT;
        return p.y < kCaptionHeight ? HTCAPTION : HTCLIENT;
    }
    case WM_PAINT:
        window_test::PaintHalves(windows, hwnd, kRed, kBlue);
        ++g_paints;
        return 0;
    case WM_LBUTTONDOWN:
        g_input.push_back(Seen{message, wParam, lParam});
        if (g_captureOnPress)
            windows.SetCapture(hwnd);
        return 0;
    case WM_LBUTTONUP:
        g_input.push_back(Seen{message, wParam, lParam});
        if (windows.GetCapture() == hwnd)
            windows.ReleaseCapture();
        return 0;
    case WM_MOUSEMOVE:
        g_input.push_back(Seen{message, wParam, lParam});
        if (g_trackLeave) {
            TRACKMOUSEEVENT track{};
            track.cbSize = sizeof track;
            track.dwFlags = TME_LEAVE;
            track.hwndTrack = hwnd;
            windows.TrackMouseEvent(track);
        }
        return 0;
    case WM_MOUSELEAVE:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
        g_input.push_back(Seen{message, wParam, lParam});
        return 0;
    case WM_NCLBUTTONDOWN:
        g_input.push_back(Seen{message, wParam, lParam});
        return windows.DefWindowProc(hwnd, message, wParam, lParam);
    case WM_DESTROY:
        g_destroyed = true;
        return 0;
    default:
        return windows.DefWindowProc(hwnd, message, wParam, lParam);
    }
}

// ---------------------------------------------------------------------------------------------
// Input through the desktop
// ---------------------------------------------------------------------------------------------

void Key(WORD vk, bool down)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = WORD(::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    Send(input);
}

void Character(char16_t unit)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wScan = unit;
    input.ki.dwFlags = KEYEVENTF_UNICODE;
    Send(input);
    input.ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
    Send(input);
}

class Win32WindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!platform::HaveWin32Desktop())
            FAIL() << "no display: the tests of real windows run through their launcher (run-with-xvfb), which starts "
                      "Xvfb";
        auto backend = platform::CreateWin32WindowBackend();
        ASSERT_NE(backend, nullptr);
        windows = &WindowSystem::Install(std::move(backend));
        window_test::RegisterTestClass(*windows, u"Win32TestWindow", TestProc);
        g_input.clear();
        g_paints = 0;
        g_destroyed = false;
        g_captureOnPress = false;
        g_trackLeave = false;
    }

    void TearDown() override
    {
        if (injector.joinable())
            injector.join();
        if (windows)
            WindowSystem::Shutdown();
    }

    // Runs the message loop until the condition holds or three seconds pass.
    bool PumpUntil(const std::function<bool()>& condition, int ms = 3000)
    {
        return win32_test::PumpUntil(*windows, condition, ms);
    }

    // Sends input from a second thread while this one keeps the windows going.
    void Inject(std::function<void()> steps)
    {
        done = false;
        injector = std::thread([this, steps = std::move(steps)] {
            steps();
            done = true;
        });
        PumpUntil([this] { return done.load(); }, 10000);
        injector.join();
        PumpUntil([] { return false; }, 150);
    }

    HWND CreateTestWindow(int x, int y, int width, int height, DWORD exStyle = 0)
    {
        return windows->CreateWindowEx(exStyle, u"Win32TestWindow", kTitle, WS_POPUP | WS_VISIBLE, x, y, width, height,
                                       nullptr, nullptr, nullptr, nullptr);
    }

    // A native window has the class its record was made with (tooltips: the backend's own class),
    // so another process finds it as it finds any program's window.
    static HWND NativeWindow(const char16_t* title = kTitle, const char16_t* nativeClass = u"Win32TestWindow")
    {
        return ::FindWindowW(platform::Win32Text(nativeClass), platform::Win32Text(title));
    }

    // A window shown and painted at (100, 100), 200 x 150; its native window.
    HWND ShownWindow(HWND& hwnd)
    {
        hwnd = CreateTestWindow(100, 100, 200, 150);
        EXPECT_NE(hwnd, nullptr) << "system error " << ::GetLastError();
        windows->SetForegroundWindow(hwnd);
        EXPECT_TRUE(PumpUntil([&] { return g_paints > 0 && ScreenPixel(150, 110) == kScreenRed; }))
            << std::hex << ScreenPixel(150, 110);
        return NativeWindow();
    }

    WindowSystem* windows = nullptr;
    std::thread injector;
    std::atomic<bool> done{false};
};

std::vector<Seen> Only(UINT message)
{
    std::vector<Seen> seen;
    for (const Seen& s : g_input)
        if (s.message == message)
            seen.push_back(s);
    return seen;
}

} // namespace

TEST_F(Win32WindowTest, AWindowAppearsAtItsRectangleWithItsPicture)
{
    EXPECT_STREQ(windows->Backend().Name(), "win32");
    HWND hwnd = nullptr;
    const HWND native = ShownWindow(hwnd);
    ASSERT_NE(native, nullptr) << "a native window of the backend's class, with the record's title";
    RECT r{};
    ::GetWindowRect(native, &r);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 100);
    EXPECT_EQ(r.right, 300);
    EXPECT_EQ(r.bottom, 250);
    EXPECT_EQ(ScreenPixel(150, 230), kScreenBlue) << std::hex << ScreenPixel(150, 230);
    EXPECT_EQ(ScreenPixel(299, 249), kScreenBlue) << "the last pixel is the window's";
    EXPECT_NE(ScreenPixel(300, 110), kScreenRed) << "nothing outside the window";
    EXPECT_NE(ScreenPixel(150, 99), kScreenRed) << "nothing outside the window";

    // Moved and sized by the program: the native window follows and shows the new picture.
    windows->SetWindowPos(hwnd, nullptr, 50, 60, 300, 200, SWP_NOZORDER);
    ASSERT_TRUE(PumpUntil([&] { return ScreenPixel(340, 250) == kScreenBlue && ScreenPixel(60, 70) == kScreenRed; }))
        << std::hex << ScreenPixel(340, 250) << " " << ScreenPixel(60, 70);
    ::GetWindowRect(native, &r);
    EXPECT_EQ(r.left, 50);
    EXPECT_EQ(r.bottom, 260);
    RECT model{};
    windows->GetWindowRect(hwnd, model);
    EXPECT_EQ(model.left, 50) << "the program's own move is not reported back as another one";
    EXPECT_EQ(model.right, 350);

    windows->ShowWindow(hwnd, SW_HIDE);
    EXPECT_FALSE(::IsWindowVisible(native));
    EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(60, 70) != kScreenRed; }));
    windows->DestroyWindow(hwnd);
    EXPECT_FALSE(::IsWindow(native)) << "the native window goes with the record";
}

TEST_F(Win32WindowTest, ClicksKeysAndCharactersArriveAsMessagesAtClientCoordinates)
{
    HWND hwnd = nullptr;
    ASSERT_NE(ShownWindow(hwnd), nullptr);
    Inject([] {
        SendClick(160, 190);
        Key('A', true);
        Key('A', false);
        // One character beyond the first plane: two UTF-16 units, sent as such.
        Character(u'\xD83D');
        Character(u'\xDE00');
    });
    ASSERT_TRUE(PumpUntil([] { return Only(WM_CHAR).size() >= 3; })) << g_input.size() << " input messages";
    const auto downs = Only(WM_LBUTTONDOWN), ups = Only(WM_LBUTTONUP);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0].lParam, MAKELPARAM(60, 90));
    EXPECT_EQ(downs[0].wParam, WPARAM(MK_LBUTTON));
    ASSERT_EQ(ups.size(), 1u);
    EXPECT_EQ(ups[0].lParam, MAKELPARAM(60, 90));
    const auto keyDowns = Only(WM_KEYDOWN), keyUps = Only(WM_KEYUP), chars = Only(WM_CHAR);
    ASSERT_GE(keyDowns.size(), 1u);
    EXPECT_EQ(keyDowns[0].wParam, WPARAM('A'));
    EXPECT_EQ(keyDowns[0].lParam & (LPARAM(1) << 30), 0) << "a first press is no repeat";
    ASSERT_GE(keyUps.size(), 1u);
    EXPECT_EQ(keyUps[0].wParam, WPARAM('A'));
    ASSERT_EQ(chars.size(), 3u);
    EXPECT_EQ(chars[0].wParam, WPARAM('a'));
    EXPECT_EQ(chars[1].wParam, WPARAM(0xD83D)) << "both halves, in order";
    EXPECT_EQ(chars[2].wParam, WPARAM(0xDE00));
    EXPECT_EQ(windows->GetFocus(), hwnd);
}

TEST_F(Win32WindowTest, CaptureHoldsThePointerOutsideTheWindow)
{
    HWND hwnd = nullptr;
    ASSERT_NE(ShownWindow(hwnd), nullptr);
    g_captureOnPress = true;
    Inject([] {
        MoveTo(150, 200);
        LeftButton(true);
        MoveTo(400, 400);
        MoveTo(420, 410);
        LeftButton(false);
        // Released: moves out there are someone else's.
        MoveTo(450, 450);
    });
    ASSERT_TRUE(PumpUntil([] { return !Only(WM_LBUTTONUP).empty(); }));
    std::vector<LPARAM> outside;
    bool afterRelease = false;
    for (const Seen& s : g_input) {
        if (s.message == WM_LBUTTONUP)
            afterRelease = true;
        if (s.message == WM_MOUSEMOVE && GET_X_LPARAM(s.lParam) >= 200) {
            EXPECT_FALSE(afterRelease) << "a move outside after the capture ended";
            outside.push_back(s.lParam);
        }
    }
    ASSERT_FALSE(outside.empty()) << "moves outside the window reach the capturing window";
    EXPECT_EQ(outside.back(), MAKELPARAM(320, 310));
    EXPECT_EQ(Only(WM_LBUTTONUP).back().lParam, MAKELPARAM(320, 310)) << "the release outside arrives too";
    EXPECT_EQ(windows->GetCapture(), nullptr);
}

TEST_F(Win32WindowTest, ThePointerLeavingReachesTheWindowFromTheClientAreaAndFromTheCaption)
{
    HWND hwnd = nullptr;
    ASSERT_NE(ShownWindow(hwnd), nullptr);
    g_trackLeave = true;
    Inject([] {
        MoveTo(150, 200);
        MoveTo(500, 500);
    });
    ASSERT_TRUE(PumpUntil([] { return !Only(WM_MOUSELEAVE).empty(); })) << "straight out of the client area";
    g_input.clear();
    Inject([] {
        MoveTo(150, 200);
        MoveTo(150, 110); // over the caption band, which the desktop treats as the frame
        MoveTo(150, 60);
    });
    EXPECT_TRUE(PumpUntil([] { return !Only(WM_MOUSELEAVE).empty(); })) << "out through the caption";
}

TEST_F(Win32WindowTest, DraggingTheCaptionMovesTheWindow)
{
    HWND hwnd = nullptr;
    const HWND native = ShownWindow(hwnd);
    ASSERT_NE(native, nullptr);
    Inject([] {
        MoveTo(150, 110);
        LeftButton(true);
        for (int step = 1; step <= 5; ++step)
            MoveTo(150 + step * 40, 110 + step * 30);
        LeftButton(false);
    });
    RECT r{};
    ASSERT_TRUE(PumpUntil([&] {
        windows->GetWindowRect(hwnd, r);
        return r.left == 300 && r.top == 250;
    })) << "window at "
        << r.left << "," << r.top;
    EXPECT_EQ(r.right - r.left, 200) << "moved, not sized";
    RECT n{};
    ::GetWindowRect(native, &n);
    EXPECT_EQ(n.left, 300);
    EXPECT_EQ(n.top, 250);
    // The desktop's own move loop took the press; the window system did not follow the pointer itself.
    EXPECT_TRUE(Only(WM_LBUTTONDOWN).empty());
    EXPECT_TRUE(Only(WM_NCLBUTTONDOWN).empty());
    ASSERT_TRUE(PumpUntil([&] { return ScreenPixel(350, 260) == kScreenRed; }))
        << std::hex << ScreenPixel(350, 260) << " where the moved window's caption should be";
}

TEST_F(Win32WindowTest, DraggingTheCornerSizesTheWindowAndItIsPaintedAnew)
{
    HWND hwnd = nullptr;
    const HWND native = ShownWindow(hwnd);
    ASSERT_NE(native, nullptr);
    Inject([] {
        MoveTo(295, 245);
        LeftButton(true);
        for (int step = 1; step <= 5; ++step)
            MoveTo(295 + step * 10, 245 + step * 10);
        LeftButton(false);
    });
    RECT r{};
    ASSERT_TRUE(PumpUntil([&] {
        windows->GetWindowRect(hwnd, r);
        return r.right == 350 && r.bottom == 300;
    })) << "window at "
        << r.left << "," << r.top << " - " << r.right << "," << r.bottom;
    EXPECT_EQ(r.left, 100) << "sized from its corner, not moved";
    EXPECT_EQ(r.top, 100);
    EXPECT_TRUE(Only(WM_NCLBUTTONDOWN).empty()) << "the desktop's own size loop took the press";
    ASSERT_TRUE(PumpUntil([&] { return ScreenPixel(340, 290) == kScreenBlue && ScreenPixel(340, 110) == kScreenRed; }))
        << std::hex << ScreenPixel(340, 290) << " " << ScreenPixel(340, 110) << ": the new size's picture";
}

TEST_F(Win32WindowTest, ARoundedRegionCutsTheCorners)
{
    HWND hwnd = CreateTestWindow(100, 100, 200, 150);
    windows->SetWindowRegion(hwnd, platform::WindowRegion::RoundRect(RECT{0, 0, 201, 151}, 40, 40), true);
    ASSERT_TRUE(PumpUntil([&] { return ScreenPixel(150, 110) == kScreenRed; }));
    EXPECT_NE(ScreenPixel(101, 101), kScreenRed) << "the corner is cut away";
    EXPECT_NE(ScreenPixel(298, 248), kScreenBlue) << "every corner";
    EXPECT_EQ(ScreenPixel(200, 100), kScreenRed) << "the top edge between the corners stays";
    EXPECT_EQ(ScreenPixel(120, 120), kScreenRed) << "inside the rounding";
    windows->SetWindowRegion(hwnd, std::nullopt, true);
    EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(100, 100) == kScreenRed; })) << "the plain rectangle again";
}

TEST_F(Win32WindowTest, OpacityOfALayeredWindowReachesTheNativeWindow)
{
    HWND hwnd = CreateTestWindow(100, 100, 200, 150, WS_EX_LAYERED);
    ASSERT_TRUE(PumpUntil([&] { return ScreenPixel(150, 110) == kScreenRed; }))
        << "a layered window shows its picture before anyone sets its opacity";
    const HWND native = NativeWindow();
    ASSERT_NE(native, nullptr);
    ASSERT_TRUE(windows->SetLayeredWindowAttributes(hwnd, 0, 128, LWA_ALPHA));
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(::GetLayeredWindowAttributes(native, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 128);
    EXPECT_TRUE(flags & LWA_ALPHA);
    windows->SetWindowLongPtr(hwnd, GWL_EXSTYLE, windows->GetWindowLongPtr(hwnd, GWL_EXSTYLE) & ~WS_EX_LAYERED);
    EXPECT_FALSE(::GetWindowLongPtrW(native, GWL_EXSTYLE) & WS_EX_LAYERED) << "opaque again";
    EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(150, 230) == kScreenBlue; }));
}

TEST_F(Win32WindowTest, TheDesktopsCloseRequestClosesTheWindow)
{
    HWND hwnd = nullptr;
    const HWND native = ShownWindow(hwnd);
    ASSERT_NE(native, nullptr);
    ::PostMessageW(native, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(PumpUntil([] { return g_destroyed; })) << "WM_SYSCOMMAND SC_CLOSE then WM_CLOSE destroy it";
    EXPECT_FALSE(windows->IsWindow(hwnd));
    EXPECT_FALSE(::IsWindow(native));
}

// The drawn box of this thread titled `caption`, waited for up to five seconds from another thread.
HWND WaitForDrawnBox(const wchar_t* caption)
{
    HWND box = nullptr;
    for (int i = 0; i < 200 && !box; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
        box = win32_test::FindWindowOrChild(platform::Win32Text(platform::kWin32MessageBoxClass), caption);
    }
    return box;
}

platform::DrawnMessageBox DrawnBox(const char* caption, const char* text, UINT type)
{
    return platform::DrawnMessageBox{caption, text, platform::MessageBoxIconFor(type),
                                     platform::MessageBoxChoicesFor(type)};
}

TEST_F(Win32WindowTest, AMessageBoxOverItsOwnerIsAnsweredByItsButton)
{
    HWND hwnd = nullptr;
    const HWND native = ShownWindow(hwnd);
    ASSERT_NE(native, nullptr);
    // A thread timer of the window system runs while the box waits.
    static int ticks = 0;
    ticks = 0;
    windows->SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) { ++ticks; });
    // Another window of the program, not the box's owner, stays clickable on the desktop.
    const HWND other = windows->CreateWindowEx(0, u"Win32TestWindow", u"tvu-other", WS_POPUP | WS_VISIBLE, 400, 100,
                                               100, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return ScreenPixel(450, 110) == kScreenRed; }));
    g_input.clear();
    const platform::MessageBoxLayout layout =
        platform::LayOutMessageBox(DrawnBox("tvu-box", "Remove everything?", MB_OKCANCEL | MB_ICONQUESTION));
    std::atomic<HWND> boxOwner{nullptr};
    std::atomic<bool> clicked{false};
    injector = std::thread([&] {
        const HWND box = WaitForDrawnBox(L"tvu-box");
        if (!box)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        boxOwner = win32_test::OwnerOrParent(box);
        SendClick(450, 150);
        // OK, where the layout puts it.
        const RECT client = ClientOnScreen(box);
        const auto& ok = layout.buttons.at(0);
        SendClick(client.left + ok.x + ok.width / 2, client.top + ok.y + ok.height / 2);
        clicked = true;
    });
    const int answer = windows->MessageBox(hwnd, u"Remove everything?", u"tvu-box", MB_OKCANCEL | MB_ICONQUESTION);
    injector.join();
    EXPECT_TRUE(clicked) << "the box was found by its class and caption";
    EXPECT_EQ(answer, IDOK);
    EXPECT_EQ(boxOwner.load(), native) << "the box belongs to its owner's native window";
    EXPECT_GT(ticks, 0) << "timers ran while the box was open";
    PumpUntil([] { return false; }, 300);
    EXPECT_TRUE(Only(WM_LBUTTONDOWN).empty()) << "a click while the question was open acts afterwards";
    EXPECT_TRUE(windows->IsWindow(other));
    EXPECT_TRUE(::IsWindowEnabled(native)) << "the owner takes input again after the answer";
}

// The box as the window shows it: centred on its owner, its picture the one the box paints, the
// owner disabled, the keyboard on the box; Enter answers OK and Escape Cancel, and neither key
// press reaches the owner.
TEST_F(Win32WindowTest, TheDrawnBoxShowsItsPictureOverItsOwnerAndAnswersEnterAndEscape)
{
    HWND hwnd = nullptr;
    const HWND native = ShownWindow(hwnd);
    ASSERT_NE(native, nullptr);
    const char* text = "Are you sure you want to completely remove Tarvion?";
    const platform::DrawnMessageBox drawn = DrawnBox("tvu-keys", text, MB_OKCANCEL);
    const platform::MessageBoxLayout layout = platform::LayOutMessageBox(drawn);
    // The picture the box should show, painted here in the same way.
    platform::Surface expected = platform::Surface::Create(layout.width, layout.height);
    {
        platform::DeviceContext dc(expected);
        platform::PaintMessageBox(dc, drawn, layout, platform::MessageBoxState::Initial(drawn.choices));
    }
    for (const auto& [key, wanted] : {std::pair{WORD(VK_RETURN), IDOK}, std::pair{WORD(VK_ESCAPE), IDCANCEL}}) {
        g_input.clear();
        RECT client{};
        HWND focus = nullptr;
        bool ownerDisabled = false;
        int differing = -1, darkInText = 0;
        injector = std::thread([&, key = key] {
            const HWND box = WaitForDrawnBox(L"tvu-keys");
            if (!box)
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
            client = ClientOnScreen(box);
            GUITHREADINFO gui{};
            gui.cbSize = sizeof gui;
            if (::GetGUIThreadInfo(::GetWindowThreadProcessId(box, nullptr), &gui))
                focus = gui.hwndFocus;
            ownerDisabled = !::IsWindowEnabled(native);
            HDC screen = ::GetDC(nullptr);
            differing = 0;
            for (int y = 0; y < layout.height; ++y) {
                for (int x = 0; x < layout.width; ++x) {
                    const COLORREF seen = ::GetPixel(screen, client.left + x, client.top + y);
                    const std::uint32_t want = expected.GetPixel(x, y);
                    const int dr = std::abs(int(GetRValue(seen)) - int((want >> 16) & 0xFF));
                    const int dg = std::abs(int(GetGValue(seen)) - int((want >> 8) & 0xFF));
                    const int db = std::abs(int(GetBValue(seen)) - int(want & 0xFF));
                    differing += std::max({dr, dg, db}) > 8;
                    darkInText += layout.text.Contains(x, y) && GetRValue(seen) < 100;
                }
            }
            ::ReleaseDC(nullptr, screen);
            Key(key, true);
            Key(key, false);
        });
        const int answer = windows->MessageBox(hwnd, platform::Utf8ToUtf16(text).c_str(), u"tvu-keys", MB_OKCANCEL);
        injector.join();
        EXPECT_EQ(answer, wanted);
        ASSERT_GE(differing, 0) << "no box appeared";
        EXPECT_EQ(client.right - client.left, layout.width);
        EXPECT_EQ(client.bottom - client.top, layout.height);
        // Centred on the owner's frame (200 x 150 at 100, 100), as far as the box's frame allows.
        RECT frame{};
        ::GetWindowRect(native, &frame);
        const int ownerMiddle = (frame.left + frame.right) / 2, boxMiddle = (client.left + client.right) / 2;
        EXPECT_LE(std::abs(ownerMiddle - boxMiddle), 8) << ownerMiddle << " " << boxMiddle;
        EXPECT_EQ(differing, 0) << "pixels of the box's window that are not its picture";
        EXPECT_GT(darkInText, 100) << "the text is drawn";
        EXPECT_TRUE(ownerDisabled) << "the owner takes input while the box is open";
        EXPECT_NE(focus, native) << "the keyboard stayed on the owner";
        PumpUntil([] { return false; }, 300);
        // Its release may follow, as it does after the system's own boxes: nothing acts on a lone release.
        EXPECT_TRUE(Only(WM_KEYDOWN).empty() && Only(WM_CHAR).empty()) << "the answering key reached the owner";
    }
}

// Without a window to draw it over, the box is the system's.
TEST_F(Win32WindowTest, WithoutAnOwnerTheBoxIsTheSystems)
{
    std::atomic<bool> systemBox{false}, drawnBox{false};
    injector = std::thread([&] {
        for (int i = 0; i < 200 && !systemBox; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
            drawnBox = drawnBox || win32_test::FindWindowOrChild(platform::Win32Text(platform::kWin32MessageBoxClass),
                                                                 L"tvu-alone");
            if (const HWND box = ::FindWindowW(L"#32770", L"tvu-alone")) {
                systemBox = true;
                ::PostMessageW(box, WM_CLOSE, 0, 0);
            }
        }
    });
    const int answer = windows->MessageBox(nullptr, u"Nothing to stand on", u"tvu-alone", MB_OKCANCEL);
    injector.join();
    EXPECT_TRUE(systemBox);
    EXPECT_FALSE(drawnBox);
    EXPECT_EQ(answer, IDCANCEL);
}

TEST_F(Win32WindowTest, TooltipsShowAboveWithoutTakingTheFocus)
{
    HWND hwnd = nullptr;
    const HWND native = ShownWindow(hwnd);
    ASSERT_NE(native, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return ::GetForegroundWindow() == native; }));
    HWND tip = windows->CreateWindowEx(WS_EX_TOPMOST, TOOLTIPS_CLASSW, u"tvu-tip", WS_POPUP, 0, 0, 0, 0, hwnd, nullptr,
                                       nullptr, nullptr);
    ASSERT_NE(tip, nullptr);
    windows->SetWindowPos(tip, nullptr, 150, 150, 60, 20, SWP_NOZORDER | SWP_NOACTIVATE);
    windows->ShowWindow(tip, SW_SHOWNA);
    PumpUntil([] { return false; }, 200);
    const HWND nativeTip = NativeWindow(u"tvu-tip", platform::kWin32WindowClass);
    ASSERT_NE(nativeTip, nullptr);
    EXPECT_TRUE(::IsWindowVisible(nativeTip));
    const LONG_PTR ex = ::GetWindowLongPtrW(nativeTip, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    EXPECT_TRUE(ex & WS_EX_NOACTIVATE);
    EXPECT_EQ(::GetForegroundWindow(), native) << "the tooltip took the focus";
    EXPECT_EQ(windows->GetActiveWindow(), hwnd);
    // The pointer over the tip is the window's below it.
    Inject([] { SendClick(160, 160); });
    const auto downs = Only(WM_LBUTTONDOWN);
    ASSERT_EQ(downs.size(), 1u) << "a click on the tooltip reaches the window below";
    EXPECT_EQ(downs[0].lParam, MAKELPARAM(60, 60));
}

TEST_F(Win32WindowTest, TheRecordsIconBecomesTheNativeWindowsIcon)
{
    HWND hwnd = nullptr;
    const HWND native = ShownWindow(hwnd);
    ASSERT_NE(native, nullptr);
    // Half-transparent green, premultiplied as the window system keeps it.
    std::vector<std::uint32_t> pixels(32 * 32, 0x80008000u);
    const platform::PixelBuffer picture{pixels.data(), 32, 32, 32 * 4};
    const HICON icon = windows->CreateIconFromPixels(picture);
    ASSERT_NE(icon, nullptr);
    windows->SendMessage(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    const auto nativeIcon = reinterpret_cast<HICON>(::SendMessageW(native, WM_GETICON, ICON_BIG, 0));
    ASSERT_NE(nativeIcon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(nativeIcon, &info));
    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof header.bmiHeader;
    header.bmiHeader.biWidth = 32;
    header.bmiHeader.biHeight = -32;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    std::vector<std::uint32_t> read(32 * 32);
    HDC screen = ::GetDC(nullptr);
    const int rows = ::GetDIBits(screen, info.hbmColor, 0, 32, read.data(), &header, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    ASSERT_EQ(rows, 32);
    EXPECT_EQ(read[5 * 32 + 5], 0x8000FF00u) << std::hex << read[5 * 32 + 5] << ": straight alpha, as icons take it";
}

TEST_F(Win32WindowTest, MinimisingAndRestoringGoBothWays)
{
    HWND hwnd = nullptr;
    const HWND native = ShownWindow(hwnd);
    ASSERT_NE(native, nullptr);
    windows->ShowWindow(hwnd, SW_MINIMIZE);
    EXPECT_TRUE(::IsIconic(native));
    windows->ShowWindow(hwnd, SW_RESTORE);
    EXPECT_FALSE(::IsIconic(native));
    RECT r{};
    ::GetWindowRect(native, &r);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 100);
    // Minimised by the desktop (a taskbar's button), the window system hears of it.
    ::PostMessageW(native, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(PumpUntil([&] { return windows->IsIconic(hwnd); }));
    RECT model{};
    windows->GetWindowRect(hwnd, model);
    EXPECT_EQ(model.left, 100) << "a minimised window keeps its place in the record";
    ::PostMessageW(native, WM_SYSCOMMAND, SC_RESTORE, 0);
    ASSERT_TRUE(PumpUntil([&] { return !windows->IsIconic(hwnd); }));
    EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(150, 110) == kScreenRed; }));
}

TEST_F(Win32WindowTest, MonitorsAndTheCursorAreTheDesktops)
{
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(windows->GetMonitorInfo(windows->MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), info));
    MONITORINFO real{};
    real.cbSize = sizeof real;
    ASSERT_TRUE(::GetMonitorInfoW(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &real));
    EXPECT_TRUE(::EqualRect(&info.rcMonitor, &real.rcMonitor));
    EXPECT_TRUE(::EqualRect(&info.rcWork, &real.rcWork));
    EXPECT_EQ(windows->GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CXSCREEN));
    ::SetCursorPos(33, 44);
    POINT p{};
    windows->GetCursorPos(p);
    EXPECT_EQ(p.x, 33);
    EXPECT_EQ(p.y, 44);
}

TEST(Win32WindowBackendChoice, RealWindowsWhenThereIsADesktopAndHeadlessWhenAsked)
{
    auto chosen = platform::ChooseWindowBackend(platform::WindowBackends(), "");
    ASSERT_NE(chosen, nullptr);
    EXPECT_STREQ(chosen->Name(), platform::HaveWin32Desktop() ? "win32" : "headless");
    chosen = platform::ChooseWindowBackend(platform::WindowBackends(), "headless");
    ASSERT_NE(chosen, nullptr);
    EXPECT_STREQ(chosen->Name(), "headless");
}
