// Shared pieces of the window manager tests: a control that records the events it gets, a
// notification listener, and a fixture with a headless window whose messages go to a manager.
#pragma once

#include "platform/Clock.h"
#include "platform/WindowSystem.h"
#include "platform/headless/HeadlessBackend.h"
#include "ui/controls/Container.h"
#include "ui/manager/WindowManager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mgrtest {

// One event as a control saw it.
struct SeenEvent
{
    std::u16string control;
    int kind;
    ui::CControlUI* sender;
    WPARAM wParam;
    ui::CUIPoint point;
};

// Every event every probe got, in order.
std::vector<SeenEvent>& EventLog();

// A control with a name, a class name and control flags chosen by the test; it logs its events.
class ProbeControl : public ui::CControlUI
{
public:
    explicit ProbeControl(const char16_t* name, std::uint32_t flags = 0, const char16_t* className = u"Probe");

    const char16_t* GetClassName() const override { return m_className.c_str(); }
    std::uint32_t GetControlFlags() const override { return m_flags; }
    bool Event(ui::TUIEvent& event) override;
    bool Activate() override;
    bool PostPaint(ui::HDC dc, const ui::CUIRect& paintRect) override;

    int activations = 0;
    int postPaints = 0;

private:
    std::u16string m_className;
    std::uint32_t m_flags;
};

// A floating probe at a fixed rectangle of its parent.
ProbeControl* FloatingProbe(const char16_t* name, int left, int top, int right, int bottom, std::uint32_t flags = 0);

class RecordingListener : public ui::INotifyUI
{
public:
    void Notify(ui::TNotifyMsg& msg) override;

    struct Seen
    {
        std::u16string type;
        ui::CControlUI* sender;
        WPARAM wParam;
        LPARAM lParam;
        ui::CUIRect rootRect; // the root's position when the notification arrived
    };
    std::vector<Seen> seen;
    ui::CWindowManagerUI* manager = nullptr;

    int Count(const std::u16string& type) const;
};

// A headless window at screen (100, 100), 200 x 100, whose messages go to `manager`.
class ManagerTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A root container with the given children, attached to the manager and laid out by a paint.
    ui::CContainerUI* AttachTree(std::initializer_list<ui::CControlUI*> children, bool layout = true);
    void Pump() { windows->DispatchPending(); }
    LRESULT Send(UINT msg, WPARAM wParam, LPARAM lParam) { return windows->SendMessage(hwnd, msg, wParam, lParam); }
    void MouseMove(int x, int y) { Send(WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }
    std::vector<int> KindsOf(const std::u16string& control) const;
    // Events in order as "name:kind".
    std::vector<std::string> Trace() const;

    platform::WindowSystem* windows = nullptr;
    platform::HeadlessBackend* headless = nullptr;
    platform::ManualClock clock{1000};
    std::unique_ptr<ui::CWindowManagerUI> manager;
    RecordingListener listener;
    HWND hwnd = nullptr;

    static ui::CWindowManagerUI* s_current;
    static LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
};

} // namespace mgrtest
