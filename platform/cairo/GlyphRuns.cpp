// Per-character glyph runs. A string of the characters below is shaped, in a font whose shaping of
// them is context-free, as the concatenation of its characters' glyphs; the glyph, advance and
// offsets of each character are therefore taken once from Pango and then placed by addition.
//
// Context-free is checked, not assumed: when a character is first cached, every pair it makes with
// the characters already cached (both orders, and with itself) is shaped as a whole and must give
// exactly the two single glyphs, in one run of the same font, with the same baseline. A ligature,
// kerning, a fallback font or any other difference turns the cache off for that font, and its text
// goes through the full layout as before.
#include "platform/cairo/GlyphRuns.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/cairo/CairoShared.h"

namespace platform::cairo {

namespace {

// Digits and the punctuation numbers are written with. Letters are left out: kerning between
// them is common and would only turn the cache off.
constexpr char16_t kCharacters[] = u"0123456789%.,:-+/";
constexpr int kLongest = 32;       // longer strings are not what this is for
constexpr std::size_t kFonts = 16; // per thread; the least recently used is dropped beyond that

thread_local bool t_enabled = true;

bool Eligible(char16_t c)
{
    return c < 128 && std::char_traits<char16_t>::find(kCharacters, std::size(kCharacters) - 1, c) != nullptr;
}

struct Shape
{
    PangoGlyph glyph = 0;
    int width = 0;
    int xOffset = 0;
    int yOffset = 0;
    friend bool operator==(const Shape&, const Shape&) = default;
};

// What a whole layout of a short string came out as, when it is one plain run.
struct Shaped
{
    bool plain = false;
    PangoFont* font = nullptr; // borrowed from the layout
    int baseline = 0;
    int logicalWidth = 0;
    std::vector<Shape> glyphs;
};

Shaped ShapeWhole(PangoLayout* layout)
{
    Shaped out;
    if (pango_layout_get_line_count(layout) != 1)
        return out;
    PangoLayoutLine* line = pango_layout_get_line_readonly(layout, 0);
    if (!line || !line->runs || line->runs->next)
        return out;
    PangoGlyphItem* run = static_cast<PangoGlyphItem*>(line->runs->data);
    if (!run || !run->glyphs || (run->item->analysis.level & 1))
        return out;
    for (int i = 0; i < run->glyphs->num_glyphs; ++i) {
        const PangoGlyphInfo& g = run->glyphs->glyphs[i];
        if (g.glyph == PANGO_GLYPH_EMPTY || (g.glyph & PANGO_GLYPH_UNKNOWN_FLAG))
            return out;
        out.glyphs.push_back({g.glyph, g.geometry.width, g.geometry.x_offset, g.geometry.y_offset});
    }
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    if (logical.x != 0)
        return out;
    out.font = run->item->analysis.font;
    out.baseline = pango_layout_get_baseline(layout);
    out.logicalWidth = logical.width;
    out.plain = out.font != nullptr;
    return out;
}

class FontGlyphs
{
public:
    explicit FontGlyphs(const Font& font) : m_font(font) {}
    ~FontGlyphs()
    {
        if (m_pangoFont)
            g_object_unref(m_pangoFont);
    }
    FontGlyphs(const FontGlyphs&) = delete;
    FontGlyphs& operator=(const FontGlyphs&) = delete;

    const Font& GetFont() const { return m_font; }

    // The run of `text`, or false when it must take the full layout.
    bool Run(const char16_t* text, int length, GlyphRun& run)
    {
        if (m_off)
            return false;
        for (int i = 0; i < length; ++i)
            if (!Cached(text[i]))
                return false;
        run.scaledFont = m_scaledFont;
        run.baseline = m_baseline;
        run.glyphs.clear();
        run.width = 0;
        for (int i = 0; i < length; ++i) {
            const Shape& s = m_shapes[text[i]];
            run.glyphs.push_back({s.glyph, run.width + s.xOffset, s.yOffset});
            run.width += s.width;
        }
        return true;
    }

private:
    Shaped ShapeText(const char16_t* text, int length)
    {
        PangoLayout* layout = CreateLayout(SharedPangoContext(), m_font, ToUtf8(text, length));
        Shaped shaped = ShapeWhole(layout);
        // The font stays alive in the font map's cache; it is compared by address only.
        g_object_unref(layout);
        return shaped;
    }

