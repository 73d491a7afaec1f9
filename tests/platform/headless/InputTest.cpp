// Input translation: hit testing, cursors, double clicks, capture, caption dragging, hover and
// leave tracking, keys, the desktop's close request, and input to disabled windows.
#include "HeadlessTestSupport.h"

using platform::InputEvent;
using platform::InputKind;
using platform::kLeftButton;
using tvtest::HeadlessTest;

namespace {

HWND Create(platform::WindowSystem& w, const char16_t* cls, int x, int y, int width, int height)
{
    return w.CreateWindowEx(0, cls, u"", WS_POPUP | WS_VISIBLE, x, y, width, height, nullptr, nullptr, nullptr,
                            nullptr);
}

// The input messages among everything a window saw.
std::vector<UINT> Only(const std::vector<UINT>& all)
{
    std::vector<UINT> out;
    for (UINT m : all)
        if ((m >= WM_KEYFIRST && m <= WM_KEYLAST))
            out.push_back(m);
    return out;
}

} // namespace

TEST_F(HeadlessTest, ClickInTheClientAreaArrivesInClientCoordinates)
{
    HWND hwnd = MakeWindow(100, 100, 200, 100);
    Pump();
    ClearLog();
    headless->InjectButton(kLeftButton, true, 130, 150);
    headless->InjectButton(kLeftButton, false, 130, 150);
    Pump();
    const std::vector<UINT> seen = Messages(hwnd);
    ASSERT_GE(seen.size(), 4u);
    EXPECT_EQ(seen[0], WM_NCHITTEST);
    EXPECT_EQ(seen[1], WM_SETCURSOR);
    ASSERT_EQ(Find(WM_LBUTTONDOWN).size(), 1u);
    EXPECT_EQ(Find(WM_LBUTTONDOWN)[0].lParam, MAKELPARAM(30, 50));
    EXPECT_EQ(Find(WM_LBUTTONDOWN)[0].wParam, MK_LBUTTON);
    EXPECT_EQ(Find(WM_LBUTTONUP).size(), 1u);
    // The class cursor (the hand) was set by default processing of WM_SETCURSOR.
    EXPECT_EQ(headless->CursorShape(), IDC_HAND);
    // The wheel goes to the focus window with the screen position; a notch toward the user is -120.
    headless->InjectWheel(-WHEEL_DELTA, 130, 150);
    Pump();
    ASSERT_EQ(Find(WM_MOUSEWHEEL).size(), 1u);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(Find(WM_MOUSEWHEEL)[0].wParam), -WHEEL_DELTA);
    EXPECT_EQ(Find(WM_MOUSEWHEEL)[0].lParam, MAKELPARAM(130, 150));
    // A point outside every window reaches nobody.
    ClearLog();
    headless->InjectButton(kLeftButton, true, 10, 10);
    Pump();
    EXPECT_TRUE(Messages(nullptr).empty());
}

TEST_F(HeadlessTest, DoubleClicksNeedTheClassStyleTheTimeAndThePlace)
{
    HWND plain = Create(*windows, u"TestWnd", 0, 0, 100, 100);
    HWND dbl = Create(*windows, u"TestDblWnd", 200, 0, 100, 100);
    auto click = [&](int x, int y) {
        headless->InjectButton(kLeftButton, true, x, y);
        headless->InjectButton(kLeftButton, false, x, y);
        Pump();
    };
    click(210, 10);
    clock.Advance(100);
    click(211, 10);
    EXPECT_EQ(Find(WM_LBUTTONDOWN).size(), 1u);
    ASSERT_EQ(Find(WM_LBUTTONDBLCLK).size(), 1u);
    EXPECT_EQ(Find(WM_LBUTTONDBLCLK)[0].hwnd, dbl);
    // A third click starts a new pair.
    clock.Advance(100);
    click(211, 10);
    EXPECT_EQ(Find(WM_LBUTTONDOWN).size(), 2u);

    ClearLog();
    clock.Advance(1000);
    click(10, 10);
    clock.Advance(100);
    click(10, 10);
    EXPECT_EQ(Find(WM_LBUTTONDOWN).size(), 2u) << "no CS_DBLCLKS";
    EXPECT_TRUE(Find(WM_LBUTTONDBLCLK).empty());
    (void)plain;

    ClearLog();
    clock.Advance(1000);
    click(210, 10);
    clock.Advance(600);
    click(210, 10);
    EXPECT_TRUE(Find(WM_LBUTTONDBLCLK).empty()) << "too slow";
    clock.Advance(1000);
    click(210, 50);
    clock.Advance(100);
    click(210, 60);
    EXPECT_TRUE(Find(WM_LBUTTONDBLCLK).empty()) << "too far apart";
}

