// Painting (update rectangles, BeginPaint/EndPaint, presentation), cursors, icons, system metrics,
// monitors and message boxes of the window system.
#include "platform/WindowSystem.h"

#include "platform/PngFile.h"
#include "platform/Surface.h"

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

bool Empty(const RECT& r)
{
    return r.right <= r.left || r.bottom <= r.top;
}

RECT Intersect(const RECT& a, const RECT& b)
{
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    return Empty(r) ? RECT{} : r;
}

RECT Union(const RECT& a, const RECT& b)
{
    if (Empty(a))
        return b;
    if (Empty(b))
        return a;
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

bool OverlapOrTouch(const RECT& a, const RECT& b)
{
    return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}

// More separate pieces than this are painted as their bounding box: each piece costs a pass over
// the control tree and a presentation of its own.
constexpr std::size_t kMaxUpdatePieces = 4;

void AddUpdatePiece(std::vector<RECT>& pieces, RECT area)
{
    // A new area swallows every piece it overlaps or touches, and the grown area may reach more.
    for (bool merged = true; merged;) {
        merged = false;
        for (auto it = pieces.begin(); it != pieces.end(); ++it) {
            if (OverlapOrTouch(*it, area)) {
                area = Union(*it, area);
                pieces.erase(it);
                merged = true;
                break;
            }
        }
    }
    pieces.push_back(area);
    if (pieces.size() > kMaxUpdatePieces) {
        RECT box{};
        for (const RECT& piece : pieces)
            box = Union(box, piece);
        pieces.assign(1, box);
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Painting
// ---------------------------------------------------------------------------------------------

bool WindowSystem::InvalidateRect(HWND hwnd, const RECT* rect, bool erase)
{
    WindowRecord* window = Record(hwnd);
    if (!window)
        return false;
    const RECT client{0, 0, window->Width(), window->Height()};
    const RECT area = rect ? Intersect(*rect, client) : client;
    if (Empty(area))
        return true;
    window->updateRect = Union(window->updateRect, area);
    AddUpdatePiece(window->updatePieces, area);
    window->needsPaint = true;
    (void)erase;
    return true;
}

bool WindowSystem::ValidateRect(HWND hwnd, const RECT* rect)
{
    WindowRecord* window = Record(hwnd);
    if (!window)
        return false;
    const RECT& u = window->updateRect;
    if (!rect || (rect->left <= u.left && rect->top <= u.top && rect->right >= u.right && rect->bottom >= u.bottom)) {
        window->updateRect = RECT{};
        window->updatePieces.clear();
        window->needsPaint = false;
    }
    return true;
}

bool WindowSystem::GetUpdateRect(HWND hwnd, RECT& rect) const
{
    const WindowRecord* window = Record(hwnd);
    if (!window)
        return false;
    rect = window->needsPaint ? window->updateRect : RECT{};
    return window->needsPaint;
}

bool WindowSystem::UpdateWindow(HWND hwnd)
{
    const WindowRecord* window = Record(hwnd);
    if (!window)
        return false;
    if (window->needsPaint && IsWindowVisible(hwnd))
        SendMessage(hwnd, WM_PAINT, 0, 0);
    return true;
}

bool WindowSystem::BeginPaint(HWND hwnd, PaintInfo& paint)
{
    WindowRecord* window = Record(hwnd);
    if (!window)
        return false;
    paint.dirty = window->needsPaint ? window->updateRect : RECT{};
    paint.pieces.clear();
    if (window->needsPaint && window->updatePieces.size() > 1)
        paint.pieces = std::move(window->updatePieces);
    paint.erase = window->needsPaint;
    window->needsPaint = false;
    window->updateRect = RECT{};
    window->updatePieces.clear();
    paint.pixels = WindowPixels(hwnd);
    paint.scale = WindowScale(hwnd);
    return true;
}

bool WindowSystem::EndPaint(HWND hwnd, const PaintInfo& paint)
{
    if (!Record(hwnd))
        return false;
    if (paint.pieces.empty())
        return PresentWindow(hwnd, &paint.dirty);
    // Only the pieces were painted: what lies between them on screen is unchanged.
    return PresentPieces(hwnd, paint.pieces);
}

PixelBuffer WindowSystem::WindowPixels(HWND hwnd) const
{
    const WindowRecord* window = Record(hwnd);
    if (!window)
        return PixelBuffer{};
    if (!window->IsChild())
        return window->pixels;
    // A child paints straight into its top-level window's picture.
    const WindowRecord* top = TopLevelOf(hwnd);
    if (!top || top->pixels.IsEmpty())
        return PixelBuffer{};
    const POINT origin = ClientOriginOnScreen(*window);
    const RECT logical{origin.x - top->rect.left, origin.y - top->rect.top, origin.x - top->rect.left + window->Width(),
                       origin.y - top->rect.top + window->Height()};
    const RECT device = top->DeviceRect(logical);
    const int x = device.left, y = device.top;
    const RECT visible = Intersect(device, RECT{0, 0, top->pixels.width, top->pixels.height});
    if (Empty(visible) || visible.left != x || visible.top != y)
        return PixelBuffer{};
    PixelBuffer view;
    view.pixels = top->pixels.Row(y) + x;
    view.width = visible.right - visible.left;
    view.height = visible.bottom - visible.top;
    view.stride = top->pixels.stride;
    return view;
}

double WindowSystem::WindowScale(HWND hwnd) const
{
    const WindowRecord* top = TopLevelOf(hwnd);
    return top ? top->scale : 1.0;
}

bool WindowSystem::PresentArea(HWND hwnd, const RECT* dirty, WindowRecord*& top, RECT& area)
{
    const WindowRecord* window = Record(hwnd);
    if (!window)
        return false;
    top = TopLevelOf(hwnd);
    if (!top)
        return false;
    area = dirty ? *dirty : RECT{0, 0, window->Width(), window->Height()};
    if (window != top) {
        const POINT origin = ClientOriginOnScreen(*window);
        const int dx = origin.x - top->rect.left, dy = origin.y - top->rect.top;
        area = RECT{area.left + dx, area.top + dy, area.right + dx, area.bottom + dy};
    }
    area = Intersect(area, RECT{0, 0, top->Width(), top->Height()});
    if (!top->IsVisibleFlag() || top->IsMinimized())
        area = RECT{};
    return true;
}

bool WindowSystem::PresentWindow(HWND hwnd, const RECT* dirty)
{
    WindowRecord* top = nullptr;
    RECT area{};
    if (!PresentArea(hwnd, dirty, top, area))
        return false;
    if (!Empty(area))
        m_backend->Present(*top, area);
    return true;
}

bool WindowSystem::PresentPieces(HWND hwnd, const std::vector<RECT>& pieces)
{
    WindowRecord* top = nullptr;
    std::vector<RECT> areas;
    areas.reserve(pieces.size());
    for (const RECT& piece : pieces) {
        RECT area{};
        if (!PresentArea(hwnd, &piece, top, area))
            return false;
        if (!Empty(area))
            areas.push_back(area);
    }
    if (top && !areas.empty())
        m_backend->PresentPieces(*top, areas);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Cursors
// ---------------------------------------------------------------------------------------------

HCURSOR WindowSystem::LoadCursor(HINSTANCE instance, int cursorId) const
{
    if (instance)
        return nullptr;
    switch (cursorId) {
    case IDC_ARROW:
    case IDC_IBEAM:
    case IDC_WAIT:
    case IDC_CROSS:
    case IDC_UPARROW:
    case IDC_SIZENWSE:
    case IDC_SIZENESW:
    case IDC_SIZEWE:
    case IDC_SIZENS:
    case IDC_SIZEALL:
    case IDC_NO:
    case IDC_HAND:
    case IDC_APPSTARTING:
    case IDC_HELP:
        return reinterpret_cast<HCURSOR>(std::uintptr_t(cursorId));
    default:
        return nullptr;
    }
}

int WindowSystem::CursorId(HCURSOR cursor)
{
    return int(reinterpret_cast<std::uintptr_t>(cursor));
}

HCURSOR WindowSystem::SetCursor(HCURSOR cursor)
{
    const HCURSOR previous = m_cursor;
    if (cursor != m_cursor) {
        m_cursor = cursor;
        m_backend->SetCursorShape(CursorId(cursor));
    }
    return previous;
}

HCURSOR WindowSystem::GetCursor() const
{
    return m_cursor;
}

// ---------------------------------------------------------------------------------------------
// Icons
// ---------------------------------------------------------------------------------------------

HICON WindowSystem::CreateIconFromPixels(const PixelBuffer& pixels)
{
    if (pixels.IsEmpty())
        return nullptr;
    Icon icon;
    icon.store.resize(std::size_t(pixels.width) * std::size_t(pixels.height));
    for (int y = 0; y < pixels.height; ++y)
        std::copy_n(pixels.Row(y), pixels.width, icon.store.data() + std::size_t(y) * std::size_t(pixels.width));
    const std::uintptr_t key = m_nextIcon++;
    Icon& stored = m_icons[key] = std::move(icon);
    stored.pixels = PixelBuffer{stored.store.data(), pixels.width, pixels.height, pixels.width * 4};
    return reinterpret_cast<HICON>(key);
}

bool WindowSystem::DestroyIcon(HICON icon)
{
    return m_icons.erase(reinterpret_cast<std::uintptr_t>(icon)) != 0;
}

PixelBuffer WindowSystem::IconPixels(HICON icon) const
{
    auto it = m_icons.find(reinterpret_cast<std::uintptr_t>(icon));
    return it == m_icons.end() ? PixelBuffer{} : it->second.pixels;
}

void WindowSystem::SetIconSource(IconSource source)
{
    m_iconSource = std::move(source);
}

HICON WindowSystem::LoadIconResource(HINSTANCE instance, int resourceId, int width, int height)
{
    (void)instance;
    if (!m_iconSource || width <= 0 || height <= 0)
        return nullptr;
    const std::vector<std::uint8_t> bytes = m_iconSource(resourceId);
    if (bytes.empty())
        return nullptr;
    const Surface picture = DecodePng(bytes, width, height);
    return picture.IsValid() ? CreateIconFromPixels(picture.Pixels()) : nullptr;
}

// ---------------------------------------------------------------------------------------------
// System metrics and monitors
// ---------------------------------------------------------------------------------------------

int WindowSystem::GetSystemMetrics(int index) const
{
    const int value = m_backend->SystemMetric(index);
    if (value >= 0)
        return value;
    switch (index) {
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
        return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
        return 4;
    case SM_CXSCREEN: {
        const RECT r = m_backend->MonitorRect(0);
        return r.right - r.left;
    }
    case SM_CYSCREEN: {
        const RECT r = m_backend->MonitorRect(0);
        return r.bottom - r.top;
    }
    default:
        return 0;
    }
}

HMONITOR WindowSystem::MonitorFromPoint(POINT point, DWORD flags) const
{
    const int count = m_backend->MonitorCount();
    long long best = -1;
    int bestIndex = 0;
    for (int i = 0; i < count; ++i) {
        const RECT r = m_backend->MonitorRect(i);
        if (point.x >= r.left && point.x < r.right && point.y >= r.top && point.y < r.bottom)
            return reinterpret_cast<HMONITOR>(std::uintptr_t(i + 1));
        const long long dx = point.x < r.left ? r.left - point.x : point.x >= r.right ? point.x - r.right + 1 : 0;
        const long long dy = point.y < r.top ? r.top - point.y : point.y >= r.bottom ? point.y - r.bottom + 1 : 0;
        const long long distance = dx * dx + dy * dy;
        if (best < 0 || distance < best) {
            best = distance;
            bestIndex = i;
        }
    }
    if (count == 0 || flags == MONITOR_DEFAULTTONULL)
        return nullptr;
    return reinterpret_cast<HMONITOR>(std::uintptr_t((flags == MONITOR_DEFAULTTOPRIMARY ? 0 : bestIndex) + 1));
}

HMONITOR WindowSystem::MonitorFromWindow(HWND hwnd, DWORD flags) const
{
    RECT rect;
    if (!GetWindowRect(hwnd, rect))
        return flags == MONITOR_DEFAULTTONULL ? nullptr : reinterpret_cast<HMONITOR>(std::uintptr_t(1));
    // The monitor that shows most of the window; a window on none takes the one nearest its centre.
    const int count = m_backend->MonitorCount();
    long long bestArea = 0;
    int bestIndex = -1;
    for (int i = 0; i < count; ++i) {
        const RECT overlap = Intersect(rect, m_backend->MonitorRect(i));
        const long long area =
            Empty(overlap) ? 0 : (long long)(overlap.right - overlap.left) * (long long)(overlap.bottom - overlap.top);
        if (area > bestArea) {
            bestArea = area;
            bestIndex = i;
        }
    }
    if (bestIndex >= 0)
        return reinterpret_cast<HMONITOR>(std::uintptr_t(bestIndex + 1));
    return MonitorFromPoint(POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}, flags);
}

bool WindowSystem::GetMonitorInfo(HMONITOR monitor, MONITORINFO& info) const
{
    const int index = int(reinterpret_cast<std::uintptr_t>(monitor)) - 1;
    if (index < 0 || index >= m_backend->MonitorCount())
        return false;
    info.rcMonitor = m_backend->MonitorRect(index);
    info.rcWork = m_backend->WorkArea(index);
    info.dwFlags = index == 0 ? 1u : 0u; // MONITORINFOF_PRIMARY
    return true;
}

// ---------------------------------------------------------------------------------------------
// Message boxes and tooltips
// ---------------------------------------------------------------------------------------------

int WindowSystem::MessageBox(HWND owner, const char16_t* text, const char16_t* caption, UINT type)
{
    WindowRecord* ownerRecord = owner ? TopLevelOf(owner) : nullptr;
    return m_backend->ShowMessageBox(ownerRecord, text ? std::u16string(text) : std::u16string(),
                                     caption ? std::u16string(caption) : std::u16string(u"Error"), type,
                                     [this] { FireDueThreadTimers(); });
}

void WindowSystem::SetTooltipPainter(TooltipPainter painter, TooltipMeasurer measurer)
{
    m_tooltipPainter = std::move(painter);
    m_tooltipMeasurer = std::move(measurer);
}

} // namespace platform