    bool Cached(char16_t c)
    {
        if (m_known[c])
            return true;
        if (m_off || !Eligible(c))
            return false;
        const Shaped single = ShapeText(&c, 1);
        if (!single.plain || single.glyphs.size() != 1 || single.logicalWidth != single.glyphs[0].width ||
            single.glyphs[0].xOffset != 0 || single.glyphs[0].yOffset != 0)
            return TurnOff();
        if (!m_pangoFont) {
            m_pangoFont = PANGO_FONT(g_object_ref(single.font));
            m_scaledFont = pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(m_pangoFont));
            if (!m_scaledFont || cairo_scaled_font_status(m_scaledFont) != CAIRO_STATUS_SUCCESS)
                return TurnOff();
            m_baseline = single.baseline;
        } else if (single.font != m_pangoFont || single.baseline != m_baseline) {
            return TurnOff();
        }
        m_shapes[c] = single.glyphs[0];
        m_known[c] = true;
        m_order.push_back(c);
        for (char16_t other : m_order)
            if (!PairAgrees(c, other) || (other != c && !PairAgrees(other, c)))
                return TurnOff();
        return true;
    }

    bool PairAgrees(char16_t first, char16_t second)
    {
        const char16_t pair[2] = {first, second};
        const Shaped whole = ShapeText(pair, 2);
        const std::vector<Shape> expected = {m_shapes[first], m_shapes[second]};
        return whole.plain && whole.font == m_pangoFont && whole.baseline == m_baseline && whole.glyphs == expected &&
               whole.logicalWidth == expected[0].width + expected[1].width;
    }

    bool TurnOff()
    {
        m_off = true;
        return false;
    }

    Font m_font; // held, so that a freed font's address never matches a new one
    PangoFont* m_pangoFont = nullptr;
    cairo_scaled_font_t* m_scaledFont = nullptr; // owned by m_pangoFont
    int m_baseline = 0;
    bool m_off = false;
    std::array<bool, 128> m_known{};
    std::array<Shape, 128> m_shapes{};
    std::vector<char16_t> m_order;
};

class GlyphCache
{
public:
    FontGlyphs* For(const Font& font)
    {
        for (std::size_t i = 0; i < m_fonts.size(); ++i) {
            if (m_fonts[i]->GetFont() == font) {
                std::rotate(m_fonts.begin(), m_fonts.begin() + static_cast<std::ptrdiff_t>(i),
                            m_fonts.begin() + static_cast<std::ptrdiff_t>(i) + 1);
                return m_fonts.front().get();
            }
        }
        if (m_fonts.size() == kFonts)
            m_fonts.pop_back();
        m_fonts.insert(m_fonts.begin(), std::make_unique<FontGlyphs>(font));
        return m_fonts.front().get();
    }

private:
    std::vector<std::unique_ptr<FontGlyphs>> m_fonts; // most recently used first
};

} // namespace

void SetGlyphRunsEnabled(bool enabled)
{
    t_enabled = enabled;
}

bool GlyphRunsEnabled()
{
    return t_enabled;
}

bool CachedGlyphRun(const Font& font, const char16_t* text, int length, GlyphRun& run)
{
    if (!t_enabled || font.IsNull() || !text || length <= 0 || length > kLongest)
        return false;
    // Underline and strikeout are drawn by the layout's renderer; such fonts keep the full path.
    if (font.GetLogFont().underline || font.GetLogFont().strikeout)
        return false;
    for (int i = 0; i < length; ++i)
        if (!Eligible(text[i]))
            return false;
    // Pango objects belong to the thread whose context made them.
    thread_local GlyphCache cache;
    return cache.For(font)->Run(text, length, run);
}

bool HasGlyphRun(const Font& font, const char16_t* text, int length)
{
    GlyphRun run;
    return CachedGlyphRun(font, text, length, run);
}

void ShowGlyphRun(cairo_t* cr, const GlyphRun& run, double x, double baselineY)
{
    // As the layout renderer places them: the pen at the line's origin, each glyph at its advance
    // plus its offsets, in Pango units converted once.
    std::vector<cairo_glyph_t> glyphs;
    glyphs.reserve(run.glyphs.size());
    for (const GlyphRun::Glyph& g : run.glyphs)
        glyphs.push_back(
            {g.glyph, x + double(g.x) / PANGO_SCALE, g.y ? baselineY + double(g.y) / PANGO_SCALE : baselineY});
    cairo_set_scaled_font(cr, run.scaledFont);
    cairo_show_glyphs(cr, glyphs.data(), static_cast<int>(glyphs.size()));
}

} // namespace platform::cairo
