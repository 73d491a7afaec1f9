// Tests of the manager's message dispatch: hover and capture, wheel, keys, Tab order, Alt
// shortcuts, focus, control timers, notifications, forgetting dying controls and the paint path.
#include "ManagerTestSupport.h"

#include "platform/Surface.h"
#include "tests/ui/manager/WindowManagerProbe.h"

#include <algorithm>
#include <filesystem>

using namespace mgrtest;
using ui::CControlUI;
using ui::CUIRect;

namespace {

using Lines = std::vector<std::string>;

std::string T(const char* control, int kind)
{
    return std::string(control) + ":" + std::to_string(kind);
}

TEST_F(ManagerTest, MovingBetweenControlsSendsLeaveThenEnterThenMove)
{
    auto* a = FloatingProbe(u"a", 0, 0, 50, 50);
    auto* b = FloatingProbe(u"b", 60, 0, 110, 50);
    auto* watcher = FloatingProbe(u"w", 150, 60, 160, 70);
    AttachTree({a, b, watcher});
    manager->WantMouseLeave(watcher);
    EXPECT_FALSE(manager->WantMouseLeave(watcher)); // listed once

    MouseMove(10, 10);
    EXPECT_EQ(Trace(), (std::vector<std::string>{T("a", ui::EVT_MOUSE_ENTER), T("a", ui::EVT_MOUSE_MOVE)}));
    EXPECT_EQ(manager->HoverControl(), a);
    EventLog().clear();

    MouseMove(70, 10);
    EXPECT_EQ(Trace(), (std::vector<std::string>{T("w", ui::EVT_MOUSE_LEAVE), T("a", ui::EVT_MOUSE_LEAVE),
                                                 T("b", ui::EVT_MOUSE_ENTER), T("b", ui::EVT_MOUSE_MOVE)}));
    // The leave names the control that was left, also in the copy the watcher gets.
    EXPECT_EQ(EventLog()[0].sender, a);
    EXPECT_EQ(manager->HoverControl(), b);
    EventLog().clear();

    // Onto the bare root, then out of the window.
    MouseMove(190, 90);
    EXPECT_EQ(KindsOf(u"b"), std::vector<int>{ui::EVT_MOUSE_LEAVE});
    EXPECT_EQ(manager->HoverControl(), manager->Root());
    EXPECT_EQ(manager->LastMousePos(), ui::CUIPoint(190, 90));
    MouseMove(-1, -1);
    EXPECT_EQ(manager->HoverControl(), nullptr);
}

TEST_F(ManagerTest, ButtonUpGoesToThePressedControlWhereverTheMouseIs)
{
    auto* a = FloatingProbe(u"a", 0, 0, 50, 50);
    auto* b = FloatingProbe(u"b", 60, 0, 110, 50);
    AttachTree({a, b});
    MouseMove(10, 10);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    EXPECT_EQ(manager->CaptureControl(), a);
    EXPECT_TRUE(manager->IsMouseCaptured());
    EXPECT_EQ(windows->GetCapture(), hwnd);
    EXPECT_EQ(manager->FocusControl(), a);
    EventLog().clear();

    // While captured the hover stays and moves go to the pressed control.
    MouseMove(70, 10);
    EXPECT_EQ(Trace(), Lines{T("a", ui::EVT_MOUSE_MOVE)});
    EventLog().clear();

    Send(WM_LBUTTONUP, 0, MAKELPARAM(70, 10));
    EXPECT_EQ(Trace(), Lines{T("a", ui::EVT_BUTTON_UP)});
    EXPECT_EQ(manager->CaptureControl(), nullptr);
    EXPECT_FALSE(manager->IsMouseCaptured());
    EXPECT_EQ(windows->GetCapture(), nullptr);

    // A release with no press goes nowhere.
    EventLog().clear();
    Send(WM_LBUTTONUP, 0, MAKELPARAM(70, 10));
    EXPECT_TRUE(EventLog().empty());
}

TEST_F(ManagerTest, RightButtonAndDoubleClick)
{
    auto* a = FloatingProbe(u"a", 0, 0, 50, 50);
    AttachTree({a});
    Send(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(manager->CaptureControl(), a);
    EXPECT_FALSE(manager->IsMouseCaptured());
    Send(WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(manager->IsMouseCaptured());
    Send(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(KindsOf(u"a"), (std::vector<int>{ui::EVT_SET_FOCUS, ui::EVT_RBUTTON_DOWN, ui::EVT_RBUTTON_UP,
                                               ui::EVT_DOUBLE_CLICK, ui::EVT_BUTTON_UP}));
}

TEST_F(ManagerTest, WheelTowardTheUserScrollsDown)
{
    auto* a = FloatingProbe(u"a", 0, 0, 50, 50);
    AttachTree({a});
    // Without the native focus the wheel is ignored.
    windows->SetFocus(nullptr);
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(110, 110));
    EXPECT_TRUE(EventLog().empty());

    windows->SetFocus(hwnd);
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(110, 110));
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(110, 110));
    std::vector<WPARAM> codes;
    for (const SeenEvent& e : EventLog())
        if (e.kind == ui::EVT_SCROLL_WHEEL) {
            codes.push_back(e.wParam);
            EXPECT_EQ(e.point, ui::CUIPoint(10, 10)); // screen position made client
        }
    EXPECT_EQ(codes, (std::vector<WPARAM>{1, 0}));
    // The refreshing move made the control the hover control.
    EXPECT_EQ(manager->HoverControl(), a);
}

TEST_F(ManagerTest, KeysGoToTheFocusAndKeyUpToTheKeyTarget)
{
    auto* a = FloatingProbe(u"a", 0, 0, 50, 50, ui::CF_TABSTOP);
    auto* b = FloatingProbe(u"b", 60, 0, 110, 50, ui::CF_TABSTOP);
    AttachTree({a, b});
    manager->SetFocusControl(a);
    EventLog().clear();
    Send(WM_KEYDOWN, 'X', 0);
    Send(WM_CHAR, 'x', 0);
    manager->SetFocusControl(b);
    Send(WM_KEYUP, 'X', 0);
    EXPECT_EQ(KindsOf(u"a"), (std::vector<int>{ui::EVT_KEY_DOWN, ui::EVT_CHAR, ui::EVT_KILL_FOCUS, ui::EVT_KEY_UP}));
    EXPECT_EQ(EventLog()[0].wParam, WPARAM('X'));
    EXPECT_EQ(manager->KeyTarget(), nullptr);
    EXPECT_EQ(listener.Count(u"killfocus"), 1);
    EXPECT_EQ(listener.Count(u"setfocus"), 2);
}

TEST_F(ManagerTest, TabWrapsBothWays)
{
    auto* first = FloatingProbe(u"first", 0, 0, 10, 10, ui::CF_TABSTOP);
    auto* plain = FloatingProbe(u"plain", 20, 0, 30, 10);
    auto* middle = FloatingProbe(u"middle", 40, 0, 50, 10, ui::CF_TABSTOP);
    auto* hidden = FloatingProbe(u"hidden", 60, 0, 70, 10, ui::CF_TABSTOP);
    auto* last = FloatingProbe(u"last", 80, 0, 90, 10, ui::CF_TABSTOP);
    hidden->SetVisible(false);
    AttachTree({first, plain, middle, hidden, last});
    // The first paint after attaching completes the pending focus move to the first tab stop.
    EXPECT_EQ(manager->FocusControl(), first);

    auto tab = [&](bool shift) {
        headless->InjectKey(VK_SHIFT, shift);
        Pump();
        LRESULT result = 0;
        EXPECT_TRUE(manager->PreHandleMessage(WM_KEYDOWN, VK_TAB, 0, result));
    };
    tab(true);
    EXPECT_EQ(manager->FocusControl(), last);
    tab(false);
    EXPECT_EQ(manager->FocusControl(), first);
    tab(false);
    EXPECT_EQ(manager->FocusControl(), middle);
    tab(false);
    EXPECT_EQ(manager->FocusControl(), last);
    tab(true);
    EXPECT_EQ(manager->FocusControl(), middle);

    // Through the message loop's pre-translation as well.
    headless->InjectKey(VK_SHIFT, false);
    Pump();
    MSG msg;
    msg.hwnd = hwnd;
    msg.message = WM_KEYDOWN;
    msg.wParam = VK_TAB;
    EXPECT_TRUE(ui::CWindowManagerUI::PreTranslate(msg));
    EXPECT_EQ(manager->FocusControl(), last);
}

TEST_F(ManagerTest, TabWhileALayoutIsPendingWaitsForThePaint)
{
    auto* first = FloatingProbe(u"first", 0, 0, 10, 10, ui::CF_TABSTOP);
    auto* second = FloatingProbe(u"second", 20, 0, 30, 10, ui::CF_TABSTOP);
    AttachTree({first, second});
    EXPECT_EQ(manager->FocusControl(), first);
    manager->SetLayoutNeeded();
    EXPECT_TRUE(manager->MoveFocus(true));
    EXPECT_EQ(manager->FocusControl(), first);
    windows->UpdateWindow(hwnd);
    EXPECT_EQ(manager->FocusControl(), second);
}

TEST_F(ManagerTest, AltShortcutOfALabelActivatesTheControlItNames)
{
    // The label names the control that follows it in the markup, never the one before it, and a
    // container in between is passed over for the first control inside it.
    auto* edit = FloatingProbe(u"edit", 0, 0, 10, 10, ui::CF_TABSTOP);
    auto* label = new ProbeControl(u"label", 0, u"label");
    label->SetShortcut(u'n');
    auto* box = new ui::CContainerUI;
    auto* other = FloatingProbe(u"other", 40, 0, 50, 10, ui::CF_TABSTOP);
    box->Add(other);
    AttachTree({edit, label, box});
    manager->SetFocusControl(edit);

    LRESULT result = 0;
    EXPECT_TRUE(manager->PreHandleMessage(WM_SYSCHAR, 'N', 0, result));
    EXPECT_EQ(manager->FocusControl(), other);
    EXPECT_EQ(other->activations, 1);
    EXPECT_EQ(edit->activations, 0);
    EXPECT_EQ(label->activations, 0);
    // A label with nothing after it names nothing.
    auto* last = new ProbeControl(u"last", 0, u"label");
    last->SetShortcut(u'z');
    static_cast<ui::CContainerUI*>(manager->Root())->Add(last);
    EXPECT_FALSE(manager->PreHandleMessage(WM_SYSCHAR, 'z', 0, result));

    // A control's own shortcut selects itself; an unknown one is not handled.
    other->SetShortcut(u'O');
    EXPECT_TRUE(manager->PreHandleMessage(WM_SYSCHAR, 'o', 0, result));
    EXPECT_EQ(manager->FocusControl(), other);
    EXPECT_FALSE(manager->PreHandleMessage(WM_SYSCHAR, 'q', 0, result));

    // System keys reach the focus control and are not handled.
    EventLog().clear();
    EXPECT_FALSE(manager->PreHandleMessage(WM_SYSKEYDOWN, VK_F10, 0, result));
    EXPECT_EQ(KindsOf(u"other"), std::vector<int>{ui::EVT_SYS_KEY});
}

TEST_F(ManagerTest, HidingTheFocusedControlClearsTheFocus)
{
    auto* a = FloatingProbe(u"a", 0, 0, 10, 10, ui::CF_TABSTOP);
    AttachTree({a});
    manager->SetFocusControl(a);
    ASSERT_EQ(manager->FocusControl(), a);
    EXPECT_TRUE(a->IsFocused());
    a->SetVisible(false);
    EXPECT_EQ(manager->FocusControl(), nullptr);
    EXPECT_FALSE(a->IsFocused());

    // A hidden or disabled control cannot take the focus.
    manager->SetFocusControl(a);
    EXPECT_EQ(manager->FocusControl(), nullptr);
    a->SetVisible(true);
    a->SetEnabled(false);
    manager->SetFocusControl(a);
    EXPECT_EQ(manager->FocusControl(), nullptr);
}

TEST_F(ManagerTest, QueuedNotificationsCoalesceWithoutRepeat)
{
    auto* a = FloatingProbe(u"a", 0, 0, 10, 10);
    auto* b = FloatingProbe(u"b", 20, 0, 30, 10);
    AttachTree({a, b});
    listener.seen.clear();
    manager->SendNotify(a, u"click", 1, 10, true, false);
    manager->SendNotify(a, u"click", 2, 20, true, false);
    manager->SendNotify(b, u"click", 3, 30, true, false);
    manager->SendNotify(a, u"scroll", 4, 40, true, true);
    manager->SendNotify(a, u"scroll", 5, 50, true, true);
    EXPECT_EQ(ui::CWindowManagerProbe(*manager).PendingNotifyCount(), 4);
    EXPECT_TRUE(listener.seen.empty());
    Pump();
    ASSERT_EQ(listener.seen.size(), 4u);
    EXPECT_EQ(listener.seen[0].type, u"click");
    EXPECT_EQ(listener.seen[0].sender, a);
    EXPECT_EQ(listener.seen[0].wParam, 2u);
    EXPECT_EQ(listener.seen[0].lParam, 20);
    EXPECT_EQ(listener.seen[1].sender, b);
    EXPECT_EQ(listener.seen[2].wParam, 4u);
    EXPECT_EQ(listener.seen[3].wParam, 5u);
    EXPECT_EQ(ui::CWindowManagerProbe(*manager).PendingNotifyCount(), 0);

    // Synchronous notifications reach the sender's delegates first, then the listeners.
    static int delegateCalls;
    delegateCalls = 0;
    a->OnNotifyDelegates().AddFunction([](void* param) {
        ++delegateCalls;
        return static_cast<ui::TNotifyMsg*>(param)->type == u"click";
    });
    manager->SendNotify(a, u"click");
    EXPECT_EQ(delegateCalls, 1);
    EXPECT_EQ(listener.seen.back().sender, a);
}

TEST_F(ManagerTest, TimerIdsAreReusedAfterKill)
{
    auto* a = FloatingProbe(u"a", 0, 0, 10, 10);
    auto* b = FloatingProbe(u"b", 20, 0, 30, 10);
    AttachTree({a, b});
    ASSERT_TRUE(manager->SetControlTimer(a, 7, 100));
    EXPECT_EQ(manager->ControlTimerId(a, 7), 17u); // 0x1000 + 1, modulo 255
    EXPECT_FALSE(manager->SetControlTimer(a, 7, 100));
    ASSERT_TRUE(manager->SetControlTimer(b, 7, 100));
    EXPECT_EQ(manager->ControlTimerId(b, 7), 18u);

    listener.seen.clear();
    clock.Advance(100);
    Pump();
    EXPECT_EQ(listener.Count(u"timer"), 2);
    EXPECT_EQ(listener.seen[0].wParam, 7u);

    EXPECT_TRUE(manager->KillControlTimer(a, 7));
    EXPECT_FALSE(manager->KillControlTimer(a, 7));
    listener.seen.clear();
    clock.Advance(100);
    Pump();
    ASSERT_EQ(listener.Count(u"timer"), 1);
    EXPECT_EQ(listener.seen[0].sender, b);

    EXPECT_TRUE(manager->SetControlTimer(a, 7, 100));
    EXPECT_EQ(manager->ControlTimerId(a, 7), 17u);
    listener.seen.clear();
    clock.Advance(100);
    Pump();
    EXPECT_EQ(listener.Count(u"timer"), 2);

    manager->KillControlTimers(a);
    EXPECT_EQ(manager->ControlTimerId(a, 7), 0u);
    manager->KillAllTimers();
    EXPECT_EQ(manager->ControlTimerId(b, 7), 0u);
}

TEST_F(ManagerTest, TimerIdsSkipIdsStillInUse)
{
    auto* a = FloatingProbe(u"a", 0, 0, 10, 10);
    AttachTree({a});
    // After 254 timers the ids come round again; the ids still held must not be handed out twice.
    std::vector<UINT_PTR> ids;
    for (std::uint32_t key = 0; key < 254; ++key) {
        ASSERT_TRUE(manager->SetControlTimer(a, key, 1000)) << key;
        ids.push_back(manager->ControlTimerId(a, key));
    }
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::unique(ids.begin(), ids.end()), ids.end());
    EXPECT_EQ(ids.front(), 1u);
    EXPECT_FALSE(manager->SetControlTimer(a, 999, 1000)); // every id is taken
}

