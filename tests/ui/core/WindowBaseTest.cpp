// The window base on the headless window system: both procedure forms, the unbinding at
// WM_NCDESTROY, the modal loop and its result, centring, icons, client resizing, the wait cursor.
#include "ui/core/WaitCursor.h"
#include "ui/core/WindowWnd.h"
#include "ui/controls/Button.h"
#include "ui/controls/HorizontalLayout.h"
#include "ui/controls/Label.h"

#include "platform/Clock.h"
#include "platform/WindowSystem.h"
#include "platform/headless/HeadlessBackend.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <functional>
#include <string>
#include <vector>

using platform::HeadlessBackend;
using platform::WindowSystem;

namespace {

// Everything the objects and the plain procedure see, in order, as readable entries.
std::vector<std::string> g_events;

std::string Name(UINT message)
{
    switch (message) {
    case WM_GETMINMAXINFO:
        return "GETMINMAXINFO";
    case WM_NCCREATE:
        return "NCCREATE";
    case WM_CREATE:
        return "CREATE";
    case WM_DESTROY:
        return "DESTROY";
    case WM_NCDESTROY:
        return "NCDESTROY";
    default:
        return std::to_string(message);
    }
}

class TestWindow : public ui::CWindowWnd
{
public:
    const char16_t* WindowClassName() const override { return u"TestWindow"; }
    UINT ClassStyle() const override { return CS_DBLCLKS; }
    LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        g_events.push_back("object:" + Name(message));
        if (onMessage) {
            LRESULT result = 0;
            if (onMessage(message, wParam, lParam, result))
                return result;
        }
        return CWindowWnd::ProcessMessage(message, wParam, lParam);
    }
    void OnWindowGone(HWND hwnd) override
    {
        ++goneCount;
        goneHandle = hwnd;
        g_events.push_back("gone");
    }

    std::function<bool(UINT, WPARAM, LPARAM, LRESULT&)> onMessage;
    int goneCount = 0;
    HWND goneHandle = nullptr;
};

// Derives from the platform's tooltip class, so its object lives in the "WndX" property.
class TooltipWindow : public TestWindow
{
public:
    const char16_t* WindowClassName() const override { return u"TestTipWindow"; }
    const char16_t* SuperclassName() const override { return TOOLTIPS_CLASSW; }
};

class MissingSuperclassWindow : public TestWindow
{
public:
    const char16_t* WindowClassName() const override { return u"TestOrphan"; }
    const char16_t* SuperclassName() const override { return u"NoSuchSystemClass"; }
};

// Deletes itself when its window is gone.
class SelfDeletingWindow : public TestWindow
{
public:
    void OnWindowGone(HWND hwnd) override
    {
        TestWindow::OnWindowGone(hwnd);
        delete this;
    }
};

LRESULT PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    g_events.push_back("plain:" + Name(message));
    return platform::Windows().DefWindowProc(hwnd, message, wParam, lParam);
}

class WindowBaseTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto backend = std::make_unique<HeadlessBackend>();
        headless = backend.get();
        windows = &WindowSystem::Install(std::move(backend));
        windows->SetClock(&clock);
        headless->SetScreen(RECT{0, 0, 1000, 800}, RECT{0, 0, 1000, 760});
        g_events.clear();
    }
    void TearDown() override { WindowSystem::Shutdown(); }

    std::vector<std::string> Events(const std::string& prefix) const
    {
        std::vector<std::string> out;
        for (const auto& e : g_events)
            if (e.rfind(prefix, 0) == 0 || e == "gone")
                out.push_back(e);
        return out;
    }

    WindowSystem* windows = nullptr;
    HeadlessBackend* headless = nullptr;
    platform::ManualClock clock{0};
};

} // namespace

TEST_F(WindowBaseTest, MessagesBeforeNcCreateGoToTheDefaultProcedure)
{
    TestWindow window;
    ASSERT_NE(window.CreateNativeWindow(nullptr, u"Title", WS_POPUP, 0, 0, 0, 100, 100), nullptr);
    EXPECT_EQ(window.WindowHandle(), HWND(window));
    ASSERT_FALSE(g_events.empty());
    EXPECT_EQ(g_events.front(), "object:NCCREATE") << "WM_GETMINMAXINFO came first and went to the default";
    EXPECT_EQ(windows->GetWindowLongPtr(window, GWL_USERDATA), reinterpret_cast<LONG_PTR>(&window));
    EXPECT_EQ(windows->GetWindowLongPtr(window, GWL_WNDPROC),
              reinterpret_cast<LONG_PTR>(&ui::CWindowWnd::UserDataProc));
    WNDCLASSEXW info;
    ASSERT_TRUE(windows->GetClassInfoEx(nullptr, u"TestWindow", info));
    EXPECT_EQ(info.style, UINT(CS_DBLCLKS));
    EXPECT_EQ(info.hCursor, windows->LoadCursor(nullptr, IDC_ARROW));
    // A second object of the same class registers again without failing.
    TestWindow second;
    EXPECT_TRUE(second.RegisterWindowClass());
}

