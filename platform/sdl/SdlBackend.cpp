// SDL2 window backend: native windows mirroring the window system's records, surface presentation,
// hit-test driven dragging, input translation, cursors, monitors and message boxes.
#include "platform/sdl/SdlBackend.h"

#include "platform/DisplayScale.h"
#include "platform/InlineVector.h"
#include "platform/TextEncoding.h"
#include "platform/WindowSystem.h"
#include "platform/sdl/SdlDrawnMessageBox.h"
#include "platform/sdl/SdlKeys.h"
#include "platform/sdl/SdlX11.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

// A display rectangle of device pixels in logical screen pixels.
RECT LogicalRect(const SDL_Rect& r, double scale)
{
    return RECT{UnscaleLength(r.x, scale), UnscaleLength(r.y, scale), UnscaleLength(r.x + r.w, scale),
                UnscaleLength(r.y + r.h, scale)};
}

bool HasFrame(const WindowRecord& window)
{
    return (window.style & (WS_CAPTION | WS_THICKFRAME)) != 0 && (window.style & WS_CAPTION) == WS_CAPTION;
}

bool IsTooltip(const WindowRecord& window)
{
    return window.className == TOOLTIPS_CLASSW;
}

SDL_SystemCursor SdlCursorFor(int cursorId)
{
    switch (cursorId) {
    case IDC_IBEAM:
        return SDL_SYSTEM_CURSOR_IBEAM;
    case IDC_WAIT:
        return SDL_SYSTEM_CURSOR_WAIT;
    case IDC_APPSTARTING:
        return SDL_SYSTEM_CURSOR_WAITARROW;
    case IDC_CROSS:
        return SDL_SYSTEM_CURSOR_CROSSHAIR;
    case IDC_SIZENWSE:
        return SDL_SYSTEM_CURSOR_SIZENWSE;
    case IDC_SIZENESW:
        return SDL_SYSTEM_CURSOR_SIZENESW;
    case IDC_SIZEWE:
        return SDL_SYSTEM_CURSOR_SIZEWE;
    case IDC_SIZENS:
        return SDL_SYSTEM_CURSOR_SIZENS;
    case IDC_SIZEALL:
        return SDL_SYSTEM_CURSOR_SIZEALL;
    case IDC_NO:
        return SDL_SYSTEM_CURSOR_NO;
    case IDC_HAND:
        return SDL_SYSTEM_CURSOR_HAND;
    default:
        return SDL_SYSTEM_CURSOR_ARROW;
    }
}

SDL_HitTestResult SdlHitFor(LRESULT hit)
{
    switch (hit) {
    case HTCAPTION:
        return SDL_HITTEST_DRAGGABLE;
    case HTLEFT:
        return SDL_HITTEST_RESIZE_LEFT;
    case HTRIGHT:
        return SDL_HITTEST_RESIZE_RIGHT;
    case HTTOP:
        return SDL_HITTEST_RESIZE_TOP;
    case HTBOTTOM:
        return SDL_HITTEST_RESIZE_BOTTOM;
    case HTTOPLEFT:
        return SDL_HITTEST_RESIZE_TOPLEFT;
    case HTTOPRIGHT:
        return SDL_HITTEST_RESIZE_TOPRIGHT;
    case HTBOTTOMLEFT:
        return SDL_HITTEST_RESIZE_BOTTOMLEFT;
    case HTBOTTOMRIGHT:
        return SDL_HITTEST_RESIZE_BOTTOMRIGHT;
    default:
        return SDL_HITTEST_NORMAL;
    }
}

unsigned MouseKeysFromSdl(Uint32 state)
{
    unsigned keys = 0;
    if (state & SDL_BUTTON_LMASK)
        keys |= MK_LBUTTON;
    if (state & SDL_BUTTON_RMASK)
        keys |= MK_RBUTTON;
    if (state & SDL_BUTTON_MMASK)
        keys |= MK_MBUTTON;
    return keys;
}

class SdlBackend : public IWindowBackend
{
public:
    ~SdlBackend() override;
    bool Start();

