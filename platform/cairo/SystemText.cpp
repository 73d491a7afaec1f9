// The desktop's sans text through Pango.
#include "platform/SystemText.h"

#include "platform/TextEncoding.h"
#include "platform/cairo/CairoShared.h"

namespace platform {

SIZE MeasureSystemText(const std::u16string& text, int size, int wrapWidth)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    cairo_t* cr = cairo_create(surface);
    PangoLayout* layout = cairo::CreateSansLayout(cr, Utf16ToUtf8(text), size, wrapWidth);
    int width = 0, height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    g_object_unref(layout);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return SIZE{width, height};
}

void DrawSystemText(const PixelBuffer& pixels, const std::u16string& text, int size, int wrapWidth, POINT origin)
{
    cairo_surface_t* surface = cairo::WrapPixels(pixels);
    if (!surface)
        return;
    cairo_t* cr = cairo_create(surface);
    PangoLayout* layout = cairo::CreateSansLayout(cr, Utf16ToUtf8(text), size, wrapWidth);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_move_to(cr, origin.x, origin.y);
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    cairo_surface_destroy(surface);
}

} // namespace platform