TEST_F(WindowBaseTest, NcDestroyUnbindsAndReportsTheWindowGoneOnce)
{
    TestWindow window;
    HWND hwnd = window.CreateNativeWindow(nullptr, u"", WS_POPUP, 0, 0, 0, 10, 10);
    g_events.clear();
    windows->DestroyWindow(hwnd);
    EXPECT_EQ(window.WindowHandle(), nullptr);
    EXPECT_EQ(window.goneCount, 1);
    EXPECT_EQ(window.goneHandle, hwnd);
    EXPECT_EQ(Events("object:"), (std::vector<std::string>{"object:DESTROY", "gone"}))
        << "ProcessMessage never sees WM_NCDESTROY";
}

TEST_F(WindowBaseTest, SubclassingKeepsThePreviousProcedureAndRestoresIt)
{
    WNDCLASSEXW wc;
    wc.lpfnWndProc = PlainProc;
    wc.lpszClassName = platform::Win32Text(u"PlainWindow");
    windows->RegisterClassEx(wc);
    HWND hwnd =
        windows->CreateWindowEx(0, u"PlainWindow", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    TestWindow window;
    EXPECT_EQ(window.SubclassWindow(hwnd), hwnd);
    EXPECT_EQ(windows->GetWindowLongPtr(hwnd, GWL_USERDATA), reinterpret_cast<LONG_PTR>(&window));
    g_events.clear();
    window.SendToWindow(WM_APP);
    EXPECT_EQ(g_events,
              (std::vector<std::string>{"object:" + std::to_string(WM_APP), "plain:" + std::to_string(WM_APP)}));

    g_events.clear();
    windows->DestroyWindow(hwnd);
    // The previous procedure sees WM_NCDESTROY before the object hears that the window is gone.
    EXPECT_EQ(g_events, (std::vector<std::string>{"object:DESTROY", "plain:DESTROY", "plain:NCDESTROY", "gone"}));
    EXPECT_EQ(window.goneCount, 1);

    TestWindow other;
    EXPECT_EQ(other.SubclassWindow(hwnd), nullptr) << "the window is gone";
}

TEST_F(WindowBaseTest, SuperclassedWindowsKeepTheirObjectInTheWndXProperty)
{
    TooltipWindow window;
    HWND hwnd = window.CreateNativeWindow(nullptr, nullptr, WS_POPUP, 0);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(windows->GetProp(hwnd, u"WndX"), static_cast<HANDLE>(static_cast<ui::CWindowWnd*>(&window)));
    EXPECT_EQ(windows->GetWindowLongPtr(hwnd, GWL_USERDATA), 0);
    // Unhandled messages reach the superclass's own procedure.
    EXPECT_EQ(window.SendToWindow(TTM_GETDELAYTIME, TTDT_INITIAL), 500);
    windows->DestroyWindow(hwnd);
    EXPECT_EQ(window.goneCount, 1);
    EXPECT_EQ(window.WindowHandle(), nullptr);

    MissingSuperclassWindow orphan;
    g_events.clear();
    EXPECT_EQ(orphan.CreateNativeWindow(nullptr, u"", WS_POPUP, 0), nullptr);
    EXPECT_TRUE(g_events.empty());
    WNDCLASSEXW info;
    EXPECT_FALSE(windows->GetClassInfoEx(nullptr, u"TestOrphan", info)) << "nothing was registered";
}

TEST_F(WindowBaseTest, CloseWithResultMakesRunModalReturnIt)
{
    TestWindow owner;
    owner.CreateNativeWindow(nullptr, u"owner", WS_POPUP | WS_VISIBLE, 0, 0, 0, 100, 100);
    TestWindow dialog;
    dialog.CreateNativeWindow(owner, u"dialog", WS_POPUP, 0, 0, 0, 50, 50);
    bool ownerWasDisabled = false;
    dialog.onMessage = [&](UINT message, WPARAM, LPARAM, LRESULT&) {
        if (message == WM_APP) {
            ownerWasDisabled = !windows->IsWindowEnabled(owner);
            dialog.CloseWithResult(7);
        }
        return false;
    };
    dialog.PostToWindow(WM_APP);
    EXPECT_EQ(dialog.RunModal(), 7);
    EXPECT_TRUE(ownerWasDisabled);
    EXPECT_TRUE(windows->IsWindowEnabled(owner));
    EXPECT_EQ(windows->GetFocus(), HWND(owner));
    EXPECT_EQ(dialog.WindowHandle(), nullptr) << "default processing of WM_CLOSE destroyed it";
    EXPECT_EQ(dialog.goneCount, 1);

    TestWindow idle;
    idle.CloseWithResult(3); // without a window: nothing
    idle.ShowNativeWindow();
    EXPECT_EQ(idle.RunModal(), 0);
}

TEST_F(WindowBaseTest, RunModalPassesAQuitOnToTheOuterLoop)
{
    TestWindow window;
    window.CreateNativeWindow(nullptr, u"", WS_POPUP, 0, 0, 0, 50, 50);
    window.onMessage = [&](UINT message, WPARAM, LPARAM, LRESULT&) {
        if (message == WM_APP)
            windows->PostQuitMessage(5);
        return false;
    };
    window.PostToWindow(WM_APP);
    EXPECT_EQ(window.RunModal(), 0);
    EXPECT_TRUE(windows->IsWindow(window)) << "the quit ended the loop, not the window";
    MSG msg;
    EXPECT_EQ(windows->GetMessage(msg), 0);
    EXPECT_EQ(msg.wParam, 5u);
}

TEST_F(WindowBaseTest, AWindowThatDeletesItselfStillEndsItsModalLoopCleanly)
{
    auto* window = new SelfDeletingWindow;
    window->CreateNativeWindow(nullptr, u"", WS_POPUP, 0, 0, 0, 50, 50);
    window->CloseWithResult(9);
    EXPECT_EQ(window->RunModal(), 9);
}

TEST_F(WindowBaseTest, ShowNativeWindowChoosesTheShowCommand)
{
    TestWindow first;
    first.CreateNativeWindow(nullptr, u"", WS_POPUP | WS_VISIBLE, 0, 0, 0, 50, 50);
    TestWindow second;
    second.CreateNativeWindow(nullptr, u"", WS_POPUP, 0, 0, 0, 50, 50);
    second.ShowNativeWindow(true, false);
    EXPECT_TRUE(windows->IsWindowVisible(second));
    EXPECT_EQ(windows->GetActiveWindow(), HWND(first));
    second.ShowNativeWindow();
    EXPECT_EQ(windows->GetActiveWindow(), HWND(second));
    second.ShowNativeWindow(false);
    EXPECT_FALSE(windows->IsWindowVisible(second));
}

TEST_F(WindowBaseTest, CenterOnOwnerCentresAndKeepsTheWindowInsideTheWorkArea)
{
    TestWindow odd;
    odd.CreateNativeWindow(nullptr, u"", WS_POPUP, 0, 0, 0, 301, 201);
    odd.CenterOnOwner();
    RECT o;
    windows->GetWindowRect(odd, o);
    EXPECT_EQ(o.left, 350); // 500 - 301 / 2, the division truncating
    EXPECT_EQ(o.top, 280);

    TestWindow lone;
    lone.CreateNativeWindow(nullptr, u"", WS_POPUP, 0, 0, 0, 300, 200);
    lone.CenterOnOwner();
    RECT r;
    windows->GetWindowRect(lone, r);
    EXPECT_EQ(r.left, 350);
    EXPECT_EQ(r.top, 280); // (0 + 760) / 2 - 100
    EXPECT_EQ(r.right - r.left, 300) << "the size stays";

    TestWindow owner;
    owner.CreateNativeWindow(nullptr, u"", WS_POPUP | WS_VISIBLE, 0, 800, 500, 400, 400);
    TestWindow dialog;
    dialog.CreateNativeWindow(owner, u"", WS_POPUP, 0, 0, 0, 300, 200);
    dialog.CenterOnOwner();
    windows->GetWindowRect(dialog, r);
    EXPECT_EQ(r.right, 1000) << "pushed back so that its right edge is the work area's";
    EXPECT_EQ(r.bottom, 760);

    windows->ShowWindow(owner, SW_MINIMIZE);
    dialog.CenterOnOwner();
    windows->GetWindowRect(dialog, r);
    EXPECT_EQ(r.left, 350) << "a minimised owner centres on the work area";
}

TEST_F(WindowBaseTest, IconSizesAreRoundedUpToMultiplesOfSixteen)
{
    std::vector<std::uint8_t> png;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8);
    cairo_surface_write_to_png_stream(
        s,
        [](void* closure, const unsigned char* data, unsigned int length) {
            auto* out = static_cast<std::vector<std::uint8_t>*>(closure);
            out->insert(out->end(), data, data + length);
            return CAIRO_STATUS_SUCCESS;
        },
        &png);
    cairo_surface_destroy(s);
    windows->SetIconSource([&](int id) { return id == 101 ? png : std::vector<std::uint8_t>{}; });
    headless->SetSystemMetric(SM_CXICON, 32);
    headless->SetSystemMetric(SM_CYICON, 33);
    headless->SetSystemMetric(SM_CXSMICON, 20);
    headless->SetSystemMetric(SM_CYSMICON, 16);

    TestWindow window;
    window.CreateNativeWindow(nullptr, u"", WS_POPUP, 0, 0, 0, 50, 50);
    window.SetWindowIcon(101);
    const auto big = reinterpret_cast<HICON>(window.SendToWindow(WM_GETICON, ICON_BIG));
    const auto small = reinterpret_cast<HICON>(window.SendToWindow(WM_GETICON, ICON_SMALL));
    EXPECT_EQ(windows->IconPixels(big).width, 32);
    EXPECT_EQ(windows->IconPixels(big).height, 48);
    EXPECT_EQ(windows->IconPixels(small).width, 32);
    EXPECT_EQ(windows->IconPixels(small).height, 16);
}

