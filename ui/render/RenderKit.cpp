// CRenderKit: image descriptors (parsing, loading through the window manager, nine-slice blitting),
// colour fills, gradients, lines, frames and plain text over the drawing layer's device context;
// markup text is CMarkupText's.
#include "ui/render/RenderKit.h"

#include "ui/core/Limits.h"
#include "ui/core/ValueParse.h"
#include "ui/render/RenderResources.h"
#include "ui/render/ClipScope.h"
#include "ui/render/ImageLoader.h"
#include "ui/render/MarkupText.h"
#include "ui/render/SoftBlend.h"
#include "ui/render/TextLayoutCache.h"

#include "platform/Color.h"
#include "platform/DeviceContext.h"
#include "platform/Surface.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace ui {

namespace {

platform::Rect ToRect(const CUIRect& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

bool Overlaps(CUIRect a, const CUIRect& b)
{
    return a.Intersect(b);
}

bool Contains(const CUIRect& outer, const CUIRect& inner)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool IsBlank(char16_t c)
{
    return c != 0 && c <= u' ';
}

bool Equals(const CUIString& a, const char16_t* b)
{
    return a.Compare(b) == 0;
}

// Four decimal numbers, one separator character of any kind skipped before each following number.
CUIRect ParseFour(const CUIString& value)
{
    int v[4] = {0, 0, 0, 0};
    const char16_t* p = value.CStr();
    for (int i = 0; i < 4 && *p; ++i) {
        if (i > 0)
            ++p;
        bool negative = false;
        while (IsBlank(*p))
            ++p;
        if (*p == u'-' || *p == u'+')
            negative = *p++ == u'-';
        long long n = 0;
        for (; *p >= u'0' && *p <= u'9'; ++p)
            n = std::min(n * 10 + (*p - u'0'), 0x7FFFFFFFll);
        v[i] = limits::ClampCoordinate(negative ? -n : n);
    }
    return {v[0], v[1], v[2], v[3]};
}

// How an image reaches a device context of some scale: its own pixels 1:1 at scale 1; at other
// scales its @2x picture, or its own pixels enlarged smoothly.
struct ImageSource
{
    platform::PixelBuffer pixels;
    int factor = 1;      // pixels of `pixels` per image pixel (2 for the @2x picture)
    bool smooth = false; // resampled smoothly rather than copied or stretched by nearest neighbour
};

ImageSource ChooseSource(platform::DeviceContext* dc, const TImageRecord* image)
{
    ImageSource source{image->View(), 1, false};
    const double scale = dc->Scale();
    if (scale == 1.0)
        return source;
    const platform::PixelBuffer detail = image->DetailView();
    if (scale >= 1.5 && !detail.IsEmpty())
        return {detail, 2, scale != 2.0};
    source.smooth = true;
    return source;
}

// One part of a blit: stretched (or copied 1:1 when the sizes agree) from source to destination.
struct BlitContext
{
    platform::DeviceContext* dc;
    platform::PixelBuffer pixels;
    CUIRect paintRect;
    bool blend;
    std::uint8_t fade;
    int factor = 1;
    bool smooth = false;

    void Part(int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh) const
    {
        if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0)
            return;
        const CUIRect dest(dx, dy, dx + dw, dy + dh);
        if (!Overlaps(dest, paintRect))
            return;
        // Source rectangles are in image pixels; the @2x picture has `factor` of its own for each.
        const platform::Rect source{sx * factor, sy * factor, (sx + sw) * factor, (sy + sh) * factor};
        // A slice can stick out of the part being painted (corners wider than a narrow control):
        // what lies outside belongs to other controls, and a repaint of this control alone would
        // leave it standing there, so it is cut off.
        CClipScope clip;
        if (!Contains(paintRect, dest))
            clip.ClipToRect(dc, paintRect);
        if (smooth)
            dc->AlphaBlendSmooth(ToRect(dest), pixels, source, fade,
                                 blend ? platform::SourceAlpha::PerPixel : platform::SourceAlpha::Ignore);
        else if (blend)
            dc->AlphaBlend(ToRect(dest), pixels, source, fade, platform::SourceAlpha::PerPixel);
        else if (factor != 1)
            dc->StretchBlt(ToRect(dest), pixels, source);
        else if (dw == sw && dh == sh)
            dc->BitBlt(dx, dy, dw, dh, pixels, sx, sy);
        else
            dc->StretchBlt(ToRect(dest), pixels, source);
    }
};

} // namespace

