// Image loading: locating an image's bytes, decoding them (platform/ImageCodecs.h), converting to premultiplied
// records with the colour-key rule, and the hue/saturation/lightness recolouring of records and colours.
#include "ui/render/ImageLoader.h"

#include "ui/core/ValueParse.h"
#include "platform/ImageCodecs.h"
#include "ui/skin/SkinSource.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <string>

namespace ui {

namespace {

ResourceReader& InstalledResourceReader()
{
    static ResourceReader reader;
    return reader;
}

// Images have no size limit of their own here; the decoders check the picture's dimensions.
constexpr std::size_t kAnySize = static_cast<std::size_t>(-1);

std::vector<std::uint8_t> LocateBytes(const CSkinSource& source, const char16_t* name, const char16_t* type)
{
    std::vector<std::uint8_t> bytes;
    if (type != nullptr) {
        if (const ResourceReader& reader = InstalledResourceReader())
            bytes = reader(type, name);
    } else {
        source.ReadFile(name, kAnySize, bytes);
    }
    // A name that is itself a full or working-directory-relative path still loads. A typed name
    // that begins with a digit is a resource number, not a path.
    const bool resourceNumber = type != nullptr && name[0] >= u'0' && name[0] <= u'9';
    if (bytes.empty() && !resourceNumber)
        CSkinSource::ReadPath(name, kAnySize, bytes);
    return bytes;
}

// Fills a new record from 4-byte pixels; swapRedBlue reads R, G, B, A input, otherwise B, G, R, A.
TImageRecord* MakeRecord(const std::uint8_t* source, int width, int height, bool swapRedBlue, std::uint32_t mask)
{
    HBITMAP bitmap = CreateBitmap32(width, height);
    if (bitmap == nullptr)
        return nullptr;
    auto* record = new (std::nothrow) TImageRecord;
    if (record == nullptr) {
        DeleteBitmap(bitmap);
        return nullptr;
    }
    record->bitmap = bitmap;
    record->pixels = bitmap->pixels.get();
    record->width = width;
    record->height = height;
    record->hasAlpha = CImageLoader::PremultiplyPixels(source, std::size_t(width) * std::size_t(height), swapRedBlue,
                                                       mask, record->pixels);
    return record;
}

struct Hsl
{
    double h = 0; // degrees
    double s = 0;
    double l = 0;
};

Hsl RgbToHsl(double r, double g, double b)
{
    const double maxc = std::max({r, g, b});
    const double minc = std::min({r, g, b});
    Hsl out;
    out.l = (maxc + minc) / 2;
    const double d = maxc - minc;
    if (d <= 0)
        return out;
    out.s = out.l > 0.5 ? d / (2 - maxc - minc) : d / (maxc + minc);
    if (maxc == r)
        out.h = (g - b) / d + (g < b ? 6 : 0);
    else if (maxc == g)
        out.h = (b - r) / d + 2;
    else
        out.h = (r - g) / d + 4;
    out.h *= 60;
    return out;
}

double HueToChannel(double p, double q, double t)
{
    if (t < 0)
        t += 1;
    if (t > 1)
        t -= 1;
    if (t < 1.0 / 6)
        return p + (q - p) * 6 * t;
    if (t < 0.5)
        return q;
    if (t < 2.0 / 3)
        return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
}

std::uint32_t ToByte(double v)
{
    const double scaled = v * 255;
    if (scaled <= 0)
        return 0;
    if (scaled >= 255)
        return 255;
    return std::uint32_t(scaled);
}

// The colour part (0x00RRGGBB) of a shifted colour.
std::uint32_t ShiftRgb(std::uint32_t rgb, int hue, int saturation, int lightness)
{
    const Hsl hsl = RgbToHsl(((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0);
    double h = hsl.h + (hue - 180);
    if (h <= 0)
        h += 360;
    h = std::fmod(h, 360.0);
    const double s = hsl.s * saturation / 100.0;
    const double l = hsl.l * lightness / 100.0;
    double r, g, b;
    if (s <= 0) {
        r = g = b = l;
    } else {
        const double q = l < 0.5 ? l * (1 + s) : l + s - l * s;
        const double p = 2 * l - q;
        const double t = h / 360.0;
        r = HueToChannel(p, q, t + 1.0 / 3);
        g = HueToChannel(p, q, t);
        b = HueToChannel(p, q, t - 1.0 / 3);
    }
    return (ToByte(r) << 16) | (ToByte(g) << 8) | ToByte(b);
}

bool IsIdentityShift(int hue, int saturation, int lightness)
{
    return hue == 180 && saturation == 100 && lightness == 100;
}

} // namespace

HBITMAP CreateBitmap32(int width, int height)
{
    if (width <= 0 || height <= 0 || std::size_t(width) > (std::size_t(1) << 30) / std::size_t(height))
        return nullptr;
    auto* bitmap = new (std::nothrow) TBitmap;
    if (bitmap == nullptr)
        return nullptr;
    bitmap->pixels.reset(new (std::nothrow) std::uint32_t[std::size_t(width) * std::size_t(height)]());
    if (!bitmap->pixels) {
        delete bitmap;
        return nullptr;
    }
    bitmap->width = width;
    bitmap->height = height;
    return bitmap;
}

void DeleteBitmap(HBITMAP bitmap)
{
    delete bitmap;
}

namespace {

platform::PixelBuffer ViewOf(const TBitmap* bitmap)
{
    platform::PixelBuffer view;
    if (bitmap == nullptr || !bitmap->pixels)
        return view;
    view.pixels = bitmap->pixels.get();
    view.width = bitmap->width;
    view.height = bitmap->height;
    view.stride = bitmap->width * 4;
    return view;
}

} // namespace

platform::PixelBuffer TImageRecord::View() const
{
    return ViewOf(bitmap);
}

platform::PixelBuffer TImageRecord::DetailView() const
{
    return ViewOf(detail.get());
}

CUIString DetailImageName(const CUIString& name)
{
    const std::u16string_view text(name.CStr(), std::size_t(name.Length()));
    const std::size_t slash = text.find_last_of(u"/\\");
    const std::size_t dot = text.find_last_of(u'.');
    const std::size_t at = dot == std::u16string_view::npos || (slash != std::u16string_view::npos && dot < slash) ||
                                   dot == (slash == std::u16string_view::npos ? 0 : slash + 1)
                               ? text.size()
                               : dot;
    std::u16string out(text.substr(0, at));
    out += u"@2x";
    out += text.substr(at);
    return CUIString(out.c_str());
}

bool CImageLoader::PremultiplyPixels(const std::uint8_t* source, std::size_t count, bool swapRedBlue,
                                     std::uint32_t mask, std::uint32_t* out)
{
    bool hasAlpha = false;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* in = source + i * 4;
        std::uint32_t r = swapRedBlue ? in[0] : in[2];
        std::uint32_t g = in[1];
        std::uint32_t b = swapRedBlue ? in[2] : in[0];
        const std::uint32_t a = in[3];
        if (a != 255) {
            r = r * a / 255;
            g = g * a / 255;
            b = b * a / 255;
            hasAlpha = true;
        }
        std::uint32_t pixel = (a << 24) | (r << 16) | (g << 8) | b;
        if (mask != 0 && pixel == mask) {
            pixel = 0;
            hasAlpha = true;
        }
        out[i] = pixel;
    }
    return hasAlpha;
}

void CImageLoader::SetResourceReader(ResourceReader reader)
{
    InstalledResourceReader() = std::move(reader);
}

bool CImageLoader::DecodeImage(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out, int& width,
                               int& height)
{
    if (data == nullptr || size == 0)
        return false;
    switch (platform::codecs::Sniff(data, size)) {
    case platform::codecs::ImageFormat::Png:
        return platform::codecs::DecodePng(data, size, out, width, height);
    case platform::codecs::ImageFormat::Jpeg:
        return platform::codecs::DecodeJpeg(data, size, out, width, height);
    case platform::codecs::ImageFormat::Bmp:
        return platform::codecs::DecodeBmp(data, size, out, width, height);
    case platform::codecs::ImageFormat::Unknown:
        break;
    }
    return false;
}

TImageRecord* CImageLoader::LoadImageRecord(const char16_t* name, const char16_t* type, std::uint32_t maskColor)
{
    return LoadImageRecord(CSkinSource::Process(), name, type, maskColor);
}

TImageRecord* CImageLoader::LoadImageRecord(const CSkinSource& source, const char16_t* name, const char16_t* type,
                                            std::uint32_t maskColor)
{
    if (name == nullptr)
        return nullptr;
    const bool isColor = type != nullptr && std::u16string_view(type) == kColorType;
    if (isColor) {
        const std::uint32_t argb = markup::ParseHexColor(name, {});
        const std::uint8_t rgba[4] = {std::uint8_t(argb >> 16), std::uint8_t(argb >> 8), std::uint8_t(argb),
                                      std::uint8_t(argb >> 24)};
        return MakeRecord(rgba, 1, 1, true, maskColor);
    }
    const std::vector<std::uint8_t> bytes = LocateBytes(source, name, type);
    if (bytes.empty())
        return nullptr;
    std::vector<std::uint8_t> rgba;
    int width = 0, height = 0;
    if (!DecodeImage(bytes.data(), bytes.size(), rgba, width, height))
        return nullptr;
    return MakeRecord(rgba.data(), width, height, true, maskColor);
}

TImageRecord* CImageLoader::ImageRecordFromPixels(const std::uint8_t* pixels, int width, int height)
{
    if (pixels == nullptr)
        return nullptr;
    return MakeRecord(pixels, width, height, false, 0);
}

void CImageLoader::FreeImageRecord(TImageRecord* record, bool deleteRecord)
{
    if (record == nullptr)
        return;
    DeleteBitmap(record->bitmap);
    record->bitmap = nullptr;
    record->pixels = nullptr;
    record->pristinePixels.reset();
    if (deleteRecord)
        delete record;
}

void CImageLoader::ShiftImageHsl(bool enable, TImageRecord* record, int hue, int saturation, int lightness)
{
    if (record == nullptr || !record->useHsl || record->bitmap == nullptr || record->pixels == nullptr ||
        !record->pristinePixels)
        return;
    const std::size_t count = std::size_t(record->width) * std::size_t(record->height);
    if (!enable || IsIdentityShift(hue, saturation, lightness)) {
        std::memcpy(record->pixels, record->pristinePixels.get(), count * 4);
        return;
    }
    const auto* pristine = reinterpret_cast<const std::uint32_t*>(record->pristinePixels.get());
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t a = pristine[i] >> 24;
        std::uint32_t rgb = ShiftRgb(pristine[i] & 0xFFFFFF, hue, saturation, lightness);
        if (a != 255) {
            // A premultiplied colour byte never exceeds its alpha; brightening a translucent pixel
            // must not push it past that, or blending would add light that is not there.
            const std::uint32_t r = std::min((rgb >> 16) & 0xFF, a), g = std::min((rgb >> 8) & 0xFF, a),
                                b = std::min(rgb & 0xFF, a);
            rgb = (r << 16) | (g << 8) | b;
        }
        record->pixels[i] = (a << 24) | rgb;
    }
}

std::uint32_t CImageLoader::ShiftColorHsl(std::uint32_t color, int hue, int saturation, int lightness)
{
    if (IsIdentityShift(hue, saturation, lightness))
        return color;
    return (color & 0xFF000000) | ShiftRgb(color & 0xFFFFFF, hue, saturation, lightness);
}

} // namespace ui
