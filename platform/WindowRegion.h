// The shape of a window: a rounded rectangle in window coordinates, with the pixel coverage of a
// GDI round-rectangle region (right and bottom edges excluded, quarter ellipses in the corners).
#pragma once

#include "platform/Win32Defs.h"

namespace platform {

struct WindowRegion
{
    RECT bounds;          // window coordinates; the last column and row are outside, as with GDI regions
    int ellipseWidth = 0; // size of the ellipse whose quarters round the corners; 0 gives square corners
    int ellipseHeight = 0;

    static WindowRegion RoundRect(const RECT& bounds, int ellipseWidth, int ellipseHeight)
    {
        return WindowRegion{bounds, ellipseWidth, ellipseHeight};
    }

    // True when the pixel at (x, y) belongs to the region.
    bool Contains(int x, int y) const;
};

} // namespace platform
