// The message model: creation and destruction order, failed creation, posting across threads, the
// loop's fetch order and timers on a stepped clock.
#include "HeadlessTestSupport.h"

#include <algorithm>
#include <atomic>
#include <thread>

using platform::WindowSystem;
using tvtest::HeadlessTest;

namespace {

std::vector<UINT> Only(const std::vector<UINT>& all, std::initializer_list<UINT> wanted)
{
    std::vector<UINT> out;
    for (UINT m : all)
        if (std::find(wanted.begin(), wanted.end(), m) != wanted.end())
            out.push_back(m);
    return out;
}

} // namespace

TEST_F(HeadlessTest, CreationAndDestructionFollowWin32Order)
{
    HWND hwnd = MakeWindow(10, 20, 300, 200, WS_POPUP);
    ASSERT_NE(hwnd, nullptr);
    const std::vector<UINT> created = Messages(hwnd);
    const std::vector<UINT> expected{WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE};
    EXPECT_EQ(created, expected);
    EXPECT_EQ(Find(WM_SIZE)[0].lParam, MAKELPARAM(300, 200));
    EXPECT_EQ(Find(WM_MOVE)[0].lParam, MAKELPARAM(10, 20));

    HWND child = MakeWindow(5, 5, 50, 50, WS_CHILD | WS_VISIBLE, hwnd);
    ASSERT_NE(child, nullptr);
    ClearLog();
    EXPECT_TRUE(windows->DestroyWindow(hwnd));
    std::vector<std::pair<HWND, UINT>> order;
    for (const auto& m : s_log)
        if (m.message == WM_DESTROY || m.message == WM_NCDESTROY)
            order.emplace_back(m.hwnd, m.message);
    const std::vector<std::pair<HWND, UINT>> want{
        {hwnd, WM_DESTROY}, {child, WM_DESTROY}, {child, WM_NCDESTROY}, {hwnd, WM_NCDESTROY}};
    EXPECT_EQ(order, want);
    EXPECT_FALSE(windows->IsWindow(hwnd));
    EXPECT_FALSE(windows->IsWindow(child));
    EXPECT_FALSE(windows->DestroyWindow(hwnd));
}

