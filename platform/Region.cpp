// Banded rectangle sets: every operation walks the union of both operands' band edges and
// combines the spans of each elementary band, which keeps the code short and the result canonical.
#include "platform/Region.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

// Combines two sorted span lists with a boolean operation by sweeping their edges.
template <typename Keep> std::vector<int> CombineSpans(const std::vector<int>& a, const std::vector<int>& b, Keep keep)
{
    std::vector<int> out;
    size_t i = 0, j = 0;
    bool inA = false, inB = false, inOut = false;
    while (i < a.size() || j < b.size()) {
        int x;
        if (j >= b.size() || (i < a.size() && a[i] <= b[j]))
            x = a[i];
        else
            x = b[j];
        while (i < a.size() && a[i] == x) {
            inA = !inA;
            ++i;
        }
        while (j < b.size() && b[j] == x) {
            inB = !inB;
            ++j;
        }
        const bool now = keep(inA, inB);
        if (now != inOut) {
            // Touching spans merge: an end followed by a start at the same x cancels out.
            if (!out.empty() && out.back() == x)
                out.pop_back();
            else
                out.push_back(x);
            inOut = now;
        }
    }
    return out;
}

} // namespace

Region::Region(const Rect& rect)
{
    if (!rect.IsEmpty())
        m_bands.push_back({rect.top, rect.bottom, {rect.left, rect.right}});
}

Region Region::FromRoundRect(const Rect& rect, int ellipseWidth, int ellipseHeight)
{
    return FromRoundRect(rect, ellipseWidth, ellipseHeight, rect);
}

Region Region::FromRoundRect(const Rect& rect, int ellipseWidth, int ellipseHeight, const Rect& within)
{
    // Like GDI's round-rectangle regions (and our window regions), the shape leaves out the last
    // column and row of the rectangle; callers that want [left, right) pass right + 1.
    Region region;
    const Rect box{rect.left, rect.top, rect.right - 1, rect.bottom - 1};
    if (box.IsEmpty())
        return region;
    const double rx = std::min(ellipseWidth, box.Width()) / 2.0;
    const double ry = std::min(ellipseHeight, box.Height()) / 2.0;
    if (rx <= 0 || ry <= 0)
        return Region(box).Intersect(within);

    // A pixel belongs to the shape when its centre lies inside the quarter ellipse of its corner.
    auto inside = [&](int x, int y) {
        const double px = x + 0.5, py = y + 0.5;
        double cx, cy;
        if (px < box.left + rx)
            cx = box.left + rx;
        else if (px > box.right - rx)
            cx = box.right - rx;
        else
            return true;
        if (py < box.top + ry)
            cy = box.top + ry;
        else if (py > box.bottom - ry)
            cy = box.bottom - ry;
        else
            return true;
        const double dx = (px - cx) / rx, dy = (py - cy) / ry;
        return dx * dx + dy * dy <= 1.0;
    };
    const int middle = box.left + box.Width() / 2;
    for (int y = std::max(box.top, within.top); y < std::min(box.bottom, within.bottom); ++y) {
        // Rows are convex, so the span runs from the first covered pixel from the left to the
        // first from the right; only the columns inside `within` are looked at.
        int left = std::max(box.left, within.left);
        while (left < middle && !inside(left, y))
            ++left;
        int right = std::min(box.right, within.right);
        while (right > middle && !inside(right - 1, y))
            --right;
        if (left < right && inside(left, y))
            region.AppendBand(y, y + 1, {left, right});
    }
    return region;
}

void Region::AppendBand(int top, int bottom, std::vector<int>&& xs)
{
    if (xs.empty() || top >= bottom)
        return;
    if (!m_bands.empty() && m_bands.back().bottom == top && m_bands.back().xs == xs) {
        m_bands.back().bottom = bottom;
        return;
    }
    m_bands.push_back({top, bottom, std::move(xs)});
}

Rect Region::Bounds() const
{
    if (m_bands.empty())
        return {};
    Rect r{m_bands.front().xs.front(), m_bands.front().top, m_bands.front().xs.back(), m_bands.back().bottom};
    for (const Band& band : m_bands) {
        r.left = std::min(r.left, band.xs.front());
        r.right = std::max(r.right, band.xs.back());
    }
    return r;
}

bool Region::Contains(int x, int y) const
{
    auto band =
        std::upper_bound(m_bands.begin(), m_bands.end(), y, [](int value, const Band& b) { return value < b.bottom; });
    if (band == m_bands.end() || y < band->top)
        return false;
    // Inside when an odd number of span edges lie at or before x.
    const auto edge = std::upper_bound(band->xs.begin(), band->xs.end(), x);
    return (edge - band->xs.begin()) % 2 == 1;
}

bool Region::Intersects(const Rect& rect) const
{
    return !Intersect(rect).IsEmpty();
}

