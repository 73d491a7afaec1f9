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

// On and off run lengths of GDI's cosmetic styled pens.
constexpr int kDash[] = {18, 6};
constexpr int kDot[] = {3, 3};
constexpr int kDashDot[] = {9, 6, 3, 6};
constexpr int kDashDotDot[] = {9, 3, 3, 3, 3, 3};

std::span<const int> PatternOf(int style)
{
    switch (style) {
    case PS_DASH:
        return kDash;
    case PS_DOT:
        return kDot;
    case PS_DASHDOT:
        return kDashDot;
    case PS_DASHDOTDOT:
        return kDashDotDot;
    default:
        return {};
    }
}

// Walks a dash pattern one pixel at a time.
class PatternWalker
{
public:
    explicit PatternWalker(std::span<const int> pattern) : m_pattern(pattern) {}
    // Whether the next pixel is drawn.
    bool Next()
    {
        if (m_pattern.empty())
            return true;
        const bool on = m_index % 2 == 0;
        if (++m_run >= m_pattern[m_index]) {
            m_run = 0;
            m_index = (m_index + 1) % m_pattern.size();
        }
        return on;
    }

private:
    std::span<const int> m_pattern;
    size_t m_index = 0;
    int m_run = 0;
};

// Styled pens only exist one pixel wide (as in GDI, a wider dashed pen draws solid); styles that
// are neither known patterns nor PS_NULL draw solid.
std::span<const int> EffectivePattern(const Pen& pen)
{
    return pen.width <= 1 ? PatternOf(pen.style) : std::span<const int>{};
}

std::uint32_t PenPixel(const Pen& pen)
{
    return pen.color | 0xFF000000;
}

Rect Normalized(const Rect& r)
{
    return {std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right), std::max(r.top, r.bottom)};
}

// The box whose edges a pen of width w centres on a figure's outline (l..r-1, t..b-1).
Rect CentredPenBox(const Rect& r, int w)
{
    return {r.left - w / 2, r.top - w / 2, r.right - 1 - w / 2 + w, r.bottom - 1 - w / 2 + w};
}

} // namespace

void DeviceContext::DrawLine(int x1, int y1, int x2, int y2, const Pen& pen)
{
    if (!IsValid() || pen.style == PS_NULL || (x1 == x2 && y1 == y2))
        return;
    if (pen.width > 1) {
        // Wide pens are geometric: round caps and joins, centred on the pixel path.
        m_impl->BeginCairo(m_impl->clip, Transform::Identity());
        cairo_set_antialias(m_impl->cr, CAIRO_ANTIALIAS_NONE);
        cairo_set_source_rgb(m_impl->cr, RedOf(pen.color) / 255.0, GreenOf(pen.color) / 255.0,
                             BlueOf(pen.color) / 255.0);
        cairo_set_line_width(m_impl->cr, pen.width);
        cairo_set_line_cap(m_impl->cr, CAIRO_LINE_CAP_ROUND);
        cairo_move_to(m_impl->cr, x1 + 0.5, y1 + 0.5);
        cairo_line_to(m_impl->cr, x2 + 0.5, y2 + 0.5);
        cairo_stroke(m_impl->cr);
        cairo_restore(m_impl->cr);
        return;
    }
    // Bresenham, stopping before the end point like LineTo. A line that misses the clip entirely
    // is not walked at all.
    const Rect box{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2) + 1, std::max(y1, y2) + 1};
    if (box.Intersect(m_impl->clip.Bounds()).IsEmpty())
        return;
    const PixelBuffer pb = m_impl->BeginPixels();
    PatternWalker walker(EffectivePattern(pen));
    const std::uint32_t pixel = PenPixel(pen);
    const int dx = std::abs(x2 - x1), sx = x1 < x2 ? 1 : -1;
    const int dy = -std::abs(y2 - y1), sy = y1 < y2 ? 1 : -1;
    int err = dx + dy;
    int x = x1, y = y1;
    while (x != x2 || y != y2) {
        if (walker.Next())
            m_impl->PutPixel(pb, x, y, pixel);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
    m_impl->EndPixels();
}

