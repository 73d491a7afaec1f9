// Surfaces are top-down 32-bit DIB sections: premultiplied B, G, R, A bytes, rows of width x 4
// bytes, which is exactly the pixel layout of the framework's image records, so GDI can draw into
// them and wrapping someone else's pixels needs no conversion.
#include "platform/Surface.h"

#include "platform/gdi/GdiShared.h"

namespace platform {

Surface::Impl::~Impl()
{
    if (bitmap)
        ::DeleteObject(bitmap);
}

namespace gdi {

HBITMAP CreateDib(int width, int height, std::uint32_t** bits)
{
    *bits = nullptr;
    if (width <= 0 || height <= 0)
        return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // negative: the first row in memory is the top one
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* memory = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
    if (!bitmap || !memory) {
        if (bitmap)
            ::DeleteObject(bitmap);
        return nullptr;
    }
    // A fresh section is zeroed by the system; a 32-bit DIB's rows need no padding.
    *bits = static_cast<std::uint32_t*>(memory);
    return bitmap;
}

} // namespace gdi

Surface::Surface() = default;
Surface::~Surface() = default;
Surface::Surface(Surface&& other) noexcept = default;
Surface& Surface::operator=(Surface&& other) noexcept = default;

Surface Surface::Create(int width, int height)
{
    Surface s;
    std::uint32_t* bits = nullptr;
    HBITMAP bitmap = gdi::CreateDib(width, height, &bits);
    if (!bitmap)
        return s;
    s.m_impl = std::make_unique<Impl>();
    s.m_impl->bitmap = bitmap;
    s.m_impl->pixels = PixelBuffer{bits, width, height, width * 4};
    return s;
}

Surface Surface::Wrap(const PixelBuffer& pixels)
{
    Surface s;
    if (pixels.IsEmpty() || pixels.stride < pixels.width * 4 || pixels.stride % 4 != 0)
        return s;
    s.m_impl = std::make_unique<Impl>();
    s.m_impl->pixels = pixels;
    return s;
}

bool Surface::IsValid() const
{
    return m_impl && !m_impl->pixels.IsEmpty();
}

int Surface::Width() const
{
    return IsValid() ? m_impl->pixels.width : 0;
}

int Surface::Height() const
{
    return IsValid() ? m_impl->pixels.height : 0;
}

PixelBuffer Surface::Pixels() const
{
    if (!IsValid())
        return PixelBuffer{};
    // GDI may still hold drawing in its batch for this thread.
    if (m_impl->bitmap)
        ::GdiFlush();
    return m_impl->pixels;
}

void Surface::PixelsChanged() const
{
    // GDI reads a DIB section's memory as it stands: nothing to tell it.
}

} // namespace platform
