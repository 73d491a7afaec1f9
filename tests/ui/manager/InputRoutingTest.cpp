// Real input through the whole path: raw events from the backend, the window system's routing,
// the message loop that RunModal runs and the managers' pre-translation. Tab, Shift+Tab and Alt
// shortcuts in a modal window; a press and its release fetched together; a capture its handler
// forgets; a control's tip and hot state when the pointer leaves or the window moves.
#include "ManagerTestSupport.h"

#include "ui/controls/Button.h"
#include "ui/controls/Label.h"
#include "ui/controls/VerticalLayout.h"
#include "ui/core/WindowWnd.h"

#include <algorithm>
#include <functional>

using namespace mgrtest;

namespace {

// A framework window like the program's main window: its manager is attached on creation and
// gets every message; the tree is three buttons with a label before the last one.
class HostWindow : public ui::CWindowWnd, public ui::INotifyUI
{
public:
    const char16_t* WindowClassName() const override { return u"InputRoutingHost"; }
    LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_CREATE) {
            manager.AttachWindow(m_hWnd, u"host");
            auto* root = new ui::CVerticalLayoutUI;
            for (const char16_t* name : {u"first", u"second"}) {
                auto* button = new ui::CButtonUI;
                button->SetName(name);
                root->Add(button);
            }
            auto* label = new ui::CLabelUI;
            label->SetShortcut(u'N');
            root->Add(label);
            auto* named = new ui::CButtonUI;
            named->SetName(u"named");
            root->Add(named);
            manager.AttachRoot(root);
            manager.AddNotifyListener(this);
        }
        LRESULT result = 0;
        if (manager.HandleWindowMessage(message, wParam, lParam, result))
            return result;
        return CWindowWnd::ProcessMessage(message, wParam, lParam);
    }
    void Notify(ui::TNotifyMsg& msg) override
    {
        // The user types once the window has been painted.
        if (msg.type == u"windowinit" && onShown)
            onShown();
        if (msg.type == u"setfocus" || msg.type == u"click")
            seen.push_back(std::u16string(msg.type.CStr()) + u":" + msg.sender->GetName().CStr());
    }

    ui::CWindowManagerUI manager;
    std::vector<std::u16string> seen;
    std::function<void()> onShown;
};

void Key(platform::HeadlessBackend& backend, UINT vk)
{
    backend.InjectKey(vk, true);
    backend.InjectKey(vk, false);
}

} // namespace

TEST_F(ManagerTest, TabShiftTabAndAltShortcutsWorkInAWindowRunByRunModal)
{
    HostWindow host;
    ASSERT_NE(host.CreateNativeWindow(nullptr, u"host", WS_POPUP, 0, 300, 300, 200, 200), nullptr);
    host.onShown = [&] {
        Key(*headless, VK_TAB);
        Key(*headless, VK_TAB);
        headless->InjectKey(VK_SHIFT, true);
        Key(*headless, VK_TAB);
        headless->InjectKey(VK_SHIFT, false);
        // Alt + the label's shortcut: the button that follows the label.
        headless->InjectKey(VK_MENU, true);
        Key(*headless, 'N');
        headless->InjectKey(VK_MENU, false);
        headless->InjectCloseRequest(host.WindowHandle());
    };
    host.RunModal();
    // The first button has the focus once the window shows; Tab, Tab, Shift+Tab, then Alt+N.
    EXPECT_EQ(host.seen, (std::vector<std::u16string>{u"setfocus:first", u"setfocus:second", u"setfocus:named",
                                                      u"setfocus:second", u"setfocus:named", u"click:named"}));
}

