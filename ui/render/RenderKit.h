// CRenderKit: the static drawing operations controls paint with (colour fills, gradients, lines,
// frames, plain text, image descriptors), and TImageDescriptor, the parsed form of an image attribute.
//
// Supported:
//  [x] FillColor, FillGradient, DrawLine, DrawFrameRect, DrawFrameRoundRect, DrawPlainText
//  [x] image descriptors: parsing, loading through the manager, nine-slice blitting with fade, hole
//      and tiling (BlitImage); on a scaled device context an image's @2x picture where the skin
//      has one (LoadDetail), otherwise the image enlarged smoothly
//  [x] DrawMarkupText (CMarkupText): every tag, escapes, links, inline images, the measuring pass
//  [x] SoftAlphaBlend, the in-memory blending fallback
#pragma once

#include "ui/core/UIRect.h"
#include "ui/core/UIString.h"
#include "ui/render/ApngDecoder.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace platform {
class DeviceContext;
}

namespace ui {

class IRenderResources;
struct TImageRecord;

// The device context controls and the render kit paint into.
using HDC = platform::DeviceContext*;

// One image attribute of a control: the descriptor text and what parsing and loading made of it.
struct TImageDescriptor
{
    CUIString text;
    CUIString imageName;
    bool parsed = false;
    TImageRecord* image = nullptr; // owned by the manager's image table
    CUIRect destOffset;
    CUIRect source;
    CUIRect corners;
    std::uint8_t fade = 255;
    bool hole = false;
    bool xTiled = false;
    bool yTiled = false;

    // Back to "no image, not parsed".
    void Reset();
};

// What a descriptor text says, before the image is looked up.
struct TImageDescriptorText
{
    CUIString imageName;
    CUIString resourceType; // "restype" with "res", "*COLOR*" with "color", else empty
    bool hasType = false;
    std::uint32_t mask = 0;
    bool hsl = false;
    CUIRect destOffset;
    CUIRect source;
    CUIRect corners;
    std::uint8_t fade = 255;
    bool hole = false;
    bool xTiled = false;
    bool yTiled = false;
    // For tools that check descriptors: where the key='value' scan stopped (the text's length when
    // it read every pair) and where the first key it does not know begins (-1: none).
    int scanEnd = 0;
    int unknownKeyAt = -1;
};

// One frame record of a decoded animation, as the directory in its block gives it.
struct TAnimatedPngFrame
{
    std::uint32_t offset = 0; // of the frame's pixels in the block
    std::uint32_t width = 0;  // the canvas size: every frame is a full picture
    std::uint32_t height = 0;
    std::uint32_t delayMs = 0;
};

// A decoded animated PNG for the animated-image controls. The block holds every frame's pixels
// (B, G, R, A bytes, premultiplied, stride width * 4) followed by the directory; it is freed with
// this value.
struct TAnimatedPng
{
    std::unique_ptr<std::uint8_t[]> block;
    std::size_t size = 0;
    std::vector<TAnimatedPngFrame> frames;
    std::uint32_t frameCount = 0;
    std::uint32_t loopCount = 0; // 0 = forever
    std::uint32_t flags = 0;     // apng::kFlagDefaultImageIsFrame

    const std::uint8_t* Pixels(std::size_t frame) const { return block.get() + frames[frame].offset; }
};

class CRenderKit
{
public:
    // ---- image records (loading and recolouring live in CImageLoader; these are its names here) ----
    static TImageRecord* LoadImageRecord(const char16_t* name, const char16_t* type, std::uint32_t maskColor);
    static TImageRecord* ImageRecordFromPixels(const std::uint8_t* pixels, int width, int height);
    static void FreeImageRecord(TImageRecord* record, bool deleteRecord);
    static void ShiftImageHsl(bool enable, TImageRecord* record, int hue, int saturation, int lightness);
    static std::uint32_t ShiftColorHsl(std::uint32_t color, int hue, int saturation, int lightness);

    // ---- animated images ----
    // Every frame of an animated PNG in memory (a plain PNG gives one); nothing when the bytes do
    // not decode or the animation is malformed.
    static std::optional<TAnimatedPng> LoadAnimatedPng(const std::uint8_t* data, std::size_t size);
    // The loader's half of that: reads the directory of a decoder block. A directory that does not
    // begin with its magic (or does not fit its block) is reported on stderr and gives nothing.
    static std::optional<TAnimatedPng> ReadAnimatedPng(TApngBlock decoded);

    // ---- image descriptors and bitmaps ----
    // Parses key='value' pairs (or a plain image name) into `out`.
    static void ParseImageDescriptor(const char16_t* text, TImageDescriptorText& out);
    // Resolves the descriptor's image through the manager and draws it into `rect`, clipped by
    // `paintRect`. A null device context only resolves.
    static bool DrawImageDescriptor(HDC dc, IRenderResources* manager, const CUIRect& rect, const CUIRect& paintRect,
                                    TImageDescriptor& descriptor);
    // Draws `source` of the image record into `dest`, nine-sliced by `corners` (left, top, right,
    // bottom sizes).
    // Looks once for the image's picture for twice the resolution (DetailImageName beside `name`).
    static void LoadDetail(TImageRecord& image, const CUIString& name);
    static void BlitImage(HDC dc, const TImageRecord* bitmap, const CUIRect& dest, const CUIRect& paintRect,
                          const CUIRect& source, const CUIRect& corners, bool hasAlpha, std::uint8_t fade, bool hole,
                          bool xTiled, bool yTiled);

    // ---- fills, lines and frames ----
    // Blends the colour over the rectangle; a colour with alpha 0 draws nothing.
    static void FillColor(HDC dc, const CUIRect& rect, std::uint32_t color);
    static void FillGradient(HDC dc, const CUIRect& rect, std::uint32_t first, std::uint32_t second, bool vertical,
                             int steps);
    // From (left, top) to (right, bottom).
    static void DrawLine(HDC dc, const CUIRect& rect, int width, std::uint32_t color, int penStyle);
    static void DrawFrameRect(HDC dc, const CUIRect& rect, int width, std::uint32_t color, int penStyle);
    static void DrawFrameRoundRect(HDC dc, const CUIRect& rect, int width, int ellipseWidth, int ellipseHeight,
                                   std::uint32_t color, int penStyle);

    // ---- text ----
    static void DrawPlainText(HDC dc, IRenderResources* manager, CUIRect& rect, const char16_t* text,
                              std::uint32_t color, int fontIndex, unsigned style);
    static void DrawMarkupText(HDC dc, IRenderResources* manager, CUIRect& rect, const char16_t* text,
                               std::uint32_t color, CUIRect* linkRects, CUIString* linkTexts, int& linkCount,
                               int fontIndex, unsigned style);

    // ---- blending fallback ----
    // Lays `source` of the image, stretched to `dest`, over the device context pixel by pixel with
    // a constant alpha; for drawing layers without a blend of their own. False when the device
    // context is null or a temporary bitmap cannot be made.
    static bool SoftAlphaBlend(HDC dc, const CUIRect& dest, const TImageRecord* bitmap, const CUIRect& source,
                               std::uint8_t constantAlpha);

    // Black (0 or opaque 0xFF000000) as the almost-black every pen and text colour uses instead.
    static std::uint32_t SubstituteBlack(std::uint32_t color);
};

} // namespace ui
