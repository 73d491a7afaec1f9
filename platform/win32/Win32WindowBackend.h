// Win32 window backend: real top-level windows on a Windows desktop (or Wine's).
//
// Supported:
//  [x] Top-level windows mirroring the window system's records (child windows live inside their
//      parent's picture): shown, hidden, raised and activated, moved, sized, framed by style (the
//      frame lies outside the record's rectangle), topmost, minimised, owned, titled, with icons
//      (WM_SETICON from the record's pictures) and rounded window regions (SetWindowRgn).
//  [x] Pictures presented with StretchDIBits from the record's pixels, for the dirty rectangle and
//      again on WM_PAINT; whole-window opacity of layered windows (SetLayeredWindowAttributes).
//  [x] Input: mouse moves (also over a caption), buttons, wheel, leaving (TrackMouseEvent), keys with
//      repeat, characters (surrogate pairs kept together), the desktop's close request, moves,
//      resizes, minimise/restore, activation; mouse capture (SetCapture) beyond the window.
//  [x] Caption dragging and border sizing by the desktop: the window system's WM_NCHITTEST answer
//      is the native window's, so the desktop's own move loop runs and reports the move back.
//  [x] Cursors (the IDC_* the window system names), monitors and work areas, system metrics,
//      message boxes (drawn over a shown owner, MessageBoxW without one; the thread's timers
//      running while they wait),
//      tooltips that show above everything and never take the focus.
//  [ ] Per-pixel transparency: pictures are shown opaque, as on Linux; shapes come from regions.
#pragma once

#include "platform/WindowBackend.h"

#include <memory>

namespace platform {

// The window class every native window of the backend belongs to (tests find windows by it).
inline constexpr const char16_t* kWin32WindowClass = u"TarvionVpnUninstallWindow";

// A started backend, or null when the window class cannot be registered.
std::unique_ptr<IWindowBackend> CreateWin32WindowBackend();
// Whether this process can show windows: an interactive window station, and under Wine an X or
// Wayland display to show them on (without one, creating a window waits forever).
bool HaveWin32Desktop();

} // namespace platform
