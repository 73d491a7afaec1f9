// Window geometry: screen and client rectangles, moving and sizing in Win32 message order,
// window regions, whole-window opacity, and which window lies under a point.
#include "platform/WindowSystem.h"

#include <algorithm>

namespace platform {

// ---------------------------------------------------------------------------------------------
// Geometry
// ---------------------------------------------------------------------------------------------

POINT WindowSystem::ClientOriginOnScreen(const WindowRecord& window) const
{
    POINT origin{window.rect.left, window.rect.top};
    const WindowRecord* parent = window.IsChild() ? Record(window.parent) : nullptr;
    while (parent) {
        origin.x += parent->rect.left;
        origin.y += parent->rect.top;
        parent = parent->IsChild() ? Record(parent->parent) : nullptr;
    }
    return origin;
}

void WindowSystem::ResizeStore(WindowRecord& window)
{
    if (window.IsChild())
        return;
    // The picture is at device resolution, never larger than the largest window side.
    const int width = std::clamp(ScaleEdge(window.Width(), window.scale), 0, kMaxWindowSide);
    const int height = std::clamp(ScaleEdge(window.Height(), window.scale), 0, kMaxWindowSide);
    window.store.assign(std::size_t(width) * std::size_t(height), 0u);
    window.pixels.pixels = window.store.empty() ? nullptr : window.store.data();
    window.pixels.width = width;
    window.pixels.height = height;
    window.pixels.stride = width * 4;
}

bool WindowSystem::GetWindowRect(HWND hwnd, RECT& rect) const
{
    const WindowRecord* window = Record(hwnd);
    if (!window)
        return false;
    const POINT origin = ClientOriginOnScreen(*window);
    rect = RECT{origin.x, origin.y, origin.x + window->Width(), origin.y + window->Height()};
    return true;
}

bool WindowSystem::GetClientRect(HWND hwnd, RECT& rect) const
{
    const WindowRecord* window = Record(hwnd);
    if (!window)
        return false;
    rect = RECT{0, 0, window->Width(), window->Height()};
    return true;
}

bool WindowSystem::ClientToScreen(HWND hwnd, POINT& point) const
{
    const WindowRecord* window = Record(hwnd);
    if (!window)
        return false;
    const POINT origin = ClientOriginOnScreen(*window);
    point.x += origin.x;
    point.y += origin.y;
    return true;
}

bool WindowSystem::ScreenToClient(HWND hwnd, POINT& point) const
{
    const WindowRecord* window = Record(hwnd);
    if (!window)
        return false;
    const POINT origin = ClientOriginOnScreen(*window);
    point.x -= origin.x;
    point.y -= origin.y;
    return true;
}

bool WindowSystem::AdjustWindowRectEx(RECT& rect, DWORD style, bool menu, DWORD exStyle) const
{
    (void)rect;
    (void)style;
    (void)menu;
    (void)exStyle;
    return true;
}

RECT BoundedWindowRect(long long x, long long y, long long width, long long height)
{
    const auto clamp = [](long long v, long long low, long long high) { return int(std::clamp(v, low, high)); };
    const int left = clamp(x, -kMaxWindowPosition, kMaxWindowPosition);
    const int top = clamp(y, -kMaxWindowPosition, kMaxWindowPosition);
    return RECT{left, top, left + clamp(width, 0, kMaxWindowSide), top + clamp(height, 0, kMaxWindowSide)};
}

void WindowSystem::ApplyRect(WindowRecord& window, const RECT& requested, bool fromDesktop, WPARAM sizeKind)
{
    const RECT rect =
        BoundedWindowRect(requested.left, requested.top, static_cast<long long>(requested.right) - requested.left,
                          static_cast<long long>(requested.bottom) - requested.top);
    const HWND hwnd = window.handle;
    if (window.IsMinimized() && !fromDesktop) {
        window.restoreRect = rect;
        return;
    }
    const bool moved = rect.left != window.rect.left || rect.top != window.rect.top;
    const bool sized = rect.right - rect.left != window.Width() || rect.bottom - rect.top != window.Height();
    if (!moved && !sized)
        return;
    if (window.IsChild() && window.IsVisibleFlag())
        InvalidateRect(window.parent, &window.rect, true);
    window.rect = rect;
    if (sized) {
        ResizeStore(window);
        InvalidateRect(hwnd, nullptr, true);
    }
    if (window.IsChild() && window.IsVisibleFlag())
        InvalidateRect(window.parent, &window.rect, true);
    if (!window.IsChild() && !fromDesktop)
        m_backend->UpdateNative(window,
                                (moved ? unsigned(kChangePosition) : 0u) | (sized ? unsigned(kChangeSize) : 0u));
    if (moved) {
        const POINT origin = window.IsChild() ? POINT{rect.left, rect.top} : ClientOriginOnScreen(window);
        SendMessage(hwnd, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
    }
    if (sized && Record(hwnd))
        SendMessage(hwnd, WM_SIZE, sizeKind, MAKELPARAM(rect.right - rect.left, rect.bottom - rect.top));
}

void WindowSystem::ApplyScale(WindowRecord& window, double scale, const RECT& rect)
{
    if (window.IsChild())
        return;
    scale = SaneScale(scale);
    if (scale != window.scale) {
        window.scale = scale;
        ResizeStore(window);
        InvalidateRect(window.handle, nullptr, true);
    }
    ApplyRect(window, rect, true);
}

bool WindowSystem::SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags)
{
    WindowRecord* window = Record(hwnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    if (!(flags & SWP_NOZORDER) && !window->IsChild()) {
        const bool wasTopmost = window->IsTopmost();
        if (insertAfter == HWND_TOPMOST)
            window->exStyle |= WS_EX_TOPMOST;
        else if (insertAfter == HWND_NOTOPMOST)
            window->exStyle &= ~WS_EX_TOPMOST;
        if (insertAfter == HWND_BOTTOM) {
            std::erase(m_zOrder, hwnd);
            m_zOrder.insert(m_zOrder.begin(), hwnd);
        } else {
            PlaceOnTop(hwnd);
        }
        if (wasTopmost != window->IsTopmost())
            m_backend->UpdateNative(*window, kChangeTopmost);
    }
    RECT rect = window->IsMinimized() ? window->restoreRect : window->rect;
    if (!(flags & SWP_NOMOVE)) {
        const int w = rect.right - rect.left, h = rect.bottom - rect.top;
        rect = BoundedWindowRect(x, y, w, h);
    }
    if (!(flags & SWP_NOSIZE))
        rect = BoundedWindowRect(rect.left, rect.top, width, height);
    ApplyRect(*window, rect, false);

    if (!Record(hwnd))
        return true;
    if (flags & SWP_SHOWWINDOW)
        ShowWindow(hwnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    else if (flags & SWP_HIDEWINDOW)
        ShowWindow(hwnd, SW_HIDE);
    window = Record(hwnd);
    if (window && !(flags & SWP_NOACTIVATE) && !window->IsChild() && window->IsVisibleFlag())
        Activate(hwnd, false);
    return true;
}

bool WindowSystem::MoveWindow(HWND hwnd, int x, int y, int width, int height, bool repaint)
{
    (void)repaint;
    return SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool WindowSystem::SetWindowRegion(HWND hwnd, std::optional<WindowRegion> region, bool redraw)
{
    WindowRecord* window = Record(hwnd);
    if (!window)
        return false;
    window->region = region;
    if (!window->IsChild())
        m_backend->UpdateNative(*window, kChangeRegion);
    if (redraw)
        InvalidateRect(hwnd, nullptr, true);
    return true;
}

std::optional<WindowRegion> WindowSystem::GetWindowRegion(HWND hwnd) const
{
    const WindowRecord* window = Record(hwnd);
    return window ? window->region : std::nullopt;
}

bool WindowSystem::SetLayeredWindowAttributes(HWND hwnd, COLORREF, BYTE alpha, DWORD flags)
{
    WindowRecord* window = Record(hwnd);
    if (!window || window->IsChild() || !(window->exStyle & WS_EX_LAYERED))
        return false;
    if ((flags & LWA_ALPHA) && window->opacity != alpha) {
        window->opacity = alpha;
        m_backend->UpdateNative(*window, kChangeOpacity);
    }
    return true;
}

BYTE WindowSystem::WindowOpacity(HWND hwnd) const
{
    const WindowRecord* window = Record(hwnd);
    return window ? window->opacity : BYTE(255);
}

HWND WindowSystem::WindowFromPoint(POINT screen) const
{
    for (auto it = m_zOrder.rbegin(); it != m_zOrder.rend(); ++it) {
        const WindowRecord* window = Record(*it);
        if (!window || !window->IsVisibleFlag() || window->IsMinimized() || (window->exStyle & WS_EX_TRANSPARENT))
            continue;
        const RECT& r = window->rect;
        if (screen.x < r.left || screen.x >= r.right || screen.y < r.top || screen.y >= r.bottom)
            continue;
        if (window->region && !window->region->Contains(screen.x - r.left, screen.y - r.top))
            continue;
        // Descend into the child under the point; later children lie on top of earlier ones.
        POINT local{screen.x - r.left, screen.y - r.top};
        for (;;) {
            const WindowRecord* hit = nullptr;
            for (auto c = window->children.rbegin(); c != window->children.rend(); ++c) {
                const WindowRecord* child = Record(*c);
                if (child && child->IsVisibleFlag() && local.x >= child->rect.left && local.x < child->rect.right &&
                    local.y >= child->rect.top && local.y < child->rect.bottom) {
                    hit = child;
                    break;
                }
            }
            if (!hit)
                break;
            local.x -= hit->rect.left;
            local.y -= hit->rect.top;
            window = hit;
        }
        return window->handle;
    }
    return nullptr;
}

} // namespace platform
