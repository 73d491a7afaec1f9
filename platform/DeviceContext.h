// A device context in the GDI sense over a premultiplied ARGB surface: an integer clip region,
// pixel-exact fills, blits, lines and outlines, text by the DT_* styles, and the anti-aliased
// vector operations (transforms, round-capped lines, gradient text, smooth scaling) of effects.
//
// Supported:
//  [x] clip region: get, set, intersect with rectangles, rounded rectangles and regions, exclude,
//      save and restore with the rest of the state
//  [x] solid fills (copy or source-over), vertical and horizontal two-colour gradients
//  [x] blits: copy, nearest-neighbour stretch, premultiplied source-over with constant alpha
//  [x] lines, rectangles and rounded rectangles with pen width and PS_SOLID, PS_DASH, PS_DOT,
//      PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME
//  [x] text in the selected font and colour with the DT_* styles of TextLayout
//  [x] world transform (rotation about a point) for the vector operations
//  [x] anti-aliased lines with flat, round or square caps; anti-aliased rectangle fills
//  [x] text filled with a solid or linear-gradient brush, text outlines, smooth image drawing
//  [x] a scale: logical coordinates over a surface at device resolution (below)
//  [ ] opaque text backgrounds, raster operations other than copy, viewport origins
//
// Scale. SetScale(s) makes every coordinate, rectangle, clip, pen width and font size of the
// context's API logical: one logical pixel covers s device pixels of the surface. The vector
// operations and text simply draw under a scaled transform, so they come out sharp at the device
// resolution. The pixel-exact operations (fills, clip regions, 1-pixel lines and outlines, blits)
// map each logical rectangle to device pixels in one place, ScaleRect (Geometry.h: every edge
// round(v × s)), so neighbouring rectangles still meet without gaps or overlaps at 1.25 or 1.5. A
// blit stretches its source rectangle (in the source's own pixels) onto the device pixels of the
// logical destination: a picture made for twice the resolution (an image's @2x variant, whose
// source rectangle is given in its own, doubled pixels) lands 1:1 at scale 2. BitBlt from the
// context's own pixels reads them at device resolution (its source coordinates are logical too).
// Width and Height are logical (round(device size / s)); Pixels stays the device picture. At scale
// 1 nothing of this changes a single pixel.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/Font.h"
#include "platform/Geometry.h"
#include "platform/PixelBuffer.h"
#include "platform/Region.h"
#include "platform/Surface.h"
#include "platform/TextLayout.h"
#include "platform/Win32Defs.h"

namespace platform {

// A pen: a PS_* style, a width in pixels and a colour. Pens draw opaque, like GDI's: the colour's
// alpha byte is ignored.
struct Pen
{
    int style = PS_SOLID;
    int width = 1;
    std::uint32_t color = 0xFF000000;
};

enum class GradientDirection
{
    Horizontal, // first colour at the left edge, second at the right
    Vertical    // first colour at the top, second at the bottom
};

enum class SourceAlpha
{
    PerPixel, // the source's own (premultiplied) alpha takes part, as AC_SRC_ALPHA asks
    Ignore    // the source is treated as opaque; only the constant alpha blends
};

enum class LineCap
{
    Flat,
    Round,
    Square
};

enum class ImageFilter
{
    Nearest,
    Bilinear,
    Best // the best quality the library offers, for downscaling (blurs) and photos
};

enum class TextAlign
{
    Near,
    Center,
    Far
};

// A 2-D affine transform mapping (x, y) to (xx·x + xy·y + x0, yx·x + yy·y + y0).
struct Transform
{
    double xx = 1, yx = 0, xy = 0, yy = 1, x0 = 0, y0 = 0;

    static Transform Identity() { return {}; }
    static Transform Translation(double dx, double dy) { return {1, 0, 0, 1, dx, dy}; }
    static Transform Rotation(double degrees);
    // Rotation by `degrees` (clockwise on screen, where y grows downwards) about (cx, cy).
    static Transform RotationAbout(double cx, double cy, double degrees);
    // This transform applied after `first`.
    Transform After(const Transform& first) const;
    PointF Apply(PointF p) const { return {xx * p.x + xy * p.y + x0, yx * p.x + yy * p.y + y0}; }
};

// What fills a shape or text in the vector operations: one colour, or a linear gradient between
// two points (straight ARGB colours; beyond the end points the end colours continue).
struct Brush
{
    std::uint32_t color1 = 0xFF000000;
    std::uint32_t color2 = 0xFF000000;
    PointF start;
    PointF end;
    bool gradient = false;

    static Brush Solid(std::uint32_t argb) { return {argb, argb, {}, {}, false}; }
    static Brush Linear(PointF from, PointF to, std::uint32_t fromColor, std::uint32_t toColor)
    {
        return {fromColor, toColor, from, to, true};
    }
};

// How DrawString places text in its layout rectangle.
struct StringFormat
{
    TextAlign align = TextAlign::Near;     // horizontal
    TextAlign lineAlign = TextAlign::Near; // vertical
    bool noWrap = false;
    bool antialias = true;
    bool clip = true; // clip to the layout rectangle
};

class DeviceContext
{
public:
    // Draws into `target`, which must outlive the context.
    explicit DeviceContext(Surface& target);
    // Draws into pixels owned elsewhere (a window's backing store), which must outlive the context.
    explicit DeviceContext(const PixelBuffer& target);
    ~DeviceContext();
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;

