// The window manager's message dispatch: the native window's messages become events for the hover,
// capture, focus or key-target control; message filters, accelerator translators, Tab and Alt
// shortcuts before translation; the message loop. Focus, notifications, timers and the tooltip
// each have a file of their own.
#include "ui/manager/WindowManager.h"

#include "ui/controls/Control.h"
#include "ui/core/WindowWnd.h"
#include "ui/manager/WindowManagerShared.h"

#include <cwctype>

namespace ui {

using detail::Shared;
using detail::Win;

namespace {

// The message that delivers queued notifications and runs the delayed clean-up (WindowManagerNotify.cpp).
constexpr UINT kAsyncMessage = WM_APP + 1;
// The timer that refreshes a layered window's dirty rectangle.
constexpr WPARAM kLayeredRefreshTimer = 0x2000;
// Offset at which notifications and commands are reflected back to the child window that sent them.
constexpr UINT kReflectOffset = 0x2000;

// The header every WM_NOTIFY record starts with: the child window that sends it comes first.
struct NotifyHeader
{
    HWND hwndFrom = nullptr;
    UINT_PTR idFrom = 0;
    UINT code = 0;
};

CUIPoint PointOf(LPARAM lParam)
{
    return CUIPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
}

char16_t UpperChar(char16_t c)
{
    return char16_t(std::towupper(wint_t(c)));
}

// ---- Alt shortcuts ----

struct ShortcutSearch
{
    char16_t shortcut;
};

bool IsLabel(CControlUI* control)
{
    return CUIString(control->GetClassName()).CompareNoCase(u"Label") == 0;
}

CControlUI* VisitShortcut(CControlUI* control, void* data)
{
    auto* search = static_cast<ShortcutSearch*>(data);
    if (!control->IsVisible())
        return nullptr;
    return UpperChar(control->GetShortcut()) == search->shortcut ? control : nullptr;
}

// The control a label names: the first one after it in the order of the markup that can take the
// focus (a tab stop, or any control that is neither a label nor a plain container).
struct FollowerSearch
{
    CControlUI* label;
    bool passed;
};

CControlUI* VisitFollower(CControlUI* control, void* data)
{
    auto* search = static_cast<FollowerSearch*>(data);
    if (control == search->label) {
        search->passed = true;
        return nullptr;
    }
    if (!search->passed || !control->IsVisible() || IsLabel(control))
        return nullptr;
    if ((control->GetControlFlags() & CF_TABSTOP) != 0 || control->CastTo(u"IContainer") == nullptr)
        return control;
    return nullptr;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Events
// ---------------------------------------------------------------------------------------------

std::uint16_t CWindowManagerUI::KeyStateNow() const
{
    std::uint16_t state = 0;
    if (Win().GetKeyState(VK_CONTROL) < 0)
        state |= KEYSTATE_CONTROL;
    if (Win().GetKeyState(VK_RBUTTON) < 0)
        state |= KEYSTATE_RBUTTON;
    if (Win().GetKeyState(VK_LBUTTON) < 0)
        state |= KEYSTATE_LBUTTON;
    if (Win().GetKeyState(VK_SHIFT) < 0)
        state |= KEYSTATE_SHIFT;
    if (Win().GetKeyState(VK_MENU) < 0)
        state |= KEYSTATE_ALT;
    return state;
}

TUIEvent CWindowManagerUI::MakeEvent(int kind, CControlUI* sender, CUIPoint point, WPARAM wParam, LPARAM lParam) const
{
    TUIEvent event;
    event.kind = kind;
    event.sender = sender;
    event.timestamp = Win().GetTickCount();
    event.point = point;
    event.keyState = KeyStateNow();
    event.wParam = wParam;
    event.lParam = lParam;
    return event;
}

void CWindowManagerUI::SendEvent(CControlUI* control, TUIEvent& event)
{
    if (control != nullptr)
        control->Event(event);
}

CControlUI* CWindowManagerUI::OwnControlAt(CUIPoint point) const
{
    CControlUI* control = ControlAt(point);
    if (control != nullptr && control->GetManager() != this)
        return nullptr;
    return control;
}

CUIPoint CWindowManagerUI::ScreenToClientPoint(LPARAM lParam) const
{
    POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    Win().ScreenToClient(m_window, pt);
    return CUIPoint(pt.x, pt.y);
}

void CWindowManagerUI::SendKeyEvent(int kind, CControlUI* target, WPARAM wParam, LPARAM lParam)
{
    TUIEvent event = MakeEvent(kind, target, m_lastMousePos, wParam, lParam);
    event.keyChar = char16_t(wParam);
    SendEvent(target, event);
}

// ---------------------------------------------------------------------------------------------
// Filters and translators
// ---------------------------------------------------------------------------------------------

bool CWindowManagerUI::AddPreMessageFilter(IMessageFilterUI* filter)
{
    return detail::AppendIfSet(m_preMessageFilters, filter);
}

bool CWindowManagerUI::RemovePreMessageFilter(IMessageFilterUI* filter)
{
    return detail::EraseFirst(m_preMessageFilters, filter);
}

bool CWindowManagerUI::AddMessageFilter(IMessageFilterUI* filter)
{
    return detail::AppendIfSet(m_messageFilters, filter);
}

bool CWindowManagerUI::RemoveMessageFilter(IMessageFilterUI* filter)
{
    return detail::EraseFirst(m_messageFilters, filter);
}

bool CWindowManagerUI::AddAcceleratorTranslator(ITranslateAccelerator* translator)
{
    return detail::AppendIfSet(m_translators, translator);
}

bool CWindowManagerUI::RemoveAcceleratorTranslator(ITranslateAccelerator* translator)
{
    return detail::EraseFirst(m_translators, translator);
}

bool CWindowManagerUI::RunFilters(const std::vector<IMessageFilterUI*>& filters, UINT msg, WPARAM wParam, LPARAM lParam,
                                  LRESULT& result)
{
    // A copy: a filter may add or remove filters while it runs.
    const std::vector<IMessageFilterUI*> snapshot = filters;
    for (IMessageFilterUI* filter : snapshot) {
        bool handled = false;
        const LRESULT answer = filter->MessageHandler(msg, wParam, lParam, handled);
        if (handled) {
            result = answer;
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// The window's messages
// ---------------------------------------------------------------------------------------------

bool CWindowManagerUI::HandleWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (m_window == nullptr)
        return false;

    // Filters see the message first; the mouse position is still tracked for what they swallow.
    if (RunFilters(m_messageFilters, msg, wParam, lParam, result)) {
        switch (msg) {
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_LBUTTONUP:
            m_lastMousePos = PointOf(lParam);
            break;
        case WM_MOUSEWHEEL:
        case WM_CONTEXTMENU:
            m_lastMousePos = ScreenToClientPoint(lParam);
            break;
        default:
            break;
        }
        return true;
    }

    if (m_layered) {
        switch (msg) {
        case WM_NCCALCSIZE:
        case WM_NCPAINT:
            result = 0;
            return true;
        case WM_NCACTIVATE:
            if (!Win().IsIconic(m_window)) {
                result = wParam == 0 ? 1 : 0;
                return true;
            }
            break;
        default:
            break;
        }
    }

    switch (msg) {
    case kAsyncMessage:
        DeliverQueuedNotifications();
        return false;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        return false;
    case WM_MOVE:
    case WM_ENTERSIZEMOVE:
        // The tip stands where the pointer was in screen coordinates; once the window moves it
        // would float over nothing.
        HideTooltip();
        return false;
    case WM_PRINTCLIENT:
        // A print request wants the whole picture, not only what happens to be dirty.
        Win().InvalidateRect(m_window, nullptr, false);
        Paint();
        result = 0;
        return true;
    case WM_PAINT:
        Paint();
        result = 0;
        return true;
    case WM_MOUSEHOVER:
        result = 0;
        return OnMouseHover(wParam, lParam);
    case WM_SIZE:
        OnSize(wParam, lParam);
        result = 0;
        return true;
    case WM_KILLFOCUS:
        return OnKillFocus(wParam);
    case WM_CLOSE:
        OnClose();
        return false;
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_SETCURSOR:
        return OnSetCursor(wParam, lParam, result);
    case WM_MOUSEACTIVATE:
        if (!m_noActivate)
            return false;
        result = MA_NOACTIVATE;
        return true;
    case WM_GETMINMAXINFO:
        if (auto* info = reinterpret_cast<MINMAXINFO*>(lParam)) {
            if (m_minTrack.cx > 0)
                info->ptMinTrackSize.x = m_minTrack.cx;
            if (m_minTrack.cy > 0)
                info->ptMinTrackSize.y = m_minTrack.cy;
            if (m_maxTrack.cx > 0)
                info->ptMaxTrackSize.x = m_maxTrack.cx;
            if (m_maxTrack.cy > 0)
                info->ptMaxTrackSize.y = m_maxTrack.cy;
        }
        return false;
    case WM_NOTIFY:
        if (lParam == 0)
            return false;
        result = Win().SendMessage(reinterpret_cast<const NotifyHeader*>(lParam)->hwndFrom, msg + kReflectOffset,
                                   wParam, lParam);
        return true;
    case WM_COMMAND:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        if (lParam == 0)
            return false;
        result = Win().SendMessage(reinterpret_cast<HWND>(lParam), msg + kReflectOffset, wParam, lParam);
        return true;
    case WM_CONTEXTMENU:
        OnContextMenu(lParam);
        return false;
    case WM_KEYDOWN:
        if (m_root != nullptr && m_focus != nullptr) {
            // The control that got the press gets the release, wherever the focus goes meanwhile.
            m_keyTarget = m_focus;
            SendKeyEvent(EVT_KEY_DOWN, m_focus, wParam, lParam);
        }
        return false;
    case WM_KEYUP:
        if (m_root != nullptr && m_keyTarget != nullptr) {
            CControlUI* target = m_keyTarget;
            m_keyTarget = nullptr;
            SendKeyEvent(EVT_KEY_UP, target, wParam, lParam);
        }
        return false;
    case WM_CHAR:
        if (m_root != nullptr && m_focus != nullptr)
            SendKeyEvent(EVT_CHAR, m_focus, wParam, lParam);
        return false;
    case WM_TIMER:
        OnTimer(wParam, lParam);
        return false;
    case WM_MOUSEMOVE:
        OnMouseMove(wParam, lParam);
        return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
        OnButtonDown(msg, wParam, lParam);
        return false;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        OnButtonUp(msg, wParam, lParam);
        return false;
    case WM_MOUSEWHEEL:
        OnMouseWheel(wParam, lParam);
        return false;
    default:
        return false;
    }
}

void CWindowManagerUI::OnSize(WPARAM wParam, LPARAM lParam)
{
    if (m_focus != nullptr) {
        TUIEvent event = MakeEvent(EVT_WINDOW_SIZE, m_focus, m_lastMousePos, wParam, lParam);
        SendEvent(m_focus, event);
    }
    if (m_root != nullptr)
        m_root->RequestLayout();
    m_layoutNeeded = true;
    m_fullLayoutNeeded = true;
    if (m_layered) {
        const CUISize size = ClientSize();
        m_layeredDirty = CUIRect(0, 0, size.cx, size.cy);
    }
}

void CWindowManagerUI::OnMouseMove(WPARAM wParam, LPARAM lParam)
{
    if (m_root == nullptr)
        return;
    if (!m_mouseTracking || m_hoverRearm) {
        m_hoverRearm = false;
        TRACKMOUSEEVENT track;
        track.dwFlags = TME_HOVER | TME_LEAVE;
        track.hwndTrack = m_window;
        track.dwHoverTime = HoverDelay();
        Win().TrackMouseEvent(track);
        m_mouseTracking = true;
    }
    const CUIPoint point = PointOf(lParam);
    m_lastMousePos = point;
    CControlUI* found = OwnControlAt(point);
    TUIEvent event = MakeEvent(0, nullptr, point, wParam, lParam);
    if (!m_mouseCaptured) {
        if (found != m_hover && m_hover != nullptr) {
            CControlUI* left = m_hover;
            event.kind = EVT_MOUSE_LEAVE;
            event.sender = left;
            // Controls that asked for it hear about every leave, whichever control the mouse left;
            // one that leaves the list (or dies) on the way hears nothing more.
            const std::vector<CControlUI*> listeners = m_mouseLeaveControls;
            for (CControlUI* listener : listeners) {
                if (detail::Contains(m_mouseLeaveControls, listener))
                    SendEvent(listener, event);
            }
            if (m_hover == left)
                SendEvent(left, event);
            m_hover = nullptr;
            HideTooltip();
        }
        if (found != m_hover && found != nullptr) {
            event.kind = EVT_MOUSE_ENTER;
            event.sender = found;
            m_hover = found;
            SendEvent(found, event);
        }
    }
    CControlUI* target = m_capture != nullptr ? m_capture : found;
    if (target != nullptr) {
        event.kind = EVT_MOUSE_MOVE;
        event.sender = target;
        SendEvent(target, event);
    }
}

void CWindowManagerUI::OnMouseLeave()
{
    if (m_root != nullptr)
        HideTooltip();
    if (!m_mouseTracking)
        return;
    POINT cursor;
    RECT window;
    bool inside = !Win().IsIconic(m_window) && Win().GetActiveWindow() == m_window && Win().GetCursorPos(cursor) &&
                  Win().GetWindowRect(m_window, window) && cursor.x >= window.left && cursor.x < window.right &&
                  cursor.y >= window.top && cursor.y < window.bottom;
    if (inside)
        inside = Win().SendMessage(m_window, WM_NCHITTEST, 0, MAKELPARAM(cursor.x, cursor.y)) == HTCLIENT;
    if (inside) {
        Win().ScreenToClient(m_window, cursor);
        Win().SendMessage(m_window, WM_MOUSEMOVE, 0, MAKELPARAM(cursor.x, cursor.y));
    } else {
        Win().SendMessage(m_window, WM_MOUSEMOVE, 0, MAKELPARAM(-1, -1));
    }
    m_mouseTracking = false;
}

bool CWindowManagerUI::OnSetCursor(WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (m_root == nullptr || LRESULT(LOWORD(std::uintptr_t(lParam))) != HTCLIENT)
        return false;
    if (m_mouseCaptured) {
        result = 1;
        return true;
    }
    POINT cursor;
    if (!Win().GetCursorPos(cursor))
        return false;
    Win().ScreenToClient(m_window, cursor);
    const CUIPoint point(cursor.x, cursor.y);
    CControlUI* control = OwnControlAt(point);
    if (control == nullptr || (control->GetControlFlags() & CF_SETCURSOR) == 0)
        return false;
    TUIEvent event = MakeEvent(EVT_SET_CURSOR, control, point, wParam, lParam);
    SendEvent(control, event);
    result = 1;
    return true;
}

bool CWindowManagerUI::OnKillFocus(WPARAM wParam)
{
    if (wParam == 0)
        return false;
    HWND child = Win().GetFocus();
    while (child != nullptr && Win().GetParent(child) != m_window)
        child = Win().GetParent(child);
    if (child == nullptr)
        return false;
    for (const NativeWindow& hosted : m_nativeWindows) {
        if (hosted.window != child)
            continue;
        if (hosted.control != m_focus)
            SetFocusControl(hosted.control, false);
        break;
    }
    return false;
}

void CWindowManagerUI::OnClose()
{
    if (m_hover != nullptr) {
        TUIEvent event = MakeEvent(EVT_MOUSE_LEAVE, m_hover, m_lastMousePos);
        SendEvent(m_hover, event);
    }
    if (m_capture != nullptr) {
        TUIEvent event = MakeEvent(EVT_BUTTON_UP, m_capture, m_lastMousePos);
        SendEvent(m_capture, event);
    }
    SetFocusControl(nullptr, true);
    if (Win().GetActiveWindow() == m_window) {
        if (HWND owner = Win().GetParent(m_window))
            Win().SetFocus(owner);
    }
    DestroyTooltip();
}

void CWindowManagerUI::OnButtonDown(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!m_noActivate)
        TakeNativeFocus();
    if (m_root == nullptr)
        return;
    const CUIPoint point = PointOf(lParam);
    m_lastMousePos = point;
    CControlUI* control = OwnControlAt(point);
    if (control == nullptr)
        return;
    TUIEvent event = MakeEvent(0, control, point, wParam, lParam);
    event.keyState = std::uint16_t(wParam);
    if (msg == WM_LBUTTONDOWN) {
        m_capture = control;
        control->SetFocus();
        CaptureMouse();
        event.kind = EVT_BUTTON_DOWN;
        SendEvent(control, event);
    } else if (msg == WM_LBUTTONDBLCLK) {
        CaptureMouse();
        event.kind = EVT_DOUBLE_CLICK;
        SendEvent(control, event);
        m_capture = control;
    } else {
        control->SetFocus();
        event.kind = EVT_RBUTTON_DOWN;
        SendEvent(control, event);
        m_capture = control;
    }
}

void CWindowManagerUI::OnButtonUp(UINT msg, WPARAM wParam, LPARAM lParam)
{
    const CUIPoint point = PointOf(lParam);
    m_lastMousePos = point;
    // The capture goes with the left button even when the control that took it is gone.
    if (msg == WM_LBUTTONUP)
        ReleaseMouse();
    if (m_capture == nullptr)
        return;
    CControlUI* control = m_capture;
    m_capture = nullptr;
    TUIEvent event = MakeEvent(msg == WM_LBUTTONUP ? EVT_BUTTON_UP : EVT_RBUTTON_UP, control, point, wParam, lParam);
    event.keyState = std::uint16_t(wParam);
    SendEvent(control, event);
}

void CWindowManagerUI::OnMouseWheel(WPARAM wParam, LPARAM lParam)
{
    if (m_root == nullptr || !HasNativeFocus())
        return;
    const CUIPoint point = ScreenToClientPoint(lParam);
    m_lastMousePos = point;
    if (CControlUI* control = OwnControlAt(point)) {
        // Toward the user (a negative delta) scrolls down: the scroll-bar code for a line down.
        const WPARAM code = GET_WHEEL_DELTA_WPARAM(wParam) < 0 ? 1 : 0;
        TUIEvent event = MakeEvent(EVT_SCROLL_WHEEL, control, point, code, lParam);
        SendEvent(control, event);
    }
    // The tree may have scrolled under the mouse.
    Win().SendMessage(m_window, WM_MOUSEMOVE, 0, MAKELPARAM(m_lastMousePos.x, m_lastMousePos.y));
}

void CWindowManagerUI::OnContextMenu(LPARAM lParam)
{
    if (m_root == nullptr || m_mouseCaptured)
        return;
    m_lastMousePos = ScreenToClientPoint(lParam);
    // The context-menu message follows the right-button release, which has already let go of the
    // control that got the press; the control under the mouse then takes the menu.
    CControlUI* control = m_capture != nullptr ? m_capture : OwnControlAt(m_lastMousePos);
    m_capture = nullptr;
    if (control != nullptr) {
        TUIEvent event = MakeEvent(EVT_CONTEXT_MENU, control, m_lastMousePos, 0, lParam);
        SendEvent(control, event);
    }
}

void CWindowManagerUI::OnTimer(WPARAM wParam, LPARAM lParam)
{
    if (wParam == kLayeredRefreshTimer) {
        if (m_layered && !m_layeredDirty.IsEmpty() && !Win().IsIconic(m_window)) {
            const RECT dirty{m_layeredDirty.left, m_layeredDirty.top, m_layeredDirty.right, m_layeredDirty.bottom};
            Win().InvalidateRect(m_window, &dirty, false);
            Win().UpdateWindow(m_window);
        }
        return;
    }
    for (const TimerEntry& timer : m_timers.entries) {
        if (timer.window == m_window && timer.id == wParam && !timer.killed) {
            // The control may kill or set timers while it handles the tick, so nothing of the
            // entry is read after the event has gone.
            CControlUI* control = timer.control;
            TUIEvent event = MakeEvent(EVT_TIMER, control, m_lastMousePos, timer.key, lParam);
            SendEvent(control, event);
            return;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Pre-translation and the message loop
// ---------------------------------------------------------------------------------------------

bool CWindowManagerUI::PreHandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (RunFilters(m_preMessageFilters, msg, wParam, lParam, result))
        return true;
    switch (msg) {
    case WM_KEYDOWN:
        if (wParam != VK_TAB)
            return false;
        // A rich edit that takes Tab characters would keep the key here; no control of this
        // framework does, so Tab always moves the focus.
        MoveFocus(Win().GetKeyState(VK_SHIFT) >= 0);
        return true;
    case WM_SYSKEYDOWN:
        if (m_focus != nullptr)
            SendKeyEvent(EVT_SYS_KEY, m_focus, wParam, lParam);
        return false;
    case WM_SYSCHAR: {
        if (m_root == nullptr)
            return false;
        CControlUI* target = FindShortcutTarget(UpperChar(char16_t(wParam)));
        if (target == nullptr)
            return false;
        target->SetFocus();
        target->Activate();
        return true;
    }
    default:
        return false;
    }
}

CControlUI* CWindowManagerUI::FindShortcutTarget(char16_t shortcut)
{
    ShortcutSearch search{shortcut};
    CControlUI* found = m_root->FindControl(VisitShortcut, &search, FIND_ENABLED | FIND_TOPFIRST | FIND_MEFIRST);
    if (found == nullptr || !IsLabel(found))
        return found;
    // A label's shortcut goes to the control that follows the label, as users of every desktop
    // expect, not to the one the search would meet next (which, children being searched last to
    // first, is the one before it).
    FollowerSearch follower{found, false};
    return m_root->FindControl(VisitFollower, &follower, FIND_ENABLED | FIND_MEFIRST);
}

bool CWindowManagerUI::PreTranslate(const MSG& msg)
{
    const CPtrArray& managers = Shared().managers;
    auto translate = [&msg](CWindowManagerUI* manager) {
        const std::vector<ITranslateAccelerator*> translators = manager->m_translators;
        for (ITranslateAccelerator* translator : translators) {
            MSG copy = msg;
            if (translator->TranslateAccelerator(&copy))
                return true;
        }
        return false;
    };
    if ((DWORD(Win().GetWindowLongPtr(msg.hwnd, GWL_STYLE)) & WS_CHILD) != 0) {
        for (int i = managers.GetSize() - 1; i >= 0; --i) {
            auto* manager = static_cast<CWindowManagerUI*>(managers[i]);
            for (HWND ancestor = Win().GetParent(msg.hwnd); ancestor != nullptr; ancestor = Win().GetParent(ancestor)) {
                if (manager->m_window != msg.hwnd && manager->m_window != ancestor)
                    continue;
                if (translate(manager))
                    return true;
                LRESULT ignored = 0;
                manager->PreHandleMessage(msg.message, msg.wParam, msg.lParam, ignored);
                // Once per manager: a Tab must not move the focus once for every ancestor.
                break;
            }
        }
        return false;
    }
    for (int i = 0; i < managers.GetSize(); ++i) {
        auto* manager = static_cast<CWindowManagerUI*>(managers[i]);
        if (manager->m_window != msg.hwnd)
            continue;
        if (translate(manager))
            return true;
        LRESULT ignored = 0;
        return manager->PreHandleMessage(msg.message, msg.wParam, msg.lParam, ignored);
    }
    return false;
}

void CWindowManagerUI::RunMessageLoop()
{
    CWindowWnd::RunMessageLoop();
}

void CWindowManagerUI::CaptureMouse()
{
    if (m_window != nullptr)
        Win().SetCapture(m_window);
    m_mouseCaptured = true;
}

void CWindowManagerUI::ReleaseMouse()
{
    if (m_mouseCaptured)
        Win().ReleaseCapture();
    m_mouseCaptured = false;
}

} // namespace ui
