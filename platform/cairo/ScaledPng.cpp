// Icons: PNG bytes decoded by the program's PNG codec, then scaled smoothly by Cairo to the size
// the window system asks for.
#include "platform/PngFile.h"

#include "platform/cairo/CairoShared.h"

namespace platform {

Surface DecodePng(const std::vector<std::uint8_t>& bytes, int width, int height)
{
    if (width <= 0 || height <= 0)
        return Surface();
    const Surface picture = ReadPngBytes(bytes);
    if (!picture.IsValid())
        return Surface();
    Surface out = Surface::Create(width, height);
    if (out.IsValid()) {
        cairo_t* cr = cairo_create(cairo::CairoSurface(out));
        cairo_scale(cr, double(width) / picture.Width(), double(height) / picture.Height());
        cairo_set_source_surface(cr, cairo::CairoSurface(picture), 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_flush(cairo::CairoSurface(out));
    }
    return out;
}

} // namespace platform
