// Cursors, monitors, icons, regions and message boxes over user32 and GDI.
#include "platform/win32/Win32Desktop.h"

#include <algorithm>
#include <cstring>

namespace platform::win32_impl {

HCURSOR SystemCursor(int cursorId)
{
    if (cursorId == 0)
        return nullptr;
    // Our ids are the system's own numbers; unknown ones get the arrow.
    HCURSOR cursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(std::uintptr_t(WORD(cursorId))));
    return cursor ? cursor : ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(std::uintptr_t(IDC_ARROW)));
}

namespace {

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data)
{
    auto* list = reinterpret_cast<std::vector<MonitorArea>*>(data);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!::GetMonitorInfoW(monitor, &info))
        return TRUE;
    const MonitorArea area{info.rcMonitor, info.rcWork};
    if (info.dwFlags & MONITORINFOF_PRIMARY)
        list->insert(list->begin(), area);
    else
        list->push_back(area);
    return TRUE;
}

} // namespace

std::vector<MonitorArea> Monitors()
{
    std::vector<MonitorArea> list;
    ::EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&list));
    if (list.empty()) {
        const RECT screen{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
        list.push_back(MonitorArea{screen, screen});
    }
    return list;
}

HICON IconFromPixels(const PixelBuffer& pixels)
{
    if (pixels.IsEmpty())
        return nullptr;
    BITMAPV5HEADER header{};
    header.bV5Size = sizeof header;
    header.bV5Width = pixels.width;
    header.bV5Height = -pixels.height;
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_BITFIELDS;
    header.bV5RedMask = 0x00FF0000;
    header.bV5GreenMask = 0x0000FF00;
    header.bV5BlueMask = 0x000000FF;
    header.bV5AlphaMask = 0xFF000000;
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    HBITMAP colour =
        ::CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
    ::ReleaseDC(nullptr, screen);
    if (!colour)
        return nullptr;
    // Icons take straight alpha.
    auto* out = static_cast<std::uint32_t*>(bits);
    for (int y = 0; y < pixels.height; ++y) {
        const std::uint32_t* row = pixels.Row(y);
        for (int x = 0; x < pixels.width; ++x) {
            const std::uint32_t p = row[x], a = p >> 24;
            auto un = [a](std::uint32_t c) { return std::min<std::uint32_t>(255, (c * 255 + a / 2) / a); };
            out[y * pixels.width + x] =
                a == 0     ? 0
                : a == 255 ? p
                           : (a << 24) | (un((p >> 16) & 0xFF) << 16) | (un((p >> 8) & 0xFF) << 8) | un(p & 0xFF);
        }
    }
    // The mask is ignored for a 32-bit colour bitmap with alpha but must be there.
    HBITMAP mask = ::CreateBitmap(pixels.width, pixels.height, 1, 1, nullptr);
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = colour;
    info.hbmMask = mask;
    HICON icon = ::CreateIconIndirect(&info);
    ::DeleteObject(colour);
    if (mask)
        ::DeleteObject(mask);
    return icon;
}

HRGN NativeRegion(const WindowRegion& region, int dx, int dy)
{
    const RECT& b = region.bounds;
    if (region.ellipseWidth <= 0 || region.ellipseHeight <= 0)
        return ::CreateRectRgn(b.left + dx, b.top + dy, b.right + dx, b.bottom + dy);
    return ::CreateRoundRectRgn(b.left + dx, b.top + dy, b.right + dx, b.bottom + dy, region.ellipseWidth,
                                region.ellipseHeight);
}

namespace {

// The callback of the box being shown on this thread; boxes nest, each restores the one before.
thread_local const std::function<void()>* t_whileOpen = nullptr;

void CALLBACK WhileOpenTick(HWND, UINT, UINT_PTR, DWORD)
{
    if (t_whileOpen && *t_whileOpen)
        (*t_whileOpen)();
}

} // namespace

int ShowNativeMessageBox(HWND owner, const std::u16string& text, const std::u16string& caption, UINT type,
                         const std::function<void()>& whileOpen)
{
    const std::function<void()>* outer = t_whileOpen;
    t_whileOpen = &whileOpen;
    // A thread timer: the box's own loop dispatches it, as it dispatches everything of this thread.
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 15, WhileOpenTick);
    const int answer = ::MessageBoxW(owner, Win32Text(text.c_str()), Win32Text(caption.c_str()), type);
    if (timer)
        ::KillTimer(nullptr, timer);
    t_whileOpen = outer;
    return answer;
}

void PresentPixels(HDC dc, const PixelBuffer& pixels, const RECT& area)
{
    const int left = std::max(int(area.left), 0), top = std::max(int(area.top), 0);
    const int right = std::min(int(area.right), pixels.width), bottom = std::min(int(area.bottom), pixels.height);
    if (pixels.IsEmpty() || right <= left || bottom <= top)
        return;
    // A DIB of just the dirty rows, top-down, as wide as the store's rows.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = pixels.stride / 4;
    info.bmiHeader.biHeight = -(bottom - top);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    ::StretchDIBits(dc, left, top, right - left, bottom - top, left, 0, right - left, bottom - top, pixels.Row(top),
                    &info, DIB_RGB_COLORS, SRCCOPY);
}

bool RunningUnderWine()
{
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

} // namespace platform::win32_impl
