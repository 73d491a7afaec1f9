// PNG files over the program's one PNG codec (platform/ImageCodecs.h): writing pixels (tests, tools,
// headless frames), reading a picture from a file or from bytes (embedded icons) into a surface, and
// comparing two pictures with a per-channel tolerance for reference-image checks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/PixelBuffer.h"
#include "platform/Surface.h"

namespace platform {

// How hard a written PNG is compressed: `Compact` for pictures that are kept, `Fast` for the many
// frames of a recorded run, which cost several times less to write and are somewhat larger.
enum class PngEffort
{
    Compact,
    Fast,
};

// File names are UTF-8 on every system.
// Writes premultiplied pixels as a PNG with straight alpha. False when the file cannot be written.
bool WritePng(const PixelBuffer& pixels, const std::string& path, PngEffort effort = PngEffort::Compact);
// Reads a PNG into a premultiplied ARGB surface; an invalid surface when the file is missing or is
// not a PNG.
Surface ReadPng(const std::string& path);
// The same for PNG bytes in memory.
Surface ReadPngBytes(const std::vector<std::uint8_t>& bytes);
// Decodes PNG bytes into a premultiplied ARGB surface scaled smoothly to width x height (an icon
// of the size asked for); an invalid surface when the bytes are not a PNG or a side is not positive.
Surface DecodePng(const std::vector<std::uint8_t>& bytes, int width, int height);

struct PixelDiff
{
    bool sameSize = true;
    int count = 0;                // pixels with a channel off by more than the tolerance
    int firstX = -1, firstY = -1; // the first of them in reading order
    std::uint32_t actual = 0;     // the two premultiplied values there
    std::uint32_t expected = 0;

    bool Matches() const { return sameSize && count == 0; }
    // "sizes differ (10x10 vs 12x10)" or "3 pixels differ, first at (4, 7): 0xff000000 instead of ...".
    std::string Describe() const;
};

// Compares pixel by pixel; a pixel differs when any of its four channels is off by more than
// `tolerance`.
PixelDiff ComparePixels(const PixelBuffer& actual, const PixelBuffer& expected, int tolerance);

} // namespace platform