TEST_F(ManagerTest, ForgettingADyingControlClearsEveryReference)
{
    auto* a = FloatingProbe(u"a", 0, 0, 50, 50, ui::CF_TABSTOP);
    auto* b = FloatingProbe(u"b", 60, 0, 110, 50);
    ui::CContainerUI* root = AttachTree({a, b});
    MouseMove(10, 10);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    Send(WM_KEYDOWN, 'A', 0);
    ASSERT_TRUE(manager->SetControlTimer(a, 1, 50));
    manager->SendNotify(a, u"click", 0, 0, true, false);
    manager->AddPostPaint(a);
    manager->WantMouseLeave(a);
    manager->JoinOptionGroup(u"group", a);
    HWND child =
        windows->CreateWindowEx(0, u"ManagerTestWnd", u"", WS_CHILD, 0, 0, 5, 5, hwnd, nullptr, nullptr, nullptr);
    manager->AddNativeWindow(a, child);
    ASSERT_EQ(manager->HoverControl(), a);
    ASSERT_EQ(manager->CaptureControl(), a);
    ASSERT_EQ(manager->FocusControl(), a);
    ASSERT_EQ(manager->KeyTarget(), a);
    ASSERT_EQ(manager->ControlByName(u"a"), a);

    ASSERT_TRUE(root->Remove(a));
    EXPECT_EQ(manager->HoverControl(), nullptr);
    EXPECT_EQ(manager->CaptureControl(), nullptr);
    EXPECT_EQ(manager->FocusControl(), nullptr);
    EXPECT_EQ(manager->KeyTarget(), nullptr);
    EXPECT_EQ(manager->ControlByName(u"a"), nullptr);
    EXPECT_EQ(manager->ControlByName(u"b"), b);
    EXPECT_EQ(ui::CWindowManagerProbe(*manager).PostPaintCount(), 0);
    EXPECT_EQ(manager->OptionGroup(u"group"), nullptr);
    EXPECT_FALSE(manager->RemoveNativeWindow(child));

    // The queued notification is still delivered, without its sender.
    listener.seen.clear();
    Pump();
    ASSERT_EQ(listener.Count(u"click"), 1);
    EXPECT_EQ(listener.seen[0].sender, nullptr);
    // Its timer is gone, and moving the mouse touches no dead control.
    clock.Advance(100);
    Pump();
    EXPECT_EQ(listener.Count(u"timer"), 0);
    MouseMove(70, 10);
    Send(WM_LBUTTONUP, 0, MAKELPARAM(70, 10));
    EXPECT_EQ(manager->HoverControl(), b);
}

