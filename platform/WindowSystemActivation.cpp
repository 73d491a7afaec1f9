// Window state: visibility, the minimised and maximised states, activation, keyboard focus,
// enabling and mouse capture.
#include "platform/WindowSystem.h"

#include <algorithm>

namespace platform {

// ---------------------------------------------------------------------------------------------
// Visibility, minimised state, activation, focus, enabling, capture
// ---------------------------------------------------------------------------------------------

bool WindowSystem::IsWindowVisible(HWND hwnd) const
{
    const WindowRecord* window = Record(hwnd);
    if (!window)
        return false;
    while (window) {
        if (!window->IsVisibleFlag())
            return false;
        window = window->IsChild() ? Record(window->parent) : nullptr;
    }
    return true;
}

bool WindowSystem::IsIconic(HWND hwnd) const
{
    const WindowRecord* window = Record(hwnd);
    return window && window->IsMinimized();
}

bool WindowSystem::IsZoomed(HWND hwnd) const
{
    const WindowRecord* window = Record(hwnd);
    return window && (window->style & WS_MAXIMIZE) != 0;
}

void WindowSystem::SetMinimized(WindowRecord& window, bool minimized, bool fromDesktop)
{
    if (minimized == window.IsMinimized() || window.IsChild())
        return;
    const HWND hwnd = window.handle;
    if (minimized) {
        window.restoreRect = window.rect;
        window.style |= WS_MINIMIZE;
        if (!fromDesktop)
            m_backend->UpdateNative(window, kChangeMinimized);
        SendMessage(hwnd, WM_SIZE, SIZE_MINIMIZED, 0);
    } else {
        window.style &= ~WS_MINIMIZE;
        if (!fromDesktop)
            m_backend->UpdateNative(window, kChangeMinimized);
        const RECT restore = window.restoreRect;
        window.restoreRect = RECT{};
        if (restore.right > restore.left || restore.bottom > restore.top)
            ApplyRect(window, restore, fromDesktop);
        if (WindowRecord* w = Record(hwnd)) {
            InvalidateRect(hwnd, nullptr, true);
            SendMessage(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(w->Width(), w->Height()));
        }
    }
}

void WindowSystem::SetMaximized(WindowRecord& window, bool maximized)
{
    const bool isMaximized = (window.style & WS_MAXIMIZE) != 0;
    if (maximized == isMaximized || window.IsChild() || window.IsMinimized())
        return;
    if (maximized) {
        MONITORINFO monitor;
        if (!GetMonitorInfo(MonitorFromWindow(window.handle, MONITOR_DEFAULTTONEAREST), monitor))
            return;
        window.normalRect = window.rect;
        window.style |= WS_MAXIMIZE;
        ApplyRect(window, monitor.rcWork, false, SIZE_MAXIMIZED);
    } else {
        window.style &= ~WS_MAXIMIZE;
        const RECT normal = window.normalRect;
        window.normalRect = RECT{};
        ApplyRect(window, normal, false, SIZE_RESTORED);
    }
}

bool WindowSystem::ShowWindow(HWND hwnd, int command)
{
    WindowRecord* window = Record(hwnd);
    if (!window)
        return false;
    const bool wasVisible = window->IsVisibleFlag();
    if (command == SW_HIDE) {
        if (!wasVisible)
            return false;
        SendMessage(hwnd, WM_SHOWWINDOW, 0, 0);
        window = Record(hwnd);
        if (!window)
            return true;
        window->style &= ~WS_VISIBLE;
        if (window->IsChild()) {
            InvalidateRect(window->parent, &window->rect, true);
        } else {
            m_backend->UpdateNative(*window, kChangeVisibility);
        }
        if (m_capture && (m_capture == hwnd || IsChild(hwnd, m_capture)))
            ReleaseCapture();
        if (m_active == hwnd)
            ActivateAnotherThan(hwnd);
        if (m_focus && (m_focus == hwnd || IsChild(hwnd, m_focus)))
            SetFocus(nullptr);
        return true;
    }

    if (!wasVisible) {
        SendMessage(hwnd, WM_SHOWWINDOW, 1, 0);
        window = Record(hwnd);
        if (!window)
            return false;
        window->style |= WS_VISIBLE;
        InvalidateRect(hwnd, nullptr, true);
        if (window->IsChild())
            InvalidateRect(window->parent, &window->rect, true);
        else
            m_backend->UpdateNative(*window, kChangeVisibility);
    }
    window = Record(hwnd);
    if (!window)
        return wasVisible;
    bool activate = true;
    switch (command) {
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
        SetMinimized(*window, true, false);
        activate = false;
        break;
    case SW_SHOWNOACTIVATE:
        SetMinimized(*window, false, false);
        activate = false;
        break;
    case SW_SHOWNA:
        activate = false;
        break;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
    case SW_SHOWDEFAULT:
        // Restoring a minimised window brings back what it was before, maximised or not.
        if (window->IsMinimized())
            SetMinimized(*window, false, false);
        else
            SetMaximized(*window, false);
        break;
    case SW_SHOWMAXIMIZED:
        SetMinimized(*window, false, false);
        if (WindowRecord* w = Record(hwnd))
            SetMaximized(*w, true);
        break;
    default:
        break;
    }
    window = Record(hwnd);
    if (activate && window && !window->IsChild())
        Activate(hwnd, false);
    return wasVisible;
}

void WindowSystem::Activate(HWND hwnd, bool fromDesktop)
{
    WindowRecord* top = TopLevelOf(hwnd);
    if (!top)
        return;
    hwnd = top->handle;
    if (!fromDesktop) {
        m_backend->ActivateNative(*top);
        PlaceOnTop(hwnd);
    }
    if (m_active == hwnd)
        return;
    const HWND previous = m_active;
    m_active = hwnd;
    if (previous && Record(previous)) {
        SendMessage(previous, WM_NCACTIVATE, 0, 0);
        SendMessage(previous, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(hwnd));
    }
    if (m_active != hwnd || !Record(hwnd))
        return;
    SendMessage(hwnd, WM_NCACTIVATE, 1, 0);
    SendMessage(hwnd, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(previous));
}

void WindowSystem::ActivateAnotherThan(HWND hwnd)
{
    const WindowRecord* window = Record(hwnd);
    HWND next = nullptr;
    if (window && window->owner) {
        const WindowRecord* owner = Record(window->owner);
        if (owner && owner->IsVisibleFlag() && !(owner->style & WS_DISABLED) && !owner->destroying)
            next = owner->handle;
    }
    for (auto it = m_zOrder.rbegin(); !next && it != m_zOrder.rend(); ++it) {
        const WindowRecord* other = Record(*it);
        if (other && other->handle != hwnd && other->IsVisibleFlag() && !(other->style & WS_DISABLED) &&
            !other->destroying && !(other->exStyle & WS_EX_NOACTIVATE) && !(other->exStyle & WS_EX_TOOLWINDOW))
            next = other->handle;
    }
    if (next) {
        Activate(next, false);
        return;
    }
    const HWND previous = m_active;
    m_active = nullptr;
    if (previous && Record(previous)) {
        SendMessage(previous, WM_NCACTIVATE, 0, 0);
        SendMessage(previous, WM_ACTIVATE, WA_INACTIVE, 0);
    }
    if (m_focus)
        SetFocus(nullptr);
}

HWND WindowSystem::SetActiveWindow(HWND hwnd)
{
    const HWND previous = m_active;
    if (!Record(hwnd))
        return nullptr;
    Activate(hwnd, false);
    return previous;
}

HWND WindowSystem::GetActiveWindow() const
{
    return m_active;
}

bool WindowSystem::SetForegroundWindow(HWND hwnd)
{
    if (!Record(hwnd))
        return false;
    Activate(hwnd, false);
    return true;
}

HWND WindowSystem::SetFocus(HWND hwnd)
{
    const HWND previous = m_focus;
    if (hwnd && !Record(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (hwnd) {
        const WindowRecord* top = TopLevelOf(hwnd);
        if (top && top->handle != m_active)
            Activate(top->handle, false);
        if (!Record(hwnd))
            return previous;
    }
    if (m_focus == hwnd)
        return previous;
    const HWND old = m_focus;
    m_focus = hwnd;
    if (old && Record(old))
        SendMessage(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    if (hwnd && m_focus == hwnd && Record(hwnd))
        SendMessage(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    return previous;
}

HWND WindowSystem::GetFocus() const
{
    return m_focus;
}

bool WindowSystem::EnableWindow(HWND hwnd, bool enable)
{
    WindowRecord* window = Record(hwnd);
    if (!window)
        return false;
    const bool wasDisabled = (window->style & WS_DISABLED) != 0;
    if (wasDisabled == !enable)
        return wasDisabled;
    if (enable) {
        window->style &= ~WS_DISABLED;
    } else {
        window->style |= WS_DISABLED;
        if (m_focus && (m_focus == hwnd || IsChild(hwnd, m_focus)))
            SetFocus(nullptr);
        if (m_capture && (m_capture == hwnd || IsChild(hwnd, m_capture)))
            ReleaseCapture();
    }
    if (Record(hwnd))
        SendMessage(hwnd, WM_ENABLE, enable ? 1 : 0, 0);
    return wasDisabled;
}

bool WindowSystem::IsWindowEnabled(HWND hwnd) const
{
    const WindowRecord* window = Record(hwnd);
    return window && !(window->style & WS_DISABLED);
}

HWND WindowSystem::SetCapture(HWND hwnd)
{
    const HWND previous = m_capture;
    if (!Record(hwnd))
        return previous;
    m_capture = hwnd;
    m_backend->SetMouseCapture(TopLevelOf(hwnd));
    if (previous && previous != hwnd && Record(previous))
        SendMessage(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
    return previous;
}

bool WindowSystem::ReleaseCapture()
{
    const HWND previous = m_capture;
    m_capture = nullptr;
    m_backend->SetMouseCapture(nullptr);
    if (previous && Record(previous))
        SendMessage(previous, WM_CAPTURECHANGED, 0, 0);
    return true;
}

HWND WindowSystem::GetCapture() const
{
    return m_capture;
}

} // namespace platform
