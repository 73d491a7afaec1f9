// Desktop services of the Win32 window backend: cursors, monitors, icons, window regions and
// message boxes, each a thin layer over the system's own.
#pragma once

#include "platform/PixelBuffer.h"
#include "platform/Win32Defs.h"
#include "platform/WindowRegion.h"

#include <functional>
#include <string>
#include <vector>

namespace platform::win32_impl {

// The system cursor for one of the window system's IDC_* ids; null for 0 (no cursor).
HCURSOR SystemCursor(int cursorId);

struct MonitorArea
{
    RECT monitor;
    RECT work;
};
// The monitors, the primary one first (the window system takes index 0 as the primary).
std::vector<MonitorArea> Monitors();

// An icon of the picture (premultiplied ARGB, as the window system keeps its icons); null when
// the picture is empty or the system refuses it. The caller destroys it.
HICON IconFromPixels(const PixelBuffer& pixels);

// The region as the system takes it, moved by (dx, dy) (from window to frame coordinates).
HRGN NativeRegion(const WindowRegion& region, int dx, int dy);

// MessageBoxW over the owner (may be null); whileOpen runs every few milliseconds while the box
// waits for its answer, from the box's own message loop.
int ShowNativeMessageBox(HWND owner, const std::u16string& text, const std::u16string& caption, UINT type,
                         const std::function<void()>& whileOpen);

// Shows the part `area` (client coordinates) of a picture at device resolution on a device context.
void PresentPixels(HDC dc, const PixelBuffer& pixels, const RECT& area);

// Whether the program runs under Wine rather than on Windows.
bool RunningUnderWine();

} // namespace platform::win32_impl
