// What the GDI backend's files share: the record behind a Surface, the device-independent bitmaps
// surfaces and text masks are made of, fonts' handles and the measuring context, and the
// process's GDI+ session.
#pragma once

#include <memory>
#include <type_traits>

#include "platform/Font.h"
#include "platform/Region.h"
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

// The font's GDI handle; null for a null font.
HFONT FontHandle(const Font& font);

// How many times private fonts were added or removed; fonts made after a change ask GDI in a way
// that cannot reuse a face matched before it (see PrivateFonts.cpp).
unsigned FontListGeneration();

// A memory device context of this thread for measuring text (no bitmap of ours selected).
HDC MeasuringDc();

// Selects a GDI object into a device context for the scope.
class Selection
{
public:
    Selection(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(object ? ::SelectObject(dc, object) : nullptr) {}
    ~Selection()
    {
        if (m_previous)
            ::SelectObject(m_dc, m_previous);
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// A white-on-black picture that GDI draws into (in target coordinates: the device context's origin
// is moved to the box's corner) and whose brightness is then how much of each pixel the drawing
// covers. GDI writes no alpha, so this is how its pens and text come onto premultiplied pixels:
// only where it drew, with the alpha right, and only inside the clip.
class CoverageMask
{
public:
    // A mask over `box`; invalid when the box is empty or GDI has no memory for it. At a scale
    // other than 1 the box is logical: the mask covers its device pixels, and GDI draws in logical
    // coordinates through a world transform, so text and pens come out at the device resolution
    // (composed with a clip in device pixels).
    explicit CoverageMask(const Rect& box, double scale = 1.0);
    ~CoverageMask();
    CoverageMask(const CoverageMask&) = delete;
    CoverageMask& operator=(const CoverageMask&) = delete;

    bool IsValid() const { return m_dc && m_bits; }
    HDC Dc() const { return m_dc; }
    // Composes the opaque colour (its alpha byte ignored) over `target` by the coverage, within
    // `clip`.
    void ComposeInto(const PixelBuffer& target, const Region& clip, std::uint32_t color) const;

private:
    Rect m_box;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
    std::uint32_t* m_bits = nullptr;
};

// GDI+ started for the process (once, on first use; it stays up until the process ends). False
// when it cannot start.
bool GdiplusReady();

} // namespace gdi
} // namespace platform