    const char* Name() const override { return "sdl"; }
    bool CreateNative(WindowRecord& window) override;
    void DestroyNative(WindowRecord& window) override;
    void UpdateNative(WindowRecord& window, unsigned changes) override;
    void ActivateNative(WindowRecord& window) override;
    double WindowScale(const WindowRecord& window) override;
    void Present(WindowRecord& window, const RECT& dirty) override;
    void PresentPieces(WindowRecord& window, const std::vector<RECT>& pieces) override;
    void SetCursorShape(int cursorId) override;
    void SetMouseCapture(WindowRecord* window) override;
    bool QueryCursorPos(POINT& pos) override;
    int MonitorCount() override;
    RECT MonitorRect(int index) override;
    RECT WorkArea(int index) override;
    int ShowMessageBox(WindowRecord* owner, const std::u16string& text, const std::u16string& caption, UINT type,
                       const std::function<void()>& whileOpen) override;
    void PollEvents(std::vector<InputEvent>& out) override;
    void WaitEvents(int timeoutMs) override;
    void Wake() override;

private:
    static SDL_HitTestResult HitTestCallback(SDL_Window* window, const SDL_Point* area, void* data);
    static SDL_Window* Native(const WindowRecord& window) { return static_cast<SDL_Window*>(window.native); }
    HWND HandleOf(Uint32 windowId) const;
    void Translate(const SDL_Event& event);
    // Copies the dirty rectangle of the window's picture to its SDL surface; false when nothing
    // of it can be shown. `copied` is the rectangle in surface pixels.
    bool CopyToSurface(WindowRecord& window, const RECT& dirty, SDL_Rect& copied);
    // Shows the pieces straight from the window's picture through Xlib; false where SDL's own
    // update must do it (see SdlX11Presenter).
    bool PresentThroughX11(WindowRecord& window, const RECT* pieces, std::size_t count);
    void SyncShown(WindowRecord& window);
    void SyncIcon(WindowRecord& window);
    struct SurfaceFree
    {
        void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
    };
    using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceFree>;
    // The window's icon as a straight-alpha surface; null without one.
    SurfacePtr IconSurface(const WindowRecord& window) const;
    void SyncOwner(WindowRecord& window);
    // The window's top-left corner in device screen pixels.
    POINT WindowOrigin(Uint32 windowId) const;
    // Device screen pixels to logical ones and back (one desktop scale for every window).
    POINT ToLogical(POINT device) const;
    int ToDevice(int logical) const { return ScaleEdge(logical, m_scale); }
    void Shape(WindowRecord& window);
    void OtherEventWhileModal(const SDL_Event& event);
    // False when, on X11, neither Xlib's queue nor the server's socket holds anything: pumping SDL
    // then reads the socket several times for nothing.
    bool DisplayMayHaveNews() const;
    // SDL's X11 connection, seen through any of our windows; an empty one without a window.
    SdlX11Connection X11Connection() const;

    std::map<Uint32, HWND> m_byId;
    // Per native window, made on its first picture; null where it cannot be used.
    std::map<Uint32, std::unique_ptr<SdlX11Presenter>> m_presenters;
    std::map<int, SDL_Cursor*> m_cursors;
    std::vector<InputEvent> m_pending;
    bool m_started = false;
    // Wayland tells no client where its windows or the pointer are on the screen.
    bool m_wayland = false;
    Uint32 m_wakeEvent = 0;
    // Ends a wait on the X server's socket from another thread (see WaitEvents); -1 without one.
    int m_wake = -1;
    HWND m_lastHitWindow = nullptr;
    HWND m_dragWindow = nullptr; // a caption drag that this backend follows itself
    // When SDL last read the display server's events, in SDL's milliseconds (see PollEvents).
    static constexpr Uint64 kPumpInterval = 1;
    Uint64 m_lastPump = std::numeric_limits<Uint64>::max(); // never: the first poll pumps
    LRESULT m_lastHit = HTNOWHERE;
    POINT m_lastHitPoint;
    // Our own message box is open: other windows take no input, not even a caption drag.
    bool m_modalBox = false;
    // The desktop's scale (docs/hidpi.md), read once at start.
    double m_scale = 1.0;
};

