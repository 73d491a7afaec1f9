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
#include <cmath>
#include <map>
#include <tuple>
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
        run.glyphs.reserve(static_cast<std::size_t>(length));
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

namespace {

// A glyph's coverage as Cairo rasterizes it, one byte a pixel, and where it lies from the pixel its
// origin rounds to. Cairo places glyph images at whole device pixels, so one mask serves every
// position.
struct GlyphMask
{
    bool plain = false; // false: the glyph is not a plain coverage mask, draw it through Cairo
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> coverage;
};

// Masks of this thread by scaled font, glyph and scale. Each font is referenced while its masks
// are kept, so its address cannot come back as another font's.
class GlyphMasks
{
public:
    ~GlyphMasks() { Clear(); }

    const GlyphMask& Get(cairo_scaled_font_t* font, unsigned long glyph, double scale)
    {
        const Key key{font, glyph, scale};
        auto it = m_masks.find(key);
        if (it != m_masks.end())
            return it->second;
        if (m_masks.size() >= kMostMasks)
            Clear();
        if (std::find(m_fonts.begin(), m_fonts.end(), font) == m_fonts.end())
            m_fonts.push_back(cairo_scaled_font_reference(font));
        return m_masks.emplace(key, Rasterize(font, glyph, scale)).first->second;
    }

private:
    using Key = std::tuple<cairo_scaled_font_t*, unsigned long, double>;
    static constexpr std::size_t kMostMasks = 4096;

    void Clear()
    {
        m_masks.clear();
        for (cairo_scaled_font_t* font : m_fonts)
            cairo_scaled_font_destroy(font);
        m_fonts.clear();
    }

