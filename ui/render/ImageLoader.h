// Image loading: finds an image's bytes (skin archive, skin folder, embedded resource, a colour in
// the name, or a plain path), decodes them into a premultiplied 32-bit record, and recolours records
// and colours by hue, saturation and lightness.
#pragma once

#include "platform/PixelBuffer.h"
#include "ui/core/UIString.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace ui {

class CSkinSource;

// A 32-bit top-down bitmap in memory, pixels 0xAARRGGBB premultiplied, stride width * 4. This is
// what an image record draws from; a handle to it can also be made elsewhere and registered.
struct TBitmap
{
    std::unique_ptr<std::uint32_t[]> pixels;
    int width = 0;
    int height = 0;
};
using HBITMAP = TBitmap*;

// The name of an image's variant for twice the resolution: "@2x" before the extension of the
// file's name ("logo.png" → "logo@2x.png", "dir/logo" → "dir/logo@2x").
CUIString DetailImageName(const CUIString& name);

// A new zero-filled bitmap, or null when the size is not positive or memory runs out.
HBITMAP CreateBitmap32(int width, int height);
void DeleteBitmap(HBITMAP bitmap);

// One loaded image, owned by a window manager's image table.
struct TImageRecord
{
    HBITMAP bitmap = nullptr;
    // The bitmap's own pixel memory; null for a record made around a directly registered bitmap.
    std::uint32_t* pixels = nullptr;
    // The converted pixels as loaded, kept for images that take part in the colour shift so that
    // repeated shifts never accumulate rounding.
    std::unique_ptr<std::uint8_t[]> pristinePixels;
    int width = 0;
    int height = 0;
    // Some pixel is not fully opaque (or was cleared by the mask): drawing must blend.
    bool hasAlpha = false;
    bool useHsl = false;
    // Empty for archive and file images.
    CUIString resourceType;
    // The colour-key value the image was loaded with; 0 = none.
    std::uint32_t maskColor = 0;
    // The same picture for twice the resolution, from "name@2x.png" beside "name.png": looked for
    // the first time the image is drawn at a scale of 1.5 or more, kept only when it is exactly twice
    // the size. Null when the skin has none (the picture is then enlarged smoothly).
    std::unique_ptr<TBitmap> detail;
    bool detailLooked = false;

    // The pixels as the drawing layer takes them; empty when the record has no bitmap.
    platform::PixelBuffer View() const;
    // The same for `detail`.
    platform::PixelBuffer DetailView() const;
};

// Finds the bytes of an embedded resource by type and name (or numeric id written in decimal);
// empty when there is none. Installed by whoever knows the program's resources.
using ResourceReader = std::function<std::vector<std::uint8_t>(const char16_t* type, const char16_t* name)>;

// The loading and recolouring operations. They are static: records live in the window manager's
// tables, which call these when an image is first asked for. CRenderKit offers them under its name.
class CImageLoader
{
public:
    // The literal type that makes the name a colour ("#AARRGGBB" or "AARRGGBB").
    static constexpr const char16_t* kColorType = u"*COLOR*";

    // A new record or null. type null: skin archive or skin folder, then the name as a path;
    // "*COLOR*": the name is a colour; anything else: an embedded resource of that type.
    // maskColor 0 means no colour key.
    // Skin files are read through the source; without one, through the process's skin source.
    static TImageRecord* LoadImageRecord(const CSkinSource& source, const char16_t* name, const char16_t* type,
                                         std::uint32_t maskColor);
    static TImageRecord* LoadImageRecord(const char16_t* name, const char16_t* type, std::uint32_t maskColor);
    // A record from straight (not premultiplied) B, G, R, A pixels; null for null pixels or a bad size.
    static TImageRecord* ImageRecordFromPixels(const std::uint8_t* pixels, int width, int height);
    // Deletes the bitmap and the pristine copy; with deleteRecord the record too. Null is ignored.
    static void FreeImageRecord(TImageRecord* record, bool deleteRecord);
    // Recolours the record's pixels from its pristine copy. (180, 100, 100), or enable false,
    // restores the pristine pixels.
    static void ShiftImageHsl(bool enable, TImageRecord* record, int hue, int saturation, int lightness);
    static std::uint32_t ShiftColorHsl(std::uint32_t color, int hue, int saturation, int lightness);

    // Decodes PNG, JPEG or BMP bytes to 4-channel R, G, B, A into out; false when the bytes are no
    // such image, are broken, or hold a picture beyond the image limits (ui/core/Limits.h).
    static bool DecodeImage(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out, int& width,
                            int& height);

    // Converts `count` 4-byte pixels to the premultiplied 0xAARRGGBB records draw from; swapRedBlue
    // reads R, G, B, A input, otherwise B, G, R, A. A pixel equal to a non-zero mask becomes
    // transparent. Returns whether some pixel is not fully opaque, i.e. drawing must blend.
    static bool PremultiplyPixels(const std::uint8_t* source, std::size_t count, bool swapRedBlue, std::uint32_t mask,
                                  std::uint32_t* out);

    // The embedded-resource lookup used for typed loads; none by default.
    static void SetResourceReader(ResourceReader reader);
};

} // namespace ui