bool SdlBackend::Start()
{
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    SDL_SetHint("SDL_QUIT_ON_LAST_WINDOW_CLOSE", "0");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    // Pictures go through the system's own framebuffer: an accelerated one would recreate the native
    // window behind our back (losing its shape) and buys nothing for a copied picture.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return false;
    m_started = true;
    const char* driver = SDL_GetCurrentVideoDriver();
    m_wayland = driver && std::strcmp(driver, "wayland") == 0;
    m_wakeEvent = SDL_RegisterEvents(1);
    m_wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    SDL_StartTextInput();
    DesktopScaleSources sources = ScaleSourcesFromEnvironment();
    if (m_wayland) {
        // SDL's software pictures on Wayland have no buffer scale: the compositor enlarges them
        // itself, so a larger picture would only make a larger window. Only the override counts.
        sources.gdkScale.reset();
        sources.gdkDpiScale.reset();
    } else {
        sources.xftDpi = ReadXftDpiResource();
    }
    m_scale = ResolveDesktopScale(sources);
    return true;
}

double SdlBackend::WindowScale(const WindowRecord& window)
{
    (void)window;
    return m_scale;
}

POINT SdlBackend::ToLogical(POINT device) const
{
    return POINT{UnscaleCoordinate(device.x, m_scale), UnscaleCoordinate(device.y, m_scale)};
}

void SdlBackend::Shape(WindowRecord& window)
{
    ApplySdlWindowShape(Native(window), window.region, window.pixels.width, window.pixels.height, m_scale);
}

SdlBackend::~SdlBackend()
{
    for (auto& [id, cursor] : m_cursors)
        SDL_FreeCursor(cursor);
    m_presenters.clear(); // before the connection they use goes
    if (m_started)
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    if (m_wake >= 0)
        close(m_wake);
}

HWND SdlBackend::HandleOf(Uint32 windowId) const
{
    auto it = m_byId.find(windowId);
    return it == m_byId.end() ? nullptr : it->second;
}

POINT SdlBackend::WindowOrigin(Uint32 windowId) const
{
    POINT origin;
    if (m_wayland) {
        // Screen positions are the window system's own idea of where its windows are.
        const WindowRecord* window = m_system ? m_system->Record(HandleOf(windowId)) : nullptr;
        if (window)
            origin = POINT{ToDevice(window->rect.left), ToDevice(window->rect.top)};
        return origin;
    }
    if (SDL_Window* window = SDL_GetWindowFromID(windowId))
        SDL_GetWindowPosition(window, &origin.x, &origin.y);
    return origin;
}

// ---------------------------------------------------------------------------------------------
// Windows
// ---------------------------------------------------------------------------------------------

bool SdlBackend::CreateNative(WindowRecord& window)
{
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (!HasFrame(window))
        flags |= SDL_WINDOW_BORDERLESS;
    if (window.style & WS_THICKFRAME)
        flags |= SDL_WINDOW_RESIZABLE;
    if (window.IsTopmost())
        flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    if (IsTooltip(window))
        flags |= SDL_WINDOW_TOOLTIP | SDL_WINDOW_BORDERLESS | SDL_WINDOW_SKIP_TASKBAR | SDL_WINDOW_ALWAYS_ON_TOP;
    else if (window.exStyle & WS_EX_TOOLWINDOW)
        flags |= SDL_WINDOW_UTILITY | SDL_WINDOW_SKIP_TASKBAR;
    // SDL cannot make an empty window; a zero-sized one stays hidden until it gets a size.
    // The native window has the picture's device size at the device position.
    const int width = std::max(window.pixels.width, 1), height = std::max(window.pixels.height, 1);
    SDL_Window* native = SDL_CreateWindow(Utf16ToUtf8(window.title).c_str(), ToDevice(window.rect.left),
                                          ToDevice(window.rect.top), width, height, flags);
    if (!native)
        return false;
    window.native = native;
    m_byId[SDL_GetWindowID(native)] = window.handle;
    SDL_SetWindowHitTest(native, HitTestCallback, this);
    SyncOwner(window);
    if (window.opacity != 255)
        SDL_SetWindowOpacity(native, float(window.opacity) / 255.0f);
    return true;
}

void SdlBackend::DestroyNative(WindowRecord& window)
{
    if (SDL_Window* native = Native(window)) {
        m_byId.erase(SDL_GetWindowID(native));
        m_presenters.erase(SDL_GetWindowID(native));
        SDL_DestroyWindow(native);
        window.native = nullptr;
    }
    if (m_lastHitWindow == window.handle)
        m_lastHitWindow = nullptr;
    if (m_dragWindow == window.handle)
        m_dragWindow = nullptr;
}