    static GlyphMask Rasterize(cairo_scaled_font_t* font, unsigned long glyph, double scale)
    {
        GlyphMask mask;
        cairo_glyph_t probe{glyph, 0, 0};
        cairo_text_extents_t extents;
        cairo_scaled_font_glyph_extents(font, &probe, 1, &extents);
        if (cairo_scaled_font_status(font) != CAIRO_STATUS_SUCCESS || !std::isfinite(extents.width) ||
            !std::isfinite(extents.height) || extents.width > 512 || extents.height > 512)
            return mask;
        // Room all round for hinting at the scale to move the ink a little; a mask that still
        // touches the border may have been cut and is not used.
        const int pad = 3 + int(std::ceil(scale));
        const int originX = pad - int(std::floor(extents.x_bearing * scale));
        const int originY = pad - int(std::floor(extents.y_bearing * scale));
        const int w = int(std::ceil(extents.width * scale)) + 2 * pad + 1;
        const int h = int(std::ceil(extents.height * scale)) + 2 * pad + 1;
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
        cairo_t* cr = cairo_create(surface);
        if (scale != 1.0)
            cairo_scale(cr, scale, scale);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_set_scaled_font(cr, font);
        cairo_glyph_t placed{glyph, originX / scale, originY / scale};
        cairo_show_glyphs(cr, &placed, 1);
        const bool drawn = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
        cairo_destroy(cr);
        cairo_surface_flush(surface);
        const auto* data = cairo_image_surface_get_data(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        bool plain = drawn && data != nullptr;
        int left = w, top = h, right = 0, bottom = 0;
        for (int y = 0; plain && y < h; ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(data + std::size_t(y) * std::size_t(stride));
            for (int x = 0; x < w; ++x) {
                const std::uint32_t p = row[x];
                const std::uint32_t a = p >> 24;
                if (p != a * 0x01010101u) {
                    plain = false; // colour or per-channel coverage
                    break;
                }
                if (a == 0)
                    continue;
                if (x == 0 || y == 0 || x == w - 1 || y == h - 1) {
                    plain = false;
                    break;
                }
                left = std::min(left, x);
                right = std::max(right, x + 1);
                top = std::min(top, y);
                bottom = std::max(bottom, y + 1);
            }
        }
        if (plain) {
            mask.plain = true;
            if (left < right) {
                mask.left = left - originX;
                mask.top = top - originY;
                mask.width = right - left;
                mask.height = bottom - top;
                mask.coverage.resize(std::size_t(mask.width) * std::size_t(mask.height));
                for (int y = 0; y < mask.height; ++y) {
                    const auto* row =
                        reinterpret_cast<const std::uint32_t*>(data + std::size_t(top + y) * std::size_t(stride));
                    for (int x = 0; x < mask.width; ++x)
                        mask.coverage[std::size_t(y) * std::size_t(mask.width) + std::size_t(x)] =
                            std::uint8_t(row[left + x] >> 24);
                }
            }
        }
        cairo_surface_destroy(surface);
        return mask;
    }

    std::map<Key, GlyphMask> m_masks;
    std::vector<cairo_scaled_font_t*> m_fonts;
};

thread_local GlyphMasks t_masks;

// c * a / 255 on two 8-bit lanes (0x00XX00XX), rounded to nearest: the image library's arithmetic.
inline std::uint32_t MulLanes(std::uint32_t lanes, std::uint32_t a)
{
    const std::uint32_t t = lanes * a + 0x00800080;
    return ((t + ((t >> 8) & 0x00FF00FF)) >> 8) & 0x00FF00FF;
}

inline std::uint32_t AddLanesSaturated(std::uint32_t a, std::uint32_t b)
{
    const std::uint32_t sum = a + b;
    const std::uint32_t saturated = (0x01000100 - ((sum >> 8) & 0x00010001)) & 0x00FF00FF;
    return (sum | saturated) & 0x00FF00FF;
}

// The opaque colour `source` through coverage m over d: the colour scaled by m, then over d.
inline std::uint32_t CoverageOver(std::uint32_t source, std::uint32_t m, std::uint32_t d)
{
    const std::uint32_t sLow = MulLanes(source & 0x00FF00FF, m);
    const std::uint32_t sHigh = MulLanes((source >> 8) & 0x00FF00FF, m);
    const std::uint32_t inverse = 255 - m;
    const std::uint32_t dLow = MulLanes(d & 0x00FF00FF, inverse);
    const std::uint32_t dHigh = MulLanes((d >> 8) & 0x00FF00FF, inverse);
    return AddLanesSaturated(sLow, dLow) | (AddLanesSaturated(sHigh, dHigh) << 8);
}

// Cairo's rounding of device positions: halfway cases go up.
inline int RoundPosition(double d)
{
    return int(std::floor(d + 0.5));
}

} // namespace

bool CompositeGlyphRun(const PixelBuffer& target, const Region& clip, double scale, const GlyphRun& run, double x,
                       double baselineY, std::uint32_t rgb)
{
    if (target.IsEmpty() || !run.scaledFont)
        return false;
    struct Placed
    {
        const GlyphMask* mask;
        int x;
        int y;
    };
    std::array<Placed, 64> placed{};
    if (run.glyphs.size() > placed.size())
        return false;
    // Every glyph is looked at before anything is drawn: a run is drawn wholly one way.
    std::size_t count = 0;
    for (const GlyphRun::Glyph& g : run.glyphs) {
        const GlyphMask& mask = t_masks.Get(run.scaledFont, g.glyph, scale);
        if (!mask.plain)
            return false;
        const double ux = x + double(g.x) / PANGO_SCALE;
        const double uy = g.y ? baselineY + double(g.y) / PANGO_SCALE : baselineY;
        placed[count++] = {&mask, RoundPosition(ux * scale), RoundPosition(uy * scale)};
    }
    // The coverage of the whole run is added up first (saturating) and the colour composited once
    // through it: that is what Cairo does when glyph boxes overlap, and where they do not, each
    // pixel's sum is the one glyph's coverage there, which is what it does otherwise.
    const Rect surface{0, 0, target.width, target.height};
    Rect area;
    for (std::size_t i = 0; i < count; ++i) {
        const GlyphMask& mask = *placed[i].mask;
        if (mask.width == 0)
            continue;
        const Rect box{placed[i].x + mask.left, placed[i].y + mask.top, placed[i].x + mask.left + mask.width,
                       placed[i].y + mask.top + mask.height};
        area = area.IsEmpty() ? box
                              : Rect{std::min(area.left, box.left), std::min(area.top, box.top),
                                     std::max(area.right, box.right), std::max(area.bottom, box.bottom)};
    }
    area = area.Intersect(surface).Intersect(clip.Bounds());
    if (area.IsEmpty())
        return true;
    thread_local std::vector<std::uint8_t> sum;
    const std::size_t areaWidth = std::size_t(area.Width());
    sum.assign(areaWidth * std::size_t(area.Height()), 0);
    for (std::size_t i = 0; i < count; ++i) {
        const GlyphMask& mask = *placed[i].mask;
        const Rect box{placed[i].x + mask.left, placed[i].y + mask.top, placed[i].x + mask.left + mask.width,
                       placed[i].y + mask.top + mask.height};
        const Rect r = box.Intersect(area);
        for (int y = r.top; y < r.bottom; ++y) {
            const std::uint8_t* cover = mask.coverage.data() + std::size_t(y - box.top) * std::size_t(mask.width);
            std::uint8_t* out = sum.data() + std::size_t(y - area.top) * areaWidth;
            for (int px = r.left; px < r.right; ++px) {
                const unsigned total = unsigned(out[px - area.left]) + cover[px - box.left];
                out[px - area.left] = std::uint8_t(total > 255 ? 255 : total);
            }
        }
    }
    const std::uint32_t source = 0xFF000000u | (rgb & 0x00FFFFFF);
    clip.ForEachRectWithin(area, [&](const Rect& r) {
        for (int y = r.top; y < r.bottom; ++y) {
            std::uint32_t* row = target.Row(y);
            const std::uint8_t* cover = sum.data() + std::size_t(y - area.top) * areaWidth;
            for (int px = r.left; px < r.right; ++px) {
                const std::uint32_t m = cover[px - area.left];
                if (m == 255)
                    row[px] = source;
                else if (m != 0)
                    row[px] = CoverageOver(source, m, row[px]);
            }
        }
    });
    return true;
}

} // namespace platform::cairo
