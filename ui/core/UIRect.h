// Rectangle, point and size values in the platform's layout (32-bit signed fields), with their
// "%ld,%ld" text forms as skins and window properties write them.
#pragma once

#include "ui/core/UIString.h"

#include <cstdint>

namespace ui {

struct CUIPoint
{
    std::int32_t x = 0;
    std::int32_t y = 0;

    CUIPoint() = default;
    CUIPoint(std::int32_t x_, std::int32_t y_) : x(x_), y(y_) {}
    // A point packed into a message parameter: x in the low 16 bits, y in the high 16 bits, each
    // sign-extended.
    static CUIPoint FromPacked(std::intptr_t packed);
    // Reads "x,y"; a null or empty text gives (0, 0).
    static CUIPoint Parse(const char16_t* text);
    CUIString ToString() const;

    bool operator==(const CUIPoint& other) const = default;
};

struct CUIRect;

struct CUISize
{
    std::int32_t cx = 0;
    std::int32_t cy = 0;

    CUISize() = default;
    CUISize(std::int32_t cx_, std::int32_t cy_) : cx(cx_), cy(cy_) {}
    explicit CUISize(const CUIRect& rect);
    // Reads "cx,cy"; a null or empty text gives (0, 0).
    static CUISize Parse(const char16_t* text);
    CUIString ToString() const;

    bool operator==(const CUISize& other) const = default;
};

struct CUIRect
{
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    CUIRect() = default;
    CUIRect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) : left(l), top(t), right(r), bottom(b) {}
    // Reads "left,top,right,bottom"; a null or empty text gives all zeros.
    static CUIRect Parse(const char16_t* text);
    CUIString ToString() const;

    std::int32_t Width() const { return right - left; }
    std::int32_t Height() const { return bottom - top; }
    void Clear() { left = top = right = bottom = 0; }
    // True when all four values are 0.
    bool IsNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    // True when the rectangle has no area (the platform's notion of an empty rectangle).
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(const CUIPoint& pt) const { return pt.x >= left && pt.x < right && pt.y >= top && pt.y < bottom; }

    // Bounding box of both, empty rectangles included.
    void Join(const CUIRect& other);
    // Bounding box that ignores an operand without area; both empty gives the null rectangle.
    void Union(const CUIRect& other);
    // Intersection; false (and the null rectangle) when they do not overlap.
    bool Intersect(const CUIRect& other);
    void MoveToOrigin() { Offset(-left, -top); }
    void Normalize();
    void Offset(std::int32_t dx, std::int32_t dy);
    void Inflate(std::int32_t dx, std::int32_t dy);
    void Deflate(std::int32_t dx, std::int32_t dy) { Inflate(-dx, -dy); }

    bool operator==(const CUIRect& other) const = default;
};

} // namespace ui