TEST_F(HeadlessTest, RefusedCreationLeavesNoWindow)
{
    s_handler = [](HWND, UINT message, WPARAM, LPARAM, LRESULT& result) {
        if (message == WM_NCCREATE) {
            result = 0;
            return true;
        }
        return false;
    };
    EXPECT_EQ(MakeWindow(0, 0, 10, 10), nullptr);
    EXPECT_EQ(Only(Messages(nullptr), {WM_NCCREATE, WM_CREATE, WM_NCDESTROY}),
              (std::vector<UINT>{WM_NCCREATE, WM_NCDESTROY}));

    ClearLog();
    s_handler = [](HWND, UINT message, WPARAM, LPARAM, LRESULT& result) {
        if (message == WM_CREATE) {
            result = -1;
            return true;
        }
        return false;
    };
    EXPECT_EQ(MakeWindow(0, 0, 10, 10), nullptr);
    EXPECT_EQ(Only(Messages(nullptr), {WM_CREATE, WM_DESTROY, WM_NCDESTROY}),
              (std::vector<UINT>{WM_CREATE, WM_DESTROY, WM_NCDESTROY}));
    EXPECT_TRUE(windows->TopLevelWindows().empty());
    EXPECT_EQ(windows->CreateWindowEx(0, u"NoSuchClass", u"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(windows->LastError(), ERROR_CANNOT_FIND_WND_CLASS);
}

TEST_F(HeadlessTest, ClassRegistrationReportsAnExistingClass)
{
    WNDCLASSEXW wc;
    wc.lpfnWndProc = CALLBACK_Proc;
    wc.lpszClassName = platform::Win32Text(u"TestWnd");
    EXPECT_EQ(windows->RegisterClassEx(wc), 0);
    EXPECT_EQ(windows->LastError(), ERROR_CLASS_ALREADY_EXISTS);
    WNDCLASSEXW info;
    EXPECT_TRUE(windows->GetClassInfoEx(nullptr, TOOLTIPS_CLASSW, info)); // a system class
    EXPECT_TRUE(windows->GetClassInfoEx(nullptr, u"TestWnd", info));      // a program class
    EXPECT_FALSE(windows->GetClassInfoEx(reinterpret_cast<HINSTANCE>(1), TOOLTIPS_CLASSW, info));
    EXPECT_TRUE(windows->GetClassInfoEx(reinterpret_cast<HINSTANCE>(1), u"TestWnd", info));
}

TEST_F(HeadlessTest, PostsFromAnotherThreadReachTheUiThreadInOrder)
{
    HWND hwnd = MakeWindow(0, 0, 10, 10, WS_POPUP);
    constexpr int kCount = 2000;
    std::vector<WPARAM> received;
    std::vector<std::thread::id> threads;
    s_handler = [&](HWND, UINT message, WPARAM wParam, LPARAM, LRESULT&) {
        if (message == WM_APP + 1) {
            received.push_back(wParam);
            threads.push_back(std::this_thread::get_id());
        }
        return false;
    };
    std::thread worker([&] {
        for (int i = 0; i < kCount; ++i)
            windows->PostMessage(hwnd, WM_APP + 1, WPARAM(i), 0);
        // A timer re-armed from the worker is serviced by the UI loop as well.
        windows->KillTimer(hwnd, 4098);
        windows->SetTimer(hwnd, 4098, 10);
        windows->PostQuitMessage(3);
    });
    MSG msg;
    int result;
    while ((result = windows->GetMessage(msg)) != 0) {
        windows->TranslateMessage(msg);
        windows->DispatchMessage(msg);
    }
    worker.join();
    EXPECT_EQ(msg.wParam, 3u);
    ASSERT_EQ(received.size(), std::size_t(kCount));
    for (int i = 0; i < kCount; ++i)
        EXPECT_EQ(received[i], WPARAM(i));
    EXPECT_TRUE(std::all_of(threads.begin(), threads.end(),
                            [](std::thread::id id) { return id == std::this_thread::get_id(); }));
    // A send from another thread waits until the UI thread's loop delivers it, on the UI thread.
    std::thread::id handledOn;
    s_handler = [&](HWND, UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
        if (message != WM_APP + 2)
            return false;
        handledOn = std::this_thread::get_id();
        result = LRESULT(wParam * 2);
        return true;
    };
    std::atomic<LRESULT> fromWorker{-1};
    std::thread sender([&] { fromWorker = windows->SendMessage(hwnd, WM_APP + 2, 21, 0); });
    while (fromWorker.load() == -1) {
        MSG pending;
        windows->PeekMessage(pending);
        std::this_thread::yield();
    }
    sender.join();
    EXPECT_EQ(fromWorker.load(), 42);
    EXPECT_EQ(handledOn, std::this_thread::get_id());
    // Posting to a window that is gone fails.
    windows->DestroyWindow(hwnd);
    EXPECT_FALSE(windows->PostMessage(hwnd, WM_APP + 1, 0, 0));
}

TEST_F(HeadlessTest, TimersFireInOrderOfTheirPeriodsOnASteppedClock)
{
    HWND hwnd = MakeWindow(0, 0, 10, 10, WS_POPUP);
    windows->SetTimer(hwnd, 3, 30);
    windows->SetTimer(hwnd, 1, 10);
    windows->SetTimer(hwnd, 2, 20);
    Pump();
    EXPECT_TRUE(Find(WM_TIMER).empty()) << "no time has passed";

    clock.Advance(30);
    Pump();
    std::vector<WPARAM> ids;
    for (const auto& m : Find(WM_TIMER))
        ids.push_back(m.wParam);
    EXPECT_EQ(ids, (std::vector<WPARAM>{1, 2, 3}));

    // Each fired once; the next round needs a full period from the moment it fired.
    ClearLog();
    clock.Advance(9);
    Pump();
    EXPECT_TRUE(Find(WM_TIMER).empty());
    clock.Advance(1);
    Pump();
    ASSERT_EQ(Find(WM_TIMER).size(), 1u);
    EXPECT_EQ(Find(WM_TIMER)[0].wParam, 1u);

    // A killed timer stays silent; re-setting an id restarts its period.
    ClearLog();
    EXPECT_TRUE(windows->KillTimer(hwnd, 1));
    EXPECT_FALSE(windows->KillTimer(hwnd, 1));
    windows->SetTimer(hwnd, 2, 100);
    clock.Advance(50);
    Pump();
    ids.clear();
    for (const auto& m : Find(WM_TIMER))
        ids.push_back(m.wParam);
    EXPECT_EQ(ids, (std::vector<WPARAM>{3}));

    // A window's timers go with it.
    windows->DestroyWindow(hwnd);
    ClearLog();
    clock.Advance(1000);
    Pump();
    EXPECT_TRUE(Find(WM_TIMER).empty());
    EXPECT_EQ(windows->SetTimer(hwnd, 1, 10), 0u);
}

TEST_F(HeadlessTest, TimerPeriodsBelowTheMinimumCountAsTenMilliseconds)
{
    HWND hwnd = MakeWindow(0, 0, 10, 10, WS_POPUP);
    windows->SetTimer(hwnd, 7, 1);
    clock.Advance(9);
    Pump();
    EXPECT_TRUE(Find(WM_TIMER).empty());
    clock.Advance(1);
    Pump();
    EXPECT_EQ(Find(WM_TIMER).size(), 1u);
}

TEST_F(HeadlessTest, LoopFetchesPostedThenQuitThenPaintThenTimers)
{
    HWND hwnd = MakeWindow(0, 0, 10, 10, WS_POPUP | WS_VISIBLE);
    windows->SetTimer(hwnd, 1, 10);
    clock.Advance(10);
    windows->PostMessage(hwnd, WM_APP, 0, 0);
    windows->PostQuitMessage(0);
    MSG msg;
    ASSERT_TRUE(windows->PeekMessage(msg));
    EXPECT_EQ(msg.message, WM_APP);
    ASSERT_TRUE(windows->PeekMessage(msg));
    EXPECT_EQ(msg.message, WM_QUIT);
    ASSERT_TRUE(windows->PeekMessage(msg));
    EXPECT_EQ(msg.message, WM_PAINT);
    windows->DispatchMessage(msg); // default processing validates
    ASSERT_TRUE(windows->PeekMessage(msg));
    EXPECT_EQ(msg.message, WM_TIMER);
    EXPECT_FALSE(windows->PeekMessage(msg));
}

TEST_F(HeadlessTest, WindowDataAndPropertiesBelongToTheirWindow)
{
    HWND hwnd = MakeWindow(0, 0, 10, 10, WS_POPUP);
    EXPECT_EQ(windows->SetWindowLongPtr(hwnd, GWL_USERDATA, 42), 0);
    EXPECT_EQ(windows->GetWindowLongPtr(hwnd, GWL_USERDATA), 42);
    int object = 0;
    EXPECT_TRUE(windows->SetProp(hwnd, u"WndX", &object));
    EXPECT_EQ(windows->GetProp(hwnd, u"WndX"), &object);
    EXPECT_EQ(windows->RemoveProp(hwnd, u"WndX"), &object);
    EXPECT_EQ(windows->GetProp(hwnd, u"WndX"), nullptr);
    // Overlapped windows get a caption; writing the style cannot show a window behind the system's back.
    HWND overlapped =
        windows->CreateWindowEx(0, u"TestWnd", u"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(windows->GetWindowLongPtr(overlapped, GWL_STYLE) & WS_CAPTION, LONG_PTR(WS_CAPTION));
    windows->SetWindowLongPtr(hwnd, GWL_STYLE, LONG_PTR(WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN));
    EXPECT_FALSE(windows->IsWindowVisible(hwnd));
    EXPECT_TRUE(windows->GetWindowLongPtr(hwnd, GWL_STYLE) & WS_CLIPCHILDREN);
    EXPECT_EQ(windows->SetWindowLongPtr(hwnd, GWL_WNDPROC, 0), 0);
    EXPECT_EQ(windows->GetWindowLongPtr(hwnd, GWL_WNDPROC), reinterpret_cast<LONG_PTR>(&CALLBACK_Proc));
}
