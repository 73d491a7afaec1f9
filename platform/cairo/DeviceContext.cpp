// Device contexts over Cairo: a Cairo context on the target surface, whose pixels the shared
// fills and blits write directly.
#include "platform/DeviceContext.h"

#include "platform/cairo/DeviceContextImpl.h"

namespace platform {

// ---------------------------------------------------------------------------------------------
// Construction and state
// ---------------------------------------------------------------------------------------------

DeviceContext::Impl::~Impl()
{
    if (cr)
        cairo_destroy(cr);
}

PixelBuffer DeviceContext::Impl::BeginPixels() const
{
    return target->Pixels();
}

void DeviceContext::Impl::EndPixels() const
{
    cairo_surface_mark_dirty(cairo::CairoSurface(*target));
}

cairo_t* DeviceContext::Impl::Cr() const
{
    if (!cr && valid)
        cr = cairo_create(cairo::CairoSurface(*target));
    return cr;
}

void DeviceContext::Impl::BeginCairo(const Region& clipRegion, const Transform& matrix) const
{
    cairo_t* cr = Cr();
    cairo_save(cr);
    if (scale == 1.0) {
        cairo::ClipToRegion(cr, clipRegion);
        cairo::SetMatrix(cr, matrix);
        return;
    }
    cairo::ClipToRegion(cr, clipRegion.Scaled(scale).Intersect(deviceBounds));
    cairo::SetMatrix(cr, Transform{scale, 0, 0, scale, 0, 0}.After(matrix));
}

DeviceContextState& StateOf(DeviceContext::Impl& impl)
{
    return impl;
}

namespace cairo {
void SetMatrix(cairo_t* cr, const Transform& t)
{
    cairo_matrix_t m;
    cairo_matrix_init(&m, t.xx, t.yx, t.xy, t.yy, t.x0, t.y0);
    cairo_set_matrix(cr, &m);
}
} // namespace cairo

DeviceContext::DeviceContext(Surface& target) : m_impl(std::make_unique<Impl>())
{
    m_impl->target = &target;
    if (target.IsValid()) {
        m_impl->valid = true;
        m_impl->deviceBounds = {0, 0, target.Width(), target.Height()};
    }
    m_impl->ResetBounds();
    m_impl->font = Font::DefaultGui();
}

DeviceContext::DeviceContext(const PixelBuffer& target) : m_impl(std::make_unique<Impl>())
{
    m_impl->owned = Surface::Wrap(target);
    m_impl->target = &m_impl->owned;
    if (m_impl->owned.IsValid()) {
        m_impl->valid = true;
        m_impl->deviceBounds = {0, 0, target.width, target.height};
    }
    m_impl->ResetBounds();
    m_impl->font = Font::DefaultGui();
}

DeviceContext::~DeviceContext()
{
    // Whoever reads the pixels next must see everything drawn.
    if (m_impl->HasCairo())
        cairo_surface_flush(cairo::CairoSurface(*m_impl->target));
}

bool DeviceContext::IsValid() const
{
    return m_impl->valid;
}

PixelBuffer DeviceContext::Pixels() const
{
    return IsValid() ? m_impl->target->Pixels() : PixelBuffer{};
}

} // namespace platform
