// What the GDI backend's files share: the record behind a Surface, the device-independent bitmaps
// surfaces and text masks are made of, and the process's GDI+ session.
#pragma once

#include <memory>
#include <type_traits>

#include "platform/Surface.h"
#include "platform/Win32Defs.h"

namespace platform {

struct Surface::Impl
{
    // The DIB section that owns the pixels; null for a surface wrapping pixels someone else owns.
    HBITMAP bitmap = nullptr;
    PixelBuffer pixels;

    Impl() = default;
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;
    ~Impl();
};

namespace gdi {

struct DeleteGdiObject
{
    void operator()(HBITMAP bitmap) const { ::DeleteObject(bitmap); }
};
// A bitmap deleted with the scope (after any device context it was selected into).
using Dib = std::unique_ptr<std::remove_pointer_t<HBITMAP>, DeleteGdiObject>;

// A top-down 32-bit DIB section of width x height, every pixel 0; its first pixel goes to *bits.
// Null when a side is not positive or GDI has no memory for it.
HBITMAP CreateDib(int width, int height, std::uint32_t** bits);

// GDI+ started for the process (once, on first use; it stays up until the process ends). False
// when it cannot start.
bool GdiplusReady();

} // namespace gdi
} // namespace platform