void SdlBackend::SyncShown(WindowRecord& window)
{
    SDL_Window* native = Native(window);
    const bool shown = window.IsVisibleFlag() && window.Width() > 0 && window.Height() > 0;
    const bool nativeShown = (SDL_GetWindowFlags(native) & SDL_WINDOW_SHOWN) != 0;
    if (shown && !nativeShown) {
        SDL_ShowWindow(native);
        SDL_SetWindowPosition(native, ToDevice(window.rect.left), ToDevice(window.rect.top));
        Shape(window);
    } else if (!shown && nativeShown) {
        SDL_HideWindow(native);
    }
}

void SdlBackend::SyncIcon(WindowRecord& window)
{
    const SurfacePtr surface = IconSurface(window);
    if (surface)
        SDL_SetWindowIcon(Native(window), surface.get());
}

SdlBackend::SurfacePtr SdlBackend::IconSurface(const WindowRecord& window) const
{
    HICON icon = window.bigIcon ? window.bigIcon : window.smallIcon;
    const PixelBuffer pixels = m_system->IconPixels(icon);
    if (pixels.IsEmpty())
        return nullptr;
    SurfacePtr surface(SDL_CreateRGBSurfaceWithFormat(0, pixels.width, pixels.height, 32, SDL_PIXELFORMAT_ARGB8888));
    if (!surface)
        return nullptr;
    // Window icons want straight alpha.
    for (int y = 0; y < pixels.height; ++y) {
        const std::uint32_t* src = pixels.Row(y);
        auto* dst = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(surface->pixels) + y * surface->pitch);
        for (int x = 0; x < pixels.width; ++x) {
            const std::uint32_t p = src[x];
            const std::uint32_t a = p >> 24;
            if (a == 0 || a == 255) {
                dst[x] = a == 0 ? 0 : p;
                continue;
            }
            auto un = [&](std::uint32_t c) { return std::min<std::uint32_t>(255, (c * 255 + a / 2) / a); };
            dst[x] = (a << 24) | (un((p >> 16) & 0xFF) << 16) | (un((p >> 8) & 0xFF) << 8) | un(p & 0xFF);
        }
    }
    return surface;
}

void SdlBackend::SyncOwner(WindowRecord& window)
{
    const WindowRecord* owner = window.owner ? m_system->Record(window.owner) : nullptr;
    if (owner && owner->native)
        SDL_SetWindowModalFor(Native(window), Native(*owner));
}

void SdlBackend::UpdateNative(WindowRecord& window, unsigned changes)
{
    SDL_Window* native = Native(window);
    if (!native)
        return;
    if (changes & kChangeTitle)
        SDL_SetWindowTitle(native, Utf16ToUtf8(window.title).c_str());
    if (changes & kChangeStyle) {
        SDL_SetWindowBordered(native, HasFrame(window) ? SDL_TRUE : SDL_FALSE);
        SDL_SetWindowResizable(native, (window.style & WS_THICKFRAME) ? SDL_TRUE : SDL_FALSE);
    }
    if (changes & kChangeSize) {
        if (window.pixels.width > 0 && window.pixels.height > 0)
            SDL_SetWindowSize(native, window.pixels.width, window.pixels.height);
        Shape(window);
    }
    if (changes & (kChangePosition | kChangeSize))
        SDL_SetWindowPosition(native, ToDevice(window.rect.left), ToDevice(window.rect.top));
    if (changes & kChangeTopmost)
        SDL_SetWindowAlwaysOnTop(native, window.IsTopmost() ? SDL_TRUE : SDL_FALSE);
    if (changes & kChangeRegion)
        Shape(window);
    // Needs a compositing desktop to show; elsewhere the window simply stays opaque.
    if (changes & kChangeOpacity)
        SDL_SetWindowOpacity(native, float(window.opacity) / 255.0f);
    if (changes & kChangeIcon)
        SyncIcon(window);
    if (changes & kChangeOwner)
        SyncOwner(window);
    if (changes & (kChangeVisibility | kChangeSize))
        SyncShown(window);
    if (changes & kChangeMinimized) {
        if (window.IsMinimized())
            SDL_MinimizeWindow(native);
        else
            SDL_RestoreWindow(native);
    }
}

void SdlBackend::ActivateNative(WindowRecord& window)
{
    SDL_Window* native = Native(window);
    if (native && (SDL_GetWindowFlags(native) & SDL_WINDOW_SHOWN) && !IsTooltip(window))
        SDL_RaiseWindow(native);
}

