// The window manager's focus: which control has it, the native focus of the window, and the Tab
// order that moves it forward and backward with wrapping.
#include "ui/manager/WindowManager.h"

#include "ui/controls/Control.h"
#include "ui/manager/WindowManagerShared.h"

namespace ui {

using detail::Win;

namespace {

struct TabSearch
{
    CControlUI* current;
    CControlUI* last;
    bool forward;
    bool passed;
};

CControlUI* VisitTabStop(CControlUI* control, void* data)
{
    auto* search = static_cast<TabSearch*>(data);
    if (control == search->current) {
        if (search->forward)
            search->passed = true;
        else
            return search->last;
    } else if ((control->GetControlFlags() & CF_TABSTOP) != 0) {
        search->last = control;
        if (search->passed || search->current == nullptr)
            return control;
    }
    return nullptr;
}

} // namespace

bool CWindowManagerUI::HasNativeFocus() const
{
    return m_window != nullptr && Win().GetFocus() == m_window;
}

void CWindowManagerUI::TakeNativeFocus()
{
    if (m_window != nullptr && Win().GetFocus() != m_window)
        Win().SetFocus(m_window);
}

void CWindowManagerUI::DropFocus(CControlUI* next)
{
    if (m_focus == nullptr)
        return;
    CControlUI* old = m_focus;
    TUIEvent event = MakeEvent(EVT_KILL_FOCUS, next, m_lastMousePos);
    SendEvent(old, event);
    SendNotify(old, u"killfocus");
    m_focus = nullptr;
}

void CWindowManagerUI::SetFocusControl(CControlUI* control, bool focusWindow)
{
    if (focusWindow && !HasNativeFocus() && control != m_focus && !m_noActivate)
        TakeNativeFocus();
    if (control == m_focus)
        return;
    DropFocus(control);
    if (control != nullptr && control->GetManager() == this && control->IsVisible() && control->IsEnabled()) {
        m_focus = control;
        TUIEvent event = MakeEvent(EVT_SET_FOCUS, control, m_lastMousePos);
        SendEvent(control, event);
        SendNotify(control, u"setfocus");
    }
}

void CWindowManagerUI::SetFocusNeeded(CControlUI* control)
{
    if (!m_noActivate)
        TakeNativeFocus();
    if (control == nullptr) {
        m_focusNeeded = false;
        return;
    }
    DropFocus(control);
    // The tab stop before the control: the forward move after the next layout lands on the control.
    m_focus = FindTabStop(control, false);
    m_focusNeeded = true;
    if (m_root != nullptr)
        m_root->RequestLayout();
    m_layoutNeeded = true;
    m_fullLayoutNeeded = true;
}

CControlUI* CWindowManagerUI::FindTabStop(CControlUI* current, bool forward)
{
    if (m_root == nullptr)
        return nullptr;
    constexpr std::uint32_t kFlags = FIND_VISIBLE | FIND_ENABLED | FIND_MEFIRST;
    TabSearch search{current, nullptr, forward, false};
    CControlUI* found = m_root->FindControl(VisitTabStop, &search, kFlags);
    if (found != nullptr)
        return found;
    if (!forward)
        return search.last;
    TabSearch again{nullptr, nullptr, true, false};
    return m_root->FindControl(VisitTabStop, &again, kFlags);
}

bool CWindowManagerUI::MoveFocus(bool forward)
{
    if (m_layoutNeeded && forward) {
        m_focusNeeded = true;
        if (m_window != nullptr)
            Win().InvalidateRect(m_window, nullptr, false);
        return true;
    }
    if (CControlUI* found = FindTabStop(m_focus, forward))
        SetFocusControl(found, true);
    m_focusNeeded = false;
    return true;
}

} // namespace ui
