// SDL2 window backend: real windows on X11 or Wayland.
//
// Supported:
//  [x] Top-level windows (child windows live inside their parent's picture): show, hide, raise and
//      activate, move, size, borderless or framed by style, topmost, minimised, owner windows (kept
//      above their owner), titles, icons (WM_SETICON), rounded window regions (X11 shape extension).
//  [x] Pictures presented through the window surface (premultiplied ARGB copied as is).
//  [x] Caption dragging and border sizing through WM_NCHITTEST via SDL's hit-test callback; where no
//      window manager takes the drag over (a bare X server), the window system moves the window itself.
//  [x] Input: mouse move, buttons, wheel, keys with virtual-key codes, text, pointer leaving; the
//      desktop's close request (Alt+F4, a taskbar's close) as WM_SYSCOMMAND SC_CLOSE; moves, resizes,
//      minimise/restore and focus changes made by the desktop.
//  [x] Cursors: arrow, hand, wait, I-beam, cross, sizing, no; mouse capture beyond the window.
//  [x] Whole-window opacity of layered windows (SetLayeredWindowAttributes with LWA_ALPHA), as the
//      desktop's opacity hint: a compositing desktop shows it, others keep the window opaque.
//  [x] Monitors and work areas; message boxes with SDL's dialog (OK, OK/Cancel, Yes/No, ...), or a box
//      drawn here where SDL cannot show its own (an X server without core fonts).
//  [ ] On Wayland: rounded regions (the corners stay as painted), placing windows and reading the
//      pointer's screen position (screen coordinates are the window system's own); per-pixel window
//      transparency anywhere.
#pragma once

#include "platform/WindowBackend.h"

#include <memory>
#include <string>

namespace platform {

// A started SDL backend, or null when SDL's video cannot start (no display); then error, when given,
// receives SDL's reason.
std::unique_ptr<IWindowBackend> CreateSdlBackend(std::string* error = nullptr);
// Whether the environment names a display (DISPLAY or WAYLAND_DISPLAY) for SDL to open.
bool HaveSdlDisplay();

} // namespace platform
