// The desktop's scale on Windows: per-monitor DPI awareness, the DPI of a window or monitor as a
// scale factor, and the conversions between the desktop's device pixels and the window system's
// logical ones.
#pragma once

#include "platform/Win32Defs.h"
#include "platform/WindowRegion.h"

#include <optional>

namespace platform::win32_impl {

// Tells the system that this process draws at each monitor's own DPI (per monitor, version 2
// where the system has it), so that it neither enlarges our pictures nor reports 96 dpi to us.
// The manifest says the same for the uninstaller; this covers programs without one. The functions
// are looked up at run time: older systems and import libraries lack them.
void DeclareDpiAwareness();

// The override of the desktop's scale (TVU_SCALE, read from the process environment each time),
// made sane; nullopt when unset or not a number.
std::optional<double> ScaleOverride();

// A DPI as a scale factor (96 dpi is 1), within the window system's limits; 0 (unknown) gives 1.
double ScaleOfDpi(unsigned dpi);

// The effective DPI of a monitor, of the monitor nearest to a rectangle of the desktop, and of a
// native window (the system's own answer, which follows the window between monitors).
unsigned MonitorDpi(HMONITOR monitor);
unsigned DpiNearRect(const RECT& deviceRect);
unsigned WindowDpi(HWND hwnd);

// The scale of a window, monitor or place: the override when set, otherwise its DPI's.
double ScaleForDpi(unsigned dpi);

// A rectangle of the desktop (device pixels) in logical pixels at `scale`: each edge the logical
// edge whose ScaleEdge is nearest, so ToDeviceRect gives the same rectangle back.
RECT ToLogicalRect(const RECT& device, double scale);
// A logical rectangle's device pixels: its origin's edges scaled, and its size scaled as the
// window's picture is (round(size × scale)), so the native window and the picture match exactly.
RECT ToDeviceRect(const RECT& logical, double scale);

// A window region (logical window coordinates) in device pixels.
WindowRegion ScaledRegion(const WindowRegion& region, double scale);

} // namespace platform::win32_impl
