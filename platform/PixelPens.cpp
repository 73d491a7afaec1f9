// Pens drawn pixel by pixel, the same over every drawing backend: one-pixel lines by Bresenham's
// walk, stopping before the end point as LineTo does; the dash patterns of GDI's cosmetic styled
// pens with the lengths and phase that Windows draws them with; and solid frames as rings of
// regions, so that a border drawn on a control's rectangle matches a rounded clip made for the
// same rectangle pixel for pixel.
#include <algorithm>
#include <cstdlib>

#include "platform/DeviceContextState.h"

namespace platform {

namespace {

// On and off run lengths of GDI's cosmetic styled pens.
constexpr int kDash[] = {18, 6};
constexpr int kDot[] = {3, 3};
constexpr int kDashDot[] = {9, 6, 3, 6};
constexpr int kDashDotDot[] = {9, 3, 3, 3, 3, 3};

std::span<const int> PatternOf(int style)
{
    switch (style) {
    case PS_DASH:
        return kDash;
    case PS_DOT:
        return kDot;
    case PS_DASHDOT:
        return kDashDot;
    case PS_DASHDOTDOT:
        return kDashDotDot;
    default:
        return {};
    }
}

// Walks a dash pattern one pixel at a time.
class PatternWalker
{
public:
    explicit PatternWalker(std::span<const int> pattern) : m_pattern(pattern) {}
    // Whether the next pixel is drawn.
    bool Next()
    {
        if (m_pattern.empty())
            return true;
        const bool on = m_index % 2 == 0;
        if (++m_run >= m_pattern[m_index]) {
            m_run = 0;
            m_index = (m_index + 1) % m_pattern.size();
        }
        return on;
    }

private:
    std::span<const int> m_pattern;
    size_t m_index = 0;
    int m_run = 0;
};

// The box whose edges a pen of width w centres on a figure's outline (l..r-1, t..b-1).
Rect CentredPenBox(const Rect& r, int w)
{
    return {r.left - w / 2, r.top - w / 2, r.right - 1 - w / 2 + w, r.bottom - 1 - w / 2 + w};
}

std::uint32_t PenPixel(const Pen& pen)
{
    return pen.color | 0xFF000000;
}

} // namespace

// Styled pens only exist one pixel wide (as in GDI, a wider dashed pen draws solid); styles that
// are neither known patterns nor PS_NULL draw solid.
std::span<const int> PenPattern(const Pen& pen)
{
    return pen.width <= 1 ? PatternOf(pen.style) : std::span<const int>{};
}

void DeviceContextState::PutPixel(const PixelBuffer& pb, int x, int y, std::uint32_t pixel) const
{
    if (!clip.Contains(x, y))
        return;
    if (scale == 1.0) {
        pb.Row(y)[x] = pixel;
        return;
    }
    const Rect r = ToDevice({x, y, x + 1, y + 1});
    for (int row = r.top; row < r.bottom; ++row)
        std::fill(pb.Row(row) + r.left, pb.Row(row) + r.right, pixel);
}

const Region& DeviceContextState::DeviceClip() const
{
    if (scale == 1.0)
        return clip;
    if (!(m_deviceClipOf == clip)) {
        m_deviceClip = clip.Scaled(scale).Intersect(deviceBounds);
        m_deviceClipOf = clip;
    }
    return m_deviceClip;
}

Rect DeviceContextState::ToDevice(const Rect& logical) const
{
    return scale == 1.0 ? logical : ScaleRect(logical, scale).Intersect(deviceBounds);
}

std::vector<Rect> DeviceContextState::DeviceRects(const Region& logical) const
{
    if (scale == 1.0)
        return logical.Rects();
    return logical.Scaled(scale).Intersect(deviceBounds).Rects();
}

void DeviceContextState::ResetBounds()
{
    bounds = {0, 0, UnscaleLength(deviceBounds.right, scale), UnscaleLength(deviceBounds.bottom, scale)};
    clip = Region(bounds);
}

void DrawPixelLine(DeviceContextState& state, int x1, int y1, int x2, int y2, const Pen& pen)
{
    // A line that misses the clip entirely is not walked at all.
    const Rect box{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2) + 1, std::max(y1, y2) + 1};
    if (box.Intersect(state.clip.Bounds()).IsEmpty())
        return;
    const PixelBuffer pb = state.BeginPixels();
    PatternWalker walker(PenPattern(pen));
    const std::uint32_t pixel = PenPixel(pen);
    const int dx = std::abs(x2 - x1), sx = x1 < x2 ? 1 : -1;
    const int dy = -std::abs(y2 - y1), sy = y1 < y2 ? 1 : -1;
    int err = dx + dy;
    int x = x1, y = y1;
    while (x != x2 || y != y2) {
        if (walker.Next())
            state.PutPixel(pb, x, y, pixel);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
    state.EndPixels();
}

void DrawPixelFrame(DeviceContextState& state, const Rect& r, const Pen& pen)
{
    // Clockwise round the outline from the top-left pixel, the pattern running on unbroken.
    const PixelBuffer pb = state.BeginPixels();
    PatternWalker walker(PenPattern(pen));
    const std::uint32_t pixel = PenPixel(pen);
    auto put = [&](int x, int y) {
        if (walker.Next())
            state.PutPixel(pb, x, y, pixel);
    };
    if (r.Height() == 1) {
        for (int x = r.left; x < r.right; ++x)
            put(x, r.top);
    } else if (r.Width() == 1) {
        for (int y = r.top; y < r.bottom; ++y)
            put(r.left, y);
    } else {
        for (int x = r.left; x < r.right; ++x)
            put(x, r.top);
        for (int y = r.top + 1; y < r.bottom; ++y)
            put(r.right - 1, y);
        for (int x = r.right - 2; x >= r.left; --x)
            put(x, r.bottom - 1);
        for (int y = r.bottom - 2; y > r.top; --y)
            put(r.left, y);
    }
    state.EndPixels();
}

Region FrameRing(const Rect& r, const Pen& pen)
{
    const int w = std::max(pen.width, 1);
    const Rect outer = pen.style == PS_INSIDEFRAME || w == 1 ? r : CentredPenBox(r, w);
    return Region(outer).Subtract(outer.Inflate(-w, -w));
}

Region RoundFrameRing(const Rect& r, int ellipseWidth, int ellipseHeight, const Pen& pen)
{
    const int w = std::max(pen.width, 1);
    const Rect outer = pen.style == PS_INSIDEFRAME || w == 1 ? r : CentredPenBox(r, w);
    const int grow = outer.Width() - r.Width();
    const int ew = ellipseWidth + grow, eh = ellipseHeight + grow;
    // RoundRect covers [left, right) like Rectangle; the region form leaves out the last column
    // and row, hence the extra pixel.
    auto shape = [](const Rect& box, int ellipseW, int ellipseH) {
        return Region::FromRoundRect({box.left, box.top, box.right + 1, box.bottom + 1}, ellipseW, ellipseH);
    };
    return shape(outer, ew, eh).Subtract(shape(outer.Inflate(-w, -w), ew - 2 * w, eh - 2 * w));
}

} // namespace platform
