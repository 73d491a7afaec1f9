// The part of a device context that every drawing backend shares: its bounds, clip region, font,
// text colour, transform and saved states, and direct access to its pixels. The portable
// operations (clip, saved state, pixel-exact fills and blits) work on it alone; a backend's
// context record derives from it and adds what its own drawing needs.
#pragma once

#include <span>
#include <vector>

#include "platform/DeviceContext.h"

namespace platform {

struct DeviceContextState
{
    struct Saved
    {
        Region clip;
        Font font;
        std::uint32_t textColor;
        Transform transform;
    };

    Rect bounds;       // logical
    Rect deviceBounds; // the target in device pixels
    double scale = 1.0;
    Region clip; // logical
    Font font;
    std::uint32_t textColor = 0xFF000000;
    Transform transform;
    std::vector<Saved> saved;

    virtual ~DeviceContextState() = default;
    // The target's pixels for direct writing, with the backend's pending drawing finished; pair
    // with EndPixels, which tells the backend that they changed.
    virtual PixelBuffer BeginPixels() const = 0;
    virtual void EndPixels() const = 0;
    // Composes `part` (premultiplied, a private copy; wholly opaque when `opaque`) over the device
    // rectangle `device`, resampled bilinearly, where the device-pixel region `clip` allows, with
    // the constant alpha on top. This draws it in software, sampling at the device pixels'
    // centres and repeating the edge pixels outwards, so that parts meet at any scale; a backend
    // whose drawing library resamples its own way overrides it to keep that library's look.
    virtual void BlendSmooth(const PixelBuffer& part, const Rect& device, const Region& clip,
                             std::uint8_t constantAlpha, bool opaque) const;
    // Writes the premultiplied pixel (logical; the device pixels it covers) where the clip allows.
    void PutPixel(const PixelBuffer& pb, int x, int y, std::uint32_t pixel) const;
    // The clip in device pixels (the clip itself at scale 1).
    const Region& DeviceClip() const;
    // A logical rectangle or region in device pixels, cut to the target.
    Rect ToDevice(const Rect& logical) const;
    std::vector<Rect> DeviceRects(const Region& logical) const;
    // Sets the logical bounds and the clip from the target's device size and the scale.
    void ResetBounds();

private:
    mutable Region m_deviceClip;
    mutable Region m_deviceClipOf;
};

// The on and off runs of a pen's dash pattern; empty for solid drawing. Styled pens exist one
// pixel wide only (as in GDI, a wider dashed pen draws solid); unknown styles draw solid.
std::span<const int> PenPattern(const Pen& pen);
// A one-pixel line in the pen's pattern, the last pixel left out as LineTo leaves it.
void DrawPixelLine(DeviceContextState& state, int x1, int y1, int x2, int y2, const Pen& pen);
// The outline of `r` in a one-pixel styled pen, the pattern running clockwise from the top-left
// pixel without a break at the corners.
void DrawPixelFrame(DeviceContextState& state, const Rect& r, const Pen& pen);
// The pixels a solid pen (PS_SOLID, PS_INSIDEFRAME, or a wide pen of any style) covers drawing
// the outline of `r`: Rectangle's outline, or RoundRect's with the ellipse's size, whose shape is
// that of Region::FromRoundRect. A centred wide pen straddles the outline, an inside-frame pen
// keeps within `r`.
Region FrameRing(const Rect& r, const Pen& pen);
Region RoundFrameRing(const Rect& r, int ellipseWidth, int ellipseHeight, const Pen& pen);

// The shared state of a context (the backend's record is one).
DeviceContextState& StateOf(DeviceContext::Impl& impl);

// Whether two pixel views share any memory (a blit from a surface onto itself).
inline bool BuffersOverlap(const PixelBuffer& a, const PixelBuffer& b)
{
    if (a.IsEmpty() || b.IsEmpty())
        return false;
    const auto* aBegin = reinterpret_cast<const std::uint8_t*>(a.pixels);
    const auto* aEnd = reinterpret_cast<const std::uint8_t*>(a.Row(a.height - 1) + a.width);
    const auto* bBegin = reinterpret_cast<const std::uint8_t*>(b.pixels);
    const auto* bEnd = reinterpret_cast<const std::uint8_t*>(b.Row(b.height - 1) + b.width);
    return aBegin < bEnd && bBegin < aEnd;
}

// The rectangle with its corners in order (left <= right, top <= bottom).
inline Rect Normalized(const Rect& r)
{
    return {r.left < r.right ? r.left : r.right, r.top < r.bottom ? r.top : r.bottom,
            r.left < r.right ? r.right : r.left, r.top < r.bottom ? r.bottom : r.top};
}

} // namespace platform
