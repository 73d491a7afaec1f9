// X11 shape of SDL windows: the region's pixel rows as rectangles of the bounding shape.
// This file does not include the Win32 vocabulary, whose names clash with Xlib's.
#include "platform/sdl/SdlShape.h"

#include <SDL.h>
#include <SDL_syswm.h>

#ifdef TVU_HAVE_XSHAPE
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>
#endif

#include <vector>

namespace platform {

bool ApplySdlWindowShape(SDL_Window* window, const std::optional<WindowRegion>& region, int width, int height)
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
    for (int y = 0; y < height; ++y) {
        int x = 0;
        while (x < width) {
            while (x < width && !region->Contains(x, y))
                ++x;
            const int start = x;
            while (x < width && region->Contains(x, y))
                ++x;
            if (x > start)
                runs.push_back(XRectangle{short(start), short(y), static_cast<unsigned short>(x - start), 1});
        }
    }
    XShapeCombineRectangles(display, xwindow, ShapeBounding, 0, 0, runs.data(), int(runs.size()), ShapeSet,
                            YXBanded);
    XFlush(display);
    return true;
#else
    (void)window;
    (void)region;
    (void)width;
    (void)height;
    return false;
#endif
}

} // namespace platform
