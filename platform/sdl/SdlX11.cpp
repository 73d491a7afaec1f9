// X11 services beside SDL: window shapes from the region's pixel rows, and the window manager check.
// This file does not include the Win32 vocabulary, whose names clash with Xlib's.
#include "platform/sdl/SdlX11.h"

#include <SDL.h>
#include <SDL_syswm.h>

#ifdef TVU_HAVE_XSHAPE
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>
#endif

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

} // namespace platform
