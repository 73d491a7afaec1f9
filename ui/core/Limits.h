// The limits a skin is held to. A skin comes from a file anyone can edit, so every number it gives
// and every structure it builds is bounded here; what goes beyond a limit is clamped or not built,
// never allowed to exhaust memory or the stack or to overflow the geometry. docs/limits.md lists
// them for skin authors.
#pragma once

#include <cstdint>

#include "platform/ImageCodecs.h"

namespace ui::limits {

// Coordinates, sizes, paddings and offsets read from markup lie within ±kMaxCoordinate. Sums over
// every control a skin may build (kMaxControls) then stay far inside 32 bits.
constexpr int kMaxCoordinate = 32767;
// The largest window side ("size", "mininfo", "maxinfo"): an 8K screen, 256 MiB of pixels at most.
constexpr int kMaxWindowSide = 8192;
// An Include element builds its source at most this many times.
constexpr int kMaxIncludeCount = 100;
// Controls (and Include instances) one build creates, includes and nested child layouts included.
constexpr int kMaxControls = 10000;
// Elements nested deeper than this (across includes) are not built: the builder, the layout and the
// paint pass recurse once per level.
constexpr int kMaxNestingDepth = 200;
// Spokes of a spinner.
constexpr int kMaxSpokes = 360;
// Decoded images: each side and the pixel count, checked by the platform's decoders before they
// allocate.
constexpr int kMaxImageSide = platform::codecs::kMaxImageSide;
constexpr std::int64_t kMaxImagePixels = platform::codecs::kMaxImagePixels;

// v clamped to ±kMaxCoordinate.
constexpr int ClampCoordinate(std::int64_t v)
{
    return v > kMaxCoordinate ? kMaxCoordinate : v < -kMaxCoordinate ? -kMaxCoordinate : int(v);
}

// trunc(extent × fraction) clamped to ±kMaxCoordinate; a fraction that is not a number gives 0.
constexpr int ScaleExtent(int extent, double fraction)
{
    const double product = double(extent) * fraction;
    if (!(product == product))
        return 0;
    if (product >= kMaxCoordinate)
        return kMaxCoordinate;
    if (product <= -kMaxCoordinate)
        return -kMaxCoordinate;
    return int(product);
}

} // namespace ui::limits