void TImageDescriptor::Reset()
{
    text.Clear();
    imageName.Clear();
    parsed = false;
    image = nullptr;
    destOffset.Clear();
    source.Clear();
    corners.Clear();
    fade = 255;
    hole = false;
    xTiled = false;
    yTiled = false;
}

// ---- image records -------------------------------------------------------------------------------

TImageRecord* CRenderKit::LoadImageRecord(const char16_t* name, const char16_t* type, std::uint32_t maskColor)
{
    return CImageLoader::LoadImageRecord(name, type, maskColor);
}

TImageRecord* CRenderKit::ImageRecordFromPixels(const std::uint8_t* pixels, int width, int height)
{
    return CImageLoader::ImageRecordFromPixels(pixels, width, height);
}

void CRenderKit::FreeImageRecord(TImageRecord* record, bool deleteRecord)
{
    CImageLoader::FreeImageRecord(record, deleteRecord);
}

void CRenderKit::ShiftImageHsl(bool enable, TImageRecord* record, int hue, int saturation, int lightness)
{
    CImageLoader::ShiftImageHsl(enable, record, hue, saturation, lightness);
}

namespace {

std::uint32_t ReadLe32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}

} // namespace

std::optional<TAnimatedPng> CRenderKit::LoadAnimatedPng(const std::uint8_t* data, std::size_t size)
{
    TApngBlock decoded = apng::Decode(data, size);
    if (!decoded.block)
        return std::nullopt;
    return ReadAnimatedPng(std::move(decoded));
}

std::optional<TAnimatedPng> CRenderKit::ReadAnimatedPng(TApngBlock decoded)
{
    if (!decoded.block)
        return std::nullopt;
    // Returning drops the block with `decoded`, so every refusal below frees it.
    const auto invalid = [] {
        std::fputs("invalid apng directory\n", stderr);
        return std::nullopt;
    };
    const std::size_t at = decoded.directoryOffset;
    if (at > decoded.size || decoded.size - at < apng::kDirectoryHeaderBytes)
        return invalid();
    const std::uint8_t* directory = decoded.block.get() + at;
    if (std::memcmp(directory, apng::kDirectoryMagic, sizeof apng::kDirectoryMagic) != 0)
        return invalid();
    TAnimatedPng out;
    out.frameCount = ReadLe32(directory + 4);
    out.loopCount = ReadLe32(directory + 8);
    out.flags = ReadLe32(directory + 12);
    // The records and the pixels they point at must lie inside the block: the controls index
    // pixels by these numbers without further checks.
    const std::size_t room = decoded.size - at - apng::kDirectoryHeaderBytes;
    if (out.frameCount == 0 || out.frameCount > room / apng::kFrameRecordBytes)
        return invalid();
    out.frames.resize(out.frameCount);
    for (std::uint32_t i = 0; i < out.frameCount; ++i) {
        const std::uint8_t* record = directory + apng::kDirectoryHeaderBytes + std::size_t(i) * apng::kFrameRecordBytes;
        TAnimatedPngFrame& frame = out.frames[i];
        frame.offset = ReadLe32(record);
        frame.width = ReadLe32(record + 4);
        frame.height = ReadLe32(record + 8);
        frame.delayMs = ReadLe32(record + 12);
        const std::uint64_t bytes = std::uint64_t(frame.width) * frame.height * 4;
        if (frame.width == 0 || frame.height == 0 || frame.width > apng::kMaxCanvasSide ||
            frame.height > apng::kMaxCanvasSide || frame.offset % 4 != 0 || frame.offset > at ||
            bytes > at - frame.offset)
            return invalid();
    }
    out.block = std::move(decoded.block);
    out.size = decoded.size;
    return out;
}