TEST_F(WindowBaseTest, ResizeClientChangesOnlyTheGivenSides)
{
    TestWindow window;
    window.CreateNativeWindow(nullptr, u"", WS_POPUP, 0, ui::CUIRect(30, 40, 130, 90));
    window.ResizeClient(400);
    RECT r;
    windows->GetWindowRect(window, r);
    EXPECT_EQ(r.left, 30);
    EXPECT_EQ(r.top, 40);
    EXPECT_EQ(r.right - r.left, 400);
    EXPECT_EQ(r.bottom - r.top, 50);
    window.ResizeClient(-1, 70);
    windows->GetClientRect(window, r);
    EXPECT_EQ(r.right, 400);
    EXPECT_EQ(r.bottom, 70);
}

TEST_F(WindowBaseTest, AWindowOutlivingItsObjectFallsBackToDefaultProcessing)
{
    HWND hwnd = nullptr;
    {
        TestWindow window;
        hwnd = window.CreateNativeWindow(nullptr, u"", WS_POPUP, 0, 0, 0, 50, 50);
    }
    ASSERT_TRUE(windows->IsWindow(hwnd)) << "destroying the object leaves the window";
    EXPECT_EQ(windows->GetWindowLongPtr(hwnd, GWL_USERDATA), 0);
    g_events.clear();
    windows->SendMessage(hwnd, WM_APP, 0, 0);
    EXPECT_TRUE(windows->DestroyWindow(hwnd));
    EXPECT_TRUE(g_events.empty()) << "no message reached the destroyed object";
}