TEST_F(HeadlessTest, CaptureRoutesTheMouseToItsWindowEverywhere)
{
    HWND a = MakeWindow(0, 0, 100, 100);
    HWND b = MakeWindow(200, 0, 100, 100);
    Pump();
    windows->SetCapture(a);
    EXPECT_EQ(headless->CapturedWindow(), a);
    ClearLog();
    headless->InjectMouseMove(250, 20);
    Pump();
    ASSERT_EQ(Find(WM_MOUSEMOVE).size(), 1u);
    EXPECT_EQ(Find(WM_MOUSEMOVE)[0].hwnd, a);
    EXPECT_EQ(Find(WM_MOUSEMOVE)[0].lParam, MAKELPARAM(250, 20));
    EXPECT_TRUE(Find(WM_NCHITTEST).empty());
    windows->SetCapture(b);
    ASSERT_EQ(Find(WM_CAPTURECHANGED).size(), 1u);
    EXPECT_EQ(Find(WM_CAPTURECHANGED)[0].hwnd, a);
    windows->ReleaseCapture();
    EXPECT_EQ(windows->GetCapture(), nullptr);
    EXPECT_EQ(headless->CapturedWindow(), nullptr);
}

TEST_F(HeadlessTest, DraggingTheCaptionBandMovesTheWindow)
{
    s_handler = [](HWND hwnd, UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
        if (message != WM_NCHITTEST)
            return false;
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        platform::Windows().ScreenToClient(hwnd, p);
        result = p.y < 30 ? HTCAPTION : HTCLIENT;
        return true;
    };
    HWND hwnd = MakeWindow(100, 100, 200, 150);
    Pump();
    ClearLog();
    headless->InjectButton(kLeftButton, true, 110, 110);
    Pump();
    ASSERT_EQ(Find(WM_NCLBUTTONDOWN).size(), 1u);
    EXPECT_EQ(Find(WM_NCLBUTTONDOWN)[0].wParam, WPARAM(HTCAPTION));
    EXPECT_TRUE(Find(WM_LBUTTONDOWN).empty());
    headless->InjectMouseMove(130, 140);
    headless->InjectMouseMove(150, 170);
    headless->InjectButton(kLeftButton, false, 150, 170);
    Pump();
    RECT r;
    windows->GetWindowRect(hwnd, r);
    EXPECT_EQ(r.left, 140);
    EXPECT_EQ(r.top, 160);
    EXPECT_EQ(r.right - r.left, 200);
    EXPECT_FALSE(Find(WM_MOVE).empty());
    // After the release the pointer moves alone again, also after a click too quick to start a drag.
    headless->InjectButton(kLeftButton, true, 150, 170);
    headless->InjectButton(kLeftButton, false, 150, 170);
    headless->InjectMouseMove(400, 400);
    Pump();
    windows->GetWindowRect(hwnd, r);
    EXPECT_EQ(r.left, 140);

    // A press below the band is an ordinary click.
    ClearLog();
    headless->InjectButton(kLeftButton, true, 150, 250);
    Pump();
    EXPECT_EQ(Find(WM_LBUTTONDOWN).size(), 1u);
}