TEST_F(ManagerTest, DelayedDeletionRunsWithTheQueuedDelivery)
{
    auto* a = FloatingProbe(u"a", 0, 0, 50, 50);
    ui::CContainerUI* root = AttachTree({a});
    static bool destroyed;
    destroyed = false;
    a->OnDestroyDelegates().AddFunction([](void*) { return destroyed = true; });
    root->Remove(a, true);
    manager->QueueForDeletion(a);
    EXPECT_FALSE(destroyed);
    Pump();
    EXPECT_TRUE(destroyed);
}

TEST_F(ManagerTest, SetCursorGoesToControlsThatAskForIt)
{
    auto* a = FloatingProbe(u"a", 0, 0, 50, 50, ui::CF_SETCURSOR);
    auto* b = FloatingProbe(u"b", 60, 0, 110, 50);
    AttachTree({a, b});
    headless->InjectMouseMove(110, 110);
    Pump();
    EventLog().clear();
    LRESULT result = 0;
    EXPECT_TRUE(manager->HandleWindowMessage(WM_SETCURSOR, WPARAM(hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), result));
    EXPECT_EQ(KindsOf(u"a"), std::vector<int>{ui::EVT_SET_CURSOR});
    headless->InjectMouseMove(170, 110);
    Pump();
    EXPECT_FALSE(manager->HandleWindowMessage(WM_SETCURSOR, WPARAM(hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), result));
    EXPECT_FALSE(manager->HandleWindowMessage(WM_SETCURSOR, WPARAM(hwnd), MAKELPARAM(HTCAPTION, WM_MOUSEMOVE), result));
}

