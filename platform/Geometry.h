// Integer and real rectangles and points of the drawing layer. Integer rectangles follow the
// Win32 convention: left and top inside, right and bottom one past the last pixel.
#pragma once

#include <algorithm>

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

} // namespace platform