bool SdlBackend::CopyToSurface(WindowRecord& window, const RECT& dirty, SDL_Rect& copied)
{
    SDL_Window* native = Native(window);
    if (!native || !(SDL_GetWindowFlags(native) & SDL_WINDOW_SHOWN))
        return false;
    SDL_Surface* surface = SDL_GetWindowSurface(native);
    if (!surface)
        return false;
    const PixelBuffer& px = window.pixels;
    const RECT device = window.DeviceRect(dirty);
    const int right = std::min({int(device.right), px.width, surface->w});
    const int bottom = std::min({int(device.bottom), px.height, surface->h});
    const int left = std::max(int(device.left), 0), top = std::max(int(device.top), 0);
    if (right <= left || bottom <= top)
        return false;
    SDL_LockSurface(surface);
    const Uint32 format = surface->format->format;
    if (format == SDL_PIXELFORMAT_ARGB8888 || format == SDL_PIXELFORMAT_RGB888) {
        for (int y = top; y < bottom; ++y) {
            auto* dst =
                reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(surface->pixels) + y * surface->pitch);
            std::memcpy(dst + left, px.Row(y) + left, std::size_t(right - left) * 4);
        }
    } else {
        auto* dst =
            static_cast<std::uint8_t*>(surface->pixels) + top * surface->pitch + left * surface->format->BytesPerPixel;
        SDL_ConvertPixels(right - left, bottom - top, SDL_PIXELFORMAT_ARGB8888, px.Row(top) + left, px.stride, format,
                          dst, surface->pitch);
    }
    SDL_UnlockSurface(surface);
    copied = SDL_Rect{left, top, right - left, bottom - top};
    return true;
}

bool SdlBackend::PresentThroughX11(WindowRecord& window, const RECT* pieces, std::size_t count)
{
    SDL_Window* native = Native(window);
    if (!native || !(SDL_GetWindowFlags(native) & SDL_WINDOW_SHOWN))
        return false;
    auto [it, made] = m_presenters.try_emplace(SDL_GetWindowID(native));
    if (made)
        it->second = std::make_unique<SdlX11Presenter>(native);
    if (!it->second)
        return false;
    const PixelBuffer& px = window.pixels;
    InlineVector<Rect, 4> device; // a paint has a piece or two: no heap block per frame
    for (std::size_t i = 0; i < count; ++i) {
        const RECT d = window.DeviceRect(pieces[i]);
        device.push_back(Rect{d.left, d.top, d.right, d.bottom});
    }
    if (it->second->Put(px.Row(0), px.width, px.height, px.stride, device.data(), device.size()))
        return true;
    it->second.reset(); // this window's visual is not ours: SDL shows it from now on
    return false;
}

void SdlBackend::Present(WindowRecord& window, const RECT& dirty)
{
    if (window.pixels.IsEmpty() || PresentThroughX11(window, &dirty, 1))
        return;
    SDL_Rect rect;
    if (CopyToSurface(window, dirty, rect))
        SDL_UpdateWindowSurfaceRects(Native(window), &rect, 1);
}

void SdlBackend::PresentPieces(WindowRecord& window, const std::vector<RECT>& pieces)
{
    if (pieces.empty() || window.pixels.IsEmpty() || PresentThroughX11(window, pieces.data(), pieces.size()))
        return;
    // One update for all the pieces of a paint: each update waits for the display server to take
    // the pixels, so a paint of the bar and its label would otherwise wait twice.
    std::vector<SDL_Rect> rects;
    rects.reserve(pieces.size());
    for (const RECT& piece : pieces) {
        SDL_Rect rect;
        if (CopyToSurface(window, piece, rect))
            rects.push_back(rect);
    }
    if (!rects.empty())
        SDL_UpdateWindowSurfaceRects(Native(window), rects.data(), static_cast<int>(rects.size()));
}

// ---------------------------------------------------------------------------------------------
// Desktop services
// ---------------------------------------------------------------------------------------------