std::uint32_t CRenderKit::ShiftColorHsl(std::uint32_t color, int hue, int saturation, int lightness)
{
    return CImageLoader::ShiftColorHsl(color, hue, saturation, lightness);
}

// ---- descriptors ---------------------------------------------------------------------------------

void CRenderKit::ParseImageDescriptor(const char16_t* text, TImageDescriptorText& out)
{
    out = TImageDescriptorText();
    if (!text)
        return;
    out.imageName = text;
    bool sawResource = false;
    const char16_t* p = text;
    while (*p) {
        while (IsBlank(*p))
            ++p;
        const int keyAt = int(p - text);
        CUIString key;
        while (*p && *p != u'=' && !IsBlank(*p))
            key.Append(*p++);
        while (IsBlank(*p))
            ++p;
        if (*p != u'=')
            break;
        ++p;
        while (IsBlank(*p))
            ++p;
        if (*p != u'\'')
            break;
        ++p;
        CUIString value;
        while (*p && *p != u'\'')
            value.Append(*p++);
        if (*p != u'\'')
            break;
        ++p;
        if (!value.IsEmpty()) {
            if (Equals(key, u"file")) {
                out.imageName = value;
            } else if (Equals(key, u"res")) {
                out.imageName = value;
                sawResource = true;
            } else if (Equals(key, u"restype")) {
                out.resourceType = value;
            } else if (Equals(key, u"color")) {
                out.imageName = value;
                out.resourceType = u"*COLOR*";
                out.hasType = true;
            } else if (Equals(key, u"dest")) {
                out.destOffset = ParseFour(value);
            } else if (Equals(key, u"source")) {
                out.source = ParseFour(value);
            } else if (Equals(key, u"corner") || Equals(key, u"scale9")) {
                out.corners = ParseFour(value);
            } else if (Equals(key, u"mask")) {
                out.mask = markup::ParseHexColor(value.CStr(), {});
            } else if (Equals(key, u"fade")) {
                out.fade = std::uint8_t(ParseFour(value).left);
            } else if (Equals(key, u"hole")) {
                out.hole = markup::ParseBool(value.CStr());
            } else if (Equals(key, u"xtiled")) {
                out.xTiled = markup::ParseBool(value.CStr());
            } else if (Equals(key, u"ytiled")) {
                out.yTiled = markup::ParseBool(value.CStr());
            } else if (Equals(key, u"hsl")) {
                out.hsl = markup::ParseBool(value.CStr());
            } else if (out.unknownKeyAt < 0) {
                out.unknownKeyAt = keyAt;
            }
        }
        if (*p != u' ')
            break;
        ++p;
    }
    out.scanEnd = int(p - text);
    if (sawResource && !out.hasType)
        out.hasType = true;
    else if (!out.hasType)
        out.resourceType.Clear();
}