TEST_F(ManagerTest, HoverShowsTheControlsTooltip)
{
    auto* a = FloatingProbe(u"a", 0, 0, 50, 50);
    auto* b = FloatingProbe(u"b", 60, 0, 110, 50);
    a->SetToolTip(u"Remove %{40}");
    ui::CWindowManagerUI::RegisterLanguageText(40, u"everything");
    AttachTree({a, b});
    MouseMove(10, 10);
    LRESULT result = 0;
    EXPECT_TRUE(manager->HandleWindowMessage(WM_MOUSEHOVER, 0, MAKELPARAM(10, 10), result));
    EXPECT_EQ(KindsOf(u"a").back(), ui::EVT_MOUSE_HOVER);
    HWND tip = windows->FindWindow(TOOLTIPS_CLASSW, nullptr);
    ASSERT_NE(tip, nullptr);
    EXPECT_TRUE(windows->IsWindowVisible(tip));
    EXPECT_EQ(windows->SendMessage(tip, TTM_GETMAXTIPWIDTH, 0, 0), 300);
    // Leaving the control hides it; a control without a tip shows none.
    MouseMove(70, 10);
    EXPECT_FALSE(windows->IsWindowVisible(tip));
    EXPECT_TRUE(manager->HandleWindowMessage(WM_MOUSEHOVER, 0, MAKELPARAM(70, 10), result));
    EXPECT_FALSE(windows->IsWindowVisible(tip));
    // Nothing under the mouse: not handled.
    EXPECT_FALSE(manager->HandleWindowMessage(WM_MOUSEHOVER, 0, MAKELPARAM(-5, -5), result));
    ui::CWindowManagerUI::DropLanguageText(40);
}

