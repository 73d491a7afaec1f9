// The drawn message box over user32: a captioned popup owned by the box's owner (under Wine a child
// window inside it), its picture painted over the DeviceContext into a surface and shown with the
// backend's own presentation.
#include "platform/win32/Win32DrawnMessageBox.h"

#include "platform/DeviceContext.h"
#include "platform/Geometry.h"
#include "platform/Surface.h"
#include "platform/TextEncoding.h"
#include "platform/win32/Win32Desktop.h"

#include <algorithm>

namespace platform::win32_impl {

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
// Under Wine a top-level window lying wholly inside another window of the same process is never
// shown on the X screen (it stays black there, though its picture is right), so there the box is a
// child of its owner when it fits inside it. A child's close glyph needs a font Wine may lack: it
// has no system menu, and Escape answers instead.
constexpr DWORD kChildStyle = WS_CHILD | WS_CLIPSIBLINGS | WS_CAPTION;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;
constexpr DWORD kTickMs = 15;

struct BoxWindow
{
    const DrawnMessageBox& box;
    MessageBoxLayout layout;
    double scale;
    Surface picture;
    DeviceContext dc;
    MessageBoxState state;
    std::optional<int> answer;
    bool tracking = false;

    BoxWindow(const DrawnMessageBox& b, MessageBoxLayout l, double s)
        : box(b), layout(std::move(l)), scale(s),
          picture(Surface::Create(ScaleEdge(layout.width, s), ScaleEdge(layout.height, s))), dc(picture),
          state(MessageBoxState::Initial(b.choices))
    {
        dc.SetScale(scale);
    }

    void Repaint(HWND hwnd)
    {
        PaintMessageBox(dc, box, layout, state);
        if (HDC screen = ::GetDC(hwnd)) {
            const PixelBuffer pixels = dc.Pixels();
            PresentPixels(screen, pixels, RECT{0, 0, pixels.width, pixels.height});
            ::ReleaseDC(hwnd, screen);
        }
    }
    // A client point of the window in the layout's logical pixels.
    std::pair<int, int> Logical(LPARAM lParam) const
    {
        return {UnscaleCoordinate(GET_X_LPARAM(lParam), scale), UnscaleCoordinate(GET_Y_LPARAM(lParam), scale)};
    }
    // A key press, from the box's window or any other window of the thread.
    void Key(HWND hwnd, WPARAM key, LPARAM lParam)
    {
        // A key held down since before the box opened must not answer it by repeating.
        const bool fresh = (lParam & (LPARAM(1) << 30)) == 0;
        std::optional<MessageBoxKey> action;
        switch (key) {
        case VK_RETURN:
        case VK_SPACE:
            if (fresh)
                action = MessageBoxKey::Enter;
            break;
        case VK_ESCAPE:
            if (fresh)
                action = MessageBoxKey::Escape;
            break;
        case VK_TAB:
            action = ::GetKeyState(VK_SHIFT) < 0 ? MessageBoxKey::Previous : MessageBoxKey::Next;
            break;
        case VK_RIGHT:
            action = MessageBoxKey::Next;
            break;
        case VK_LEFT:
            action = MessageBoxKey::Previous;
            break;
        default:
            return;
        }
        if (!action)
            return;
        answer = state.Press(*action, box.choices);
        if (!answer)
            Repaint(hwnd);
    }
};

LRESULT CALLBACK BoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* box = reinterpret_cast<BoxWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!box)
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        if (HDC dc = ::BeginPaint(hwnd, &paint)) {
            PresentPixels(dc, box->dc.Pixels(), paint.rcPaint);
            ::EndPaint(hwnd, &paint);
        }
        return 0;
    }
    case WM_CLOSE:
        box->answer = box->box.choices.dismissId;
        return 0;
    case WM_KEYDOWN:
        box->Key(hwnd, wParam, lParam);
        return 0;
    case WM_MOUSEMOVE:
        if (!box->tracking) {
            TRACKMOUSEEVENT track{};
            track.cbSize = sizeof track;
            track.dwFlags = TME_LEAVE;
            track.hwndTrack = hwnd;
            box->tracking = ::TrackMouseEvent(&track) != FALSE;
        }
        if (box->state.PointerAt(box->layout, box->Logical(lParam)))
            box->Repaint(hwnd);
        return 0;
    case WM_MOUSELEAVE:
        box->tracking = false;
        if (box->state.PointerAt(box->layout, std::nullopt))
            box->Repaint(hwnd);
        return 0;
    case WM_LBUTTONDOWN: {
        const auto [x, y] = box->Logical(lParam);
        ::SetCapture(hwnd);
        box->state.PointerDown(box->layout, x, y);
        box->Repaint(hwnd);
        return 0;
    }
    case WM_LBUTTONUP: {
        const auto [x, y] = box->Logical(lParam);
        ::ReleaseCapture();
        box->answer = box->state.PointerUp(box->layout, box->box.choices, x, y);
        box->Repaint(hwnd);
        return 0;
    }
    default:
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