bool CRenderKit::DrawImageDescriptor(HDC dc, IRenderResources* manager, const CUIRect& rect, const CUIRect& paintRect,
                                     TImageDescriptor& descriptor)
{
    if (!manager)
        return true;
    if (!descriptor.image) {
        // A failed load is not retried until the descriptor is reset.
        if (descriptor.parsed)
            return false;
        descriptor.parsed = true;
        if (descriptor.text.IsEmpty())
            return false;
        TImageDescriptorText parsed;
        ParseImageDescriptor(descriptor.text.CStr(), parsed);
        descriptor.imageName = parsed.imageName;
        descriptor.destOffset = parsed.destOffset;
        descriptor.source = parsed.source;
        descriptor.corners = parsed.corners;
        descriptor.fade = parsed.fade;
        descriptor.hole = parsed.hole;
        descriptor.xTiled = parsed.xTiled;
        descriptor.yTiled = parsed.yTiled;
        TImageRecord* image = manager->LookupOrLoadImage(
            parsed.imageName.CStr(), parsed.hasType ? parsed.resourceType.CStr() : nullptr, parsed.mask, parsed.hsl);
        if (!image)
            return false;
        descriptor.image = image;
        if (descriptor.source.IsNull())
            descriptor.source = {0, 0, image->width, image->height};
    }
    TImageRecord* image = descriptor.image;
    if (dc && dc->Scale() >= 1.5)
        LoadDetail(*image, descriptor.imageName);
    if (image->width < descriptor.source.right)
        descriptor.source.right = image->width;
    if (image->height < descriptor.source.bottom)
        descriptor.source.bottom = image->height;
    if (!dc)
        return true;

    CUIRect dest = rect;
    const CUIRect& off = descriptor.destOffset;
    if (!off.IsNull()) {
        dest.left = rect.left + off.left;
        dest.top = rect.top + off.top;
        dest.right = std::min(rect.left + off.right, rect.right);
        dest.bottom = std::min(rect.top + off.bottom, rect.bottom);
    }
    if (Overlaps(dest, rect) && Overlaps(dest, paintRect)) {
        BlitImage(dc, image, dest, paintRect, descriptor.source, descriptor.corners, image->hasAlpha, descriptor.fade,
                  descriptor.hole, descriptor.xTiled, descriptor.yTiled);
    }
    return true;
}

void CRenderKit::LoadDetail(TImageRecord& image, const CUIString& name)
{
    if (image.detailLooked)
        return;
    image.detailLooked = true;
    // Only pictures from the skin's files have a file beside them; a colour-shifted picture would
    // need its variant shifted too, and keeps its own pixels instead.
    if (!image.resourceType.IsEmpty() || image.pixels == nullptr || image.useHsl || name.IsEmpty())
        return;
    TImageRecord* loaded = CImageLoader::LoadImageRecord(DetailImageName(name).CStr(), nullptr, image.maskColor);
    if (loaded == nullptr)
        return;
    // A variant of another size would land its slices in the wrong places: it is ignored.
    if (loaded->width == 2 * image.width && loaded->height == 2 * image.height) {
        image.detail.reset(loaded->bitmap);
        loaded->bitmap = nullptr;
        loaded->pixels = nullptr;
    }
    CImageLoader::FreeImageRecord(loaded, true);
}

