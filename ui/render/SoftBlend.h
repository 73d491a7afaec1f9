// The blending fallback: premultiplied source-over with a constant alpha done pixel by pixel in
// memory, for drawing layers without a blend operation of their own.
#pragma once

#include "ui/core/UIRect.h"

#include "platform/PixelBuffer.h"

#include <cstdint>

namespace platform {
class DeviceContext;
}

namespace ui {

// Stretches `sourceRect` of the premultiplied `source` to `dest` (nearest neighbour) and lays it
// over what `dc` holds there, scaled by constantAlpha. False when the device context is null or a
// temporary bitmap cannot be made.
bool SoftAlphaBlend(platform::DeviceContext* dc, const CUIRect& dest, const platform::PixelBuffer& source,
                    const CUIRect& sourceRect, std::uint8_t constantAlpha);

// One pixel of the fallback: the premultiplied source pixel over the destination pixel.
std::uint32_t SoftBlendPixel(std::uint32_t source, std::uint32_t destination, std::uint8_t constantAlpha);

} // namespace ui
