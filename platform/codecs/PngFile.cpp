// PNG files through the program's one PNG codec (platform/ImageCodecs.h), converting between the
// straight alpha of the file and the premultiplied pixels of surfaces; and the picture comparison
// of reference-image checks.
#include "platform/PngFile.h"

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/Color.h"
#include "platform/ImageCodecs.h"

namespace platform {

bool WritePng(const PixelBuffer& pixels, const std::string& path, PngEffort effort)
{
    if (pixels.IsEmpty())
        return false;
    std::vector<std::uint8_t> rgba(std::size_t(pixels.width) * std::size_t(pixels.height) * 4);
    std::uint8_t* out = rgba.data();
    for (int y = 0; y < pixels.height; ++y) {
        const std::uint32_t* row = pixels.Row(y);
        for (int x = 0; x < pixels.width; ++x, out += 4) {
            const std::uint32_t p = row[x];
            const std::uint32_t a = p >> 24;
            if (a == 0) {
                out[0] = out[1] = out[2] = out[3] = 0;
                continue;
            }
            if (a == 255) { // most pixels: nothing to undo
                out[0] = std::uint8_t(p >> 16);
                out[1] = std::uint8_t(p >> 8);
                out[2] = std::uint8_t(p);
                out[3] = 255;
                continue;
            }
            // Back to straight alpha, rounded to nearest.
            out[0] = std::uint8_t(std::min<std::uint32_t>(255, (((p >> 16) & 0xFF) * 255 + a / 2) / a));
            out[1] = std::uint8_t(std::min<std::uint32_t>(255, (((p >> 8) & 0xFF) * 255 + a / 2) / a));
            out[2] = std::uint8_t(std::min<std::uint32_t>(255, ((p & 0xFF) * 255 + a / 2) / a));
            out[3] = std::uint8_t(a);
        }
    }
    return codecs::EncodePng(rgba.data(), pixels.width, pixels.height, std::size_t(pixels.width) * 4, path.c_str(),
                             effort == PngEffort::Fast);
}

Surface ReadPngBytes(const std::vector<std::uint8_t>& bytes)
{
    std::vector<std::uint8_t> rgba;
    int width = 0, height = 0;
    if (!codecs::DecodePng(bytes.data(), bytes.size(), rgba, width, height))
        return Surface();
    std::vector<std::uint32_t> premultiplied(std::size_t(width) * std::size_t(height));
    const std::uint8_t* in = rgba.data();
    for (std::uint32_t& pixel : premultiplied) {
        const std::uint32_t a = in[3];
        pixel = a == 0 ? 0
                       : a << 24 | MultiplyChannel(a, in[0]) << 16 | MultiplyChannel(a, in[1]) << 8 |
                             MultiplyChannel(a, in[2]);
        in += 4;
    }
    // The owning copy tells the drawing backend its pixels changed.
    return Surface::Wrap(PixelBuffer{premultiplied.data(), width, height, width * 4}).Clone();
}

Surface ReadPng(const std::string& path)
{
    // The name is UTF-8; built from char8_t it names the same file on Windows as elsewhere.
    std::ifstream file(std::filesystem::path(std::u8string(path.begin(), path.end())), std::ios::binary);
    if (!file)
        return Surface();
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    return ReadPngBytes(bytes);
}

std::string PixelDiff::Describe() const
{
    char text[160];
    if (!sameSize)
        std::snprintf(text, sizeof text, "sizes differ");
    else if (count == 0)
        std::snprintf(text, sizeof text, "pictures match");
    else
        std::snprintf(text, sizeof text, "%d pixel%s differ, first at (%d, %d): 0x%08x instead of 0x%08x", count,
                      count == 1 ? "" : "s", firstX, firstY, actual, expected);
    return text;
}

PixelDiff ComparePixels(const PixelBuffer& actual, const PixelBuffer& expected, int tolerance)
{
    PixelDiff diff;
    if (actual.width != expected.width || actual.height != expected.height) {
        diff.sameSize = false;
        return diff;
    }
    for (int y = 0; y < actual.height; ++y) {
        const std::uint32_t* a = actual.Row(y);
        const std::uint32_t* e = expected.Row(y);
        for (int x = 0; x < actual.width; ++x) {
            bool differs = false;
            for (int shift = 0; shift < 32 && !differs; shift += 8)
                differs = std::abs(int((a[x] >> shift) & 0xFF) - int((e[x] >> shift) & 0xFF)) > tolerance;
            if (!differs)
                continue;
            if (diff.count++ == 0) {
                diff.firstX = x;
                diff.firstY = y;
                diff.actual = a[x];
                diff.expected = e[x];
            }
        }
    }
    return diff;
}

} // namespace platform