TEST_F(WindowBaseTest, WaitCursorShowsTheWaitCursorWhileItLives)
{
    const HCURSOR hand = windows->LoadCursor(nullptr, IDC_HAND);
    windows->SetCursor(hand);
    {
        ui::CWaitCursor wait;
        EXPECT_EQ(WindowSystem::CursorId(windows->GetCursor()), 0x7F02);
        EXPECT_EQ(headless->CursorShape(), IDC_WAIT);
    }
    EXPECT_EQ(windows->GetCursor(), hand);
    EXPECT_EQ(headless->CursorShape(), IDC_HAND);
}

TEST_F(WindowBaseTest, AControlChainIsClearOnlyWhenNoControlUpToTheRootCarriesAFlag)
{
    TestWindow window;
    EXPECT_FALSE(window.IsControlChainClear(nullptr));

    ui::CContainerUI root;
    auto* row = new ui::CHorizontalLayoutUI;
    root.Add(row);
    auto* label = new ui::CLabelUI;
    row->Add(label);
    EXPECT_TRUE(window.IsControlChainClear(label));
    EXPECT_TRUE(window.IsControlChainClear(&root));

    // A flag on the control itself, then a flag on an ancestor only.
    auto* button = new ui::CButtonUI;
    row->Add(button);
    ASSERT_NE(button->GetControlFlags(), 0u);
    EXPECT_FALSE(window.IsControlChainClear(button));
    row->SetAttribute(u"sepwidth", u"4");
    ASSERT_NE(row->GetControlFlags(), 0u);
    EXPECT_FALSE(window.IsControlChainClear(label));
    EXPECT_TRUE(window.IsControlChainClear(&root));
}
