// Fonts are Pango font descriptions with absolute pixel sizes; fontconfig resolves the face.
// Metrics come from the scaled font Cairo renders with, so measuring and drawing agree.
#include "platform/Font.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "platform/FontMetricsFallback.h"
#include "platform/TextEncoding.h"
#include "platform/cairo/CairoShared.h"

namespace platform {

struct Font::Impl
{
    LogFont logFont;
    PangoFontDescription* description = nullptr;
    mutable std::once_flag measured; // fonts may be shared between threads
    mutable TextMetrics metrics;
    ~Impl()
    {
        if (description)
            pango_font_description_free(description);
    }
};

namespace cairo {

namespace {

struct ThreadContexts
{
    PangoContext* contexts[2] = {nullptr, nullptr};
    ~ThreadContexts()
    {
        for (PangoContext* c : contexts)
            if (c)
                g_object_unref(c);
    }
};

PangoContext* MakeContext(TextAntialias antialias)
{
    PangoFontMap* map = pango_cairo_font_map_get_default();
    PangoContext* context = pango_font_map_create_context(map);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options,
                                     antialias == TextAntialias::None ? CAIRO_ANTIALIAS_NONE : CAIRO_ANTIALIAS_GRAY);
    // Whole-pixel advances keep measured widths and drawn text in agreement, as GDI's are.
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
    pango_cairo_context_set_resolution(context, 96.0);
    return context;
}

} // namespace

PangoContext* SharedPangoContext(TextAntialias antialias)
{
    // Pango objects are not thread-safe; each thread that draws text gets its own contexts.
    thread_local ThreadContexts contexts;
    PangoContext*& slot = contexts.contexts[antialias == TextAntialias::None ? 1 : 0];
    if (!slot)
        slot = MakeContext(antialias);
    return slot;
}

const PangoFontDescription* FontDescription(const Font& font)
{
    return font.IsNull() ? nullptr : font.GetImpl()->description;
}

std::string ToUtf8(const char16_t* text, int length, std::vector<int>* offsets)
{
    std::string out;
    if (offsets)
        offsets->assign(static_cast<size_t>(std::max(length, 0)) + 1, 0);
    if (!text || length <= 0)
        return out;
    // Pango stops at a NUL; show it as a replacement character rather than losing the rest.
    std::u16string units(text, static_cast<size_t>(length));
    std::replace(units.begin(), units.end(), u'\0', u'\uFFFD');
    AppendUtf16AsUtf8(units, out, UnpairedSurrogate::Replace, offsets);
    if (offsets)
        (*offsets)[length] = static_cast<int>(out.size());
    return out;
}

PangoLayout* CreateLayout(PangoContext* context, const Font& font, const std::string& utf8)
{
    PangoLayout* layout = pango_layout_new(context);
    SetLayoutText(layout, font, utf8);
    return layout;
}

void SetLayoutText(PangoLayout* layout, const Font& font, const std::string& utf8)
{
    pango_layout_set_font_description(layout, FontDescription(font));
    if (!font.IsNull() && (font.GetLogFont().underline || font.GetLogFont().strikeout)) {
        PangoAttrList* attrs = pango_attr_list_new();
        if (font.GetLogFont().underline)
            pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
        if (font.GetLogFont().strikeout)
            pango_attr_list_insert(attrs, pango_attr_strikethrough_new(TRUE));
        pango_layout_set_attributes(layout, attrs);
        pango_attr_list_unref(attrs);
    } else if (pango_layout_get_attributes(layout)) {
        pango_layout_set_attributes(layout, nullptr);
    }
    pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
}

PangoLayout* CreateSansLayout(cairo_t* cr, const std::string& utf8, int pixels, int wrapWidth)
{
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* font = pango_font_description_from_string("Sans");
    pango_font_description_set_absolute_size(font, pixels * PANGO_SCALE);
    pango_layout_set_font_description(layout, font);
    pango_font_description_free(font);
    pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
    if (wrapWidth > 0) {
        pango_layout_set_width(layout, wrapWidth * PANGO_SCALE);
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    }
    return layout;
}

} // namespace cairo

namespace {

constexpr int kDefaultPixelSize = 12;
constexpr char16_t kDefaultFace[] = u"Sans";

int ToPixelsCeil(double v)
{
    return static_cast<int>(std::ceil(v - 1e-6));
}

} // namespace