void SdlBackend::SetCursorShape(int cursorId)
{
    if (cursorId == 0) {
        SDL_ShowCursor(SDL_DISABLE);
        return;
    }
    SDL_ShowCursor(SDL_ENABLE);
    const SDL_SystemCursor shape = SdlCursorFor(cursorId);
    auto it = m_cursors.find(int(shape));
    if (it == m_cursors.end()) {
        SDL_Cursor* cursor = SDL_CreateSystemCursor(shape);
        if (!cursor)
            return;
        it = m_cursors.emplace(int(shape), cursor).first;
    }
    SDL_SetCursor(it->second);
}

void SdlBackend::SetMouseCapture(WindowRecord* window)
{
    SDL_CaptureMouse(window ? SDL_TRUE : SDL_FALSE);
}

bool SdlBackend::QueryCursorPos(POINT& pos)
{
    if (m_wayland)
        return false; // the window system keeps the last position it saw instead
    int x = 0, y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    pos = ToLogical(POINT{x, y});
    return true;
}

int SdlBackend::MonitorCount()
{
    return std::max(SDL_GetNumVideoDisplays(), 1);
}

RECT SdlBackend::MonitorRect(int index)
{
    SDL_Rect r{0, 0, 1024, 768};
    SDL_GetDisplayBounds(index, &r);
    return LogicalRect(r, m_scale);
}

RECT SdlBackend::WorkArea(int index)
{
    SDL_Rect r;
    if (SDL_GetDisplayUsableBounds(index, &r) != 0)
        return MonitorRect(index);
    return LogicalRect(r, m_scale);
}

int SdlBackend::ShowMessageBox(WindowRecord* owner, const std::u16string& text, const std::u16string& caption,
                               UINT type, const std::function<void()>& whileOpen)
{
    // The box is always our own: SDL's looks different on every desktop (on X11 a bitmap font,
    // minimise and maximise buttons, no icon, no keyboard moves between its buttons).
    DrawnMessageBox drawn{Utf16ToUtf8(caption), Utf16ToUtf8(text), MessageBoxIconFor(type), MessageBoxChoicesFor(type)};
    const SurfacePtr icon = owner ? IconSurface(*owner) : nullptr;
    drawn.scale = m_scale;
    m_modalBox = true;
    const DrawnBoxSleep sleep{[this] { return m_system ? m_system->MillisecondsToNextThreadTimer() : -1; }, m_wake};
    const int answer = ShowDrawnMessageBox(
        drawn, icon.get(), owner ? Native(*owner) : nullptr, [this](const SDL_Event& e) { OtherEventWhileModal(e); },
        whileOpen, sleep);
    m_modalBox = false;
    return answer;
}

void SdlBackend::OtherEventWhileModal(const SDL_Event& e)
{
    // Input for other windows is dropped: the owner must not act while its question is open.
    if (e.type != SDL_WINDOWEVENT)
        return;
    switch (e.window.event) {
    case SDL_WINDOWEVENT_EXPOSED:
        // The window system does not run while the box is up, so the last picture is shown again.
        if (WindowRecord* window = m_system ? m_system->Record(HandleOf(e.window.windowID)) : nullptr)
            Present(*window, RECT{0, 0, window->Width(), window->Height()});
        return;
    case SDL_WINDOWEVENT_CLOSE:
    case SDL_WINDOWEVENT_HIT_TEST:
        return;
    default:
        // Moves, sizes and focus changes are still recorded, so the window system's idea of its
        // windows stays true once the box is answered.
        Translate(e);
        return;
    }
}

// ---------------------------------------------------------------------------------------------
// Events
// ---------------------------------------------------------------------------------------------

SDL_HitTestResult SdlBackend::HitTestCallback(SDL_Window* window, const SDL_Point* area, void* data)
{
    auto* self = static_cast<SdlBackend*>(data);
    const HWND hwnd = self->HandleOf(SDL_GetWindowID(window));
    if (!hwnd || !self->m_system || self->m_modalBox)
        return SDL_HITTEST_NORMAL;
    const POINT origin = self->WindowOrigin(SDL_GetWindowID(window));
    const POINT screen = self->ToLogical(POINT{origin.x + area->x, origin.y + area->y});
    const LRESULT hit = self->m_system->HitTest(hwnd, screen);
    self->m_lastHitWindow = hwnd;
    self->m_lastHit = hit;
    self->m_lastHitPoint = screen;
    return SdlHitFor(hit);
}

