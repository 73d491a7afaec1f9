// A pixel-exact set of pixels made of rectangles, with the set operations a device context's
// clip needs (union, intersection, difference) and the rounded-rectangle shape of window corners.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Geometry.h"
#include "platform/InlineVector.h"

namespace platform {

class Region
{
public:
    Region() = default;
    explicit Region(const Rect& rect);

    // The rounded-rectangle region GDI's CreateRoundRectRgn makes: the box [left, right - 1) x
    // [top, bottom - 1) (GDI leaves out the last column and row of round-rectangle regions) with
    // corners that are quarters of an ellipse of the given size, clamped to the box. A pixel
    // belongs to it when its centre lies inside the shape, the rule window regions use too.
    static Region FromRoundRect(const Rect& rect, int ellipseWidth, int ellipseHeight);
    // The part of that shape inside `within`; its cost follows `within`, not the shape, so a huge
    // rounded rectangle clipped to a window stays cheap.
    static Region FromRoundRect(const Rect& rect, int ellipseWidth, int ellipseHeight, const Rect& within);

    bool IsEmpty() const { return m_bands.empty(); }
    Rect Bounds() const;
    bool Contains(int x, int y) const;
    bool Intersects(const Rect& rect) const;

    Region Union(const Region& other) const;
    Region Intersect(const Region& other) const;
    Region Subtract(const Region& other) const;
    Region Union(const Rect& rect) const { return Union(Region(rect)); }
    Region Intersect(const Rect& rect) const;
    Region Subtract(const Rect& rect) const { return Subtract(Region(rect)); }
    void Offset(int dx, int dy);
    // The region in device pixels at `scale` (see ScaleEdge): every band and span edge mapped,
    // pieces that shrink to nothing dropped.
    Region Scaled(double scale) const;

    // Disjoint rectangles covering the region exactly, top to bottom and left to right.
    std::vector<Rect> Rects() const;
    // The same rectangles cut down to `rect`; empty pieces are left out.
    std::vector<Rect> RectsWithin(const Rect& rect) const;
    // Calls fn(piece) for each rectangle of Rects(), without making the list.
    template <typename Fn> void ForEachRect(Fn&& fn) const
    {
        for (const Band& band : m_bands) {
            const int* xs = Xs(band);
            for (std::uint32_t i = 0; i + 1 < band.count; i += 2)
                fn(Rect{xs[i], band.top, xs[i + 1], band.bottom});
        }
    }
    // Calls fn(piece) for each of those rectangles in the same order, without making the list.
    template <typename Fn> void ForEachRectWithin(const Rect& rect, Fn&& fn) const
    {
        if (rect.IsEmpty())
            return;
        for (const Band& band : m_bands) {
            if (band.bottom <= rect.top || band.top >= rect.bottom)
                continue;
            const int* xs = Xs(band);
            for (std::uint32_t i = 0; i + 1 < band.count; i += 2) {
                const Rect piece = Rect{xs[i], band.top, xs[i + 1], band.bottom}.Intersect(rect);
                if (!piece.IsEmpty())
                    fn(piece);
            }
        }
    }

    bool operator==(const Region& other) const;

private:
    // A horizontal band of rows [top, bottom) holding sorted, disjoint, non-touching spans
    // [xs[0], xs[1]), [xs[2], xs[3]), ..., the `count` edges from m_xs[first] on. Bands are sorted,
    // never overlap and never hold spans equal to those of a band that touches them from above,
    // and their edges lie in m_xs in band order, so equal sets have equal representations.
    struct Band
    {
        int top;
        int bottom;
        std::uint32_t first;
        std::uint32_t count;
    };
    enum class Op
    {
        Union,
        Intersect,
        Subtract
    };

    const int* Xs(const Band& band) const { return m_xs.data() + band.first; }
    static Region Combine(const Region& a, const Region& b, Op op);
    // A band is built by pushing its edges onto m_xs after BeginBand, then EndBand files them: it
    // drops an empty band, and extends the band above instead when this one continues it.
    std::uint32_t BeginBand() const { return static_cast<std::uint32_t>(m_xs.size()); }
    void EndBand(int top, int bottom, std::uint32_t first);
    void AppendBand(int top, int bottom, const int* xs, std::uint32_t count);

    // One band and one span inline: a region that is a single rectangle allocates nothing.
    InlineVector<Band, 1> m_bands;
    InlineVector<int, 2> m_xs;
};

} // namespace platform
