// Mouse messages carry client coordinates (screen coordinates for the wheel and the non-client
// messages); events carry screen coordinates, so the pointer's place means the same for every
// window of the system whichever native window saw it.
#include "platform/win32/Win32Input.h"

namespace platform::win32_impl {

namespace {

constexpr unsigned kButtonKeys = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON;

POINT ScreenPoint(HWND hwnd, LPARAM lParam, bool client)
{
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (client)
        ::ClientToScreen(hwnd, &p);
    return POINT{p.x, p.y};
}

// Leaving is tracked for the client area and for the caption apart: the system reports a leave
// when the pointer passes from one to the other, and only the second tracking hears it go from
// the caption straight off the window.
void TrackLeave(HWND hwnd, bool client, InputState& state)
{
    bool& tracking = client ? state.trackingLeave : state.trackingNcLeave;
    if (tracking)
        return;
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof track;
    track.dwFlags = client ? TME_LEAVE : TME_LEAVE | TME_NONCLIENT;
    track.hwndTrack = hwnd;
    tracking = ::TrackMouseEvent(&track) != FALSE;
}

InputEvent Button(HWND model, HWND hwnd, InputKind kind, int button, LPARAM lParam)
{
    InputEvent event{};
    event.kind = kind;
    event.window = model;
    event.button = button;
    event.screen = ScreenPoint(hwnd, lParam, true);
    return event;
}

} // namespace

bool IsDesktopDragHit(LRESULT hit)
{
    return hit == HTCAPTION || (hit >= HTLEFT && hit <= HTBOTTOMRIGHT);
}

std::optional<InputEvent> TranslateInput(HWND model, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                         InputState& state)
{
    InputEvent event{};
    event.window = model;
    switch (message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE: {
        const bool client = message == WM_MOUSEMOVE;
        event.kind = InputKind::MouseMove;
        event.screen = ScreenPoint(hwnd, lParam, client);
        // Over the caption the message carries the hit code, not the buttons held.
        event.buttons = client ? unsigned(wParam) & kButtonKeys : ~0u;
        TrackLeave(hwnd, client, state);
        return event;
    }
    case WM_MOUSELEAVE:
    case WM_NCMOUSELEAVE:
        (message == WM_MOUSELEAVE ? state.trackingLeave : state.trackingNcLeave) = false;
        event.kind = InputKind::MouseLeave;
        return event;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        return Button(model, hwnd, InputKind::MouseDown, kLeftButton, lParam);
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        return Button(model, hwnd, InputKind::MouseDown, kRightButton, lParam);
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        return Button(model, hwnd, InputKind::MouseDown, kMiddleButton, lParam);
    case WM_LBUTTONUP:
        return Button(model, hwnd, InputKind::MouseUp, kLeftButton, lParam);
    case WM_RBUTTONUP:
        return Button(model, hwnd, InputKind::MouseUp, kRightButton, lParam);
    case WM_MBUTTONUP:
        return Button(model, hwnd, InputKind::MouseUp, kMiddleButton, lParam);
    case WM_MOUSEWHEEL:
        event.kind = InputKind::Wheel;
        event.screen = ScreenPoint(hwnd, lParam, false);
        event.wheelDelta = GET_WHEEL_DELTA_WPARAM(wParam);
        return event;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
        event.kind = message == WM_KEYDOWN || message == WM_SYSKEYDOWN ? InputKind::KeyDown : InputKind::KeyUp;
        event.vk = UINT(wParam & 0xFF);
        // Bit 30: the key was down before this message (auto-repeat for a press).
        event.repeat = event.kind == InputKind::KeyDown && (std::uintptr_t(lParam) & (1u << 30)) != 0;
        return event;
    case WM_CHAR: {
        const auto unit = char16_t(wParam);
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            state.highSurrogate = unit;
            return std::nullopt;
        }
        const char16_t high = state.highSurrogate;
        state.highSurrogate = 0;
        if (unit >= 0xDC00 && unit <= 0xDFFF) {
            if (!high)
                return std::nullopt; // half a character is no text
            event.kind = InputKind::Text;
            event.text = std::u16string{high, unit};
            return event;
        }
        // Control characters (Backspace, Tab, Enter, Escape, Ctrl+letter) come from the keys.
        if (unit < 0x20 || unit == 0x7F)
            return std::nullopt;
        event.kind = InputKind::Text;
        event.text = std::u16string(1, unit);
        return event;
    }
    default:
        return std::nullopt;
    }
}

} // namespace platform::win32_impl
