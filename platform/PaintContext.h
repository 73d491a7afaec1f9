// The device context a window paints through during WM_PAINT: over the picture BeginPaint handed
// out, at the window's scale (logical coordinates over the device-resolution picture), clipped to the
// dirty rectangle. The window system keeps that picture offscreen until
// EndPaint presents it, so painting goes straight into the window's store, with no buffer between.
#pragma once

#include "platform/DeviceContext.h"
#include "platform/WindowSystem.h"

namespace platform {

class PaintContext : public DeviceContext
{
public:
    explicit PaintContext(const PaintInfo& paint);
};

} // namespace platform
