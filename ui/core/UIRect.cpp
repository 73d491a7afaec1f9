// Rectangle, point and size operations and the parsing of their text forms.
#include "ui/core/UIRect.h"

#include <algorithm>
#include <climits>

namespace ui {

namespace {

// Reads a base-10 integer the way the C library's wide strtol does (leading whitespace, optional
// sign, clamped to the 32-bit range); *end is left at the first character not used, which is text
// itself when there are no digits.
std::int32_t ReadInteger(const char16_t* text, const char16_t** end)
{
    const char16_t* p = text;
    while (*p == u' ' || (*p >= u'\t' && *p <= u'\r')) {
        ++p;
    }
    bool negative = false;
    if (*p == u'+' || *p == u'-') {
        negative = *p == u'-';
        ++p;
    }
    if (*p < u'0' || *p > u'9') {
        *end = text;
        return 0;
    }
    long long value = 0;
    while (*p >= u'0' && *p <= u'9') {
        if (value <= static_cast<long long>(INT_MAX) + 1) {
            value = value * 10 + (*p - u'0');
        }
        ++p;
    }
    *end = p;
    if (negative) {
        value = -value;
    }
    return static_cast<std::int32_t>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// Reads count integers, each starting one character after the end of the previous one. Stepping
// stops at the terminator, so a short text leaves the remaining values 0 instead of reading past it.
void ReadIntegers(const char16_t* text, std::int32_t* values[], int count)
{
    for (int i = 0; i < count; ++i) {
        *values[i] = 0;
    }
    if (text == nullptr) {
        return;
    }
    const char16_t* p = text;
    for (int i = 0; i < count; ++i) {
        const char16_t* end = p;
        *values[i] = ReadInteger(p, &end);
        if (*end == 0) {
            return;
        }
        p = end + 1;
    }
}

} // namespace

CUIPoint CUIPoint::FromPacked(std::intptr_t packed)
{
    const auto bits = static_cast<std::uint32_t>(packed);
    return CUIPoint(static_cast<std::int16_t>(bits & 0xFFFF), static_cast<std::int16_t>(bits >> 16));
}

CUIPoint CUIPoint::Parse(const char16_t* text)
{
    CUIPoint pt;
    std::int32_t* values[] = {&pt.x, &pt.y};
    ReadIntegers(text, values, 2);
    return pt;
}

CUIString CUIPoint::ToString() const
{
    CUIString s;
    s.FormatShort(u"%ld,%ld", x, y);
    return s;
}

CUISize::CUISize(const CUIRect& rect) : cx(rect.right - rect.left), cy(rect.bottom - rect.top) {}

CUISize CUISize::Parse(const char16_t* text)
{
    CUISize size;
    std::int32_t* values[] = {&size.cx, &size.cy};
    ReadIntegers(text, values, 2);
    return size;
}

CUIString CUISize::ToString() const
{
    CUIString s;
    s.FormatShort(u"%ld,%ld", cx, cy);
    return s;
}

CUIRect CUIRect::Parse(const char16_t* text)
{
    CUIRect rc;
    std::int32_t* values[] = {&rc.left, &rc.top, &rc.right, &rc.bottom};
    ReadIntegers(text, values, 4);
    return rc;
}

CUIString CUIRect::ToString() const
{
    CUIString s;
    s.FormatShort(u"%ld,%ld,%ld,%ld", left, top, right, bottom);
    return s;
}

void CUIRect::Join(const CUIRect& other)
{
    left = std::min(left, other.left);
    top = std::min(top, other.top);
    right = std::max(right, other.right);
    bottom = std::max(bottom, other.bottom);
}

void CUIRect::Union(const CUIRect& other)
{
    if (other.IsEmpty()) {
        if (IsEmpty()) {
            Clear();
        }
        return;
    }
    if (IsEmpty()) {
        *this = other;
        return;
    }
    Join(other);
}

bool CUIRect::Intersect(const CUIRect& other)
{
    const CUIRect result(std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
                         std::min(bottom, other.bottom));
    if (result.IsEmpty()) {
        Clear();
        return false;
    }
    *this = result;
    return true;
}

void CUIRect::Normalize()
{
    if (left > right) {
        std::swap(left, right);
    }
    if (top > bottom) {
        std::swap(top, bottom);
    }
}

void CUIRect::Offset(std::int32_t dx, std::int32_t dy)
{
    left += dx;
    right += dx;
    top += dy;
    bottom += dy;
}

void CUIRect::Inflate(std::int32_t dx, std::int32_t dy)
{
    left -= dx;
    top -= dy;
    right += dx;
    bottom += dy;
}

} // namespace ui
