// Pixel coverage of a rounded-rectangle window region.
#include "platform/WindowRegion.h"

#include <algorithm>

namespace platform {

bool WindowRegion::Contains(int x, int y) const
{
    const int left = bounds.left, top = bounds.top;
    const int right = bounds.right - 1, bottom = bounds.bottom - 1;
    if (x < left || x >= right || y < top || y >= bottom)
        return false;
    // An ellipse larger than the rectangle is clipped to it, as GDI does.
    const double rx = std::min(ellipseWidth, right - left) / 2.0;
    const double ry = std::min(ellipseHeight, bottom - top) / 2.0;
    if (rx <= 0.0 || ry <= 0.0)
        return true;
    // Pixel centres are tested against the corner ellipse whose quadrant they lie in.
    const double px = x + 0.5, py = y + 0.5;
    double cx, cy;
    if (px < left + rx)
        cx = left + rx;
    else if (px > right - rx)
        cx = right - rx;
    else
        return true;
    if (py < top + ry)
        cy = top + ry;
    else if (py > bottom - ry)
        cy = bottom - ry;
    else
        return true;
    const double dx = (px - cx) / rx, dy = (py - cy) / ry;
    return dx * dx + dy * dy <= 1.0;
}

} // namespace platform