TEST_F(HeadlessTest, HoverAndLeaveAreReportedOncePerRequest)
{
    HWND hwnd = MakeWindow(0, 0, 100, 100);
    headless->InjectMouseMove(50, 50);
    Pump();
    TRACKMOUSEEVENT track;
    track.dwFlags = TME_HOVER | TME_LEAVE;
    track.hwndTrack = hwnd;
    track.dwHoverTime = 1000;
    ASSERT_TRUE(windows->TrackMouseEvent(track));
    clock.Advance(600);
    headless->InjectMouseMove(60, 50); // moving restarts the wait
    Pump();
    clock.Advance(600);
    Pump();
    EXPECT_TRUE(Find(WM_MOUSEHOVER).empty());
    clock.Advance(400);
    Pump();
    ASSERT_EQ(Find(WM_MOUSEHOVER).size(), 1u);
    EXPECT_EQ(Find(WM_MOUSEHOVER)[0].lParam, MAKELPARAM(60, 50));
    clock.Advance(5000);
    Pump();
    EXPECT_EQ(Find(WM_MOUSEHOVER).size(), 1u);

    headless->InjectMouseMove(500, 500);
    Pump();
    EXPECT_EQ(Find(WM_MOUSELEAVE).size(), 1u);
    headless->InjectMouseMove(50, 50);
    headless->InjectMouseMove(600, 500);
    Pump();
    EXPECT_EQ(Find(WM_MOUSELEAVE).size(), 1u) << "tracking ends with the first leave";

    // Asking while the pointer is already outside answers at once.
    ASSERT_TRUE(windows->TrackMouseEvent(track));
    Pump();
    EXPECT_EQ(Find(WM_MOUSELEAVE).size(), 2u);
}

TEST_F(HeadlessTest, AWindowMovedFromUnderThePointerIsLeft)
{
    HWND hwnd = MakeWindow(0, 0, 100, 100);
    headless->InjectMouseMove(50, 50);
    Pump();
    TRACKMOUSEEVENT track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = hwnd;
    track.dwHoverTime = 0;
    ASSERT_TRUE(windows->TrackMouseEvent(track));
    ClearLog();

    // The desktop reports the leave before the window's new place: the pointer still looks inside.
    InputEvent leave;
    leave.kind = InputKind::MouseLeave;
    leave.window = hwnd;
    headless->Inject(leave);
    Pump();
    EXPECT_TRUE(Find(WM_MOUSELEAVE).empty());

    // A move that keeps the pointer inside changes nothing; one that takes the window away ends the hover.
    InputEvent moved;
    moved.kind = InputKind::Moved;
    moved.window = hwnd;
    moved.rect = RECT{10, 10, 110, 110};
    headless->Inject(moved);
    Pump();
    EXPECT_TRUE(Find(WM_MOUSELEAVE).empty());
    moved.rect = RECT{300, 300, 400, 400};
    headless->Inject(moved);
    Pump();
    EXPECT_EQ(Find(WM_MOUSELEAVE).size(), 1u);
}

TEST_F(HeadlessTest, KeysGoToTheFocusWindowAndTranslateToCharacters)
{
    HWND hwnd = MakeWindow(0, 0, 100, 100);
    EXPECT_EQ(windows->GetFocus(), hwnd) << "showing activated and focused it";
    ClearLog();
    headless->InjectKey(VK_RETURN, true);
    headless->InjectText(u"h\u00e9");
    headless->InjectKey(VK_RETURN, false);
    Pump();
    EXPECT_EQ(Only(Messages(hwnd)), (std::vector<UINT>{WM_KEYDOWN, WM_CHAR, WM_CHAR, WM_CHAR, WM_KEYUP}));
    std::vector<WPARAM> chars;
    for (const auto& m : Find(WM_CHAR))
        chars.push_back(m.wParam);
    EXPECT_EQ(chars, (std::vector<WPARAM>{13, u'h', 0xE9}));

    ClearLog();
    headless->InjectKey(VK_MENU, true);
    headless->InjectKey('A', true);
    headless->InjectText(u"a"); // text typed with Alt held is a shortcut, not a character
    headless->InjectKey('A', false);
    headless->InjectKey(VK_MENU, false);
    Pump();
    ASSERT_EQ(Find(WM_SYSCHAR).size(), 1u);
    EXPECT_EQ(Find(WM_SYSCHAR)[0].wParam, WPARAM('a'));
    EXPECT_TRUE(Find(WM_CHAR).empty());
    EXPECT_EQ(Find(WM_SYSKEYDOWN).size(), 2u);
    EXPECT_TRUE(Find(WM_KEYDOWN).empty());
}