namespace {

TextMetrics MeasureMetrics(const PangoFontDescription* description, const LogFont& logFont)
{
    TextMetrics m;
    PangoContext* context = cairo::SharedPangoContext();
    PangoFont* loaded = pango_context_load_font(context, description);
    if (loaded) {
        cairo_scaled_font_t* scaled = pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(loaded));
        if (scaled && cairo_scaled_font_status(scaled) == CAIRO_STATUS_SUCCESS) {
            cairo_font_extents_t extents;
            cairo_scaled_font_extents(scaled, &extents);
            m.ascent = ToPixelsCeil(extents.ascent);
            m.descent = ToPixelsCeil(extents.descent);
            m.height = m.ascent + m.descent;
            m.internalLeading = std::max(0, m.height - logFont.pixelSize);
            m.externalLeading = std::max(0, static_cast<int>(std::lround(extents.height)) - m.height);
            m.maxCharWidth = ToPixelsCeil(extents.max_x_advance);
        }
        PangoFontMetrics* pm = pango_font_get_metrics(loaded, nullptr);
        m.averageCharWidth = PANGO_PIXELS(pango_font_metrics_get_approximate_char_width(pm));
        pango_font_metrics_unref(pm);
        g_object_unref(loaded);
    }
    SettleTextMetrics(m, logFont.pixelSize);
    return m;
}

} // namespace

LogFont Font::DefaultGuiLogFont()
{
    LogFont logFont;
    logFont.face = kDefaultFace;
    logFont.pixelSize = kDefaultPixelSize;
    return logFont;
}

Font Font::DefaultGui()
{
    // Every device context starts with this font, so each thread loads it once.
    thread_local const Font font = Create(DefaultGuiLogFont());
    return font;
}

