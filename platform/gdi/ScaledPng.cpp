// Icons: PNG bytes decoded by the program's PNG codec, then scaled smoothly by GDI+ to the size
// the window system asks for. Both pictures are GDI+ bitmaps over our own premultiplied pixels, so
// nothing is converted on the way; the picture's edge pixels are mirrored outwards while sampling,
// so the border of an opaque icon stays opaque instead of fading towards transparent black.
#include "platform/PngFile.h"

#include "platform/gdi/GdiShared.h"
#include "platform/gdi/Gdiplus.h"

namespace platform {

namespace {

// A GDI+ bitmap over pixels someone else owns, disposed with the scope.
class PixelBitmap
{
public:
    explicit PixelBitmap(const PixelBuffer& pixels)
    {
        gdi::gp::GdipCreateBitmapFromScan0(pixels.width, pixels.height, pixels.stride, PixelFormat32bppPARGB,
                                           reinterpret_cast<BYTE*>(pixels.pixels), &m_bitmap);
    }
    ~PixelBitmap()
    {
        if (m_bitmap)
            gdi::gp::GdipDisposeImage(m_bitmap);
    }
    PixelBitmap(const PixelBitmap&) = delete;
    PixelBitmap& operator=(const PixelBitmap&) = delete;

    Gdiplus::GpBitmap* Get() const { return m_bitmap; }

private:
    Gdiplus::GpBitmap* m_bitmap = nullptr;
};

bool Scale(const PixelBuffer& from, const PixelBuffer& to)
{
    PixelBitmap source(from), target(to);
    if (!source.Get() || !target.Get())
        return false;
    Gdiplus::GpGraphics* graphics = nullptr;
    if (gdi::gp::GdipGetImageGraphicsContext(target.Get(), &graphics) != Gdiplus::Ok)
        return false;
    Gdiplus::GpImageAttributes* attributes = nullptr;
    gdi::gp::GdipCreateImageAttributes(&attributes);
    if (attributes)
        gdi::gp::GdipSetImageAttributesWrapMode(attributes, Gdiplus::WrapModeTileFlipXY, 0, FALSE);
    gdi::gp::GdipSetCompositingMode(graphics, Gdiplus::CompositingModeSourceCopy);
    gdi::gp::GdipSetInterpolationMode(graphics, Gdiplus::InterpolationModeHighQualityBilinear);
    // Pixel centres at half coordinates, as the picture's own pixels are.
    gdi::gp::GdipSetPixelOffsetMode(graphics, Gdiplus::PixelOffsetModeHalf);
    const bool ok =
        gdi::gp::GdipDrawImageRectRectI(graphics, source.Get(), 0, 0, to.width, to.height, 0, 0, from.width,
                                        from.height, Gdiplus::UnitPixel, attributes, nullptr, nullptr) == Gdiplus::Ok;
    gdi::gp::GdipFlush(graphics, Gdiplus::FlushIntentionSync);
    if (attributes)
        gdi::gp::GdipDisposeImageAttributes(attributes);
    gdi::gp::GdipDeleteGraphics(graphics);
    return ok;
}

} // namespace

Surface DecodePng(const std::vector<std::uint8_t>& bytes, int width, int height)
{
    if (width <= 0 || height <= 0)
        return Surface();
    const Surface picture = ReadPngBytes(bytes);
    if (!picture.IsValid())
        return Surface();
    if (picture.Width() == width && picture.Height() == height)
        return picture.Clone();
    Surface out = Surface::Create(width, height);
    if (!out.IsValid() || !gdi::GdiplusReady() || !Scale(picture.Pixels(), out.Pixels()))
        return Surface();
    return out;
}

} // namespace platform
