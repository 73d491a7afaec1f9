// Internal state of a device context, shared by the files that implement its operations.
#pragma once

#include "platform/DeviceContext.h"
#include "platform/DeviceContextState.h"
#include "platform/cairo/CairoShared.h"

namespace platform {

struct DeviceContext::Impl : DeviceContextState
{
    Surface owned; // set when the context wraps a PixelBuffer
    Surface* target = nullptr;
    bool valid = false; // the target is a surface that can be drawn on

    // The Cairo context over the target, made when an operation first needs it: a paint that
    // only fills, blits and draws cached glyphs never does.
    cairo_t* Cr() const;
    bool HasCairo() const { return cr != nullptr; }

    ~Impl() override;
    // The target's pixels for direct writing (Cairo's pending work finished).
    PixelBuffer BeginPixels() const override;
    void EndPixels() const override;
    void BlendSmooth(const PixelBuffer& part, const Rect& device, const Region& clip, std::uint8_t constantAlpha,
                     bool opaque) const override;
    // Cairo state for one operation: saved, clipped to `clipRegion`, under `matrix`; pair with
    // cairo_restore.
    void BeginCairo(const Region& clipRegion, const Transform& matrix) const;

private:
    mutable cairo_t* cr = nullptr;
};

namespace cairo {
void SetMatrix(cairo_t* cr, const Transform& t);
} // namespace cairo

} // namespace platform
