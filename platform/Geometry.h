// Integer and real rectangles and points of the drawing layer. Integer rectangles follow the
// Win32 convention: left and top inside, right and bottom one past the last pixel.
#pragma once

#include <algorithm>
#include <cmath>

namespace platform {

struct Point
{
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size
{
    int width = 0;
    int height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct PointF
{
    double x = 0;
    double y = 0;
};

struct Rect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    Rect Intersect(const Rect& o) const
    {
        Rect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
        return r.IsEmpty() ? Rect{} : r;
    }
    Rect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    Rect Inflate(int dx, int dy) const { return {left - dx, top - dy, right + dx, bottom + dy}; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct RectF
{
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
};

// Logical pixels to device pixels. A scale factor is device pixels per logical pixel (1 on an
// ordinary desktop, 2 on a 192 dpi one, 1.25 or 1.5 in between). Every edge of a pixel-exact
// rectangle goes through ScaleEdge, round(v × scale): because one
// monotone function maps all edges, rectangles that meet in logical pixels meet in device pixels
// too, without a gap or an overlap, at any scale. Halves round up (towards +∞), so the mapping looks
// the same on both sides of zero.
inline int ScaleEdge(int v, double scale)
{
    return scale == 1.0 ? v : static_cast<int>(std::floor(v * scale + 0.5));
}

inline Rect ScaleRect(const Rect& r, double scale)
{
    return {ScaleEdge(r.left, scale), ScaleEdge(r.top, scale), ScaleEdge(r.right, scale), ScaleEdge(r.bottom, scale)};
}

// A device size back in logical pixels (the size whose ScaleEdge is nearest to it).
inline int UnscaleLength(int device, double scale)
{
    return scale == 1.0 ? device : static_cast<int>(std::lround(device / scale));
}

// The logical coordinate whose device pixels (ScaleEdge) hold device coordinate `device`: where a
// pointer on a device pixel is in logical pixels.
inline int UnscaleCoordinate(int device, double scale)
{
    return scale == 1.0 ? device : static_cast<int>(std::ceil((device + 0.5) / scale)) - 1;
}

// A scale factor made safe: not a number, zero, negative or absurd values become 1; the rest is
// kept within [0.5, 8].
inline double SaneScale(double scale)
{
    if (!(scale > 0) || !std::isfinite(scale))
        return 1.0;
    return std::clamp(scale, 0.5, 8.0);
}

} // namespace platform
