// Lines, outlines, text and the anti-aliased vector operations of a device context.
#include "platform/DeviceContext.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <span>

#include "platform/Color.h"
#include "platform/TextLayout.h"
#include "platform/cairo/DeviceContextImpl.h"

namespace platform {

// ---------------------------------------------------------------------------------------------
// Pens
// ---------------------------------------------------------------------------------------------

namespace {

} // namespace

void DeviceContext::DrawLine(int x1, int y1, int x2, int y2, const Pen& pen)
{
    if (!IsValid() || pen.style == PS_NULL || (x1 == x2 && y1 == y2))
        return;
    if (pen.width > 1) {
        // Wide pens are geometric: round caps and joins, centred on the pixel path.
        m_impl->BeginCairo(m_impl->clip, Transform::Identity());
        cairo_set_antialias(m_impl->Cr(), CAIRO_ANTIALIAS_NONE);
        cairo_set_source_rgb(m_impl->Cr(), RedOf(pen.color) / 255.0, GreenOf(pen.color) / 255.0,
                             BlueOf(pen.color) / 255.0);
        cairo_set_line_width(m_impl->Cr(), pen.width);
        cairo_set_line_cap(m_impl->Cr(), CAIRO_LINE_CAP_ROUND);
        cairo_move_to(m_impl->Cr(), x1 + 0.5, y1 + 0.5);
        cairo_line_to(m_impl->Cr(), x2 + 0.5, y2 + 0.5);
        cairo_stroke(m_impl->Cr());
        cairo_restore(m_impl->Cr());
        return;
    }
    DrawPixelLine(*m_impl, x1, y1, x2, y2, pen);
}

void DeviceContext::DrawRect(const Rect& rect, const Pen& pen)
{
    const Rect r = Normalized(rect);
    if (!IsValid() || pen.style == PS_NULL || r.IsEmpty())
        return;
    if (!PenPattern(pen).empty()) {
        DrawPixelFrame(*m_impl, r, pen);
        return;
    }
    FillRegion(FrameRing(r, pen), pen.color | 0xFF000000);
}

void DeviceContext::DrawRoundRect(const Rect& rect, int ellipseWidth, int ellipseHeight, const Pen& pen)
{
    const Rect r = Normalized(rect);
    if (!IsValid() || pen.style == PS_NULL || r.IsEmpty())
        return;
    const std::span<const int> pattern = PenPattern(pen);
    if (!pattern.empty()) {
        // Dashed curves: Cairo's dashing along the path through the outline's pixel centres.
        const double ew = std::clamp(ellipseWidth, 0, r.Width()) / 2.0;
        const double eh = std::clamp(ellipseHeight, 0, r.Height()) / 2.0;
        const double l = r.left + 0.5, t = r.top + 0.5, rr = r.right - 0.5, b = r.bottom - 0.5;
        const double rx = std::max(ew - 0.5, 0.0), ry = std::max(eh - 0.5, 0.0);
        cairo_t* cr = m_impl->Cr();
        m_impl->BeginCairo(m_impl->clip, Transform::Identity());
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
        cairo_set_source_rgb(cr, RedOf(pen.color) / 255.0, GreenOf(pen.color) / 255.0, BlueOf(pen.color) / 255.0);
        cairo_set_line_width(cr, 1.0);
        std::vector<double> dashes(pattern.begin(), pattern.end());
        cairo_set_dash(cr, dashes.data(), static_cast<int>(dashes.size()), 0);
        auto corner = [&](double cx, double cy, double a0, double a1) {
            cairo_save(cr);
            cairo_translate(cr, cx, cy);
            cairo_scale(cr, rx > 0 ? rx : 1e-6, ry > 0 ? ry : 1e-6);
            cairo_arc(cr, 0, 0, 1, a0, a1);
            cairo_restore(cr);
        };
        const double pi = 3.14159265358979323846;
        cairo_new_path(cr);
        corner(l + rx, t + ry, pi, 1.5 * pi);
        corner(rr - rx, t + ry, 1.5 * pi, 2 * pi);
        corner(rr - rx, b - ry, 0, 0.5 * pi);
        corner(l + rx, b - ry, 0.5 * pi, pi);
        cairo_close_path(cr);
        cairo_stroke(cr);
        cairo_restore(cr);
        return;
    }
    FillRegion(RoundFrameRing(r, ellipseWidth, ellipseHeight, pen), pen.color | 0xFF000000);
}

// ---------------------------------------------------------------------------------------------
// Text
// ---------------------------------------------------------------------------------------------

void DeviceContext::DrawTextLayout(const TextLayout& layout)
{
    if (!IsValid() || layout.Lines().empty())
        return;
    const Region clip = (layout.Format() & DT_NOCLIP) ? m_impl->clip : m_impl->clip.Intersect(layout.Bounds());
    if (clip.IsEmpty())
        return;
    cairo_t* cr = nullptr;
    const std::uint32_t c = m_impl->textColor;
    // Cairo is set up only for a line that needs it: a line of cached glyphs is composited
    // straight into the pixels, as Cairo would composite it.
    bool inCairo = false;
    const auto beginCairo = [&] {
        if (inCairo)
            return;
        inCairo = true;
        cr = m_impl->Cr();
        m_impl->BeginCairo(clip, Transform::Identity());
        // Like GDI text, the colour is opaque whatever its alpha byte says.
        cairo_set_source_rgb(cr, RedOf(c) / 255.0, GreenOf(c) / 255.0, BlueOf(c) / 255.0);
    };
    const int ascent = layout.GetFont().Metrics().ascent;
    // Kept per thread, so that drawing a short label allocates nothing.
    thread_local cairo::GlyphRun run;
    for (const TextLine& line : layout.Lines()) {
        if (line.text.empty() || !clip.Intersects(line.rect))
            continue;
        if (line.prefixIndex < 0 &&
            cairo::CachedGlyphRun(layout.GetFont(), line.text.data(), static_cast<int>(line.text.size()), run)) {
            // The layout below is placed with its baseline on the font's ascent below the line's
            // top, so that is where the glyphs' baseline goes.
            const double baselineY = line.rect.top + ascent;
            if (!inCairo) {
                const Region device =
                    m_impl->scale == 1.0 ? clip : clip.Scaled(m_impl->scale).Intersect(m_impl->deviceBounds);
                const PixelBuffer pixels = m_impl->BeginPixels();
                const bool drawn =
                    cairo::CompositeGlyphRun(pixels, device, m_impl->scale, run, line.rect.left, baselineY, c);
                if (drawn) {
                    m_impl->EndPixels();
                    continue;
                }
            }
            beginCairo();
            cairo::ShowGlyphRun(cr, run, line.rect.left, baselineY);
            continue;
        }
        beginCairo();
        PangoLayout* pl = nullptr;
        if (line.prefixIndex < 0) {
            // The layout the line was measured with, unless it has gone from the cache since.
            pl = cairo::SharedLayout(layout.GetFont(), line.text.data(), static_cast<int>(line.text.size()));
        } else {
            std::vector<int> offsets;
            const std::string utf8 = cairo::ToUtf8(line.text.data(), static_cast<int>(line.text.size()), &offsets);
            pl = cairo::CreateLayout(cairo::SharedPangoContext(), layout.GetFont(), utf8);
            PangoAttrList* attrs = pango_layout_get_attributes(pl);
            attrs = attrs ? pango_attr_list_copy(attrs) : pango_attr_list_new();
            PangoAttribute* underline = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
            // A mnemonic may be a surrogate pair: underline both halves.
            size_t end = static_cast<size_t>(line.prefixIndex) + 1;
            if (end < line.text.size() && line.text[end] >= 0xDC00 && line.text[end] <= 0xDFFF)
                ++end;
            underline->start_index = offsets[line.prefixIndex];
            underline->end_index = offsets[end];
            pango_attr_list_insert(attrs, underline);
            pango_layout_set_attributes(pl, attrs);
            pango_attr_list_unref(attrs);
        }
        const double baseline = double(pango_layout_get_baseline(pl)) / PANGO_SCALE;
        cairo_move_to(cr, line.rect.left, line.rect.top + ascent - baseline);
        pango_cairo_show_layout(cr, pl);
        g_object_unref(pl);
    }
    if (inCairo)
        cairo_restore(cr);
}

// ---------------------------------------------------------------------------------------------
// Vector operations
// ---------------------------------------------------------------------------------------------

namespace {

void SetBrush(cairo_t* cr, const Brush& brush)
{
    auto rgba = [](std::uint32_t c, double* out) {
        out[0] = RedOf(c) / 255.0;
        out[1] = GreenOf(c) / 255.0;
        out[2] = BlueOf(c) / 255.0;
        out[3] = AlphaOf(c) / 255.0;
    };
    double a[4], b[4];
    rgba(brush.color1, a);
    rgba(brush.color2, b);
    const bool degenerate = brush.start.x == brush.end.x && brush.start.y == brush.end.y;
    if (!brush.gradient || degenerate) {
        cairo_set_source_rgba(cr, a[0], a[1], a[2], a[3]);
        return;
    }
    cairo_pattern_t* p = cairo_pattern_create_linear(brush.start.x, brush.start.y, brush.end.x, brush.end.y);
    cairo_pattern_add_color_stop_rgba(p, 0, a[0], a[1], a[2], a[3]);
    cairo_pattern_add_color_stop_rgba(p, 1, b[0], b[1], b[2], b[3]);
    cairo_pattern_set_extend(p, CAIRO_EXTEND_PAD);
    cairo_set_source(cr, p);
    cairo_pattern_destroy(p);
}

cairo_line_cap_t CairoCap(LineCap cap)
{
    switch (cap) {
    case LineCap::Round:
        return CAIRO_LINE_CAP_ROUND;
    case LineCap::Square:
        return CAIRO_LINE_CAP_SQUARE;
    default:
        return CAIRO_LINE_CAP_BUTT;
    }
}

} // namespace

void DeviceContext::DrawLineAA(PointF from, PointF to, double width, std::uint32_t argb, LineCap cap)
{
    if (!IsValid() || width <= 0)
        return;
    cairo_t* cr = m_impl->Cr();
    m_impl->BeginCairo(m_impl->clip, m_impl->transform);
    SetBrush(cr, Brush::Solid(argb));
    cairo_set_line_width(cr, width);
    cairo_set_line_cap(cr, CairoCap(cap));
    cairo_move_to(cr, from.x, from.y);
    cairo_line_to(cr, to.x, to.y);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void DeviceContext::FillRectAA(const RectF& rect, const Brush& brush)
{
    if (!IsValid() || rect.width <= 0 || rect.height <= 0)
        return;
    cairo_t* cr = m_impl->Cr();
    m_impl->BeginCairo(m_impl->clip, m_impl->transform);
    SetBrush(cr, brush);
    cairo_rectangle(cr, rect.x, rect.y, rect.width, rect.height);
    cairo_fill(cr);
    cairo_restore(cr);
}

void DeviceContext::DrawImage(const PixelBuffer& source, const RectF& sourceRect, const RectF& dest, ImageFilter filter,
                              std::uint8_t alpha)
{
    if (!IsValid() || source.IsEmpty() || sourceRect.width <= 0 || sourceRect.height <= 0 || dest.width <= 0 ||
        dest.height <= 0 || alpha == 0)
        return;
    // Drawing a surface onto itself needs a snapshot of the source first.
    Surface snapshot;
    PixelBuffer from = source;
    if (BuffersOverlap(source, Pixels())) {
        snapshot = m_impl->target->Clone();
        from = snapshot.Pixels();
    }
    cairo_surface_t* wrapped = cairo::WrapPixels(from);
    if (!wrapped)
        return;
    cairo_surface_t* part =
        cairo_surface_create_for_rectangle(wrapped, sourceRect.x, sourceRect.y, sourceRect.width, sourceRect.height);
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(part);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(pattern, filter == ImageFilter::Nearest    ? CAIRO_FILTER_NEAREST
                                      : filter == ImageFilter::Bilinear ? CAIRO_FILTER_BILINEAR
                                                                        : CAIRO_FILTER_BEST);
    cairo_matrix_t m;
    cairo_matrix_init_scale(&m, sourceRect.width / dest.width, sourceRect.height / dest.height);
    cairo_matrix_translate(&m, -dest.x, -dest.y);
    cairo_pattern_set_matrix(pattern, &m);

    cairo_t* cr = m_impl->Cr();
    m_impl->BeginCairo(m_impl->clip, m_impl->transform);
    cairo_set_source(cr, pattern);
    cairo_rectangle(cr, dest.x, dest.y, dest.width, dest.height);
    cairo_clip(cr);
    cairo_paint_with_alpha(cr, alpha / 255.0);
    cairo_restore(cr);

    cairo_pattern_destroy(pattern);
    cairo_surface_destroy(part);
    cairo_surface_destroy(wrapped);
}

// Cairo's own filter resamples the part, so the picture looks as the rest of Cairo's drawing does.
void DeviceContext::Impl::BlendSmooth(const PixelBuffer& part, const Rect& device, const Region& clip,
                                      std::uint8_t constantAlpha, bool opaque) const
{
    cairo_t* cr = Cr();
    cairo_surface_t* wrapped = cairo::WrapPixels(part);
    if (!wrapped)
        return;
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(wrapped);
    // Edge pixels repeat outwards instead of fading to transparent, so a slice's border stays solid.
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);
    cairo_matrix_t m;
    cairo_matrix_init_scale(&m, double(part.width) / device.Width(), double(part.height) / device.Height());
    cairo_matrix_translate(&m, -device.left, -device.top);
    cairo_pattern_set_matrix(pattern, &m);

    cairo_save(cr);
    cairo::ClipToRegion(cr, clip);
    cairo_identity_matrix(cr);
    cairo_set_source(cr, pattern);
    if (opaque && constantAlpha == 255)
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint_with_alpha(cr, constantAlpha / 255.0);
    cairo_restore(cr);
    cairo_pattern_destroy(pattern);
    cairo_surface_destroy(wrapped);
}

namespace {

// A layout of `text` placed in `box` by `format`; returns the layout and its top-left corner.
PangoLayout* PlaceString(const char16_t* text, int length, const Font& font, const RectF& box,
                         const StringFormat& format, PointF& origin)
{
    const std::string utf8 = cairo::ToUtf8(text, length);
    PangoContext* context =
        cairo::SharedPangoContext(format.antialias ? cairo::TextAntialias::Gray : cairo::TextAntialias::None);
    const Font& f = font.IsNull() ? Font::DefaultGui() : font;
    PangoLayout* layout = cairo::CreateLayout(context, f, utf8);
    if (!format.noWrap && box.width > 0) {
        pango_layout_set_width(layout, static_cast<int>(box.width * PANGO_SCALE));
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
        pango_layout_set_alignment(layout, format.align == TextAlign::Center ? PANGO_ALIGN_CENTER
                                           : format.align == TextAlign::Far  ? PANGO_ALIGN_RIGHT
                                                                             : PANGO_ALIGN_LEFT);
    }
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    const double width = double(logical.width) / PANGO_SCALE;
    const double height = double(logical.height) / PANGO_SCALE;
    origin = {box.x, box.y};
    if (format.noWrap || box.width <= 0) {
        if (format.align == TextAlign::Center)
            origin.x += (box.width - width) / 2;
        else if (format.align == TextAlign::Far)
            origin.x += box.width - width;
    }
    if (format.lineAlign == TextAlign::Center)
        origin.y += (box.height - height) / 2;
    else if (format.lineAlign == TextAlign::Far)
        origin.y += box.height - height;
    return layout;
}

// Begins drawing `text` placed in `box`: Cairo's state saved, clipped and transformed as the
// context has it (and clipped to the box too when the format asks), the brush set and the current
// point at the text's origin. Pair with cairo_restore; the caller releases the layout.
PangoLayout* BeginString(const DeviceContext::Impl& impl, const char16_t* text, int length, const Font& font,
                         const RectF& box, const StringFormat& format, const Brush& brush)
{
    PointF origin;
    PangoLayout* layout = PlaceString(text, length, font, box, format, origin);
    cairo_t* cr = impl.Cr();
    impl.BeginCairo(impl.clip, impl.transform);
    if (format.clip) {
        cairo_rectangle(cr, box.x, box.y, box.width, box.height);
        cairo_clip(cr);
    }
    SetBrush(cr, brush);
    cairo_move_to(cr, origin.x, origin.y);
    return layout;
}

} // namespace

void DeviceContext::DrawString(const char16_t* text, int length, const Font& font, const RectF& layout,
                               const StringFormat& format, const Brush& brush)
{
    if (!IsValid() || !text || length <= 0)
        return;
    PangoLayout* pl = BeginString(*m_impl, text, length, font, layout, format, brush);
    pango_cairo_show_layout(m_impl->Cr(), pl);
    cairo_restore(m_impl->Cr());
    g_object_unref(pl);
}

void DeviceContext::StrokeString(const char16_t* text, int length, const Font& font, const RectF& layout,
                                 const StringFormat& format, double width, const Brush& brush)
{
    if (!IsValid() || !text || length <= 0 || width <= 0)
        return;
    PangoLayout* pl = BeginString(*m_impl, text, length, font, layout, format, brush);
    cairo_t* cr = m_impl->Cr();
    cairo_set_line_width(cr, width);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    pango_cairo_layout_path(cr, pl);
    cairo_stroke(cr);
    cairo_restore(cr);
    g_object_unref(pl);
}

} // namespace platform