TEST_F(ManagerTest, FirstPaintLaysOutThenSendsWindowInitOnce)
{
    auto* probe = FloatingProbe(u"p", 0, 0, 10, 10);
    ui::CContainerUI* root = AttachTree({probe}, false);
    root->SetBackColor(0xFF204060);
    listener.seen.clear();
    manager->AddPostPaint(probe);
    windows->UpdateWindow(hwnd);
    ASSERT_EQ(listener.Count(u"windowinit"), 1);
    EXPECT_EQ(listener.seen[0].sender, root);
    // The notification comes after the layout.
    EXPECT_EQ(listener.seen[0].rootRect, CUIRect(0, 0, 200, 100));
    EXPECT_EQ(probe->postPaints, 1);
    platform::PixelBuffer pixels = windows->WindowPixels(hwnd);
    EXPECT_EQ(pixels.Row(50)[150], 0xFF204060u);

    root->RequestLayout();
    windows->UpdateWindow(hwnd);
    EXPECT_EQ(listener.Count(u"windowinit"), 1);
    EXPECT_EQ(probe->postPaints, 2);

    // A new root starts over.
    manager->AttachRoot(new ui::CContainerUI);
    windows->UpdateWindow(hwnd);
    Pump();
    EXPECT_EQ(listener.Count(u"windowinit"), 2);
}

TEST_F(ManagerTest, ShowDirtyOutlinesThePaintedRectangle)
{
    ui::CContainerUI* root = AttachTree({}, false);
    root->SetBackColor(0xFFFFFFFF);
    windows->UpdateWindow(hwnd);
    manager->SetWindowAttribute(u"ShowDirty", u"TRUE");
    EXPECT_TRUE(manager->IsShowDirty());
    manager->Invalidate(CUIRect(20, 10, 60, 30));
    windows->UpdateWindow(hwnd);
    platform::PixelBuffer pixels = windows->WindowPixels(hwnd);
    EXPECT_EQ(pixels.Row(10)[20], 0xFFDC0000u);
    EXPECT_EQ(pixels.Row(20)[59], 0xFFDC0000u);
    EXPECT_EQ(pixels.Row(20)[40], 0xFFFFFFFFu);
    EXPECT_EQ(pixels.Row(50)[100], 0xFFFFFFFFu);
}

TEST_F(ManagerTest, MessageFiltersComeFirstAndTrackTheMouse)
{
    struct Swallow : ui::IMessageFilterUI
    {
        LRESULT MessageHandler(UINT msg, WPARAM, LPARAM, bool& handled) override
        {
            handled = msg == WM_MOUSEMOVE;
            return 42;
        }
    } filter;
    auto* a = FloatingProbe(u"a", 0, 0, 50, 50);
    AttachTree({a});
    manager->AddMessageFilter(&filter);
    LRESULT result = 0;
    EXPECT_TRUE(manager->HandleWindowMessage(WM_MOUSEMOVE, 0, MAKELPARAM(12, 13), result));
    EXPECT_EQ(result, 42);
    EXPECT_EQ(manager->LastMousePos(), ui::CUIPoint(12, 13));
    EXPECT_TRUE(EventLog().empty());
    manager->RemoveMessageFilter(&filter);
    EXPECT_FALSE(manager->HandleWindowMessage(WM_MOUSEMOVE, 0, MAKELPARAM(12, 13), result));
    EXPECT_FALSE(EventLog().empty());

    EXPECT_TRUE(manager->HandleWindowMessage(WM_ERASEBKGND, 0, 0, result));
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(manager->HandleWindowMessage(WM_MOUSEACTIVATE, 0, 0, result));
    manager->SetWindowAttribute(u"noactivate", u"true");
    EXPECT_TRUE(manager->HandleWindowMessage(WM_MOUSEACTIVATE, 0, 0, result));
    EXPECT_EQ(result, MA_NOACTIVATE);

    MINMAXINFO info{}; // a zero height is left as the system gave it
    manager->SetWindowAttribute(u"mininfo", u"300,0");
    manager->HandleWindowMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info), result);
    EXPECT_EQ(info.ptMinTrackSize.x, 300);
    EXPECT_EQ(info.ptMinTrackSize.y, 0);
}

