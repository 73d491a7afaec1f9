// Raw input to Win32 messages: hit testing, cursor setting, activation by click, double clicks
// (CS_DBLCLKS), capture, caption dragging, hover and leave tracking, keys and characters, and the
// desktop's requests (close, move, size, minimise, activation).
#include "platform/WindowSystem.h"

#include <algorithm>
#include <cstdlib>

namespace platform {

namespace {

constexpr DWORD kDoubleClickTime = 500;  // GetDoubleClickTime's default
constexpr DWORD kDefaultHoverTime = 400; // SPI_GETMOUSEHOVERTIME's default
constexpr int kHoverTolerance = 2;       // half of SM_CXMOUSEHOVER
constexpr int kMA_ACTIVATEANDEAT = 2;
constexpr int kMA_NOACTIVATEANDEAT = 4;

UINT ClientMessageFor(InputKind kind, int button)
{
    if (kind == InputKind::MouseMove)
        return WM_MOUSEMOVE;
    const bool down = kind == InputKind::MouseDown;
    switch (button) {
    case kRightButton:
        return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    case kMiddleButton:
        return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    default:
        return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    }
}

// The non-client twin of a client mouse message (WM_MOUSEMOVE -> WM_NCMOUSEMOVE and so on).
UINT NonClientMessageFor(UINT clientMessage)
{
    return clientMessage - WM_MOUSEMOVE + WM_NCMOUSEMOVE;
}

int VkForButton(int button)
{
    return button == kRightButton ? int(VK_RBUTTON) : button == kMiddleButton ? int(VK_MBUTTON) : int(VK_LBUTTON);
}

} // namespace

WPARAM WindowSystem::MouseKeyState() const
{
    WPARAM keys = 0;
    if (m_keyDown[VK_LBUTTON])
        keys |= MK_LBUTTON;
    if (m_keyDown[VK_RBUTTON])
        keys |= MK_RBUTTON;
    if (m_keyDown[VK_MBUTTON])
        keys |= MK_MBUTTON;
    if (m_keyDown[VK_SHIFT])
        keys |= MK_SHIFT;
    if (m_keyDown[VK_CONTROL])
        keys |= MK_CONTROL;
    return keys;
}

short WindowSystem::GetKeyState(int vk) const
{
    if (vk < 0 || vk > 255)
        return 0;
    return m_keyDown[vk] ? short(-32768) : short(0);
}

bool WindowSystem::GetCursorPos(POINT& point) const
{
    POINT native;
    if (m_backend->QueryCursorPos(native)) {
        point = native;
        return true;
    }
    point = m_cursorPos;
    return true;
}

LRESULT WindowSystem::HitTest(HWND hwnd, POINT screen)
{
    return SendMessage(hwnd, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
}

bool WindowSystem::TrackMouseEvent(TRACKMOUSEEVENT& request)
{
    const HWND hwnd = request.hwndTrack;
    if (!Record(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    if (request.dwFlags & TME_CANCEL) {
        if (m_hover.hwnd == hwnd) {
            if (request.dwFlags & TME_HOVER)
                m_hover.hover = false;
            if (request.dwFlags & TME_LEAVE)
                m_hover.leave = false;
            if (!m_hover.hover && !m_hover.leave)
                m_hover = HoverState{};
        }
        return true;
    }
    if (m_hover.hwnd != hwnd)
        m_hover = HoverState{};
    m_hover.hwnd = hwnd;
    const bool over = WindowFromPoint(m_cursorPos) == hwnd;
    if (request.dwFlags & TME_LEAVE) {
        // Asking to hear about leaving while already outside answers at once.
        if (!over) {
            PostMessage(hwnd, WM_MOUSELEAVE, 0, 0);
            m_hover.leave = false;
        } else {
            m_hover.leave = true;
        }
    }
    if (request.dwFlags & TME_HOVER) {
        m_hover.hover = true;
        m_hover.hoverTime = request.dwHoverTime == HOVER_DEFAULT ? kDefaultHoverTime : request.dwHoverTime;
        m_hover.anchor = m_cursorPos;
        m_hover.since = m_clock->NowMs();
    }
    if (!m_hover.hover && !m_hover.leave)
        m_hover = HoverState{};
    return true;
}

bool WindowSystem::ServiceHover()
{
    if (!m_hover.hwnd || !m_hover.hover)
        return false;
    if (m_clock->NowMs() < m_hover.since + m_hover.hoverTime)
        return false;
    POINT client = m_cursorPos;
    ScreenToClient(m_hover.hwnd, client);
    m_hover.hover = false;
    const HWND hwnd = m_hover.hwnd;
    if (!m_hover.leave)
        m_hover = HoverState{};
    PostMessage(hwnd, WM_MOUSEHOVER, MouseKeyState(), MAKELPARAM(client.x, client.y));
    return true;
}

std::optional<bool> WindowSystem::PointerOver(HWND hwnd)
{
    POINT pointer;
    if (!m_backend->QueryCursorPos(pointer))
        return std::nullopt;
    m_cursorPos = pointer;
    const HWND under = WindowFromPoint(pointer);
    return under && hwnd && (under == hwnd || IsChild(hwnd, under));
}

void WindowSystem::UpdateHoverOnMove(HWND hwnd, POINT screen)
{
    if (!m_hover.hwnd)
        return;
    if (hwnd != m_hover.hwnd) {
        const HWND left = m_hover.hwnd;
        const bool notify = m_hover.leave;
        m_hover = HoverState{};
        if (notify)
            PostMessage(left, WM_MOUSELEAVE, 0, 0);
        return;
    }
    if (m_hover.hover && (std::abs(screen.x - m_hover.anchor.x) > kHoverTolerance ||
                          std::abs(screen.y - m_hover.anchor.y) > kHoverTolerance)) {
        m_hover.anchor = screen;
        m_hover.since = m_clock->NowMs();
    }
}

void WindowSystem::StartMoveSize(HWND hwnd, POINT screen, LRESULT hit)
{
    WindowRecord* window = Record(hwnd);
    if (!window || window->IsChild() || window->IsMinimized())
        return;
    // Input is read ahead of dispatching: when the button came up before the press was dispatched,
    // the drag is already over.
    if (!m_keyDown[VK_LBUTTON])
        return;
    m_drag.hwnd = hwnd;
    m_drag.hit = hit;
    m_drag.startCursor = screen;
    m_drag.startRect = window->rect;
    SendMessage(hwnd, WM_ENTERSIZEMOVE, 0, 0);
}

void WindowSystem::FollowMoveSize(POINT screen)
{
    const HWND hwnd = m_drag.hwnd;
    const int dx = screen.x - m_drag.startCursor.x, dy = screen.y - m_drag.startCursor.y;
    RECT r = m_drag.startRect;
    const LRESULT hit = m_drag.hit;
    if (hit == HTCAPTION) {
        SetWindowPos(hwnd, nullptr, r.left + dx, r.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    const bool left = hit == HTLEFT || hit == HTTOPLEFT || hit == HTBOTTOMLEFT;
    const bool right = hit == HTRIGHT || hit == HTTOPRIGHT || hit == HTBOTTOMRIGHT;
    const bool top = hit == HTTOP || hit == HTTOPLEFT || hit == HTTOPRIGHT;
    const bool bottom = hit == HTBOTTOM || hit == HTBOTTOMLEFT || hit == HTBOTTOMRIGHT;
    if (left)
        r.left += dx;
    if (right)
        r.right += dx;
    if (top)
        r.top += dy;
    if (bottom)
        r.bottom += dy;
    // The window's own limits (WM_GETMINMAXINFO) hold while it is sized by hand.
    MINMAXINFO limits;
    limits.ptMinTrackSize = POINT{1, 1};
    limits.ptMaxTrackSize = POINT{32767, 32767};
    SendMessage(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    const int width = std::clamp(int(r.right - r.left), int(limits.ptMinTrackSize.x),
                                 std::max(int(limits.ptMinTrackSize.x), int(limits.ptMaxTrackSize.x)));
    const int height = std::clamp(int(r.bottom - r.top), int(limits.ptMinTrackSize.y),
                                  std::max(int(limits.ptMinTrackSize.y), int(limits.ptMaxTrackSize.y)));
    if (left)
        r.left = r.right - width;
    if (top)
        r.top = r.bottom - height;
    SetWindowPos(hwnd, nullptr, r.left, r.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void WindowSystem::PostMouseMessage(HWND hwnd, UINT clientMessage, WPARAM keys, POINT screen, LRESULT hit)
{
    if (hit == HTCLIENT) {
        POINT client = screen;
        ScreenToClient(hwnd, client);
        PostMessage(hwnd, clientMessage, keys, MAKELPARAM(client.x, client.y));
    } else {
        PostMessage(hwnd, NonClientMessageFor(clientMessage), WPARAM(hit), MAKELPARAM(screen.x, screen.y));
    }
}

void WindowSystem::HandleInput(const InputEvent& event)
{
    switch (event.kind) {
    case InputKind::MouseMove:
    case InputKind::MouseDown:
    case InputKind::MouseUp:
    case InputKind::Wheel:
        HandleMouse(event);
        break;
    case InputKind::MouseLeave: {
        if (m_capture)
            break;
        // The desktop reports a leave when the pointer enters another of its windows, a tooltip
        // under the pointer included, which lets the pointer through here. Where the pointer is
        // decides: still over the window, it has not left.
        if (PointerOver(event.window) != true)
            UpdateHoverOnMove(nullptr, m_cursorPos);
        break;
    }
    case InputKind::KeyDown:
    case InputKind::KeyUp:
    case InputKind::Text:
        HandleKey(event);
        break;
    case InputKind::CloseRequest:
        if (Record(event.window))
            PostMessage(event.window, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    case InputKind::Moved:
    case InputKind::Resized:
        if (WindowRecord* window = Record(event.window)) {
            ApplyRect(*window, event.rect, true);
            // A window moved away from under a still pointer gets its leave before its new place
            // is known, and the leave was taken for a pointer still inside; it happens now.
            const HWND hovered = m_hover.hwnd;
            if (!m_capture && hovered && (hovered == event.window || IsChild(event.window, hovered)) &&
                PointerOver(event.window) == false)
                UpdateHoverOnMove(nullptr, m_cursorPos);
        }
        break;
    case InputKind::Minimized:
    case InputKind::Restored:
        if (WindowRecord* window = Record(event.window))
            SetMinimized(*window, event.kind == InputKind::Minimized, true);
        break;
    case InputKind::Activated:
        if (Record(event.window))
            Activate(event.window, true);
        break;
    case InputKind::Deactivated:
        if (m_active && m_active == event.window) {
            const HWND previous = m_active;
            m_active = nullptr;
            SendMessage(previous, WM_NCACTIVATE, 0, 0);
            SendMessage(previous, WM_ACTIVATE, WA_INACTIVE, 0);
            if (m_focus)
                SetFocus(nullptr);
        }
        break;
    case InputKind::Exposed:
        if (Record(event.window))
            PresentWindow(event.window);
        break;
    case InputKind::ScaleChanged:
        if (WindowRecord* window = Record(event.window))
            ApplyScale(*window, event.scale, event.rect);
        break;
    case InputKind::CaptionDragStart:
        m_cursorPos = event.screen;
        m_keyDown[VK_LBUTTON] = 1;
        StartMoveSize(event.window, event.screen, event.hit);
        break;
    }
}

void WindowSystem::HandleMouse(const InputEvent& event)
{
    const POINT screen = event.screen;
    if (event.kind != InputKind::Wheel)
        m_cursorPos = screen;

    // A caption or border drag moves or sizes the window with the pointer until the left button comes up.
    if (m_drag.hwnd) {
        const bool released =
            (event.kind == InputKind::MouseUp && event.button == kLeftButton) ||
            (event.kind == InputKind::MouseMove && event.buttons != ~0u && !(event.buttons & MK_LBUTTON));
        const HWND hwnd = m_drag.hwnd;
        if (released) {
            m_drag = DragState{};
            m_keyDown[VK_LBUTTON] = 0;
            SendMessage(hwnd, WM_EXITSIZEMOVE, 0, 0);
            return;
        }
        if (event.kind == InputKind::MouseMove) {
            if (Record(hwnd))
                FollowMoveSize(screen);
            return;
        }
    }

    if (event.kind == InputKind::MouseDown)
        m_keyDown[VkForButton(event.button)] = 1;
    else if (event.kind == InputKind::MouseUp)
        m_keyDown[VkForButton(event.button)] = 0;

    HWND target = nullptr;
    LRESULT hit = HTCLIENT;
    if (m_capture && Record(m_capture)) {
        target = m_capture;
    } else {
        target = WindowFromPoint(screen);
        if (!target) {
            UpdateHoverOnMove(nullptr, screen);
            return;
        }
        const WindowRecord* top = TopLevelOf(target);
        if (!IsWindowEnabled(target) || !top || !IsWindowEnabled(top->handle))
            return; // input to disabled windows is dropped (the owner of a modal window, for one)
        hit = HitTest(target, screen);
        if (!Record(target))
            return;
    }
    UpdateHoverOnMove(target, screen);

    if (event.kind == InputKind::Wheel) {
        const HWND wheelTarget = m_focus ? m_focus : target;
        PostMessage(wheelTarget, WM_MOUSEWHEEL, MAKEWPARAM(int(MouseKeyState()), event.wheelDelta),
                    MAKELPARAM(screen.x, screen.y));
        return;
    }

    UINT message = ClientMessageFor(event.kind, event.button);
    if (event.kind == InputKind::MouseDown && !m_capture) {
        const WindowRecord* top = TopLevelOf(target);
        if (top && top->handle != m_active) {
            const LRESULT answer = SendMessage(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top->handle),
                                               MAKELPARAM(int(hit), int(message)));
            if (answer != MA_NOACTIVATE && answer != kMA_NOACTIVATEANDEAT && Record(top->handle))
                Activate(top->handle, false);
            if (answer == kMA_ACTIVATEANDEAT || answer == kMA_NOACTIVATEANDEAT || !Record(target))
                return;
        }
    }
    if (!m_capture && event.kind != InputKind::MouseUp) {
        SendMessage(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(int(hit), int(message)));
        if (!Record(target))
            return;
    }
    if (event.kind == InputKind::MouseDown) {
        const WindowRecord* window = Record(target);
        const bool wantsDouble = hit != HTCLIENT || (window->classStyle & CS_DBLCLKS);
        const std::uint64_t now = m_clock->NowMs();
        const bool isDouble = wantsDouble && m_lastClick.hwnd == target && m_lastClick.button == event.button &&
                              now - m_lastClick.time <= kDoubleClickTime &&
                              std::abs(screen.x - m_lastClick.screen.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                              std::abs(screen.y - m_lastClick.screen.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
        if (isDouble) {
            message += WM_LBUTTONDBLCLK - WM_LBUTTONDOWN; // DOWN -> DBLCLK, the same for every button
            m_lastClick = ClickState{};
        } else {
            m_lastClick = ClickState{target, event.button, screen, now};
        }
    }
    PostMouseMessage(target, message, MouseKeyState(), screen, hit);
}

void WindowSystem::HandleKey(const InputEvent& event)
{
    const HWND target = m_focus ? m_focus : m_active;
    if (event.kind == InputKind::Text) {
        // With Alt held the keys become system keys (WM_SYSCHAR), never ordinary characters.
        if (!target || m_keyDown[VK_MENU])
            return;
        for (char16_t unit : event.text)
            PostMessage(target, WM_CHAR, WPARAM(unit), 1);
        return;
    }
    const bool down = event.kind == InputKind::KeyDown;
    const UINT vk = event.vk & 0xFF;
    m_keyDown[vk] = down ? 1 : 0;
    if (vk == VK_LSHIFT || vk == VK_RSHIFT)
        m_keyDown[VK_SHIFT] = down ? 1 : 0;
    if (vk == VK_LCONTROL || vk == VK_RCONTROL)
        m_keyDown[VK_CONTROL] = down ? 1 : 0;
    if (vk == VK_LMENU || vk == VK_RMENU)
        m_keyDown[VK_MENU] = down ? 1 : 0;
    if (!target)
        return;
    const bool alt = m_keyDown[VK_MENU] != 0;
    const bool system = (alt && !m_keyDown[VK_CONTROL]) || vk == VK_F10 || vk == VK_MENU;
    LPARAM lParam = 1;
    if (alt)
        lParam |= LPARAM(1) << 29;
    if (event.repeat || !down)
        lParam |= LPARAM(1) << 30;
    if (!down)
        lParam |= LPARAM(std::uintptr_t(1) << 31);
    const UINT message = system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
    PostMessage(target, message, WPARAM(vk), lParam);
}

} // namespace platform
