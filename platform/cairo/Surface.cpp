// Surfaces are Cairo ARGB32 image surfaces: premultiplied B, G, R, A bytes, rows top-down, which is
// exactly the pixel layout of the framework's image records, so wrapping needs no conversion.
#include "platform/Surface.h"

#include "platform/cairo/CairoShared.h"

namespace platform {

Surface::Impl::~Impl()
{
    if (surface)
        cairo_surface_destroy(surface);
}

Surface::Surface() = default;
Surface::~Surface() = default;
Surface::Surface(Surface&& other) noexcept = default;
Surface& Surface::operator=(Surface&& other) noexcept = default;

Surface Surface::Create(int width, int height)
{
    Surface s;
    if (width <= 0 || height <= 0)
        return s;
    cairo_surface_t* cs = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(cs) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(cs);
        return s;
    }
    s.m_impl = std::make_unique<Impl>();
    s.m_impl->surface = cs;
    return s;
}

namespace {

// The last buffer this thread wrapped. A window paints its one picture over and over (an animation
// a hundred times a second), and making the image surface and its pixel image each time cost
// more than most of the drawing done through it. The surface refers to the memory only, so
// keeping it after that memory is gone is harmless: it is handed out again only for a buffer at
// the same address with the same size and stride, whose pixels it then addresses exactly.
struct LastWrapped
{
    cairo_surface_t* surface = nullptr;
    PixelBuffer pixels;

    ~LastWrapped()
    {
        if (surface)
            cairo_surface_destroy(surface);
    }
};

thread_local LastWrapped t_lastWrapped;

cairo_surface_t* WrapReusing(const PixelBuffer& pixels)
{
    LastWrapped& last = t_lastWrapped;
    if (last.surface && !pixels.IsEmpty() && last.pixels.pixels == pixels.pixels && last.pixels.width == pixels.width &&
        last.pixels.height == pixels.height && last.pixels.stride == pixels.stride) {
        // The pixels may have been written since without Cairo being told: what it remembers of
        // them (a cleared surface, snapshots taken of it as a source) must go.
        cairo_surface_mark_dirty(last.surface);
        return cairo_surface_reference(last.surface);
    }
    cairo_surface_t* cs = cairo::WrapPixels(pixels);
    if (!cs)
        return nullptr;
    if (last.surface)
        cairo_surface_destroy(last.surface);
    last.surface = cairo_surface_reference(cs);
    last.pixels = pixels;
    return cs;
}

} // namespace

Surface Surface::Wrap(const PixelBuffer& pixels)
{
    Surface s;
    cairo_surface_t* cs = WrapReusing(pixels);
    if (!cs)
        return s;
    s.m_impl = std::make_unique<Impl>();
    s.m_impl->surface = cs;
    return s;
}

bool Surface::IsValid() const
{
    return m_impl && m_impl->surface;
}

int Surface::Width() const
{
    return IsValid() ? cairo_image_surface_get_width(m_impl->surface) : 0;
}

int Surface::Height() const
{
    return IsValid() ? cairo_image_surface_get_height(m_impl->surface) : 0;
}

PixelBuffer Surface::Pixels() const
{
    PixelBuffer pb;
    if (!IsValid())
        return pb;
    cairo_surface_flush(m_impl->surface);
    pb.pixels = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(m_impl->surface));
    pb.width = cairo_image_surface_get_width(m_impl->surface);
    pb.height = cairo_image_surface_get_height(m_impl->surface);
    pb.stride = cairo_image_surface_get_stride(m_impl->surface);
    return pb;
}

void Surface::PixelsChanged() const
{
    if (IsValid())
        cairo_surface_mark_dirty(m_impl->surface);
}

namespace cairo {

cairo_surface_t* CairoSurface(const Surface& surface)
{
    return surface.IsValid() ? surface.GetImpl()->surface : nullptr;
}

cairo_surface_t* WrapPixels(const PixelBuffer& pixels)
{
    if (pixels.IsEmpty() || pixels.stride < pixels.width * 4 || pixels.stride % 4 != 0)
        return nullptr;
    cairo_surface_t* cs =
        cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(pixels.pixels), CAIRO_FORMAT_ARGB32,
                                            pixels.width, pixels.height, pixels.stride);
    if (cairo_surface_status(cs) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(cs);
        return nullptr;
    }
    return cs;
}

void ClipToRegion(cairo_t* cr, const Region& region)
{
    // Regions are in device pixels, whatever transform the caller has set.
    cairo_matrix_t matrix;
    cairo_get_matrix(cr, &matrix);
    cairo_identity_matrix(cr);
    cairo_reset_clip(cr);
    cairo_new_path(cr);
    for (const Rect& r : region.Rects())
        cairo_rectangle(cr, r.left, r.top, r.Width(), r.Height());
    // An empty path clips everything away, which is what an empty region means.
    cairo_clip(cr);
    cairo_set_matrix(cr, &matrix);
}

} // namespace cairo
} // namespace platform