void CRenderKit::BlitImage(HDC dc, const TImageRecord* bitmap, const CUIRect& d, const CUIRect& paintRect,
                           const CUIRect& s, const CUIRect& c, bool hasAlpha, std::uint8_t fade, bool hole, bool xTiled,
                           bool yTiled)
{
    if (!dc || !bitmap)
        return;
    if (bitmap->View().IsEmpty())
        return;
    const ImageSource chosen = ChooseSource(dc, bitmap);
    const BlitContext ctx{dc, chosen.pixels, paintRect, hasAlpha || fade != 255, fade, chosen.factor, chosen.smooth};
    const int dW = d.Width(), dH = d.Height(), sW = s.Width(), sH = s.Height();

    if (!ctx.blend && ctx.factor == 1 && !ctx.smooth && dW == sW && dH == sH && c.IsNull()) {
        // The same size and no slicing: only the dirty part is copied.
        CUIRect part = d;
        if (part.Intersect(paintRect))
            dc->BitBlt(part.left, part.top, part.Width(), part.Height(), ctx.pixels, s.left + part.left - d.left,
                       s.top + part.top - d.top);
        return;
    }

    if (!hole) {
        const int cx = d.left + c.left, cy = d.top + c.top;
        const int cw = dW - c.left - c.right, ch = dH - c.top - c.bottom;
        const int sx = s.left + c.left, sy = s.top + c.top;
        const int sw = sW - c.left - c.right, sh = sH - c.top - c.bottom;
        if (!xTiled && !yTiled) {
            ctx.Part(cx, cy, cw, ch, sx, sy, sw, sh);
        } else if (xTiled && !yTiled) {
            if (sw > 0) {
                for (int x = cx; x < cx + cw; x += sw) {
                    const int w = std::min(sw, cx + cw - x);
                    ctx.Part(x, cy, w, ch, sx, sy, w, sh);
                }
            }
        } else if (yTiled && !xTiled) {
            if (sh > 0) {
                for (int y = cy; y < cy + ch; y += sh) {
                    const int h = std::min(sh, cy + ch - y);
                    ctx.Part(cx, y, cw, h, sx, sy, sw, h);
                }
            }
        } else if (sw > 0 && sh > 0) {
            for (int y = cy; y < cy + ch; y += sh) {
                const int h = std::min(sh, cy + ch - y);
                for (int x = cx; x < cx + cw; x += sw) {
                    const int w = std::min(sw, cx + cw - x);
                    ctx.Part(x, y, w, h, sx, sy, w, h);
                }
            }
        }
    }
    if (c.left > 0 && c.top > 0)
        ctx.Part(d.left, d.top, c.left, c.top, s.left, s.top, c.left, c.top);
    if (c.top > 0)
        ctx.Part(d.left + c.left, d.top, dW - c.left - c.right, c.top, s.left + c.left, s.top, sW - c.left - c.right,
                 c.top);
    if (c.right > 0 && c.top > 0)
        ctx.Part(d.right - c.right, d.top, c.right, c.top, s.right - c.right, s.top, c.right, c.top);
    if (c.left > 0)
        ctx.Part(d.left, d.top + c.top, c.left, dH - c.top - c.bottom, s.left, s.top + c.top, c.left,
                 sH - c.top - c.bottom);
    if (c.right > 0)
        ctx.Part(d.right - c.right, d.top + c.top, c.right, dH - c.top - c.bottom, s.right - c.right, s.top + c.top,
                 c.right, sH - c.top - c.bottom);
    if (c.left > 0 && c.bottom > 0)
        ctx.Part(d.left, d.bottom - c.bottom, c.left, c.bottom, s.left, s.bottom - c.bottom, c.left, c.bottom);
    if (c.bottom > 0)
        ctx.Part(d.left + c.left, d.bottom - c.bottom, dW - c.left - c.right, c.bottom, s.left + c.left,
                 s.bottom - c.bottom, sW - c.left - c.right, c.bottom);
    if (c.right > 0 && c.bottom > 0)
        ctx.Part(d.right - c.right, d.bottom - c.bottom, c.right, c.bottom, s.right - c.right, s.bottom - c.bottom,
                 c.right, c.bottom);
}

// ---- fills, lines and frames ---------------------------------------------------------------------

std::uint32_t CRenderKit::SubstituteBlack(std::uint32_t color)
{
    return (color == 0 || color == 0xFF000000u) ? 0xFF000001u : color;
}

void CRenderKit::FillColor(HDC dc, const CUIRect& rect, std::uint32_t color)
{
    if (!dc || color <= 0x00FFFFFFu || rect.IsEmpty())
        return;
    dc->BlendSolid(ToRect(rect), color);
}

void CRenderKit::FillGradient(HDC dc, const CUIRect& rect, std::uint32_t first, std::uint32_t second, bool vertical,
                              int)
{
    if (!dc || rect.IsEmpty())
        return;
    const std::uint32_t opacity = ((first >> 24) + (second >> 24)) >> 1;
    if (opacity == 0)
        return;
    // The gradient itself is opaque; its translucency is the average of the two alphas, applied once.
    const std::uint32_t a = SubstituteBlack(first) | 0xFF000000u;
    const std::uint32_t b = SubstituteBlack(second) | 0xFF000000u;
    const auto direction = vertical ? platform::GradientDirection::Vertical : platform::GradientDirection::Horizontal;
    if (opacity == 255) {
        dc->FillGradient(ToRect(rect), a, b, direction);
        return;
    }
    platform::Surface band = platform::Surface::Create(rect.Width(), rect.Height());
    if (!band.IsValid())
        return;
    {
        platform::DeviceContext temp(band);
        temp.FillGradient({0, 0, rect.Width(), rect.Height()}, a, b, direction);
    }
    dc->AlphaBlend(ToRect(rect), band.Pixels(), {0, 0, rect.Width(), rect.Height()}, std::uint8_t(opacity),
                   platform::SourceAlpha::Ignore);
}

