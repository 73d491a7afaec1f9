// The anti-aliased operations of a device context through GDI+: a Graphics on a GDI+ bitmap over
// the target's own premultiplied pixels (PixelFormat32bppPARGB, so nothing is converted), clipped
// to the clip region, under the world transform, with pixel centres at half coordinates as the
// rest of the framework has them.
#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/Color.h"
#include "platform/Geometry.h"
#include "platform/gdi/DeviceContextImpl.h"
#include "platform/gdi/GdiShared.h"
#include "platform/gdi/Gdiplus.h"

namespace platform {

namespace {

using namespace Gdiplus;

// A GDI+ object of a flat-API type, released by its disposer with the scope.
template <typename T, GpStatus (*Dispose)(T*)> class Owned
{
public:
    Owned() = default;
    ~Owned()
    {
        if (m_object)
            Dispose(m_object);
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    T* Get() const { return m_object; }
    T** Out() { return &m_object; }
    explicit operator bool() const { return m_object != nullptr; }

private:
    T* m_object = nullptr;
};

GpStatus DisposeImage(GpBitmap* b)
{
    return gdi::gp::GdipDisposeImage(b);
}

using Bitmap = Owned<GpBitmap, DisposeImage>;
using Graphics = Owned<GpGraphics, gdi::gp::GdipDeleteGraphics>;
using GpRegionOwned = Owned<GpRegion, gdi::gp::GdipDeleteRegion>;
using Matrix = Owned<GpMatrix, gdi::gp::GdipDeleteMatrix>;
using BrushOwned = Owned<GpBrush, gdi::gp::GdipDeleteBrush>;
using PenOwned = Owned<GpPen, gdi::gp::GdipDeletePen>;
using FontOwned = Owned<GpFont, gdi::gp::GdipDeleteFont>;
using FormatOwned = Owned<GpStringFormat, gdi::gp::GdipDeleteStringFormat>;
using PathOwned = Owned<GpPath, gdi::gp::GdipDeletePath>;
using AttributesOwned = Owned<GpImageAttributes, gdi::gp::GdipDisposeImageAttributes>;
using FamilyOwned = Owned<GpFontFamily, gdi::gp::GdipDeleteFontFamily>;

bool WrapPixels(const PixelBuffer& pixels, Bitmap& bitmap)
{
    return gdi::gp::GdipCreateBitmapFromScan0(pixels.width, pixels.height, pixels.stride, PixelFormat32bppPARGB,
                                              reinterpret_cast<BYTE*>(pixels.pixels), bitmap.Out()) == Ok;
}

// A Graphics over the context's pixels with its clip and transform; flushed before it goes.
class Canvas
{
public:
    Canvas(const DeviceContextState& state, bool transformed) : m_state(state)
    {
        if (state.clip.IsEmpty() || !gdi::GdiplusReady())
            return;
        m_pixels = state.BeginPixels();
        if (!WrapPixels(m_pixels, m_bitmap) ||
            gdi::gp::GdipGetImageGraphicsContext(m_bitmap.Get(), m_graphics.Out()) != Ok)
            return;
        GpGraphics* g = m_graphics.Get();
        gdi::gp::GdipSetSmoothingMode(g, SmoothingModeAntiAlias);
        gdi::gp::GdipSetPixelOffsetMode(g, PixelOffsetModeHalf);
        gdi::gp::GdipSetCompositingMode(g, CompositingModeSourceOver);
        gdi::gp::GdipSetCompositingQuality(g, CompositingQualityHighQuality);
        // The clip is in device pixels: set before the transform, which GDI+ then applies to
        // drawing only.
        GpRegionOwned region;
        gdi::gp::GdipCreateRegion(region.Out());
        gdi::gp::GdipSetEmpty(region.Get());
        for (const Rect& r : state.DeviceClip().Rects()) {
            const GpRect piece{r.left, r.top, r.Width(), r.Height()};
            gdi::gp::GdipCombineRegionRectI(region.Get(), &piece, CombineModeUnion);
        }
        gdi::gp::GdipSetClipRegion(g, region.Get(), CombineModeReplace);
        // Drawing is in logical coordinates; the scale takes it to the device pixels.
        if (transformed || state.scale != 1.0) {
            const Transform t = transformed ? state.transform : Transform{};
            const double s = state.scale;
            Matrix matrix;
            gdi::gp::GdipCreateMatrix2(REAL(s * t.xx), REAL(s * t.yx), REAL(s * t.xy), REAL(s * t.yy), REAL(s * t.x0),
                                       REAL(s * t.y0), matrix.Out());
            gdi::gp::GdipSetWorldTransform(g, matrix.Get());
        }
        m_ready = true;
    }
    ~Canvas()
    {
        if (m_graphics)
            gdi::gp::GdipFlush(m_graphics.Get(), FlushIntentionSync);
        if (m_ready)
            m_state.EndPixels();
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    bool Ready() const { return m_ready; }
    GpGraphics* Get() const { return m_graphics.Get(); }
    const PixelBuffer& Pixels() const { return m_pixels; }

private:
    const DeviceContextState& m_state;
    PixelBuffer m_pixels;
    Bitmap m_bitmap;
    Graphics m_graphics;
    bool m_ready = false;
};

ARGB ToArgb(std::uint32_t c)
{
    return ARGB(c);
}

// A solid or linear-gradient GDI+ brush; beyond a gradient's ends its end colours go on, as the
// brush is specified (GDI+ itself would repeat the gradient).
bool MakeBrush(const Brush& brush, const RectF& area, BrushOwned& out)
{
    const bool degenerate = brush.start.x == brush.end.x && brush.start.y == brush.end.y;
    if (!brush.gradient || degenerate) {
        GpSolidFill* fill = nullptr;
        if (gdi::gp::GdipCreateSolidFill(ToArgb(brush.color1), &fill) != Ok)
            return false;
        *out.Out() = fill;
        return true;
    }
    // The gradient is stretched over the part of its axis the area covers, with the colours at
    // that part's ends worked out here, so GDI+'s repetition never shows.
    const double dx = brush.end.x - brush.start.x, dy = brush.end.y - brush.start.y;
    const double length2 = dx * dx + dy * dy;
    auto along = [&](double x, double y) { return ((x - brush.start.x) * dx + (y - brush.start.y) * dy) / length2; };
    const double corners[4] = {along(area.x, area.y), along(area.x + area.width, area.y),
                               along(area.x, area.y + area.height), along(area.x + area.width, area.y + area.height)};
    const double t0 = std::min({0.0, corners[0], corners[1], corners[2], corners[3]}) - 0.01;
    const double t1 = std::max({1.0, corners[0], corners[1], corners[2], corners[3]}) + 0.01;
    auto colorAt = [&](double t) {
        const double k = std::clamp(t, 0.0, 1.0);
        auto mix = [&](std::uint32_t shift) {
            const double a = (brush.color1 >> shift) & 0xFF, b = (brush.color2 >> shift) & 0xFF;
            return std::uint32_t(std::lround(a + (b - a) * k)) << shift;
        };
        return mix(24) | mix(16) | mix(8) | mix(0);
    };
    const GpPointF from{REAL(brush.start.x + dx * t0), REAL(brush.start.y + dy * t0)};
    const GpPointF to{REAL(brush.start.x + dx * t1), REAL(brush.start.y + dy * t1)};
    GpLineGradient* line = nullptr;
    if (gdi::gp::GdipCreateLineBrush(&from, &to, ToArgb(colorAt(t0)), ToArgb(colorAt(t1)), WrapModeTileFlipXY, &line) !=
        Ok)
        return false;
    *out.Out() = line;
    // The colours between: the brush's own ends at their places on the stretched axis.
    const ARGB colors[4] = {ToArgb(colorAt(t0)), ToArgb(brush.color1), ToArgb(brush.color2), ToArgb(colorAt(t1))};
    const REAL positions[4] = {0, REAL((0 - t0) / (t1 - t0)), REAL((1 - t0) / (t1 - t0)), 1};
    gdi::gp::GdipSetLinePresetBlend(line, colors, positions, 4);
    return true;
}

Gdiplus::LineCap ToGdiplusCap(platform::LineCap cap)
{
    switch (cap) {
    case platform::LineCap::Round:
        return LineCapRound;
    case platform::LineCap::Square:
        return LineCapSquare;
    default:
        return LineCapFlat;
    }
}

// The GDI+ font of a framework font: the same face from its GDI LOGFONT.
bool MakeFont(const platform::Font& font, FontOwned& out)
{
    const platform::Font& f = font.IsNull() ? platform::Font::DefaultGui() : font;
    LOGFONTW logFont{};
    if (!::GetObjectW(gdi::FontHandle(f), sizeof logFont, &logFont))
        return false;
    return gdi::gp::GdipCreateFontFromLogfontW(gdi::MeasuringDc(), &logFont, out.Out()) == Ok;
}

StringAlignment ToAlignment(TextAlign align)
{
    return align == TextAlign::Center ? StringAlignmentCenter
           : align == TextAlign::Far  ? StringAlignmentFar
                                      : StringAlignmentNear;
}

bool MakeFormat(const StringFormat& format, FormatOwned& out)
{
    // Typographic: no padding before the first glyph, so text starts at the layout's left edge
    // as it does over every other backend.
    GpStringFormat* typographic = nullptr;
    if (gdi::gp::GdipStringFormatGetGenericTypographic(&typographic) != Ok ||
        gdi::gp::GdipCloneStringFormat(typographic, out.Out()) != Ok)
        return false;
    INT flags = StringFormatFlagsLineLimit;
    if (format.noWrap)
        flags |= StringFormatFlagsNoWrap;
    if (!format.clip)
        flags |= StringFormatFlagsNoClip;
    gdi::gp::GdipSetStringFormatFlags(out.Get(), flags);
    gdi::gp::GdipSetStringFormatAlign(out.Get(), ToAlignment(format.align));
    gdi::gp::GdipSetStringFormatLineAlign(out.Get(), ToAlignment(format.lineAlign));
    return true;
}

// The font, format and brush that drawing a string takes.
struct StringTools
{
    FontOwned font;
    FormatOwned format;
    BrushOwned brush;

    bool Make(const platform::Font& f, const StringFormat& stringFormat, const platform::Brush& b, const RectF& area)
    {
        return MakeFont(f, font) && MakeFormat(stringFormat, format) && MakeBrush(b, area, brush);
    }
};

} // namespace

void DeviceContext::DrawLineAA(PointF from, PointF to, double width, std::uint32_t argb, platform::LineCap cap)
{
    if (!IsValid() || width <= 0)
        return;
    const Canvas canvas(*m_impl, true);
    PenOwned pen;
    if (!canvas.Ready() || gdi::gp::GdipCreatePen1(ToArgb(argb), REAL(width), UnitPixel, pen.Out()) != Ok)
        return;
    gdi::gp::GdipSetPenStartCap(pen.Get(), ToGdiplusCap(cap));
    gdi::gp::GdipSetPenEndCap(pen.Get(), ToGdiplusCap(cap));
    gdi::gp::GdipDrawLine(canvas.Get(), pen.Get(), REAL(from.x), REAL(from.y), REAL(to.x), REAL(to.y));
}

void DeviceContext::FillRectAA(const RectF& rect, const platform::Brush& brush)
{
    if (!IsValid() || rect.width <= 0 || rect.height <= 0)
        return;
    const Canvas canvas(*m_impl, true);
    BrushOwned fill;
    if (!canvas.Ready() || !MakeBrush(brush, rect, fill))
        return;
    gdi::gp::GdipFillRectangle(canvas.Get(), fill.Get(), REAL(rect.x), REAL(rect.y), REAL(rect.width),
                               REAL(rect.height));
}

void DeviceContext::DrawImage(const PixelBuffer& source, const RectF& sourceRect, const RectF& dest, ImageFilter filter,
                              std::uint8_t alpha)
{
    if (!IsValid() || source.IsEmpty() || sourceRect.width <= 0 || sourceRect.height <= 0 || dest.width <= 0 ||
        dest.height <= 0 || alpha == 0)
        return;
    // The part of the source that is sampled, with its edge pixels repeated one pixel outwards:
    // smooth filters then find the edge colours beyond the edges instead of transparent black, so
    // an image's border does not fade. (GDI+'s own way to this, a flipping wrap mode, turns off
    // interpolation in some implementations of GDI+.) The copy also keeps a surface drawn onto
    // itself from reading what it writes.
    const int left = std::clamp(int(std::floor(sourceRect.x)), 0, source.width - 1);
    const int top = std::clamp(int(std::floor(sourceRect.y)), 0, source.height - 1);
    const int right = std::clamp(int(std::ceil(sourceRect.x + sourceRect.width)), left + 1, source.width);
    const int bottom = std::clamp(int(std::ceil(sourceRect.y + sourceRect.height)), top + 1, source.height);
    Surface padded = Surface::Create(right - left + 2, bottom - top + 2);
    if (!padded.IsValid())
        return;
    const PixelBuffer pad = padded.Pixels();
    for (int y = 0; y < pad.height; ++y) {
        const std::uint32_t* in = source.Row(std::clamp(top + y - 1, top, bottom - 1));
        std::uint32_t* out = pad.Row(y);
        for (int x = 0; x < pad.width; ++x)
            out[x] = in[std::clamp(left + x - 1, left, right - 1)];
    }
    const Canvas canvas(*m_impl, true);
    Bitmap image;
    if (!canvas.Ready() || !WrapPixels(pad, image))
        return;
    GpGraphics* g = canvas.Get();
    gdi::gp::GdipSetInterpolationMode(g, filter == ImageFilter::Nearest    ? InterpolationModeNearestNeighbor
                                         : filter == ImageFilter::Bilinear ? InterpolationModeBilinear
                                                                           : InterpolationModeHighQualityBicubic);
    // Attributes even without an opacity: some implementations of GDI+ sample by nearest neighbour
    // without any.
    AttributesOwned attributes;
    gdi::gp::GdipCreateImageAttributes(attributes.Out());
    if (alpha != 255) {
        ColorMatrix matrix{};
        for (int i = 0; i < 5; ++i)
            matrix.m[i][i] = 1;
        matrix.m[3][3] = REAL(alpha / 255.0);
        if (attributes)
            gdi::gp::GdipSetImageAttributesColorMatrix(attributes.Get(), ColorAdjustTypeDefault, TRUE, &matrix, nullptr,
                                                       ColorMatrixFlagsDefault);
    }
    // Only the destination rectangle is painted, whatever the filter reaches beyond it.
    gdi::gp::GdipSetClipRect(g, REAL(dest.x), REAL(dest.y), REAL(dest.width), REAL(dest.height), CombineModeIntersect);
    gdi::gp::GdipDrawImageRectRect(g, image.Get(), REAL(dest.x), REAL(dest.y), REAL(dest.width), REAL(dest.height),
                                   REAL(sourceRect.x - left + 1), REAL(sourceRect.y - top + 1), REAL(sourceRect.width),
                                   REAL(sourceRect.height), UnitPixel, attributes.Get(), nullptr, nullptr);
}

void DeviceContext::DrawString(const char16_t* text, int length, const platform::Font& font, const RectF& layout,
                               const StringFormat& format, const platform::Brush& brush)
{
    if (!IsValid() || !text || length <= 0)
        return;
    const Canvas canvas(*m_impl, true);
    StringTools tools;
    if (!canvas.Ready() || !tools.Make(font, format, brush, layout))
        return;
    gdi::gp::GdipSetTextRenderingHint(canvas.Get(), format.antialias ? TextRenderingHintAntiAlias
                                                                     : TextRenderingHintSingleBitPerPixelGridFit);
    const Gdiplus::RectF box{REAL(layout.x), REAL(layout.y), REAL(layout.width), REAL(layout.height)};
    gdi::gp::GdipDrawString(canvas.Get(), Win32Text(text), length, tools.font.Get(), &box, tools.format.Get(),
                            tools.brush.Get());
}

void DeviceContext::StrokeString(const char16_t* text, int length, const platform::Font& font, const RectF& layout,
                                 const StringFormat& format, double width, const platform::Brush& brush)
{
    if (!IsValid() || !text || length <= 0 || width <= 0)
        return;
    const Canvas canvas(*m_impl, true);
    StringTools tools;
    if (!canvas.Ready() || !tools.Make(font, format, brush, layout))
        return;
    FamilyOwned family;
    INT style = 0;
    gdi::gp::GdipGetFamily(tools.font.Get(), family.Out());
    gdi::gp::GdipGetFontStyle(tools.font.Get(), &style);
    // The em size in pixels, the unit the path is made in (the GDI+ font's own size may be in points).
    const REAL size = REAL((font.IsNull() ? platform::Font::DefaultGui() : font).GetLogFont().pixelSize);
    PathOwned path;
    if (!family || gdi::gp::GdipCreatePath(FillModeWinding, path.Out()) != Ok)
        return;
    const Gdiplus::RectF box{REAL(layout.x), REAL(layout.y), REAL(layout.width), REAL(layout.height)};
    gdi::gp::GdipAddPathString(path.Get(), Win32Text(text), length, family.Get(), style, size, &box,
                               tools.format.Get());
    PenOwned pen;
    if (gdi::gp::GdipCreatePen2(tools.brush.Get(), REAL(width), UnitPixel, pen.Out()) != Ok)
        return;
    gdi::gp::GdipSetPenLineJoin(pen.Get(), LineJoinRound);
    if (format.clip)
        gdi::gp::GdipSetClipRect(canvas.Get(), box.X, box.Y, box.Width, box.Height, CombineModeIntersect);
    gdi::gp::GdipDrawPath(canvas.Get(), pen.Get(), path.Get());
}

} // namespace platform