void DeviceContext::DrawRect(const Rect& rect, const Pen& pen)
{
    const Rect r = Normalized(rect);
    if (!IsValid() || pen.style == PS_NULL || r.IsEmpty())
        return;
    const std::span<const int> pattern = EffectivePattern(pen);
    if (!pattern.empty()) {
        // Clockwise round the outline from the top-left pixel, the pattern running on unbroken.
        const PixelBuffer pb = m_impl->BeginPixels();
        PatternWalker walker(pattern);
        const std::uint32_t pixel = PenPixel(pen);
        auto put = [&](int x, int y) {
            if (walker.Next())
                m_impl->PutPixel(pb, x, y, pixel);
        };
        if (r.Height() == 1) {
            for (int x = r.left; x < r.right; ++x)
                put(x, r.top);
        } else if (r.Width() == 1) {
            for (int y = r.top; y < r.bottom; ++y)
                put(r.left, y);
        } else {
            for (int x = r.left; x < r.right; ++x)
                put(x, r.top);
            for (int y = r.top + 1; y < r.bottom; ++y)
                put(r.right - 1, y);
            for (int x = r.right - 2; x >= r.left; --x)
                put(x, r.bottom - 1);
            for (int y = r.bottom - 2; y > r.top; --y)
                put(r.left, y);
        }
        m_impl->EndPixels();
        return;
    }
    const int w = std::max(pen.width, 1);
    const Rect outer = pen.style == PS_INSIDEFRAME || w == 1 ? r : CentredPenBox(r, w);
    FillRegion(Region(outer).Subtract(outer.Inflate(-w, -w)), PenPixel(pen));
}