Region Region::Combine(const Region& a, const Region& b, Op op)
{
    std::vector<int> ys;
    ys.reserve((a.m_bands.size() + b.m_bands.size()) * 2);
    for (const Band& band : a.m_bands) {
        ys.push_back(band.top);
        ys.push_back(band.bottom);
    }
    for (const Band& band : b.m_bands) {
        ys.push_back(band.top);
        ys.push_back(band.bottom);
    }
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());

    static const std::vector<int> kNone;
    Region out;
    size_t ia = 0, ib = 0;
    for (size_t k = 0; k + 1 < ys.size(); ++k) {
        const int y0 = ys[k];
        const int y1 = ys[k + 1];
        while (ia < a.m_bands.size() && a.m_bands[ia].bottom <= y0)
            ++ia;
        while (ib < b.m_bands.size() && b.m_bands[ib].bottom <= y0)
            ++ib;
        const std::vector<int>& sa = ia < a.m_bands.size() && a.m_bands[ia].top <= y0 ? a.m_bands[ia].xs : kNone;
        const std::vector<int>& sb = ib < b.m_bands.size() && b.m_bands[ib].top <= y0 ? b.m_bands[ib].xs : kNone;
        std::vector<int> xs;
        switch (op) {
        case Op::Union:
            xs = CombineSpans(sa, sb, [](bool x, bool y) { return x || y; });
            break;
        case Op::Intersect:
            xs = CombineSpans(sa, sb, [](bool x, bool y) { return x && y; });
            break;
        case Op::Subtract:
            xs = CombineSpans(sa, sb, [](bool x, bool y) { return x && !y; });
            break;
        }
        out.AppendBand(y0, y1, std::move(xs));
    }
    return out;
}

Region Region::Union(const Region& other) const
{
    return Combine(*this, other, Op::Union);
}

Region Region::Intersect(const Region& other) const
{
    // A clip meeting a rectangle is what nearly every fill and blit asks: when either side is a
    // single rectangle the band-by-band cut gives the same canonical result without the sweep.
    if (other.m_bands.size() == 1 && other.m_bands.front().xs.size() == 2) {
        const Band& band = other.m_bands.front();
        return Intersect(Rect{band.xs[0], band.top, band.xs[1], band.bottom});
    }
    if (m_bands.size() == 1 && m_bands.front().xs.size() == 2) {
        const Band& band = m_bands.front();
        return other.Intersect(Rect{band.xs[0], band.top, band.xs[1], band.bottom});
    }
    return Combine(*this, other, Op::Intersect);
}

Region Region::Intersect(const Rect& rect) const
{
    // The common case of clipping to a rectangle, without the general sweep.
    Region out;
    if (rect.IsEmpty())
        return out;
    for (const Band& band : m_bands) {
        const int top = std::max(band.top, rect.top);
        const int bottom = std::min(band.bottom, rect.bottom);
        if (top >= bottom)
            continue;
        std::vector<int> xs;
        for (size_t i = 0; i + 1 < band.xs.size(); i += 2) {
            const int l = std::max(band.xs[i], rect.left);
            const int r = std::min(band.xs[i + 1], rect.right);
            if (l < r) {
                xs.push_back(l);
                xs.push_back(r);
            }
        }
        out.AppendBand(top, bottom, std::move(xs));
    }
    return out;
}

Region Region::Subtract(const Region& other) const
{
    return Combine(*this, other, Op::Subtract);
}

void Region::Offset(int dx, int dy)
{
    for (Band& band : m_bands) {
        band.top += dy;
        band.bottom += dy;
        for (int& x : band.xs)
            x += dx;
    }
}

Region Region::Scaled(double scale) const
{
    if (scale == 1.0)
        return *this;
    Region out;
    for (const Band& band : m_bands) {
        std::vector<int> xs;
        for (size_t i = 0; i + 1 < band.xs.size(); i += 2) {
            const int left = ScaleEdge(band.xs[i], scale), right = ScaleEdge(band.xs[i + 1], scale);
            if (left >= right)
                continue;
            // Spans a logical pixel apart can touch after rounding down: they become one.
            if (!xs.empty() && xs.back() >= left)
                xs.back() = std::max(xs.back(), right);
            else
                xs.insert(xs.end(), {left, right});
        }
        out.AppendBand(ScaleEdge(band.top, scale), ScaleEdge(band.bottom, scale), std::move(xs));
    }
    return out;
}

std::vector<Rect> Region::Rects() const
{
    std::vector<Rect> out;
    for (const Band& band : m_bands)
        for (size_t i = 0; i + 1 < band.xs.size(); i += 2)
            out.push_back({band.xs[i], band.top, band.xs[i + 1], band.bottom});
    return out;
}

std::vector<Rect> Region::RectsWithin(const Rect& rect) const
{
    std::vector<Rect> out;
    if (rect.IsEmpty())
        return out;
    for (const Band& band : m_bands) {
        if (band.bottom <= rect.top || band.top >= rect.bottom)
            continue;
        for (size_t i = 0; i + 1 < band.xs.size(); i += 2) {
            const Rect piece = Rect{band.xs[i], band.top, band.xs[i + 1], band.bottom}.Intersect(rect);
            if (!piece.IsEmpty())
                out.push_back(piece);
        }
    }
    return out;
}

bool Region::operator==(const Region& other) const
{
    if (m_bands.size() != other.m_bands.size())
        return false;
    for (size_t i = 0; i < m_bands.size(); ++i) {
        const Band& a = m_bands[i];
        const Band& b = other.m_bands[i];
        if (a.top != b.top || a.bottom != b.bottom || a.xs != b.xs)
            return false;
    }
    return true;
}

} // namespace platform