TEST_F(ManagerTest, APressAndItsReleaseFetchedTogetherRouteTheReleaseToTheCapture)
{
    auto* probe = FloatingProbe(u"p", 0, 0, 50, 50);
    AttachTree({probe});
    // Another window right of this one, where the pointer is let go.
    HWND other = windows->CreateWindowEx(0, u"ManagerTestWnd", u"other", WS_POPUP | WS_VISIBLE, 400, 100, 100, 100,
                                         nullptr, nullptr, nullptr, nullptr);
    headless->InjectButton(platform::kLeftButton, true, 110, 110);
    headless->InjectButton(platform::kLeftButton, false, 450, 110);
    Pump();
    const std::vector<int> kinds = KindsOf(u"p");
    EXPECT_NE(std::find(kinds.begin(), kinds.end(), ui::EVT_BUTTON_DOWN), kinds.end());
    EXPECT_NE(std::find(kinds.begin(), kinds.end(), ui::EVT_BUTTON_UP), kinds.end())
        << "the release went where the pointer was, not to the capture";
    EXPECT_EQ(windows->GetCapture(), nullptr);
    windows->DestroyWindow(other);
}

namespace {

int g_releases = 0;

// Takes the capture on a press and never gives it back.
LRESULT GreedyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_LBUTTONDOWN)
        platform::Windows().SetCapture(hwnd);
    if (msg == WM_LBUTTONUP)
        ++g_releases;
    return platform::Windows().DefWindowProc(hwnd, msg, wParam, lParam);
}

} // namespace

TEST_F(ManagerTest, ACaptureItsHandlerForgetsEndsWithTheLastButton)
{
    WNDCLASSEXW wc;
    wc.lpfnWndProc = GreedyProc;
    wc.lpszClassName = platform::Win32Text(u"GreedyWnd");
    windows->RegisterClassEx(wc);
    HWND greedy = windows->CreateWindowEx(0, u"GreedyWnd", u"", WS_POPUP | WS_VISIBLE, 600, 600, 50, 50, nullptr,
                                          nullptr, nullptr, nullptr);
    g_releases = 0;
    headless->InjectButton(platform::kLeftButton, true, 610, 610);
    headless->InjectButton(platform::kRightButton, true, 610, 610);
    headless->InjectButton(platform::kLeftButton, false, 900, 900);
    Pump();
    EXPECT_EQ(g_releases, 1) << "the release outside reached the capture";
    EXPECT_EQ(windows->GetCapture(), greedy) << "a button is still down";
    headless->InjectButton(platform::kRightButton, false, 900, 900);
    Pump();
    EXPECT_EQ(windows->GetCapture(), nullptr);
    // The next press elsewhere goes where the pointer is.
    headless->InjectButton(platform::kLeftButton, true, 110, 110);
    headless->InjectButton(platform::kLeftButton, false, 110, 110);
    Pump();
    EXPECT_EQ(g_releases, 1);
    windows->DestroyWindow(greedy);
}

TEST_F(ManagerTest, AControlThatShowedItsTipIsNotHotOnceThePointerLeavesAndTheTipFollowsTheWindow)
{
    auto* probe = FloatingProbe(u"p", 0, 0, 50, 50);
    probe->SetToolTip(u"tip");
    AttachTree({probe});
    HWND tip = nullptr;
    auto showTip = [&] {
        headless->InjectMouseMove(110, 110);
        Pump();
        clock.Advance(5000);
        Pump();
        tip = windows->FindWindow(TOOLTIPS_CLASSW, nullptr);
        ASSERT_NE(tip, nullptr) << ::testing::PrintToString(KindsOf(u"p"));
        ASSERT_TRUE(windows->IsWindowVisible(tip)) << ::testing::PrintToString(KindsOf(u"p"));
    };
    for (int round = 0; round < 3; ++round) {
        showTip();
        EventLog().clear();
        headless->InjectMouseMove(700, 700);
        Pump();
        EXPECT_EQ(KindsOf(u"p"), std::vector<int>{ui::EVT_MOUSE_LEAVE}) << "round " << round;
        EXPECT_FALSE(windows->IsWindowVisible(tip));
        // Nothing lights the control up again while the pointer stays away.
        EventLog().clear();
        clock.Advance(5000);
        Pump();
        EXPECT_EQ(KindsOf(u"p"), std::vector<int>{}) << "round " << round;
    }

    // Moving the window takes the tip away with it.
    showTip();
    windows->SetWindowPos(hwnd, nullptr, 300, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Pump();
    EXPECT_FALSE(windows->IsWindowVisible(tip));
}