bool RegisterBoxClass(HINSTANCE instance)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = BoxProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(std::uintptr_t(IDC_ARROW)));
    wc.lpszClassName = Win32Text(kWin32MessageBoxClass);
    return ::RegisterClassExW(&wc) || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// The outer rectangle, on the screen, of a box of `style` whose client area is width x height
// device pixels: centred on the owner and kept inside the work area of the owner's monitor.
RECT Placement(HWND owner, int width, int height, DWORD style)
{
    RECT frame{0, 0, width, height};
    ::AdjustWindowRectEx(&frame, style, FALSE, kExStyle);
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    RECT around{};
    ::GetWindowRect(owner, &around);
    int x = (around.left + around.right - w) / 2, y = (around.top + around.bottom - h) / 2;
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (::GetMonitorInfoW(::MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &info)) {
        const RECT& work = info.rcWork;
        x = std::clamp(x, int(work.left), std::max(int(work.left), int(work.right) - w));
        y = std::clamp(y, int(work.top), std::max(int(work.top), int(work.bottom) - h));
    }
    return RECT{x, y, x + w, y + h};
}

bool RunsUnderWine()
{
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// The box's rectangle in the owner's client coordinates when it lies wholly inside that area.
std::optional<RECT> InsideClient(HWND owner, const RECT& onScreen)
{
    RECT client{};
    if (!::GetClientRect(owner, &client))
        return std::nullopt;
    POINT corners[2] = {{onScreen.left, onScreen.top}, {onScreen.right, onScreen.bottom}};
    ::MapWindowPoints(HWND_DESKTOP, owner, corners, 2);
    const RECT inside{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    if (inside.left < client.left || inside.top < client.top || inside.right > client.right ||
        inside.bottom > client.bottom)
        return std::nullopt;
    return inside;
}

bool IsMouseMessage(UINT message)
{
    return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

bool IsKeyMessage(UINT message)
{
    return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_CHAR || message == WM_DEADCHAR;
}

} // namespace

std::optional<int> ShowWin32DrawnMessageBox(HWND owner, const DrawnMessageBox& box,
                                            const std::function<void()>& whileOpen)
{
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    if (!owner || box.choices.buttons.empty() || !RegisterBoxClass(instance))
        return std::nullopt;
    const double scale = SaneScale(box.scale);
    BoxWindow state(box, LayOutMessageBox(box), scale);
    if (!state.picture.IsValid() || !state.dc.IsValid())
        return std::nullopt;
    // Under Wine the box is placed in its child's frame first: when so placed it fits inside the
    // owner's client area, it is that child (its rectangle in the owner's client coordinates).
    const int width = state.picture.Width(), height = state.picture.Height();
    const std::optional<RECT> child =
        RunsUnderWine() ? InsideClient(owner, Placement(owner, width, height, kChildStyle)) : std::nullopt;
    const RECT at = child ? *child : Placement(owner, width, height, kStyle);
    const std::u16string title = Utf8ToUtf16(box.title);
    const HWND hwnd = ::CreateWindowExW(kExStyle, Win32Text(kWin32MessageBoxClass), Win32Text(title.c_str()),
                                        child ? kChildStyle : kStyle, at.left, at.top, at.right - at.left,
                                        at.bottom - at.top, owner, nullptr, instance, &state);
    if (!hwnd)
        return std::nullopt;
    PaintMessageBox(state.dc, box, state.layout, state.state);
    // Modal as the system's boxes are: the owner takes no input until the answer. A disabled owner
    // would disable a child box too, so for a child the loop below drops the owner's mouse input.
    const bool ownerWasEnabled = !child && !::EnableWindow(owner, FALSE);
    ::ShowWindow(hwnd, SW_SHOW);
    if (child) {
        ::SetForegroundWindow(owner);
        ::BringWindowToTop(hwnd);
    } else {
        ::SetForegroundWindow(hwnd);
        ::SetActiveWindow(hwnd);
    }
    ::SetFocus(hwnd);
    ::UpdateWindow(hwnd);

    DWORD lastTick = ::GetTickCount();
    while (!state.answer) {
        ::MsgWaitForMultipleObjectsEx(0, nullptr, kTickMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG msg;
        while (!state.answer && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                // Not the box's to take: the program's own loop ends on it after the answer.
                ::PostQuitMessage(int(msg.wParam));
                state.answer = box.choices.dismissId;
                break;
            }
            // Keys reach the box from any of the thread's windows: the keyboard may still sit on the
            // owner, and the owner must not act on them anyway.
            if (IsKeyMessage(msg.message) && msg.hwnd != hwnd) {
                if (msg.message == WM_KEYDOWN)
                    state.Key(hwnd, msg.wParam, msg.lParam);
                continue;
            }
            if (child && IsMouseMessage(msg.message) && msg.hwnd != hwnd)
                continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (whileOpen && ::GetTickCount() - lastTick >= kTickMs) {
            lastTick = ::GetTickCount();
            whileOpen();
        }
    }

    // The owner first, so that activation goes back to it rather than to another program.
    if (ownerWasEnabled)
        ::EnableWindow(owner, TRUE);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    ::DestroyWindow(hwnd);
    // Input already queued for the box (the release of the answering key) must not reach the owner.
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    }
    return state.answer;
}

} // namespace platform::win32_impl