void SdlBackend::Translate(const SDL_Event& e)
{
    InputEvent event;
    switch (e.type) {
    case SDL_MOUSEMOTION: {
        event.kind = InputKind::MouseMove;
        event.window = HandleOf(e.motion.windowID);
        const POINT origin = WindowOrigin(e.motion.windowID);
        event.screen = ToLogical(POINT{origin.x + e.motion.x, origin.y + e.motion.y});
        // While following a caption drag the pointer is read directly (see PollEvents).
        if (m_dragWindow)
            return;
        event.buttons = MouseKeysFromSdl(e.motion.state);
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        if (e.button.button != SDL_BUTTON_LEFT && e.button.button != SDL_BUTTON_RIGHT &&
            e.button.button != SDL_BUTTON_MIDDLE)
            return;
        event.kind = e.type == SDL_MOUSEBUTTONDOWN ? InputKind::MouseDown : InputKind::MouseUp;
        event.window = HandleOf(e.button.windowID);
        event.button = e.button.button == SDL_BUTTON_LEFT    ? kLeftButton
                       : e.button.button == SDL_BUTTON_RIGHT ? kRightButton
                                                             : kMiddleButton;
        const POINT origin = WindowOrigin(e.button.windowID);
        event.screen = ToLogical(POINT{origin.x + e.button.x, origin.y + e.button.y});
        break;
    }
    case SDL_MOUSEWHEEL: {
        event.kind = InputKind::Wheel;
        event.window = HandleOf(e.wheel.windowID);
        int steps = e.wheel.y;
        if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
            steps = -steps;
        if (steps == 0)
            return;
        event.wheelDelta = steps * WHEEL_DELTA;
        QueryCursorPos(event.screen);
        break;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        event.kind = e.type == SDL_KEYDOWN ? InputKind::KeyDown : InputKind::KeyUp;
        event.window = HandleOf(e.key.windowID);
        event.vk = VirtualKeyFromSdl(e.key.keysym.sym);
        event.repeat = e.key.repeat != 0;
        if (!event.vk)
            return;
        break;
    case SDL_TEXTINPUT:
        event.kind = InputKind::Text;
        event.window = HandleOf(e.text.windowID);
        event.text = Utf8ToUtf16(e.text.text, MalformedUtf8::ReplaceSequence);
        break;
    case SDL_WINDOWEVENT: {
        event.window = HandleOf(e.window.windowID);
        if (!event.window)
            return;
        SDL_Window* native = SDL_GetWindowFromID(e.window.windowID);
        const POINT origin = ToLogical(WindowOrigin(e.window.windowID));
        const int x = origin.x, y = origin.y;
        int w = 0, h = 0;
        SDL_GetWindowSize(native, &w, &h);
        w = UnscaleLength(w, m_scale);
        h = UnscaleLength(h, m_scale);
        switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            event.kind = InputKind::CloseRequest;
            break;
        case SDL_WINDOWEVENT_MOVED:
            if (m_wayland)
                return;
            event.kind = InputKind::Moved;
            event.rect =
                RECT{UnscaleCoordinate(e.window.data1, m_scale), UnscaleCoordinate(e.window.data2, m_scale), 0, 0};
            event.rect.right = event.rect.left + w;
            event.rect.bottom = event.rect.top + h;
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            event.kind = InputKind::Resized;
            event.rect =
                RECT{x, y, x + UnscaleLength(e.window.data1, m_scale), y + UnscaleLength(e.window.data2, m_scale)};
            break;
        case SDL_WINDOWEVENT_MINIMIZED:
            event.kind = InputKind::Minimized;
            break;
        case SDL_WINDOWEVENT_RESTORED:
            event.kind = InputKind::Restored;
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            event.kind = InputKind::Activated;
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            event.kind = InputKind::Deactivated;
            break;
        case SDL_WINDOWEVENT_EXPOSED:
            event.kind = InputKind::Exposed;
            break;
        case SDL_WINDOWEVENT_LEAVE:
            event.kind = InputKind::MouseLeave;
            break;
        case SDL_WINDOWEVENT_HIT_TEST:
            // SDL handed a caption or border press to the desktop. A window manager moves or sizes the
            // window from here; on a bare X server nobody would, so the window system follows the pointer.
            if (m_lastHitWindow != event.window || SdlHitFor(m_lastHit) == SDL_HITTEST_NORMAL ||
                SdlDesktopMovesWindows(native))
                return;
            event.kind = InputKind::CaptionDragStart;
            event.screen = m_lastHitPoint;
            event.hit = m_lastHit;
            m_dragWindow = event.window;
            break;
        default:
            return;
        }
        break;
    }
    default:
        return;
    }
    m_pending.push_back(std::move(event));
}