TEST_F(HeadlessTest, TheDesktopsCloseRequestAndAltF4BecomeScClose)
{
    HWND first = MakeWindow(0, 0, 100, 100);
    headless->InjectCloseRequest(first);
    Pump();
    ASSERT_EQ(Find(WM_SYSCOMMAND).size(), 1u);
    EXPECT_EQ(Find(WM_SYSCOMMAND)[0].wParam, SC_CLOSE);
    EXPECT_EQ(Find(WM_CLOSE).size(), 1u);
    EXPECT_FALSE(windows->IsWindow(first)) << "default processing of WM_CLOSE destroys";

    ClearLog();
    HWND second = MakeWindow(0, 0, 100, 100);
    // A window that only hides on SC_CLOSE survives Alt+F4.
    s_handler = [&](HWND hwnd, UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
        if (message == WM_SYSCOMMAND && wParam == SC_CLOSE) {
            platform::Windows().ShowWindow(hwnd, SW_HIDE);
            result = 0;
            return true;
        }
        return false;
    };
    headless->InjectKey(VK_MENU, true);
    headless->InjectKey(VK_F4, true);
    Pump();
    EXPECT_EQ(Find(WM_SYSCOMMAND).size(), 1u);
    EXPECT_TRUE(windows->IsWindow(second));
    EXPECT_FALSE(windows->IsWindowVisible(second));
}

TEST_F(HeadlessTest, DisabledWindowsGetNoMouseInput)
{
    HWND owner = MakeWindow(0, 0, 100, 100);
    HWND dialog = windows->CreateWindowEx(0, u"TestWnd", u"", WS_POPUP | WS_VISIBLE, 300, 0, 100, 100, owner, nullptr,
                                          nullptr, nullptr);
    EXPECT_EQ(windows->GetWindow(dialog, GW_OWNER), owner);
    EXPECT_FALSE(windows->EnableWindow(owner, false));
    EXPECT_TRUE(windows->EnableWindow(owner, false)) << "reports it was disabled already";
    Pump();
    ClearLog();
    headless->InjectButton(kLeftButton, true, 50, 50);
    Pump();
    EXPECT_TRUE(Messages(owner).empty());
    windows->EnableWindow(owner, true);
    headless->InjectButton(kLeftButton, true, 50, 50);
    Pump();
    EXPECT_EQ(Find(WM_LBUTTONDOWN).size(), 1u);
    // Destroying the owner takes its owned window along, first.
    ClearLog();
    windows->DestroyWindow(owner);
    ASSERT_FALSE(Find(WM_NCDESTROY).empty());
    EXPECT_EQ(Find(WM_NCDESTROY)[0].hwnd, dialog);
    EXPECT_FALSE(windows->IsWindow(dialog));
}

TEST_F(HeadlessTest, DraggingABorderSizesTheWindowWithinItsLimits)
{
    s_handler = [](HWND hwnd, UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
        if (message == WM_GETMINMAXINFO) {
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{150, 120};
            result = 0;
            return true;
        }
        if (message != WM_NCHITTEST)
            return false;
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        platform::Windows().ScreenToClient(hwnd, p);
        result = p.x < 5 ? HTLEFT : (p.x >= 195 && p.y >= 145) ? HTBOTTOMRIGHT : HTCLIENT;
        return true;
    };
    HWND hwnd = MakeWindow(100, 100, 200, 150);
    headless->InjectButton(kLeftButton, true, 298, 248);
    Pump();
    headless->InjectMouseMove(338, 278);
    headless->InjectButton(kLeftButton, false, 338, 278);
    Pump();
    RECT r;
    windows->GetWindowRect(hwnd, r);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.right - r.left, 240);
    EXPECT_EQ(r.bottom - r.top, 180);
    EXPECT_EQ(Find(WM_SIZE).back().lParam, MAKELPARAM(240, 180));

    // Dragging the left border far to the right stops at the minimum width, the right edge staying.
    headless->InjectButton(kLeftButton, true, 101, 150);
    Pump();
    headless->InjectMouseMove(301, 150);
    headless->InjectButton(kLeftButton, false, 301, 150);
    Pump();
    windows->GetWindowRect(hwnd, r);
    EXPECT_EQ(r.right, 340);
    EXPECT_EQ(r.right - r.left, 150);
}
