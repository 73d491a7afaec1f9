// Native top-level windows that mirror the window system's records. The records stay the truth:
// what the program changes reaches the native window through UpdateNative, and what the desktop
// changes (a move, a close request, activation) comes back as input events, never by changing a
// record from inside the window procedure. Messages the system sends while we change a native
// window ourselves are not reported back: the record already says what they would tell.
#include "platform/win32/Win32WindowBackend.h"

#include "platform/WindowSystem.h"
#include "platform/TextEncoding.h"
#include "platform/win32/Win32Desktop.h"
#include "platform/win32/Win32Dpi.h"
#include "platform/win32/Win32DrawnMessageBox.h"
#include "platform/win32/Win32Input.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>

namespace platform {

namespace {

using namespace win32_impl;

class Win32WindowBackend;

// The backend's data for one native window (WindowRecord::native).
struct NativeWindow
{
    Win32WindowBackend* backend = nullptr;
    HWND model = nullptr; // the window system's handle
    HWND hwnd = nullptr;  // the system's
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
    bool minimized = false;
    bool tooltip = false;
    double scale = 1.0; // device pixels per logical pixel, the monitor's (the record follows it)
    InputState input;
};

// Counts a scope in: the backend changing native windows itself (what they report meanwhile is
// known already), or a message box being open.
class ScopedCount
{
public:
    explicit ScopedCount(int& count) : m_count(count) { ++m_count; }
    ~ScopedCount() { --m_count; }
    ScopedCount(const ScopedCount&) = delete;
    ScopedCount& operator=(const ScopedCount&) = delete;

private:
    int& m_count;
};

DWORD NativeStyle(const WindowRecord& window)
{
    constexpr DWORD kFrame = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    return WS_POPUP | WS_CLIPCHILDREN | (window.style & kFrame);
}

DWORD NativeExStyle(const WindowRecord& window, bool tooltip)
{
    DWORD ex = window.exStyle & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_LAYERED);
    if (tooltip)
        ex |= WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
    return ex;
}

// Where the record's rectangle puts the native window: the frame, when the style has one, lies
// outside the client rectangle the record holds. The one place where window-system coordinates
// become the desktop's.
RECT NativeRect(const WindowRecord& window, double scale, DWORD style, DWORD exStyle)
{
    RECT r = ToDeviceRect(window.rect, scale);
    ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return r;
}

// The client rectangle of a native window in screen coordinates: what a record holds.
RECT ClientRectOnScreen(HWND hwnd)
{
    RECT client{};
    ::GetClientRect(hwnd, &client);
    POINT origin{0, 0};
    ::ClientToScreen(hwnd, &origin);
    return RECT{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
}

// An event about a window, with nothing else to tell.
InputEvent Notice(InputKind kind, HWND model)
{
    InputEvent event{};
    event.kind = kind;
    event.window = model;
    return event;
}

class Win32WindowBackend : public IWindowBackend
{
public:
    ~Win32WindowBackend() override;
    bool Start();

    const char* Name() const override { return "win32"; }
    bool CreateNative(WindowRecord& window) override;
    void DestroyNative(WindowRecord& window) override;
    void UpdateNative(WindowRecord& window, unsigned changes) override;
    void ActivateNative(WindowRecord& window) override;
    void Present(WindowRecord& window, const RECT& dirty) override;
    void SetCursorShape(int cursorId) override;
    void SetMouseCapture(WindowRecord* window) override;
    bool QueryCursorPos(POINT& pos) override;
    int MonitorCount() override;
    RECT MonitorRect(int index) override;
    RECT WorkArea(int index) override;
    int SystemMetric(int index) override;
    int ShowMessageBox(WindowRecord* owner, const std::u16string& text, const std::u16string& caption, UINT type,
                       const std::function<void()>& whileOpen) override;
    void PollEvents(std::vector<InputEvent>& out) override;
    void WaitEvents(int timeoutMs) override;
    void Wake() override;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(NativeWindow& native, UINT message, WPARAM wParam, LPARAM lParam);
    static NativeWindow* Native(const WindowRecord& window) { return static_cast<NativeWindow*>(window.native); }
    HWND NativeOf(HWND model) const;
    bool RegisterNativeClass(const std::u16string& name);
    const std::u16string& NativeClassOf(const WindowRecord& window);
    void Release(NativeWindow& native);
    void SyncShown(WindowRecord& window, NativeWindow& native);
    void SyncPlace(WindowRecord& window, NativeWindow& native);
    void SyncStyle(WindowRecord& window, NativeWindow& native);
    void SyncRegion(WindowRecord& window, NativeWindow& native);
    void SyncIcon(WindowRecord& window, NativeWindow& native);
    void SyncOpacity(WindowRecord& window, NativeWindow& native);
    void ReportPlace(NativeWindow& native);
    // The scale: a new window's, and a change of DPI the system reports (a move to another
    // monitor, a change of the desktop's setting).
    double WindowScale(const WindowRecord& window) override;
    void ChangeScale(NativeWindow& native, unsigned dpi, const RECT* suggested);
    // The desktop's device pixels as the window system's logical screen coordinates: a point of
    // a native window's as the record's client origin plus its logical client coordinates, which
    // keeps them exact at any scale; a point anywhere else by its monitor's scale.
    POINT LogicalPoint(const NativeWindow& native, POINT device) const;
    static POINT LogicalScreenPoint(POINT device);
    InputEvent ToLogical(const NativeWindow& native, InputEvent event) const;
    void Queue(InputEvent event) { m_pending.push_back(std::move(event)); }

    HINSTANCE m_instance = nullptr;
    std::set<std::u16string> m_classes; // native classes registered so far
    HANDLE m_wake = nullptr;
    int m_applying = 0;
    // A message box is open: the window system does not run meanwhile, and its windows take no
    // input and no close request (their answer would come after the box's, out of turn).
    int m_modalBoxes = 0;
    int m_cursorId = IDC_ARROW;
    std::map<HWND, std::unique_ptr<NativeWindow>> m_windows; // by the system's handle
    std::vector<InputEvent> m_pending;
};

bool Win32WindowBackend::Start()
{
    DeclareDpiAwareness();
    m_instance = ::GetModuleHandleW(nullptr);
    if (!RegisterNativeClass(kWin32WindowClass))
        return false;
    m_wake = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    return m_wake != nullptr;
}

Win32WindowBackend::~Win32WindowBackend()
{
    for (auto& [model, native] : m_windows)
        Release(*native);
    if (m_wake)
        ::CloseHandle(m_wake);
}

// A native class for each class name the program gives its windows, so that another process finds
// a window by its class as it would any Windows program's (a second copy of the uninstaller looks
// for its first copy's main window so). Tooltips keep the backend's own class: theirs is a class of
// the system's.
bool Win32WindowBackend::RegisterNativeClass(const std::u16string& name)
{
    if (m_classes.count(name) != 0)
        return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    // No CS_DBLCLKS: the window system makes double clicks itself. No class cursor: WM_SETCURSOR
    // sets the one the window system chose.
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = m_instance;
    wc.lpszClassName = Win32Text(name.c_str());
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;
    m_classes.insert(name);
    return true;
}

const std::u16string& Win32WindowBackend::NativeClassOf(const WindowRecord& window)
{
    static const std::u16string fallback = kWin32WindowClass;
    if (window.className.empty() || window.className == TOOLTIPS_CLASSW || !RegisterNativeClass(window.className))
        return fallback;
    return window.className;
}

HWND Win32WindowBackend::NativeOf(HWND model) const
{
    auto it = m_windows.find(model);
    return it == m_windows.end() ? nullptr : it->second->hwnd;
}

// ---------------------------------------------------------------------------------------------
// Windows
// ---------------------------------------------------------------------------------------------

bool Win32WindowBackend::CreateNative(WindowRecord& window)
{
    auto native = std::make_unique<NativeWindow>();
    native->backend = this;
    native->model = window.handle;
    native->tooltip = window.className == TOOLTIPS_CLASSW;
    native->scale = window.scale;
    const DWORD style = NativeStyle(window), exStyle = NativeExStyle(window, native->tooltip);
    const RECT r = NativeRect(window, native->scale, style, exStyle);
    const HWND owner = window.owner ? NativeOf(window.owner) : nullptr;
    ScopedCount applying(m_applying);
    const HWND hwnd =
        ::CreateWindowExW(exStyle, Win32Text(NativeClassOf(window).c_str()), Win32Text(window.title.c_str()), style,
                          r.left, r.top, r.right - r.left, r.bottom - r.top, owner, nullptr, m_instance, native.get());
    if (!hwnd)
        return false;
    native->hwnd = hwnd;
    window.native = native.get();
    NativeWindow& created = *native;
    m_windows[window.handle] = std::move(native);
    // Until it is given one, a layered window shows nothing at all.
    if (exStyle & WS_EX_LAYERED)
        SyncOpacity(window, created);
    SyncRegion(window, created);
    return true;
}

void Win32WindowBackend::DestroyNative(WindowRecord& window)
{
    auto it = m_windows.find(window.handle);
    if (it == m_windows.end())
        return;
    std::unique_ptr<NativeWindow> native = std::move(it->second);
    m_windows.erase(it);
    window.native = nullptr;
    Release(*native);
}

void Win32WindowBackend::Release(NativeWindow& native)
{
    ScopedCount applying(m_applying);
    // Unhooked first: what the system sends while the window goes is no longer the record's.
    ::SetWindowLongPtrW(native.hwnd, GWLP_USERDATA, 0);
    ::DestroyWindow(native.hwnd);
    if (native.bigIcon)
        ::DestroyIcon(native.bigIcon);
    if (native.smallIcon)
        ::DestroyIcon(native.smallIcon);
}

void Win32WindowBackend::SyncShown(WindowRecord& window, NativeWindow& native)
{
    const bool shown = window.IsVisibleFlag() && window.Width() > 0 && window.Height() > 0;
    const bool nativeShown = ::IsWindowVisible(native.hwnd) != FALSE;
    if (shown && !nativeShown) {
        // Activation is the window system's to decide (ActivateNative follows when it does).
        ::ShowWindow(native.hwnd, window.IsMinimized() ? SW_SHOWMINNOACTIVE : SW_SHOWNOACTIVATE);
        if (native.tooltip)
            ::SetWindowPos(native.hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    } else if (!shown && nativeShown) {
        ::ShowWindow(native.hwnd, SW_HIDE);
    }
}

void Win32WindowBackend::SyncPlace(WindowRecord& window, NativeWindow& native)
{
    if (window.IsMinimized())
        return; // the record keeps the place to come back to
    const DWORD style = DWORD(::GetWindowLongPtrW(native.hwnd, GWL_STYLE));
    const DWORD exStyle = DWORD(::GetWindowLongPtrW(native.hwnd, GWL_EXSTYLE));
    const RECT r = NativeRect(window, native.scale, style, exStyle);
    ::SetWindowPos(native.hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void Win32WindowBackend::SyncStyle(WindowRecord& window, NativeWindow& native)
{
    const DWORD style = NativeStyle(window), exStyle = NativeExStyle(window, native.tooltip);
    const DWORD oldStyle = DWORD(::GetWindowLongPtrW(native.hwnd, GWL_STYLE));
    const DWORD oldEx = DWORD(::GetWindowLongPtrW(native.hwnd, GWL_EXSTYLE));
    const DWORD kept = oldStyle & (WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE | WS_DISABLED);
    if ((oldStyle & ~kept) != style)
        ::SetWindowLongPtrW(native.hwnd, GWL_STYLE, LONG_PTR(style | kept));
    const DWORD changedEx = (oldEx ^ exStyle) & (WS_EX_TOOLWINDOW | WS_EX_LAYERED | WS_EX_NOACTIVATE);
    if (changedEx) {
        ::SetWindowLongPtrW(native.hwnd, GWL_EXSTYLE, LONG_PTR((oldEx & ~changedEx) | (exStyle & changedEx)));
        if (exStyle & WS_EX_LAYERED)
            SyncOpacity(window, native);
    }
    if ((oldStyle & ~kept) != style || changedEx) {
        ::SetWindowPos(native.hwnd, nullptr, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        SyncPlace(window, native);
        SyncRegion(window, native);
    }
}

void Win32WindowBackend::SyncRegion(WindowRecord& window, NativeWindow& native)
{
    if (!window.region) {
        ::SetWindowRgn(native.hwnd, nullptr, TRUE);
        return;
    }
    // Regions are in window coordinates, which on the desktop start at the frame's corner.
    RECT frame{}, client = ClientRectOnScreen(native.hwnd);
    ::GetWindowRect(native.hwnd, &frame);
    // The system owns the region once it is set.
    if (HRGN region =
            NativeRegion(ScaledRegion(*window.region, native.scale), client.left - frame.left, client.top - frame.top))
        ::SetWindowRgn(native.hwnd, region, TRUE);
}

void Win32WindowBackend::SyncIcon(WindowRecord& window, NativeWindow& native)
{
    HICON big = IconFromPixels(m_system->IconPixels(window.bigIcon ? window.bigIcon : window.smallIcon));
    HICON small = IconFromPixels(m_system->IconPixels(window.smallIcon ? window.smallIcon : window.bigIcon));
    ::SendMessageW(native.hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    ::SendMessageW(native.hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    if (native.bigIcon)
        ::DestroyIcon(native.bigIcon);
    if (native.smallIcon)
        ::DestroyIcon(native.smallIcon);
    native.bigIcon = big;
    native.smallIcon = small;
}

void Win32WindowBackend::SyncOpacity(WindowRecord& window, NativeWindow& native)
{
    if (::GetWindowLongPtrW(native.hwnd, GWL_EXSTYLE) & WS_EX_LAYERED)
        ::SetLayeredWindowAttributes(native.hwnd, 0, window.opacity, LWA_ALPHA);
}

void Win32WindowBackend::UpdateNative(WindowRecord& window, unsigned changes)
{
    NativeWindow* native = Native(window);
    if (!native)
        return;
    ScopedCount applying(m_applying);
    if (changes & kChangeTitle)
        ::SetWindowTextW(native->hwnd, Win32Text(window.title.c_str()));
    if (changes & kChangeStyle)
        SyncStyle(window, *native);
    if (changes & kChangeOwner) {
        const HWND owner = window.owner ? NativeOf(window.owner) : nullptr;
        ::SetWindowLongPtrW(native->hwnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    }
    if (changes & (kChangePosition | kChangeSize))
        SyncPlace(window, *native);
    if (changes & (kChangeSize | kChangeRegion))
        SyncRegion(window, *native);
    if (changes & kChangeTopmost)
        ::SetWindowPos(native->hwnd, window.IsTopmost() || native->tooltip ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (changes & kChangeOpacity)
        SyncOpacity(window, *native);
    if (changes & kChangeIcon)
        SyncIcon(window, *native);
    if (changes & (kChangeVisibility | kChangeSize))
        SyncShown(window, *native);
    if ((changes & kChangeMinimized) && ::IsWindowVisible(native->hwnd)) {
        native->minimized = window.IsMinimized();
        ::ShowWindow(native->hwnd, window.IsMinimized() ? SW_MINIMIZE : SW_RESTORE);
        if (!window.IsMinimized())
            SyncPlace(window, *native);
    }
}

void Win32WindowBackend::ActivateNative(WindowRecord& window)
{
    NativeWindow* native = Native(window);
    if (!native || native->tooltip || !::IsWindowVisible(native->hwnd))
        return;
    ScopedCount applying(m_applying);
    ::SetForegroundWindow(native->hwnd);
    ::SetActiveWindow(native->hwnd);
    ::SetFocus(native->hwnd);
}

void Win32WindowBackend::Present(WindowRecord& window, const RECT& dirty)
{
    NativeWindow* native = Native(window);
    if (!native || !::IsWindowVisible(native->hwnd))
        return;
    if (HDC dc = ::GetDC(native->hwnd)) {
        PresentPixels(dc, window.pixels, ToDeviceRect(dirty, native->scale));
        ::ReleaseDC(native->hwnd, dc);
    }
}

// ---------------------------------------------------------------------------------------------
// Scale
// ---------------------------------------------------------------------------------------------

double Win32WindowBackend::WindowScale(const WindowRecord& window)
{
    // The native window does not exist yet: the monitor it will appear on decides, found by the
    // record's rectangle (logical, but near enough to pick the monitor).
    return ScaleForDpi(DpiNearRect(window.rect));
}

void Win32WindowBackend::ChangeScale(NativeWindow& native, unsigned dpi, const RECT* suggested)
{
    // The override fixes the scale: the window keeps its size and picture on every monitor.
    if (ScaleOverride())
        return;
    const double scale = ScaleOfDpi(dpi);
    {
        ScopedCount applying(m_applying);
        native.scale = scale;
        if (suggested)
            ::SetWindowPos(native.hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                           suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
        if (WindowRecord* window = m_system ? m_system->Record(native.model) : nullptr)
            SyncRegion(*window, native);
    }
    InputEvent event = Notice(InputKind::ScaleChanged, native.model);
    event.scale = scale;
    event.rect = ToLogicalRect(ClientRectOnScreen(native.hwnd), scale);
    Queue(event);
}

POINT Win32WindowBackend::LogicalPoint(const NativeWindow& native, POINT device) const
{
    const WindowRecord* record = m_system ? m_system->Record(native.model) : nullptr;
    if (!record)
        return LogicalScreenPoint(device);
    POINT origin{0, 0};
    ::ClientToScreen(native.hwnd, &origin);
    return POINT{record->rect.left + UnscaleCoordinate(device.x - origin.x, native.scale),
                 record->rect.top + UnscaleCoordinate(device.y - origin.y, native.scale)};
}

POINT Win32WindowBackend::LogicalScreenPoint(POINT device)
{
    const RECT at{device.x, device.y, device.x + 1, device.y + 1};
    const double scale = ScaleForDpi(DpiNearRect(at));
    return POINT{UnscaleCoordinate(device.x, scale), UnscaleCoordinate(device.y, scale)};
}

InputEvent Win32WindowBackend::ToLogical(const NativeWindow& native, InputEvent event) const
{
    switch (event.kind) {
    case InputKind::MouseMove:
    case InputKind::MouseDown:
    case InputKind::MouseUp:
    case InputKind::Wheel:
        event.screen = LogicalPoint(native, event.screen);
        break;
    default:
        break;
    }
    return event;
}

// ---------------------------------------------------------------------------------------------
// Desktop services
// ---------------------------------------------------------------------------------------------

void Win32WindowBackend::SetCursorShape(int cursorId)
{
    m_cursorId = cursorId;
    ::SetCursor(SystemCursor(cursorId));
}

void Win32WindowBackend::SetMouseCapture(WindowRecord* window)
{
    ScopedCount applying(m_applying);
    NativeWindow* native = window ? Native(*window) : nullptr;
    if (native)
        ::SetCapture(native->hwnd);
    else
        ::ReleaseCapture();
}

bool Win32WindowBackend::QueryCursorPos(POINT& pos)
{
    POINT p;
    if (!::GetCursorPos(&p))
        return false;
    pos = LogicalScreenPoint(p);
    return true;
}

int Win32WindowBackend::MonitorCount()
{
    return int(Monitors().size());
}

RECT Win32WindowBackend::MonitorRect(int index)
{
    const auto list = Monitors();
    const MonitorArea& area = list[std::size_t(std::clamp(index, 0, int(list.size()) - 1))];
    return ToLogicalRect(area.monitor, ScaleForDpi(DpiNearRect(area.monitor)));
}

RECT Win32WindowBackend::WorkArea(int index)
{
    const auto list = Monitors();
    const MonitorArea& area = list[std::size_t(std::clamp(index, 0, int(list.size()) - 1))];
    return ToLogicalRect(area.work, ScaleForDpi(DpiNearRect(area.monitor)));
}

int Win32WindowBackend::SystemMetric(int index)
{
    switch (index) {
    case SM_CXSCREEN:
    case SM_CYSCREEN:
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXSMICON:
    case SM_CYSMICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
    case SM_CXDRAG:
    case SM_CYDRAG:
    case SM_CMONITORS:
    case SM_CXVIRTUALSCREEN:
    case SM_CYVIRTUALSCREEN:
    case SM_XVIRTUALSCREEN:
    case SM_YVIRTUALSCREEN:
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_SWAPBUTTON:
        return ::GetSystemMetrics(index);
    default:
        // The window system's own answer: its windows have no frames of the system's.
        return -1;
    }
}

int Win32WindowBackend::ShowMessageBox(WindowRecord* owner, const std::u16string& text, const std::u16string& caption,
                                       UINT type, const std::function<void()>& whileOpen)
{
    NativeWindow* native = owner ? Native(*owner) : nullptr;
    ScopedCount modal(m_modalBoxes);
    // Over a window of ours the box is drawn (the system's can stay black over it under Wine); the
    // system's box where there is no owner to draw it over, or the drawn one cannot be made.
    if (native && ::IsWindowVisible(native->hwnd)) {
        DrawnMessageBox drawn{Utf16ToUtf8(caption), Utf16ToUtf8(text), MessageBoxIconFor(type),
                              MessageBoxChoicesFor(type)};
        drawn.scale = owner->scale;
        if (const std::optional<int> answer = ShowWin32DrawnMessageBox(native->hwnd, drawn, whileOpen))
            return *answer;
    }
    return ShowNativeMessageBox(native ? native->hwnd : nullptr, text, caption, type, whileOpen);
}

// ---------------------------------------------------------------------------------------------
// Events
// ---------------------------------------------------------------------------------------------

LRESULT CALLBACK Win32WindowBackend::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        auto* native = static_cast<NativeWindow*>(create->lpCreateParams);
        native->hwnd = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(native));
    }
    auto* native = reinterpret_cast<NativeWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!native)
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    return native->backend->Handle(*native, message, wParam, lParam);
}

void Win32WindowBackend::ReportPlace(NativeWindow& native)
{
    const WindowRecord* record = m_system ? m_system->Record(native.model) : nullptr;
    if (!record || ::IsIconic(native.hwnd))
        return;
    const RECT now = ToLogicalRect(ClientRectOnScreen(native.hwnd), native.scale);
    const RECT& was = record->rect;
    InputEvent event = Notice(InputKind::Moved, native.model);
    event.rect = now;
    if (now.right - now.left != was.right - was.left || now.bottom - now.top != was.bottom - was.top) {
        event.kind = InputKind::Resized;
        Queue(event);
    } else if (now.left != was.left || now.top != was.top) {
        event.kind = InputKind::Moved;
        Queue(event);
    }
}

LRESULT Win32WindowBackend::Handle(NativeWindow& native, UINT message, WPARAM wParam, LPARAM lParam)
{
    const HWND hwnd = native.hwnd;
    switch (message) {
    case WM_NCHITTEST: {
        if (native.tooltip)
            return HTTRANSPARENT;
        // The window system's answer decides where the desktop drags or sizes the window; all the
        // rest stays client area, whose presses the window system hit-tests again itself.
        const LRESULT frame = ::DefWindowProcW(hwnd, message, wParam, lParam);
        if (frame != HTCLIENT || m_applying || m_modalBoxes || !m_system || !m_system->Record(native.model))
            return frame;
        const LRESULT hit =
            m_system->HitTest(native.model, LogicalPoint(native, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}));
        return IsDesktopDragHit(hit) ? hit : HTCLIENT;
    }
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT) {
            ::SetCursor(SystemCursor(m_cursorId));
            return TRUE;
        }
        break;
    case WM_MOUSEACTIVATE:
        if (native.tooltip)
            return MA_NOACTIVATE;
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        if (HDC dc = ::BeginPaint(hwnd, &paint)) {
            if (const WindowRecord* record = m_system ? m_system->Record(native.model) : nullptr)
                PresentPixels(dc, record->pixels, paint.rcPaint);
            ::EndPaint(hwnd, &paint);
        }
        return 0;
    }
    case WM_DPICHANGED:
        ChangeScale(native, LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_CLOSE:
        // The window system decides whether and how its window closes.
        if (!m_modalBoxes)
            Queue(Notice(InputKind::CloseRequest, native.model));
        return 0;
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_CLOSE:
            if (!m_modalBoxes)
                Queue(Notice(InputKind::CloseRequest, native.model));
            return 0;
        case SC_KEYMENU:
            return 0; // no system menu of the system's: Alt and F10 stay keys for the window system
        default:
            break;
        }
        break;
    case WM_WINDOWPOSCHANGED:
        if (!m_applying)
            ReportPlace(native);
        break; // DefWindowProc sends WM_MOVE and WM_SIZE
    case WM_SIZE:
        if (m_applying)
            break;
        if (wParam == SIZE_MINIMIZED && !native.minimized) {
            native.minimized = true;
            Queue(Notice(InputKind::Minimized, native.model));
        } else if (wParam != SIZE_MINIMIZED && native.minimized) {
            native.minimized = false;
            Queue(Notice(InputKind::Restored, native.model));
        }
        break;
    case WM_ACTIVATE:
        if (!m_applying && !native.tooltip)
            Queue(Notice(LOWORD(wParam) == WA_INACTIVE ? InputKind::Deactivated : InputKind::Activated, native.model));
        break;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
    case WM_SYSDEADCHAR:
        // Alt+F4 and the menu keys are the window system's: DefWindowProc would act on them too.
        if (auto event = TranslateInput(native.model, hwnd, message, wParam, lParam, native.input);
            event && !m_modalBoxes)
            Queue(ToLogical(native, std::move(*event)));
        return 0;
    default:
        break;
    }
    if (auto event = TranslateInput(native.model, hwnd, message, wParam, lParam, native.input)) {
        if (!m_modalBoxes)
            Queue(ToLogical(native, std::move(*event)));
        return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

void Win32WindowBackend::PollEvents(std::vector<InputEvent>& out)
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Not ours to take: the window system has its own quit message.
            ::PostQuitMessage(int(msg.wParam));
            break;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    for (InputEvent& event : m_pending)
        out.push_back(std::move(event));
    m_pending.clear();
}

void Win32WindowBackend::WaitEvents(int timeoutMs)
{
    if (!m_pending.empty())
        return;
    ::MsgWaitForMultipleObjectsEx(1, &m_wake, timeoutMs < 0 ? INFINITE : DWORD(timeoutMs), QS_ALLINPUT,
                                  MWMO_INPUTAVAILABLE);
}

void Win32WindowBackend::Wake()
{
    ::SetEvent(m_wake);
}

} // namespace

std::unique_ptr<IWindowBackend> CreateWin32WindowBackend()
{
    auto backend = std::make_unique<Win32WindowBackend>();
    if (!backend->Start())
        return nullptr;
    return backend;
}

bool HaveWin32Desktop()
{
    USEROBJECTFLAGS flags{};
    if (::GetUserObjectInformationW(::GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags, nullptr) &&
        !(flags.dwFlags & WSF_VISIBLE))
        return false; // a service's window station: nobody sees its windows
    if (!win32_impl::RunningUnderWine())
        return true;
    wchar_t value[2];
    return ::GetEnvironmentVariableW(L"DISPLAY", value, 2) > 0 ||
           ::GetEnvironmentVariableW(L"WAYLAND_DISPLAY", value, 2) > 0;
}

} // namespace platform
