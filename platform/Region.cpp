// Banded rectangle sets: every operation walks the union of both operands' band edges and
// combines the spans of each elementary band, which keeps the code short and the result canonical.
#include "platform/Region.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

// Combines two sorted span lists with a boolean operation by sweeping their edges, pushing the
// edges of the result onto `out`.
template <typename Keep, typename Out>
void CombineSpans(const int* a, std::size_t na, const int* b, std::size_t nb, Keep keep, Out& out, std::size_t outStart)
{
    std::size_t i = 0, j = 0;
    bool inA = false, inB = false, inOut = false;
    while (i < na || j < nb) {
        int x;
        if (j >= nb || (i < na && a[i] <= b[j]))
            x = a[i];
        else
            x = b[j];
        while (i < na && a[i] == x) {
            inA = !inA;
            ++i;
        }
        while (j < nb && b[j] == x) {
            inB = !inB;
            ++j;
        }
        const bool now = keep(inA, inB);
        if (now != inOut) {
            // Touching spans merge: an end followed by a start at the same x cancels out.
            if (out.size() > outStart && out.back() == x)
                out.truncate(out.size() - 1);
            else
                out.push_back(x);
            inOut = now;
        }
    }
}

} // namespace

Region::Region(const Rect& rect)
{
    if (!rect.IsEmpty()) {
        const int xs[2] = {rect.left, rect.right};
        AppendBand(rect.top, rect.bottom, xs, 2);
    }
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
        if (left < right && inside(left, y)) {
            const int xs[2] = {left, right};
            region.AppendBand(y, y + 1, xs, 2);
        }
    }
    return region;
}

void Region::EndBand(int top, int bottom, std::uint32_t first)
{
    const auto count = static_cast<std::uint32_t>(m_xs.size() - first);
    if (count == 0 || top >= bottom) {
        m_xs.truncate(first);
        return;
    }
    if (!m_bands.empty()) {
        Band& above = m_bands.back();
        if (above.bottom == top && above.count == count &&
            std::equal(Xs(above), Xs(above) + count, m_xs.data() + first)) {
            above.bottom = bottom;
            m_xs.truncate(first);
            return;
        }
    }
    m_bands.push_back({top, bottom, first, count});
}

void Region::AppendBand(int top, int bottom, const int* xs, std::uint32_t count)
{
    const std::uint32_t first = BeginBand();
    for (std::uint32_t i = 0; i < count; ++i)
        m_xs.push_back(xs[i]);
    EndBand(top, bottom, first);
}

