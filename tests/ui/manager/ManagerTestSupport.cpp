// The shared window manager test fixture and probes.
#include "ManagerTestSupport.h"

namespace mgrtest {

std::vector<SeenEvent>& EventLog()
{
    static std::vector<SeenEvent> log;
    return log;
}

ProbeControl::ProbeControl(const char16_t* name, std::uint32_t flags, const char16_t* className)
    : m_className(className), m_flags(flags)
{
    SetName(name);
}

bool ProbeControl::Event(ui::TUIEvent& event)
{
    EventLog().push_back(SeenEvent{m_name.CStr(), event.kind, event.sender, event.wParam, event.point});
    return CControlUI::Event(event);
}

bool ProbeControl::Activate()
{
    ++activations;
    return CControlUI::Activate();
}

bool ProbeControl::PostPaint(ui::HDC dc, const ui::CUIRect& paintRect)
{
    ++postPaints;
    return CControlUI::PostPaint(dc, paintRect);
}

ProbeControl* FloatingProbe(const char16_t* name, int left, int top, int right, int bottom, std::uint32_t flags)
{
    auto* probe = new ProbeControl(name, flags);
    probe->SetFloat(true);
    probe->SetFloatOffset(left, top);
    probe->SetFixedWidth(right - left);
    probe->SetFixedHeight(bottom - top);
    return probe;
}

void RecordingListener::Notify(ui::TNotifyMsg& msg)
{
    ui::CUIRect rootRect;
    if (manager != nullptr && manager->Root() != nullptr)
        rootRect = manager->Root()->GetPosition();
    seen.push_back(Seen{msg.type.CStr(), msg.sender, msg.wParam, msg.lParam, rootRect});
}

int RecordingListener::Count(const std::u16string& type) const
{
    int n = 0;
    for (const Seen& s : seen)
        n += s.type == type ? 1 : 0;
    return n;
}

ui::CWindowManagerUI* ManagerTest::s_current = nullptr;

LRESULT ManagerTest::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (s_current != nullptr && s_current->Window() == hwnd &&
        s_current->HandleWindowMessage(msg, wParam, lParam, result))
        return result;
    return platform::Windows().DefWindowProc(hwnd, msg, wParam, lParam);
}

void ManagerTest::SetUp()
{
    auto backend = std::make_unique<platform::HeadlessBackend>();
    headless = backend.get();
    windows = &platform::WindowSystem::Install(std::move(backend));
    windows->SetClock(&clock);
    WNDCLASSEXW wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = WindowProc;
    wc.lpszClassName = platform::Win32Text(u"ManagerTestWnd");
    windows->RegisterClassEx(wc);
    hwnd = windows->CreateWindowEx(0, u"ManagerTestWnd", u"test", WS_POPUP | WS_VISIBLE, 100, 100, 200, 100, nullptr,
                                   nullptr, nullptr, nullptr);
    manager = std::make_unique<ui::CWindowManagerUI>();
    manager->AttachWindow(hwnd, u"test");
    s_current = manager.get();
    listener.manager = manager.get();
    manager->AddNotifyListener(&listener);
    EventLog().clear();
}

void ManagerTest::TearDown()
{
    s_current = nullptr;
    manager.reset();
    platform::WindowSystem::Shutdown();
    EventLog().clear();
}

ui::CContainerUI* ManagerTest::AttachTree(std::initializer_list<ui::CControlUI*> children, bool layout)
{
    auto* root = new ui::CContainerUI;
    root->SetName(u"root");
    for (ui::CControlUI* child : children)
        root->Add(child);
    manager->AttachRoot(root);
    if (layout) {
        windows->UpdateWindow(hwnd);
        Pump();
    }
    EventLog().clear();
    return root;
}

std::vector<int> ManagerTest::KindsOf(const std::u16string& control) const
{
    std::vector<int> kinds;
    for (const SeenEvent& e : EventLog())
        if (e.control == control)
            kinds.push_back(e.kind);
    return kinds;
}

std::vector<std::string> ManagerTest::Trace() const
{
    std::vector<std::string> out;
    for (const SeenEvent& e : EventLog())
        out.push_back(std::string(e.control.begin(), e.control.end()) + ":" + std::to_string(e.kind));
    return out;
}

} // namespace mgrtest