void DeviceContext::DrawRoundRect(const Rect& rect, int ellipseWidth, int ellipseHeight, const Pen& pen)
{
    const Rect r = Normalized(rect);
    if (!IsValid() || pen.style == PS_NULL || r.IsEmpty())
        return;
    const std::span<const int> pattern = EffectivePattern(pen);
    if (!pattern.empty()) {
        // Dashed curves: Cairo's dashing along the path through the outline's pixel centres.
        const double ew = std::clamp(ellipseWidth, 0, r.Width()) / 2.0;
        const double eh = std::clamp(ellipseHeight, 0, r.Height()) / 2.0;
        const double l = r.left + 0.5, t = r.top + 0.5, rr = r.right - 0.5, b = r.bottom - 0.5;
        const double rx = std::max(ew - 0.5, 0.0), ry = std::max(eh - 0.5, 0.0);
        cairo_t* cr = m_impl->cr;
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
    // Solid outlines are the difference of two rounded regions, so a border drawn on a control's
    // rectangle matches a rounded clip made for the same rectangle pixel for pixel.
    const int w = std::max(pen.width, 1);
    const Rect outer = pen.style == PS_INSIDEFRAME || w == 1 ? r : CentredPenBox(r, w);
    const int grow = outer.Width() - r.Width();
    const int ew = ellipseWidth + grow, eh = ellipseHeight + grow;
    // RoundRect covers [left, right) like Rectangle; the region form leaves out the last column
    // and row, hence the extra pixel.
    auto shape = [](const Rect& box, int ellipseW, int ellipseH) {
        return Region::FromRoundRect({box.left, box.top, box.right + 1, box.bottom + 1}, ellipseW, ellipseH);
    };
    const Region ring = shape(outer, ew, eh).Subtract(shape(outer.Inflate(-w, -w), ew - 2 * w, eh - 2 * w));
    FillRegion(ring, PenPixel(pen));
}

// ---------------------------------------------------------------------------------------------
// Text
// ---------------------------------------------------------------------------------------------

void DeviceContext::SelectFont(const Font& font)
{
    m_impl->font = font.IsNull() ? Font::DefaultGui() : font;
}

const Font& DeviceContext::GetFont() const
{
    return m_impl->font;
}

void DeviceContext::SetTextColor(std::uint32_t argb)
{
    m_impl->textColor = argb;
}

std::uint32_t DeviceContext::GetTextColor() const
{
    return m_impl->textColor;
}

const TextMetrics& DeviceContext::GetTextMetrics() const
{
    return m_impl->font.Metrics();
}

Size DeviceContext::MeasureString(const char16_t* text, int length) const
{
    return m_impl->font.Measure(text, length);
}

int DeviceContext::DrawText(const char16_t* text, int length, Rect& rect, UINT format)
{
    const TextLayout layout(m_impl->font, text, length, rect, format);
    if (format & DT_CALCRECT) {
        rect = layout.CalcRect();
        return layout.Height();
    }
    DrawTextLayout(layout);
    return layout.Height();
}

void DeviceContext::DrawTextLayout(const TextLayout& layout)
{
    if (!IsValid() || layout.Lines().empty())
        return;
    const Region clip = (layout.Format() & DT_NOCLIP) ? m_impl->clip : m_impl->clip.Intersect(layout.Bounds());
    if (clip.IsEmpty())
        return;
    cairo_t* cr = m_impl->cr;
    m_impl->BeginCairo(clip, Transform::Identity());
    const std::uint32_t c = m_impl->textColor;
    // Like GDI text, the colour is opaque whatever its alpha byte says.
    cairo_set_source_rgb(cr, RedOf(c) / 255.0, GreenOf(c) / 255.0, BlueOf(c) / 255.0);
    const int ascent = layout.GetFont().Metrics().ascent;
    for (const TextLine& line : layout.Lines()) {
        if (line.text.empty() || !clip.Intersects(line.rect))
            continue;
        std::vector<int> offsets;
        const std::string utf8 = cairo::ToUtf8(line.text.data(), static_cast<int>(line.text.size()), &offsets);
        PangoLayout* pl = cairo::CreateLayout(cairo::SharedPangoContext(), layout.GetFont(), utf8);
        if (line.prefixIndex >= 0) {
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
    cairo_t* cr = m_impl->cr;
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
    cairo_t* cr = m_impl->cr;
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

    cairo_t* cr = m_impl->cr;
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

void DeviceContext::AlphaBlendSmooth(const Rect& dest, const PixelBuffer& source, const Rect& sourceRect,
                                     std::uint8_t constantAlpha, SourceAlpha sourceAlpha)
{
    if (!IsValid() || source.IsEmpty() || dest.IsEmpty() || sourceRect.IsEmpty() || constantAlpha == 0)
        return;
    // A source rectangle reaching outside the source is AlphaBlend's case (it skips those samples).
    if (!(sourceRect.Intersect({0, 0, source.width, source.height}) == sourceRect)) {
        AlphaBlend(dest, source, sourceRect, constantAlpha, sourceAlpha);
        return;
    }
    const Rect device = ScaleRect(dest, m_impl->scale);
    const Region clip = m_impl->DeviceClip().Intersect(device.Intersect(m_impl->deviceBounds));
    if (clip.IsEmpty())
        return;
    // The part is copied out: it must not change while it is drawn (a blit from the surface onto
    // itself), and a source whose alpha is ignored is made opaque first.
    Surface part = Surface::Create(sourceRect.Width(), sourceRect.Height());
    if (!part.IsValid())
        return;
    {
        const PixelBuffer pb = part.Pixels();
        const std::uint32_t opaque = sourceAlpha == SourceAlpha::Ignore ? 0xFF000000u : 0u;
        for (int y = 0; y < pb.height; ++y) {
            const std::uint32_t* in = source.Row(sourceRect.top + y) + sourceRect.left;
            std::uint32_t* out = pb.Row(y);
            for (int x = 0; x < pb.width; ++x)
                out[x] = in[x] | opaque;
        }
        cairo_surface_mark_dirty(cairo::CairoSurface(part));
    }
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(cairo::CairoSurface(part));
    // Edge pixels repeat outwards instead of fading to transparent, so a slice's border stays solid.
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);
    cairo_matrix_t m;
    cairo_matrix_init_scale(&m, double(sourceRect.Width()) / device.Width(),
                            double(sourceRect.Height()) / device.Height());
    cairo_matrix_translate(&m, -device.left, -device.top);
    cairo_pattern_set_matrix(pattern, &m);

    cairo_t* cr = m_impl->cr;
    cairo_save(cr);
    cairo::ClipToRegion(cr, clip);
    cairo_identity_matrix(cr);
    cairo_set_source(cr, pattern);
    if (sourceAlpha == SourceAlpha::Ignore && constantAlpha == 255)
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint_with_alpha(cr, constantAlpha / 255.0);
    cairo_restore(cr);
    cairo_pattern_destroy(pattern);
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

} // namespace

void DeviceContext::DrawString(const char16_t* text, int length, const Font& font, const RectF& layout,
                               const StringFormat& format, const Brush& brush)
{
    if (!IsValid() || !text || length <= 0)
        return;
    PointF origin;
    PangoLayout* pl = PlaceString(text, length, font, layout, format, origin);
    cairo_t* cr = m_impl->cr;
    m_impl->BeginCairo(m_impl->clip, m_impl->transform);
    if (format.clip) {
        cairo_rectangle(cr, layout.x, layout.y, layout.width, layout.height);
        cairo_clip(cr);
    }
    SetBrush(cr, brush);
    cairo_move_to(cr, origin.x, origin.y);
    pango_cairo_show_layout(cr, pl);
    cairo_restore(cr);
    g_object_unref(pl);
}

void DeviceContext::StrokeString(const char16_t* text, int length, const Font& font, const RectF& layout,
                                 const StringFormat& format, double width, const Brush& brush)
{
    if (!IsValid() || !text || length <= 0 || width <= 0)
        return;
    PointF origin;
    PangoLayout* pl = PlaceString(text, length, font, layout, format, origin);
    cairo_t* cr = m_impl->cr;
    m_impl->BeginCairo(m_impl->clip, m_impl->transform);
    if (format.clip) {
        cairo_rectangle(cr, layout.x, layout.y, layout.width, layout.height);
        cairo_clip(cr);
    }
    SetBrush(cr, brush);
    cairo_set_line_width(cr, width);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_move_to(cr, origin.x, origin.y);
    pango_cairo_layout_path(cr, pl);
    cairo_stroke(cr);
    cairo_restore(cr);
    g_object_unref(pl);
}

} // namespace platform