TEST_F(ManagerTest, ContextMenuReachesTheControlThatWasClicked)
{
    auto* a = FloatingProbe(u"a", 0, 0, 50, 50);
    a->SetContextMenuEnabled(true);
    AttachTree({a});
    listener.seen.clear();
    Send(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    Send(WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    Send(WM_CONTEXTMENU, WPARAM(hwnd), MAKELPARAM(105, 105));
    EXPECT_EQ(KindsOf(u"a").back(), ui::EVT_CONTEXT_MENU);
    EXPECT_EQ(listener.Count(u"menu"), 1);
}

} // namespace

namespace {

TEST_F(ManagerTest, AttachingTheSameRootAgainKeepsIt)
{
    auto* a = new ProbeControl(u"a");
    ui::CContainerUI* root = AttachTree({a});
    static bool destroyed;
    destroyed = false;
    root->OnDestroyDelegates().AddFunction([](void*) { return destroyed = true; });
    EXPECT_TRUE(manager->AttachRoot(root));
    Pump();
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(manager->Root(), root);
    EXPECT_EQ(manager->ControlByName(u"a"), a);
    EXPECT_FALSE(manager->AttachRoot(nullptr));
}

TEST_F(ManagerTest, SizeCloseAndLayering)
{
    auto* a = FloatingProbe(u"a", 0, 0, 50, 50, ui::CF_TABSTOP);
    ui::CContainerUI* root = AttachTree({a});
    manager->SetFocusControl(a);
    MouseMove(10, 10);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    EventLog().clear();

    windows->SetWindowPos(hwnd, nullptr, 0, 0, 300, 150, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(KindsOf(u"a"), std::vector<int>{ui::EVT_WINDOW_SIZE});
    EXPECT_TRUE(manager->IsLayoutNeeded());
    windows->UpdateWindow(hwnd);
    EXPECT_EQ(root->GetPosition(), CUIRect(0, 0, 300, 150));
    EXPECT_FALSE(manager->IsLayoutNeeded());

    EventLog().clear();
    LRESULT result = 0;
    EXPECT_FALSE(manager->HandleWindowMessage(WM_CLOSE, 0, 0, result));
    EXPECT_EQ(KindsOf(u"a"), (std::vector<int>{ui::EVT_MOUSE_LEAVE, ui::EVT_BUTTON_UP, ui::EVT_KILL_FOCUS}));
    EXPECT_EQ(manager->FocusControl(), nullptr);

    // Layered mode answers the frame messages itself.
    EXPECT_FALSE(manager->HandleWindowMessage(WM_NCPAINT, 0, 0, result));
    manager->SetLayered(true);
    EXPECT_TRUE(manager->HandleWindowMessage(WM_NCPAINT, 0, 0, result));
    EXPECT_TRUE(manager->HandleWindowMessage(WM_NCACTIVATE, 0, 0, result));
    EXPECT_EQ(result, 1);
    EXPECT_NE(windows->GetWindowLongPtr(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
}

TEST_F(ManagerTest, LayeredImageIsDrawnBehindTheTree)
{
    ui::CContainerUI* root = AttachTree({}, false);
    manager->SetWindowAttribute(u"layeredimage", u"color='#FF336699'");
    EXPECT_TRUE(manager->IsLayered());
    windows->UpdateWindow(hwnd);
    EXPECT_EQ(windows->WindowPixels(hwnd).Row(40)[40], 0xFF336699u);
    // The tree paints over it.
    root->SetBackColor(0xFF000010);
    windows->UpdateWindow(hwnd);
    EXPECT_EQ(windows->WindowPixels(hwnd).Row(40)[40], 0xFF000010u);
    // Dropping the window's images leaves no dangling record behind.
    manager->DropAllImages(ui::ResourceScope::Window);
    root->SetBackColor(0);
    windows->UpdateWindow(hwnd);
    EXPECT_EQ(windows->WindowPixels(hwnd).Row(40)[40], 0xFF336699u);
}

TEST_F(ManagerTest, NativeChildWindowsAndReflectedMessages)
{
    auto* host = FloatingProbe(u"host", 0, 0, 50, 50, ui::CF_TABSTOP);
    auto* other = FloatingProbe(u"other", 60, 0, 110, 50, ui::CF_TABSTOP);
    AttachTree({host, other});
    static std::vector<UINT> childMessages;
    childMessages.clear();
    WNDCLASSEXW wc;
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        childMessages.push_back(m);
        return m >= 0x2000 ? 7 : platform::Windows().DefWindowProc(h, m, w, l);
    };
    wc.lpszClassName = platform::Win32Text(u"ChildWnd");
    windows->RegisterClassEx(wc);
    HWND child = windows->CreateWindowEx(0, u"ChildWnd", u"", WS_CHILD | WS_VISIBLE, 5, 6, 20, 10, hwnd, nullptr,
                                         nullptr, nullptr);
    EXPECT_TRUE(manager->AddNativeWindow(host, child));
    EXPECT_FALSE(manager->AddNativeWindow(host, child));
    EXPECT_EQ(manager->NativeWindowRect(child), CUIRect(5, 6, 25, 16));

    // Focus moving into the child moves the manager's focus to the control that hosts it.
    manager->SetFocusControl(other);
    windows->SetFocus(hwnd);
    windows->SetFocus(child);
    EXPECT_EQ(manager->FocusControl(), host);

    LRESULT result = 0;
    EXPECT_TRUE(manager->HandleWindowMessage(WM_COMMAND, 1, reinterpret_cast<LPARAM>(child), result));
    EXPECT_EQ(result, 7);
    struct
    {
        HWND from;
        UINT_PTR id;
        UINT code;
    } header{child, 1, 2};
    EXPECT_TRUE(manager->HandleWindowMessage(WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&header), result));
    EXPECT_FALSE(manager->HandleWindowMessage(WM_COMMAND, 1, 0, result));
    EXPECT_NE(std::find(childMessages.begin(), childMessages.end(), WM_COMMAND + 0x2000), childMessages.end());
    EXPECT_NE(std::find(childMessages.begin(), childMessages.end(), WM_NOTIFY + 0x2000), childMessages.end());

    EXPECT_TRUE(manager->RemoveNativeWindow(child));
    EXPECT_FALSE(manager->RemoveNativeWindow(child));
}

TEST_F(ManagerTest, PreTranslationAndTheMessageLoop)
{
    struct Accelerator : ui::ITranslateAccelerator
    {
        bool TranslateAccelerator(MSG* msg) override { return msg->message == WM_KEYDOWN && msg->wParam == VK_F1; }
    } accelerator;
    auto* a = FloatingProbe(u"a", 0, 0, 50, 50, ui::CF_TABSTOP);
    auto* b = FloatingProbe(u"b", 60, 0, 110, 50, ui::CF_TABSTOP);
    AttachTree({a, b});
    ASSERT_EQ(manager->FocusControl(), a);
    manager->AddAcceleratorTranslator(&accelerator);
    MSG msg;
    msg.hwnd = hwnd;
    msg.message = WM_KEYDOWN;
    msg.wParam = VK_F1;
    EXPECT_TRUE(ui::CWindowManagerUI::PreTranslate(msg));
    msg.wParam = 'A';
    EXPECT_FALSE(ui::CWindowManagerUI::PreTranslate(msg));

    // A message of a child window moves the focus once, however deep the child sits.
    HWND child = windows->CreateWindowEx(0, u"ManagerTestWnd", u"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, hwnd, nullptr,
                                         nullptr, nullptr);
    HWND grandchild = windows->CreateWindowEx(0, u"ManagerTestWnd", u"", WS_CHILD | WS_VISIBLE, 0, 0, 5, 5, child,
                                              nullptr, nullptr, nullptr);
    msg.hwnd = grandchild;
    msg.wParam = VK_TAB;
    EXPECT_FALSE(ui::CWindowManagerUI::PreTranslate(msg));
    EXPECT_EQ(manager->FocusControl(), b);
    msg.wParam = VK_F1;
    EXPECT_TRUE(ui::CWindowManagerUI::PreTranslate(msg));

    // The loop runs until the quit message; Tab from the queue moves the focus back.
    windows->PostMessage(hwnd, WM_KEYDOWN, VK_TAB, 0);
    windows->PostQuitMessage(0);
    ui::CWindowManagerUI::RunMessageLoop();
    EXPECT_EQ(manager->FocusControl(), a);
}

TEST_F(ManagerTest, FocusNeededLandsOnTheControlAfterTheNextLayout)
{
    auto* a = FloatingProbe(u"a", 0, 0, 10, 10, ui::CF_TABSTOP);
    auto* b = FloatingProbe(u"b", 20, 0, 30, 10, ui::CF_TABSTOP);
    auto* c = FloatingProbe(u"c", 40, 0, 50, 10, ui::CF_TABSTOP);
    AttachTree({a, b, c});
    ASSERT_EQ(manager->FocusControl(), a);
    manager->SetFocusNeeded(c);
    EXPECT_EQ(KindsOf(u"a").back(), ui::EVT_KILL_FOCUS);
    windows->UpdateWindow(hwnd);
    EXPECT_EQ(manager->FocusControl(), c);
    EXPECT_EQ(KindsOf(u"c").back(), ui::EVT_SET_FOCUS);
}

TEST_F(ManagerTest, PrivateFontsComeAndGo)
{
    const char16_t* path = u"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    if (!std::filesystem::exists("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"))
        GTEST_SKIP() << "no DejaVu font installed";
    EXPECT_EQ(ui::CWindowManagerUI::LoadFontFile(u"/no/such/font.ttf"), 0);
    const int handle = ui::CWindowManagerUI::LoadFontFile(path);
    ASSERT_NE(handle, 0);
    EXPECT_TRUE(ui::CWindowManagerUI::RemoveFontData(handle));
    EXPECT_FALSE(ui::CWindowManagerUI::RemoveFontData(handle));
    EXPECT_EQ(ui::CWindowManagerUI::AddFontData("nope", 4), 0);
    EXPECT_NE(ui::CWindowManagerUI::LoadFontFile(path), 0);
    ui::CWindowManagerUI::RemoveAllFontData();
}

// On its first tick it kills its own timer and sets many more, so the manager's timer table grows
// while that tick is being delivered.
class TimerJuggler : public ProbeControl
{
public:
    TimerJuggler() : ProbeControl(u"juggler")
    {
        SetFloat(true);
        SetFixedWidth(10);
        SetFixedHeight(10);
    }

    bool Event(ui::TUIEvent& event) override
    {
        if (event.kind == ui::EVT_TIMER && event.wParam == 1 && ++ticks == 1) {
            GetManager()->KillControlTimer(this, 1);
            for (std::uint32_t key = 100; key < 140; ++key)
                GetManager()->SetControlTimer(this, key, 1000);
        }
        return ProbeControl::Event(event);
    }

    int ticks = 0;
};

TEST_F(ManagerTest, ATickMayChangeTheTimersOfTheControlItReaches)
{
    auto* juggler = new TimerJuggler;
    AttachTree({juggler});
    ASSERT_TRUE(manager->SetControlTimer(juggler, 1, 50));
    clock.Advance(50);
    Pump();
    ASSERT_EQ(juggler->ticks, 1);
    std::vector<UINT_PTR> ids;
    for (std::uint32_t key = 100; key < 140; ++key)
        ids.push_back(manager->ControlTimerId(juggler, key));
    std::sort(ids.begin(), ids.end());
    EXPECT_NE(ids.front(), 0u);
    EXPECT_EQ(std::unique(ids.begin(), ids.end()), ids.end());
    // The timer it killed during its own tick stays silent.
    clock.Advance(50);
    Pump();
    EXPECT_EQ(juggler->ticks, 1);
}

TEST_F(ManagerTest, AQueuedContainerTakesItsQueuedChildWithIt)
{
    auto* panel = new ui::CContainerUI;
    auto* child = FloatingProbe(u"child", 0, 0, 10, 10);
    panel->Add(child);
    ui::CContainerUI* root = AttachTree({panel});
    static int panelDeaths, childDeaths;
    panelDeaths = childDeaths = 0;
    panel->OnDestroyDelegates().AddFunction([](void*) { return ++panelDeaths > 0; });
    child->OnDestroyDelegates().AddFunction([](void*) { return ++childDeaths > 0; });
    ASSERT_TRUE(root->Remove(panel, true));
    // The child is queued after its container, which deletes it first: its entry must be let go.
    manager->QueueForDeletion(panel);
    manager->QueueForDeletion(child);
    Pump();
    EXPECT_EQ(panelDeaths, 1);
    EXPECT_EQ(childDeaths, 1);
}

// Queues a second notification while the first is delivered.
struct Requeuer : ui::INotifyUI
{
    void Notify(ui::TNotifyMsg& msg) override
    {
        seen.emplace_back(msg.type.CStr());
        if (msg.type == u"first")
            manager->SendNotify(sender, u"second", 0, 0, true);
    }
    ui::CWindowManagerUI* manager = nullptr;
    ui::CControlUI* sender = nullptr;
    std::vector<std::u16string> seen;
};

// Stops listening the first time it is told.
struct Quitter : ui::INotifyUI
{
    void Notify(ui::TNotifyMsg& msg) override
    {
        heard.emplace_back(msg.type.CStr());
        manager->RemoveNotifyListener(this);
    }
    ui::CWindowManagerUI* manager = nullptr;
    std::vector<std::u16string> heard;
};

TEST_F(ManagerTest, ListenersMayQueueAndLeaveWhileTheQueueIsDelivered)
{
    auto* a = FloatingProbe(u"a", 0, 0, 10, 10);
    AttachTree({a});
    Quitter first, second;
    first.manager = second.manager = manager.get();
    Requeuer requeuer;
    requeuer.manager = manager.get();
    requeuer.sender = a;
    manager->AddNotifyListener(&first);
    manager->AddNotifyListener(&second);
    manager->AddNotifyListener(&requeuer);
    listener.seen.clear();
    manager->SendNotify(a, u"first", 0, 0, true);
    Pump();
    // One delivery pass takes what its own listeners queued; listeners that leave while they are
    // told neither hide the next listener from the notification nor hear the next one.
    const std::vector<std::u16string> once{u"first"};
    EXPECT_EQ(first.heard, once);
    EXPECT_EQ(second.heard, once);
    EXPECT_EQ(requeuer.seen, (std::vector<std::u16string>{u"first", u"second"}));
    EXPECT_EQ(listener.Count(u"first"), 1);
    EXPECT_EQ(listener.Count(u"second"), 1);
    EXPECT_EQ(ui::CWindowManagerProbe(*manager).PendingNotifyCount(), 0);
    manager->RemoveNotifyListener(&requeuer);
}

} // namespace