Font Font::Create(const LogFont& requested)
{
    LogFont logFont = requested;
    if (logFont.face.empty())
        logFont.face = kDefaultFace;
    if (logFont.pixelSize <= 0)
        logFont.pixelSize = kDefaultPixelSize;

    PangoFontDescription* description = pango_font_description_new();
    const std::string family = cairo::ToUtf8(logFont.face.data(), static_cast<int>(logFont.face.size()));
    pango_font_description_set_family(description, family.c_str());
    pango_font_description_set_absolute_size(description, logFont.pixelSize * double(PANGO_SCALE));
    pango_font_description_set_weight(description, logFont.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(description, logFont.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);

    PangoFont* loaded = pango_context_load_font(cairo::SharedPangoContext(), description);
    if (!loaded) {
        pango_font_description_free(description);
        return Font();
    }
    g_object_unref(loaded);

    Font font;
    font.m_impl = std::make_shared<Impl>();
    font.m_impl->logFont = std::move(logFont);
    font.m_impl->description = description;
    return font;
}

const LogFont& Font::GetLogFont() const
{
    static const LogFont kNone;
    return m_impl ? m_impl->logFont : kNone;
}

std::u16string Font::ResolvedFamily() const
{
    std::u16string out;
    if (!m_impl)
        return out;
    PangoFont* loaded = pango_context_load_font(cairo::SharedPangoContext(), m_impl->description);
    if (!loaded)
        return out;
    PangoFontDescription* actual = pango_font_describe(loaded);
    if (const char* family = pango_font_description_get_family(actual)) {
        // Family names are ASCII in practice; anything else is widened byte by byte for display only.
        for (const char* p = family; *p; ++p)
            out += static_cast<char16_t>(static_cast<unsigned char>(*p));
    }
    pango_font_description_free(actual);
    g_object_unref(loaded);
    return out;
}

const TextMetrics& Font::Metrics() const
{
    static const TextMetrics kNone;
    if (!m_impl)
        return kNone;
    std::call_once(m_impl->measured,
                   [this] { m_impl->metrics = MeasureMetrics(m_impl->description, m_impl->logFont); });
    return m_impl->metrics;
}

Size Font::Measure(const char16_t* text, int length) const
{
    Size size{0, Metrics().height};
    if (!m_impl || !text || length <= 0)
        return size;
    thread_local cairo::GlyphRun run; // kept per thread: measuring allocates nothing
    if (cairo::CachedGlyphRun(*this, text, length, run)) {
        size.width = ToPixelsCeil(static_cast<double>(run.width) / PANGO_SCALE);
        return size;
    }
    PangoLayout* layout = cairo::SharedLayout(*this, text, length);
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    size.width = ToPixelsCeil(static_cast<double>(logical.width) / PANGO_SCALE);
    g_object_unref(layout);
    return size;
}

namespace {

// A group of characters shaped together and its advance, in Pango units.
struct Cluster
{
    int start = 0; // byte offsets in the layout's text
    int end = 0;
    int width = 0;
};

std::vector<Cluster> ClustersInLogicalOrder(PangoLayout* layout)
{
    std::vector<Cluster> clusters;
    const char* utf8 = pango_layout_get_text(layout);
    for (GSList* l = pango_layout_get_lines_readonly(layout); l; l = l->next) {
        for (GSList* r = static_cast<PangoLayoutLine*>(l->data)->runs; r; r = r->next) {
            PangoGlyphItem* run = static_cast<PangoGlyphItem*>(r->data);
            PangoGlyphItemIter it;
            for (gboolean more = pango_glyph_item_iter_init_start(&it, run, utf8); more;
                 more = pango_glyph_item_iter_next_cluster(&it)) {
                Cluster c{it.start_index, it.end_index, 0};
                // Left to right a cluster's glyphs are [start_glyph, end_glyph); right to left they
                // are (end_glyph, start_glyph].
                const bool forward = it.start_glyph < it.end_glyph;
                const int first = forward ? it.start_glyph : it.end_glyph + 1;
                const int last = forward ? it.end_glyph : it.start_glyph + 1;
                for (int g = first; g < last; ++g)
                    c.width += run->glyphs->glyphs[g].geometry.width;
                clusters.push_back(c);
            }
        }
    }
    // Right-to-left text is shaped in visual order; the widths add up in the order characters come.
    std::sort(clusters.begin(), clusters.end(), [](const Cluster& a, const Cluster& b) { return a.start < b.start; });
    return clusters;
}

} // namespace

std::vector<int> Font::PrefixWidths(const char16_t* text, int length) const
{
    std::vector<int> widths(static_cast<std::size_t>(std::max(length, 0)), 0);
    if (!m_impl || !text || length <= 0)
        return widths;
    std::vector<int> offsets;
    cairo::ToUtf8(text, length, &offsets);
    PangoLayout* layout = cairo::SharedLayout(*this, text, length);
    const std::vector<Cluster> clusters = ClustersInLogicalOrder(layout);
    g_object_unref(layout);

    // Both walks go forward: UTF-16 indices map to ascending byte offsets.
    long long done = 0; // the advance of the clusters wholly before the current character
    std::size_t k = 0;
    for (int i = 0; i < length; ++i) {
        const int byte = offsets[static_cast<std::size_t>(i)];
        while (k < clusters.size() && clusters[k].end <= byte)
            done += clusters[k++].width;
        long long through = done;
        if (k < clusters.size() && clusters[k].start <= byte)
            through += clusters[k].width;
        widths[static_cast<std::size_t>(i)] = ToPixelsCeil(static_cast<double>(through) / PANGO_SCALE);
    }
    return widths;
}

CharWidths Font::GetCharWidths(char32_t ch) const
{
    CharWidths w;
    if (!m_impl)
        return w;
    char16_t units[2];
    int length = 1;
    if (ch >= 0x10000 && ch <= 0x10FFFF) {
        units[0] = static_cast<char16_t>(0xD800 + ((ch - 0x10000) >> 10));
        units[1] = static_cast<char16_t>(0xDC00 + ((ch - 0x10000) & 0x3FF));
        length = 2;
    } else {
        units[0] = static_cast<char16_t>(ch);
    }
    PangoLayout* layout = cairo::SharedLayout(*this, units, length);
    PangoRectangle ink, logical;
    pango_layout_get_extents(layout, &ink, &logical);
    g_object_unref(layout);
    const int advance = static_cast<int>(std::lround(double(logical.width) / PANGO_SCALE));
    if (ink.width <= 0) {
        // A blank character is all advance: nothing to overhang.
        w.b = advance;
        return w;
    }
    w.a = static_cast<int>(std::lround(double(ink.x - logical.x) / PANGO_SCALE));
    w.b = static_cast<int>(std::lround(double(ink.width) / PANGO_SCALE));
    w.c = advance - w.a - w.b;
    return w;
}

} // namespace platform
