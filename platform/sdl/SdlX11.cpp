// X11 services beside SDL: window shapes from the region's pixel rows, the window manager check, and
// pictures shown without a round trip.
// This file does not include the Win32 vocabulary, whose names clash with Xlib's.
#include "platform/sdl/SdlX11.h"

#include <SDL.h>
#include <SDL_syswm.h>

#ifdef TVU_HAVE_XSHAPE
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
#endif

#include <poll.h>
#include <unistd.h>

#include <bit>
#include <cstdint>
#include <vector>

#include "platform/DisplayScale.h"
#include "platform/Geometry.h"

namespace platform {

bool ApplySdlWindowShape(SDL_Window* window, const std::optional<WindowRegion>& region, int width, int height,
                         double scale)
{
#ifdef TVU_HAVE_XSHAPE
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return false;
    Display* display = info.info.x11.display;
    ::Window xwindow = info.info.x11.window;
    int eventBase = 0, errorBase = 0;
    if (!XShapeQueryExtension(display, &eventBase, &errorBase))
        return false;
    if (!region) {
        XShapeCombineMask(display, xwindow, ShapeBounding, 0, 0, None, ShapeSet);
        XFlush(display);
        return true;
    }
    // One rectangle per run of covered pixels in each row.
    std::vector<XRectangle> runs;
    auto covered = [&](int x, int y) {
        return region->Contains(UnscaleCoordinate(x, scale), UnscaleCoordinate(y, scale));
    };
    for (int y = 0; y < height; ++y) {
        int x = 0;
        while (x < width) {
            while (x < width && !covered(x, y))
                ++x;
            const int start = x;
            while (x < width && covered(x, y))
                ++x;
            if (x > start)
                runs.push_back(XRectangle{short(start), short(y), static_cast<unsigned short>(x - start), 1});
        }
    }
    XShapeCombineRectangles(display, xwindow, ShapeBounding, 0, 0, runs.data(), int(runs.size()), ShapeSet, YXBanded);
    XFlush(display);
    return true;
#else
    (void)window;
    (void)region;
    (void)width;
    (void)height;
    (void)scale;
    return false;
#endif
}

void MarkSdlWindowAsDialog(SDL_Window* window)
{
#ifdef TVU_HAVE_XSHAPE
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return;
    Display* display = info.info.x11.display;
    const ::Window xwindow = info.info.x11.window;
    const Atom type = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
    const Atom dialog = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DIALOG", False);
    XChangeProperty(display, xwindow, type, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&dialog), 1);
    // The Motif hints: flags, functions, decorations, input mode, status.
    constexpr long kHintFunctions = 1, kHintDecorations = 2;
    constexpr long kFunctionMove = 4, kFunctionClose = 32;
    constexpr long kDecorBorder = 2, kDecorTitle = 8, kDecorMenu = 16;
    const long hints[5] = {kHintFunctions | kHintDecorations, kFunctionMove | kFunctionClose,
                           kDecorBorder | kDecorTitle | kDecorMenu, 0, 0};
    const Atom motif = XInternAtom(display, "_MOTIF_WM_HINTS", False);
    XChangeProperty(display, xwindow, motif, motif, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(hints),
                    5);
    XFlush(display);
#else
    (void)window;
#endif
}

bool SdlDesktopMovesWindows(SDL_Window* window)
{
#ifdef TVU_HAVE_XSHAPE
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return true;
    // A running window manager announces itself in this root window property.
    Display* display = info.info.x11.display;
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == None)
        return false;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW, &type,
                                          &format, &count, &after, &data);
    const bool present = status == Success && type == XA_WINDOW && count == 1;
    if (data)
        XFree(data);
    return present;
#else
    (void)window;
    return true;
#endif
}

std::optional<std::string> ReadXftDpiResource()
{
#ifdef TVU_HAVE_XSHAPE
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return std::nullopt;
    std::optional<std::string> dpi;
    if (const char* resources = XResourceManagerString(display))
        dpi = FindXftDpi(resources);
    XCloseDisplay(display);
    return dpi;
#else
    return std::nullopt;
#endif
}

SdlX11Connection SdlX11ConnectionOf(SDL_Window* window)
{
#ifdef TVU_HAVE_XSHAPE
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return {};
    Display* display = info.info.x11.display;
    return {display, ConnectionNumber(display)};
#else
    (void)window;
    return {};
#endif
}