void CRenderKit::DrawLine(HDC dc, const CUIRect& rect, int width, std::uint32_t color, int penStyle)
{
    if (!dc)
        return;
    dc->DrawLine(rect.left, rect.top, rect.right, rect.bottom, {penStyle, width, SubstituteBlack(color)});
}

void CRenderKit::DrawFrameRect(HDC dc, const CUIRect& rect, int width, std::uint32_t color, int penStyle)
{
    if (!dc || penStyle == PS_NULL)
        return;
    // Thin dashed and dotted frames keep their pattern; everything else is drawn inside the rectangle
    // (a wide styled pen draws solid, so the inside-frame solid pen is the same picture).
    const bool styled = width == 1 && penStyle >= PS_DASH && penStyle <= PS_DASHDOTDOT;
    dc->DrawRect(ToRect(rect), {styled ? penStyle : PS_INSIDEFRAME, width, SubstituteBlack(color)});
}

void CRenderKit::DrawFrameRoundRect(HDC dc, const CUIRect& rect, int width, int ellipseWidth, int ellipseHeight,
                                    std::uint32_t color, int penStyle)
{
    if (!dc || penStyle == PS_NULL)
        return;
    dc->DrawRoundRect(ToRect(rect), ellipseWidth, ellipseHeight, {PS_INSIDEFRAME, width, SubstituteBlack(color)});
}

// ---- text ----------------------------------------------------------------------------------------

void CRenderKit::DrawPlainText(HDC dc, IRenderResources* manager, CUIRect& rect, const char16_t* text,
                               std::uint32_t color, int fontIndex, unsigned style)
{
    if (!dc || !text || !manager)
        return;
    CUIString expanded(text);
    manager->ExpandTextTokens(expanded);
    dc->Save();
    const platform::Font font = manager->LookupFont(fontIndex);
    dc->SelectFont(font);
    dc->SetTextColor(SubstituteBlack(color) | 0xFF000000u);
    // The same as DrawText, with the layout taken from the cache when this text was laid out here
    // before with the same font.
    const platform::TextLayout& layout = CTextLayoutCache::ForThisThread().Layout(
        dc->GetFont(), expanded.CStr(), expanded.Length(), ToRect(rect), style | DT_NOPREFIX);
    if (style & DT_CALCRECT) {
        const platform::Rect r = layout.CalcRect();
        rect = {r.left, r.top, r.right, r.bottom};
    } else {
        dc->DrawTextLayout(layout);
    }
    dc->Restore();
}

// ---- markup text ---------------------------------------------------------------------------------

void CRenderKit::DrawMarkupText(HDC dc, IRenderResources* manager, CUIRect& rect, const char16_t* text,
                                std::uint32_t color, CUIRect* linkRects, CUIString* linkTexts, int& linkCount,
                                int fontIndex, unsigned style)
{
    CMarkupText::Draw(dc, manager, rect, text, color, linkRects, linkTexts, linkCount, fontIndex, style);
}

// ---- blending fallback ---------------------------------------------------------------------------

bool CRenderKit::SoftAlphaBlend(HDC dc, const CUIRect& dest, const TImageRecord* bitmap, const CUIRect& source,
                                std::uint8_t constantAlpha)
{
    return bitmap && ui::SoftAlphaBlend(dc, dest, bitmap->View(), source, constantAlpha);
}

} // namespace ui
