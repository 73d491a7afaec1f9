// PNG reading and writing through Cairo, which converts between straight and premultiplied alpha.
#include "platform/PngFile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/cairo/CairoShared.h"

namespace platform {

namespace {

struct PngReader
{
    const std::vector<std::uint8_t>* bytes;
    std::size_t offset = 0;
};

cairo_status_t ReadPngBytes(void* closure, unsigned char* data, unsigned int length)
{
    auto* reader = static_cast<PngReader*>(closure);
    if (reader->offset + length > reader->bytes->size())
        return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, reader->bytes->data() + reader->offset, length);
    reader->offset += length;
    return CAIRO_STATUS_SUCCESS;
}

} // namespace

bool WritePng(const PixelBuffer& pixels, const std::string& path)
{
    cairo_surface_t* surface = cairo::WrapPixels(pixels);
    if (!surface)
        return false;
    const bool ok = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return ok;
}

Surface ReadPng(const std::string& path)
{
    cairo_surface_t* loaded = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(loaded) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(loaded);
        return Surface();
    }
    // Whatever the file's format (opaque RGB, grey, palette), hand back ARGB32.
    const int width = cairo_image_surface_get_width(loaded);
    const int height = cairo_image_surface_get_height(loaded);
    Surface out = Surface::Create(width, height);
    if (out.IsValid()) {
        cairo_t* cr = cairo_create(cairo::CairoSurface(out));
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_surface(cr, loaded, 0, 0);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_flush(cairo::CairoSurface(out));
    }
    cairo_surface_destroy(loaded);
    return out;
}

Surface DecodePng(const std::vector<std::uint8_t>& bytes, int width, int height)
{
    if (width <= 0 || height <= 0)
        return Surface();
    PngReader reader{&bytes};
    cairo_surface_t* picture = cairo_image_surface_create_from_png_stream(ReadPngBytes, &reader);
    Surface out;
    if (cairo_surface_status(picture) == CAIRO_STATUS_SUCCESS) {
        out = Surface::Create(width, height);
        if (out.IsValid()) {
            cairo_t* cr = cairo_create(cairo::CairoSurface(out));
            cairo_scale(cr, double(width) / cairo_image_surface_get_width(picture),
                        double(height) / cairo_image_surface_get_height(picture));
            cairo_set_source_surface(cr, picture, 0, 0);
            cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
            cairo_paint(cr);
            cairo_destroy(cr);
            cairo_surface_flush(cairo::CairoSurface(out));
        }
    }
    cairo_surface_destroy(picture);
    return out;
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