bool SdlX11FlushAndCheckQueued(const SdlX11Connection& connection)
{
#ifdef TVU_HAVE_XSHAPE
    auto* display = static_cast<Display*>(connection.display);
    if (!display)
        return false;
    XFlush(display);
    return XEventsQueued(display, QueuedAlready) > 0;
#else
    (void)connection;
    return false;
#endif
}

bool SdlX11SleepForNews(const SdlX11Connection& connection, int wakeFd, int timeoutMs)
{
    if (SdlX11FlushAndCheckQueued(connection))
        return true;
    pollfd fds[2] = {{connection.socket, POLLIN, 0}, {wakeFd, POLLIN, 0}}; // poll skips a -1
    const int ready = poll(fds, 2, timeoutMs < 0 ? -1 : timeoutMs);
    if (ready > 0 && (fds[1].revents & POLLIN)) {
        std::uint64_t count = 0;
        const ssize_t drained = read(wakeFd, &count, sizeof count);
        (void)drained;
    }
    return ready > 0 && fds[0].revents != 0;
}

#ifdef TVU_HAVE_XSHAPE
struct SdlX11Presenter::Impl
{
    SDL_Window* sdlWindow = nullptr;
    Display* display = nullptr;
    ::Window window = 0;
    Visual* visual = nullptr;
    int depth = 0;
    GC gc = nullptr;
};

namespace {

// The X window SDL shows `window` in now; 0 when it is not an X11 window.
::Window CurrentXWindow(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return 0;
    return info.info.x11.window;
}

} // namespace

SdlX11Presenter::SdlX11Presenter(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return;
    Display* display = info.info.x11.display;
    // The one round trip: the window's visual, asked once.
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, info.info.x11.window, &attributes) || !attributes.visual)
        return;
    const Visual* v = attributes.visual;
    if ((attributes.depth != 24 && attributes.depth != 32) || v->red_mask != 0xFF0000 || v->green_mask != 0xFF00 ||
        v->blue_mask != 0xFF)
        return;
    GC gc = XCreateGC(display, info.info.x11.window, 0, nullptr);
    if (!gc)
        return;
    m_impl =
        std::make_unique<Impl>(Impl{window, display, info.info.x11.window, attributes.visual, attributes.depth, gc});
}

SdlX11Presenter::~SdlX11Presenter()
{
    if (m_impl)
        XFreeGC(m_impl->display, m_impl->gc);
}

bool SdlX11Presenter::Put(const std::uint32_t* pixels, int width, int height, int stride, const Rect* rects,
                          std::size_t count)
{
    if (!m_impl || !pixels || width <= 0 || height <= 0)
        return false;
    // SDL answers this from what it holds. Should it ever make the window anew, its GC and visual
    // are no longer ours to use: SDL's own update takes over.
    if (CurrentXWindow(m_impl->sdlWindow) != m_impl->window)
        return false;
    // The image only describes our pixels; Xlib reads them while the requests are written.
    XImage* image = XCreateImage(m_impl->display, m_impl->visual, unsigned(m_impl->depth), ZPixmap, 0,
                                 reinterpret_cast<char*>(const_cast<std::uint32_t*>(pixels)), unsigned(width),
                                 unsigned(height), 32, stride);
    if (!image)
        return false;
    const bool fits = image->bits_per_pixel == 32;
    if (fits) {
        // Our pixels are 32-bit values in this machine's byte order; Xlib reorders them for the
        // server when it needs another.
        image->byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
        for (std::size_t i = 0; i < count; ++i) {
            const Rect r = rects[i].Intersect({0, 0, width, height});
            if (!r.IsEmpty())
                XPutImage(m_impl->display, m_impl->window, m_impl->gc, image, r.left, r.top, r.left, r.top,
                          unsigned(r.Width()), unsigned(r.Height()));
        }
        // No reply is asked for, and the requests go out with the flush before the window thread
        // waits again (a flush here would read the socket for nothing once more).
    }
    image->data = nullptr; // the pixels are not the image's to free
    XDestroyImage(image);
    return fits;
}
#else
struct SdlX11Presenter::Impl
{
};

SdlX11Presenter::SdlX11Presenter(SDL_Window* window)
{
    (void)window;
}

SdlX11Presenter::~SdlX11Presenter() = default;

bool SdlX11Presenter::Put(const std::uint32_t*, int, int, int, const Rect*, std::size_t)
{
    return false;
}
#endif

} // namespace platform