SdlX11Connection SdlBackend::X11Connection() const
{
    return m_byId.empty() ? SdlX11Connection{} : SdlX11ConnectionOf(SDL_GetWindowFromID(m_byId.begin()->first));
}

bool SdlBackend::DisplayMayHaveNews() const
{
    const SdlX11Connection x11 = X11Connection();
    if (x11.socket < 0)
        return true; // only SDL can tell
    if (SdlX11FlushAndCheckQueued(x11))
        return true;
    pollfd fd{x11.socket, POLLIN, 0};
    return poll(&fd, 1, 0) > 0;
}

void SdlBackend::PollEvents(std::vector<InputEvent>& out)
{
    // Pumping asks the display server for news, a few reads of its socket each time. One tick of
    // an animation asks for messages several times within a fraction of a millisecond, so within a
    // millisecond of the last pump the events SDL already holds are taken without asking again;
    // and on X11 SDL is asked only when the socket has news.
    const Uint64 now = SDL_GetTicks64();
    if (now - m_lastPump >= kPumpInterval) {
        if (m_dragWindow || DisplayMayHaveNews())
            SDL_PumpEvents();
        m_lastPump = now;
    }
    SDL_Event e;
    while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0)
        Translate(e);
    if (m_dragWindow) {
        // SDL gave the press away, so its own motion events during the drag are unreliable: follow
        // the pointer's real position and button instead, until the button comes up.
        InputEvent move;
        move.kind = InputKind::MouseMove;
        move.window = m_dragWindow;
        int x = 0, y = 0;
        const Uint32 state = SDL_GetGlobalMouseState(&x, &y);
        move.screen = ToLogical(POINT{x, y});
        move.buttons = MouseKeysFromSdl(state);
        m_pending.push_back(move);
        if (!(state & SDL_BUTTON_LMASK)) {
            InputEvent up = move;
            up.kind = InputKind::MouseUp;
            up.button = kLeftButton;
            m_pending.push_back(up);
            m_dragWindow = nullptr;
        }
    }
    for (InputEvent& event : m_pending)
        out.push_back(std::move(event));
    m_pending.clear();
}

void SdlBackend::WaitEvents(int timeoutMs)
{
    if (m_dragWindow)
        timeoutMs = timeoutMs < 0 ? 10 : std::min(timeoutMs, 10);
    SDL_Event e;
    const SdlX11Connection x11 = m_wake < 0 ? SdlX11Connection{} : X11Connection();
    if (x11.socket < 0) {
        const bool got = SDL_WaitEventTimeout(&e, timeoutMs < 0 ? -1 : timeoutMs);
        // Waiting has read the display server's events, or seen that none came.
        m_lastPump = SDL_GetTicks64();
        if (got)
            Translate(e);
        return;
    }
    // On X11 the wait is on the server's socket and the wake-up descriptor: what SDL holds already
    // and what Xlib has read already are taken first, and the server is asked for news only when
    // its socket says there is some.
    if (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
        Translate(e);
        return;
    }
    if (SdlX11SleepForNews(x11, m_wake, timeoutMs))
        SDL_PumpEvents();
    m_lastPump = SDL_GetTicks64();
    if (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0)
        Translate(e);
}

void SdlBackend::Wake()
{
    if (m_wakeEvent == Uint32(-1))
        return;
    SDL_Event e{};
    e.type = m_wakeEvent;
    SDL_PushEvent(&e);
    // The event is in SDL's queue; this ends a wait on the server's socket.
    if (m_wake >= 0) {
        const std::uint64_t one = 1;
        ssize_t written = write(m_wake, &one, sizeof one);
        (void)written;
    }
}

} // namespace

std::unique_ptr<IWindowBackend> CreateSdlBackend(std::string* error)
{
    auto backend = std::make_unique<SdlBackend>();
    if (!backend->Start()) {
        if (error)
            *error = SDL_GetError();
        return nullptr;
    }
    return backend;
}

bool HaveSdlDisplay()
{
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (display && *display) || (wayland && *wayland);
}

} // namespace platform