Rect Region::Bounds() const
{
    if (m_bands.empty())
        return {};
    Rect r{Xs(m_bands.front())[0], m_bands.front().top, Xs(m_bands.front())[0], m_bands.back().bottom};
    for (const Band& band : m_bands) {
        r.left = std::min(r.left, Xs(band)[0]);
        r.right = std::max(r.right, Xs(band)[band.count - 1]);
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
    const int* xs = Xs(*band);
    const int* edge = std::upper_bound(xs, xs + band->count, x);
    return (edge - xs) % 2 == 1;
}

bool Region::Intersects(const Rect& rect) const
{
    if (rect.IsEmpty())
        return false;
    for (const Band& band : m_bands) {
        if (band.bottom <= rect.top || band.top >= rect.bottom)
            continue;
        const int* xs = Xs(band);
        for (std::uint32_t i = 0; i + 1 < band.count; i += 2)
            if (std::max(xs[i], rect.left) < std::min(xs[i + 1], rect.right))
                return true;
    }
    return false;
}

Region Region::Combine(const Region& a, const Region& b, Op op)
{
    InlineVector<int, 8> ys;
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
    ys.truncate(static_cast<std::size_t>(std::unique(ys.begin(), ys.end()) - ys.begin()));

    Region out;
    size_t ia = 0, ib = 0;
    for (size_t k = 0; k + 1 < ys.size(); ++k) {
        const int y0 = ys[k];
        const int y1 = ys[k + 1];
        while (ia < a.m_bands.size() && a.m_bands[ia].bottom <= y0)
            ++ia;
        while (ib < b.m_bands.size() && b.m_bands[ib].bottom <= y0)
            ++ib;
        const bool hasA = ia < a.m_bands.size() && a.m_bands[ia].top <= y0;
        const bool hasB = ib < b.m_bands.size() && b.m_bands[ib].top <= y0;
        const int* sa = hasA ? a.Xs(a.m_bands[ia]) : nullptr;
        const int* sb = hasB ? b.Xs(b.m_bands[ib]) : nullptr;
        const std::size_t na = hasA ? a.m_bands[ia].count : 0;
        const std::size_t nb = hasB ? b.m_bands[ib].count : 0;
        const std::uint32_t first = out.BeginBand();
        switch (op) {
        case Op::Union:
            CombineSpans(
                sa, na, sb, nb, [](bool x, bool y) { return x || y; }, out.m_xs, first);
            break;
        case Op::Intersect:
            CombineSpans(
                sa, na, sb, nb, [](bool x, bool y) { return x && y; }, out.m_xs, first);
            break;
        case Op::Subtract:
            CombineSpans(
                sa, na, sb, nb, [](bool x, bool y) { return x && !y; }, out.m_xs, first);
            break;
        }
        out.EndBand(y0, y1, first);
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
    if (other.m_bands.size() == 1 && other.m_bands.front().count == 2) {
        const Band& band = other.m_bands.front();
        const int* xs = other.Xs(band);
        return Intersect(Rect{xs[0], band.top, xs[1], band.bottom});
    }
    if (m_bands.size() == 1 && m_bands.front().count == 2) {
        const Band& band = m_bands.front();
        const int* xs = Xs(band);
        return other.Intersect(Rect{xs[0], band.top, xs[1], band.bottom});
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
        const int* xs = Xs(band);
        const std::uint32_t first = out.BeginBand();
        for (std::uint32_t i = 0; i + 1 < band.count; i += 2) {
            const int l = std::max(xs[i], rect.left);
            const int r = std::min(xs[i + 1], rect.right);
            if (l < r) {
                out.m_xs.push_back(l);
                out.m_xs.push_back(r);
            }
        }
        out.EndBand(top, bottom, first);
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
    }
    for (int& x : m_xs)
        x += dx;
}

Region Region::Scaled(double scale) const
{
    if (scale == 1.0)
        return *this;
    Region out;
    for (const Band& band : m_bands) {
        const int* xs = Xs(band);
        const std::uint32_t first = out.BeginBand();
        for (std::uint32_t i = 0; i + 1 < band.count; i += 2) {
            const int left = ScaleEdge(xs[i], scale), right = ScaleEdge(xs[i + 1], scale);
            if (left >= right)
                continue;
            // Spans a logical pixel apart can touch after rounding down: they become one.
            if (out.m_xs.size() > first && out.m_xs.back() >= left) {
                out.m_xs.back() = std::max(out.m_xs.back(), right);
            } else {
                out.m_xs.push_back(left);
                out.m_xs.push_back(right);
            }
        }
        out.EndBand(ScaleEdge(band.top, scale), ScaleEdge(band.bottom, scale), first);
    }
    return out;
}

std::vector<Rect> Region::Rects() const
{
    std::vector<Rect> out;
    for (const Band& band : m_bands)
        for (std::uint32_t i = 0; i + 1 < band.count; i += 2)
            out.push_back({Xs(band)[i], band.top, Xs(band)[i + 1], band.bottom});
    return out;
}

std::vector<Rect> Region::RectsWithin(const Rect& rect) const
{
    std::vector<Rect> out;
    ForEachRectWithin(rect, [&](const Rect& piece) { out.push_back(piece); });
    return out;
}

bool Region::operator==(const Region& other) const
{
    if (m_bands.size() != other.m_bands.size() || m_xs.size() != other.m_xs.size())
        return false;
    for (size_t i = 0; i < m_bands.size(); ++i) {
        const Band& a = m_bands[i];
        const Band& b = other.m_bands[i];
        if (a.top != b.top || a.bottom != b.bottom || a.count != b.count)
            return false;
    }
    return m_xs == other.m_xs;
}

} // namespace platform
