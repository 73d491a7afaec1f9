// Internal glue of the Cairo and Pango backend: access to the Cairo objects behind the opaque
// drawing types, the per-thread Pango contexts, and UTF-16 to UTF-8 conversion.
#pragma once

#include <cairo.h>
#include <pango/pangocairo.h>

#include <string>
#include <vector>

#include "platform/Font.h"
#include "platform/Region.h"
#include "platform/Surface.h"

namespace platform {

struct Surface::Impl
{
    cairo_surface_t* surface = nullptr;
    ~Impl();
};

namespace cairo {

cairo_surface_t* CairoSurface(const Surface& surface);

// A Cairo image surface over pixels owned elsewhere (null when the buffer cannot be wrapped);
// the caller destroys it.
cairo_surface_t* WrapPixels(const PixelBuffer& pixels);

enum class TextAntialias
{
    Gray,
    None
};
// The Pango context of this thread for laying out text: integer metrics, 96 dpi.
PangoContext* SharedPangoContext(TextAntialias antialias = TextAntialias::Gray);

// The Pango description of a font (family, absolute pixel size, weight, style).
const PangoFontDescription* FontDescription(const Font& font);

// UTF-8 for Pango. Unpaired surrogates become U+FFFD. When `offsets` is given it receives, for
// every UTF-16 index (and one past the end), the byte offset in the result.
std::string ToUtf8(const char16_t* text, int length, std::vector<int>* offsets = nullptr);

// A layout of `utf8` in `font` with its underline and strikeout attributes applied.
PangoLayout* CreateLayout(PangoContext* context, const Font& font, const std::string& utf8);
// Gives a layout made by CreateLayout another font and text, as CreateLayout would have made it.
void SetLayoutText(PangoLayout* layout, const Font& font, const std::string& utf8);

// The layout CreateLayout makes of `text` in `font` on this thread's context, taken from the thread's
// cache of recently shaped strings when it is there. The caller owns one reference (g_object_unref)
// and must not change the layout: other callers get the same one.
PangoLayout* SharedLayout(const Font& font, const char16_t* text, int length);

// A line laid out from per-character glyphs (GlyphRuns.cpp): positions in Pango units from the
// line's origin, the line's advance width, and its baseline below the top of its logical box.
struct GlyphRun
{
    struct Glyph
    {
        unsigned long glyph;
        int x;
        int y;
    };
    cairo_scaled_font_t* scaledFont = nullptr; // owned by the cache
    int baseline = 0;
    int width = 0;
    std::vector<Glyph> glyphs;
};
// The run of `text` in `font` from this thread's per-character glyphs, when the text and the font
// allow it (short, digits and number punctuation, no underline or strikeout, shaping checked to be
// context-free for the font); false means the full layout must be used.
bool CachedGlyphRun(const Font& font, const char16_t* text, int length, GlyphRun& run);
// Draws a run with its baseline's left end at (x, baselineY) in the current source.
void ShowGlyphRun(cairo_t* cr, const GlyphRun& run, double x, double baselineY);
// Draws a run as ShowGlyphRun does on an image surface under a pure scale (logical coordinates
// times `scale` are device pixels) with an opaque colour, but straight into `target` from glyph
// masks Cairo rasterized once: where the device-pixel region `clip` allows, every pixel comes out
// as Cairo would composite it. False, with nothing drawn, when a glyph has no plain coverage mask
// (colour glyphs, subpixel rendering); the caller then draws through Cairo.
bool CompositeGlyphRun(const PixelBuffer& target, const Region& clip, double scale, const GlyphRun& run, double x,
                       double baselineY, std::uint32_t rgb);

// Plain text in the desktop's sans face at `pixels` size, word-wrapped at `wrapWidth` pixels when
// that is positive: the look of the window system's own tooltips and message boxes. The caller
// releases the layout with g_object_unref.
PangoLayout* CreateSansLayout(cairo_t* cr, const std::string& utf8, int pixels, int wrapWidth);

// Restricts drawing on `cr` to the region (pixel-aligned, so exact).
void ClipToRegion(cairo_t* cr, const Region& region);

} // namespace cairo
} // namespace platform
