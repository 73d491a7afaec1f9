// The shared fixture of the control-tree tests.
#include "ControlTestSupport.h"

#include "platform/headless/HeadlessBackend.h"

#include <algorithm>

namespace tvtest {

namespace {

LRESULT ManagedProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* manager = reinterpret_cast<ui::CWindowManagerUI*>(platform::Windows().GetProp(hwnd, u"manager"));
    LRESULT result = 0;
    if (manager && manager->HandleWindowMessage(message, wParam, lParam, result))
        return result;
    return platform::Windows().DefWindowProc(hwnd, message, wParam, lParam);
}

} // namespace

void CStackUI::SetPosition(ui::CUIRect rect, bool needInvalidate)
{
    ++placements;
    ui::CControlUI::SetPosition(rect, needInvalidate);
    ui::CUIRect rc = m_itemRect;
    rc.left += m_inset.left;
    rc.top += m_inset.top;
    rc.right -= m_inset.right;
    rc.bottom -= m_inset.bottom;
    if (m_verticalScrollBar && m_verticalScrollBar->IsVisible())
        rc.right -= m_verticalScrollBar->GetFixedWidth();
    if (m_horizontalScrollBar && m_horizontalScrollBar->IsVisible())
        rc.bottom -= m_horizontalScrollBar->GetFixedHeight();
    lastContentWidth = rc.Width();

    const ui::CUISize scroll = GetScrollPos();
    int y = rc.top - scroll.cy;
    int required = 0;
    int widest = 0;
    for (int i = 0; i < GetCount(); ++i) {
        ui::CControlUI* child = GetItemAt(i);
        if (!child->IsVisible())
            continue;
        if (child->IsFloat()) {
            SetFloatChildPos(i);
            continue;
        }
        const int width = child->GetFixedWidth() > 0 ? child->GetFixedWidth() : rc.Width();
        child->SetPosition({rc.left - scroll.cx, y, rc.left - scroll.cx + width, y + child->GetFixedHeight()}, false);
        y += child->GetFixedHeight();
        required += child->GetFixedHeight();
        widest = std::max(widest, width);
    }
    if (!scriptedHeights.empty()) {
        required = scriptedHeights.front();
        scriptedHeights.erase(scriptedHeights.begin());
    }
    ProcessScrollBar(rc, widest, required);
}

void ControlTest::SetUp()
{
    windows = &platform::WindowSystem::Install(std::make_unique<platform::HeadlessBackend>());
    WNDCLASSEXW wc;
    wc.lpfnWndProc = ManagedProc;
    wc.lpszClassName = platform::Win32Text(u"ControlTestWnd");
    windows->RegisterClassEx(wc);
    hwnd = windows->CreateWindowEx(0, u"ControlTestWnd", u"controls", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight,
                                   nullptr, nullptr, nullptr, nullptr);
    manager = std::make_unique<ui::CWindowManagerUI>();
    windows->SetProp(hwnd, u"manager", manager.get());
    manager->AttachWindow(hwnd);
    ClearDirty();
}

void ControlTest::TearDown()
{
    windows->RemoveProp(hwnd, u"manager");
    manager.reset();
    windows->DestroyWindow(hwnd);
    platform::WindowSystem::Shutdown();
}

ui::CUIRect ControlTest::Dirty() const
{
    RECT r;
    if (!windows->GetUpdateRect(hwnd, r))
        return {};
    return {r.left, r.top, r.right, r.bottom};
}

void ControlTest::ClearDirty()
{
    windows->ValidateRect(hwnd, nullptr);
}

ui::CContainerUI* ControlTest::AttachRoot(ui::CContainerUI* root)
{
    if (!root)
        root = new ui::CContainerUI;
    manager->AttachRoot(root);
    root->SetPosition({0, 0, kWidth, kHeight}, false);
    ClearDirty();
    return root;
}

Canvas::Canvas(int width, int height) : surface(platform::Surface::Create(width, height))
{
    dc = std::make_unique<platform::DeviceContext>(surface);
}

ui::TUIEvent MakeEvent(int kind, ui::CControlUI* sender, ui::CUIPoint point, WPARAM wParam)
{
    ui::TUIEvent event;
    event.kind = kind;
    event.sender = sender;
    event.point = point;
    event.wParam = wParam;
    return event;
}

} // namespace tvtest
