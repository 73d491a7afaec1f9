// Internal state of a device context, shared by the files that implement its operations.
#pragma once

#include <vector>

#include "platform/DeviceContext.h"
#include "platform/cairo/CairoShared.h"

namespace platform {

struct DeviceContext::Impl
{
    struct State
    {
        Region clip;
        Font font;
        std::uint32_t textColor;
        Transform transform;
    };

    Surface owned; // set when the context wraps a PixelBuffer
    Surface* target = nullptr;
    cairo_t* cr = nullptr;
    Rect bounds;       // logical
    Rect deviceBounds; // the surface in device pixels
    double scale = 1.0;
    Region clip; // logical
    Font font;
    std::uint32_t textColor = 0xFF000000;
    Transform transform;
    std::vector<State> saved;

    ~Impl();
    // The target's pixels for direct writing (Cairo's pending work finished); pair with EndPixels.
    PixelBuffer BeginPixels() const;
    void EndPixels() const;
    // Cairo state for one operation: saved, clipped to `clipRegion`, under `matrix`; pair with
    // cairo_restore.
    void BeginCairo(const Region& clipRegion, const Transform& matrix) const;
    // Writes the premultiplied pixel (logical; the device pixels it covers) where the clip allows.
    void PutPixel(const PixelBuffer& pb, int x, int y, std::uint32_t pixel) const;
    // The clip in device pixels (the clip itself at scale 1).
    const Region& DeviceClip() const;
    // A logical rectangle or region in device pixels, cut to the surface.
    Rect ToDevice(const Rect& logical) const;
    std::vector<Rect> DeviceRects(const Region& logical) const;
    // Sets the logical bounds and clip from the surface size and the scale.
    void ResetBounds();

private:
    mutable Region m_deviceClip;
    mutable Region m_deviceClipOf;
};

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

namespace cairo {
void SetMatrix(cairo_t* cr, const Transform& t);
} // namespace cairo

} // namespace platform