    bool IsValid() const;
    // Logical size (see Scale above).
    int Width() const;
    int Height() const;
    // Device pixels per logical pixel (SaneScale'd; 1 by default). Setting it resets the clip to the
    // whole surface.
    void SetScale(double scale);
    double Scale() const;
    // The pixels drawn into, with pending drawing finished.
    PixelBuffer Pixels() const;

    // ---- clip region (logical pixels; every operation below draws only inside it) ----
    const Region& GetClipRegion() const;
    Rect GetClipBox() const;
    // Replaces the clip (cut to the surface); an empty region clips everything away.
    void SetClipRegion(const Region& region);
    void SetClipRect(const Rect& rect);
    // Back to the whole surface.
    void ResetClip();
    void IntersectClipRect(const Rect& rect);
    // With Region::FromRoundRect's shape: GDI's round-rectangle region, last column and row left out.
    void IntersectClipRoundRect(const Rect& rect, int ellipseWidth, int ellipseHeight);
    void IntersectClipRegion(const Region& region);
    void ExcludeClipRect(const Rect& rect);

    // ---- saved state: clip, font, text colour and transform, like SaveDC/RestoreDC ----
    // Returns the depth after saving.
    int Save();
    // Back to the state of the last Save; false when nothing was saved.
    bool Restore();

    // ---- pixel-exact fills and blits ----
    // Sets the pixels to the premultiplied colour (GDI FillRect).
    void FillSolid(const Rect& rect, std::uint32_t argb);
    void FillRegion(const Region& region, std::uint32_t argb);
    // Composes the colour over the pixels (source-over).
    void BlendSolid(const Rect& rect, std::uint32_t argb);
    // Two-colour gradient; colours and alpha interpolate and are written, not blended.
    void FillGradient(const Rect& rect, std::uint32_t first, std::uint32_t second, GradientDirection direction);
    // Copies a w x h block from (sx, sy) of `source` to (x, y). Source and target may overlap.
    void BitBlt(int x, int y, int width, int height, const PixelBuffer& source, int sx, int sy);
    // Copies `sourceRect` of `source` into `dest`, scaled with nearest-neighbour sampling.
    void StretchBlt(const Rect& dest, const PixelBuffer& source, const Rect& sourceRect);
    // Composes `sourceRect` of premultiplied `source` over `dest` (nearest-neighbour scaled), with
    // the constant alpha applied on top of the source's own.
    void AlphaBlend(const Rect& dest, const PixelBuffer& source, const Rect& sourceRect, std::uint8_t constantAlpha,
                    SourceAlpha sourceAlpha = SourceAlpha::PerPixel);
    // AlphaBlend resampled smoothly (bilinear) instead of by nearest neighbour: for pictures that
    // must be enlarged at a scale. It covers exactly the device pixels AlphaBlend covers, and takes
    // no colour from outside `sourceRect`, so nine-slice parts still meet without seams.
    void AlphaBlendSmooth(const Rect& dest, const PixelBuffer& source, const Rect& sourceRect,
                          std::uint8_t constantAlpha, SourceAlpha sourceAlpha = SourceAlpha::PerPixel);

    // ---- GDI lines and outlines: aliased, opaque ----
    // From (x1, y1) to (x2, y2); like LineTo, the last pixel is not drawn.
    void DrawLine(int x1, int y1, int x2, int y2, const Pen& pen);
    // The outline of a rectangle, as Rectangle draws it with a null brush.
    void DrawRect(const Rect& rect, const Pen& pen);
    // The outline of a rounded rectangle, as RoundRect draws it with a null brush: within
    // [left, right) x [top, bottom), on the edge of Region::FromRoundRect of (left, top, right + 1,
    // bottom + 1).
    void DrawRoundRect(const Rect& rect, int ellipseWidth, int ellipseHeight, const Pen& pen);

    // ---- text ----
    void SelectFont(const Font& font);
    const Font& GetFont() const;
    void SetTextColor(std::uint32_t argb);
    std::uint32_t GetTextColor() const;
    const TextMetrics& GetTextMetrics() const;
    Size MeasureString(const char16_t* text, int length) const;
    // DrawText: lays `text` out in `rect` by `format` (see TextLayout) and draws it in the text colour
    // (opaque, transparent background), clipped to `rect` unless DT_NOCLIP. With DT_CALCRECT nothing
    // is drawn and `rect` receives the needed rectangle. Returns the text height.
    int DrawText(const char16_t* text, int length, Rect& rect, UINT format);
    // Draws a layout made earlier (the same as DrawText with the layout's arguments).
    void DrawTextLayout(const TextLayout& layout);

    // ---- anti-aliased vector operations; the world transform applies ----
    void SetTransform(const Transform& transform);
    const Transform& GetTransform() const;
    void ResetTransform() { SetTransform(Transform::Identity()); }
    void DrawLineAA(PointF from, PointF to, double width, std::uint32_t argb, LineCap cap);
    void FillRectAA(const RectF& rect, const Brush& brush);
    // Draws `sourceRect` of premultiplied `source` scaled into `dest` with the filter and opacity.
    void DrawImage(const PixelBuffer& source, const RectF& sourceRect, const RectF& dest, ImageFilter filter,
                   std::uint8_t alpha = 255);
    // Text filled with a brush in a layout rectangle (wrapping at its width unless noWrap).
    void DrawString(const char16_t* text, int length, const Font& font, const RectF& layout, const StringFormat& format,
                    const Brush& brush);
    // The outline of the same text, stroked with the brush at the given width.
    void StrokeString(const char16_t* text, int length, const Font& font, const RectF& layout,
                      const StringFormat& format, double width, const Brush& brush);

    struct Impl;

private:
    std::unique_ptr<Impl> m_impl;
};

} // namespace platform
