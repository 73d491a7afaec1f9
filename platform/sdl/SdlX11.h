// What SDL leaves out on X11: window shapes (the shape extension) and whether a window manager runs.
#pragma once

#include "platform/Geometry.h"
#include "platform/WindowRegion.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

struct SDL_Window;

namespace platform {

// Applies the region (logical window coordinates) to the window of width x height device pixels at
// `scale` device pixels per logical pixel; nullopt restores the rectangle. False when the video
// driver cannot shape windows.
bool ApplySdlWindowShape(SDL_Window* window, const std::optional<WindowRegion>& region, int width, int height,
                         double scale);

// The value of the X server's Xft.dpi resource (the desktop's text scale as a dpi); nullopt
// without an X server or without the resource.
std::optional<std::string> ReadXftDpiResource();

// Asks an X11 window manager to treat the (not yet mapped) window as a dialog: window type
// _NET_WM_WINDOW_TYPE_DIALOG and Motif hints that allow moving and closing but neither minimising,
// maximising nor resizing. Elsewhere (Wayland) the modal parent already makes it a dialog.
void MarkSdlWindowAsDialog(SDL_Window* window);

// False only on an X server without a window manager, where nobody takes over a caption drag.
bool SdlDesktopMovesWindows(SDL_Window* window);

// SDL's X11 connection, for waiting on its socket directly: SDL's own wait reads the socket about a
// dozen times per call, which an animation pays a hundred times a second.
struct SdlX11Connection
{
    void* display = nullptr; // the Xlib display, kept opaque so that Xlib's names stay out
    int socket = -1;
};
// The connection behind `window`; an empty one (socket -1) on Wayland or without Xlib.
SdlX11Connection SdlX11ConnectionOf(SDL_Window* window);
// Sends what Xlib has buffered and tells whether events already wait in its queue, read while
// waiting for some reply: those would never make the socket readable again.
bool SdlX11FlushAndCheckQueued(const SdlX11Connection& connection);
// Sleeps until the server has news on the connection's socket, `wakeFd` (an eventfd another thread
// writes to end the sleep; -1 for none) is readable, or timeoutMs passes (-1: no limit). Sends
// what Xlib has buffered first and does not sleep when Xlib already holds events; drains wakeFd.
// True when the server may have news (then SDL's queue needs pumping).
bool SdlX11SleepForNews(const SdlX11Connection& connection, int wakeFd, int timeoutMs);

// Shows parts of a window's picture through Xlib without waiting for the X server. SDL's own update
// ends with a round trip to the server, so every frame of an animation would wake the window
// thread a second time, for the reply. One per native window, made when it first shows pixels.
class SdlX11Presenter
{
public:
    explicit SdlX11Presenter(SDL_Window* window);
    ~SdlX11Presenter();
    SdlX11Presenter(const SdlX11Presenter&) = delete;
    SdlX11Presenter& operator=(const SdlX11Presenter&) = delete;

    // Shows the rectangles (device pixels, inside the picture) of a picture of premultiplied ARGB
    // pixels whose rows lie `stride` bytes apart. False when the window is not on X11 or its visual
    // does not take these pixels as they are (32 bits a pixel, red, green and blue where ours are):
    // SDL's update is then the way.
    bool Put(const std::uint32_t* pixels, int width, int height, int stride, const Rect* rects, std::size_t count);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace platform
