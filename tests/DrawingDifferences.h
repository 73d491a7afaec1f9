// Where pictures drawn on this system may differ from the committed references, which are drawn on
// Linux (Cairo and Pango). Drawing tests ask here and loosen exactly those checks, each in its own
// documented way, instead of keeping a second set of references:
//  - Windows: wide lines and dashed curves are drawn by GDI's pens, whose rasterisation of curves
//    and line ends is GDI's own (a few pixels along such shapes differ from Cairo's); text is
//    GDI's, with its own hinting and glyph placement (Wine's through FreeType), so glyph edges and
//    positions differ from Pango's by a pixel here and there.
//  - Wine: its GDI+ ignores anti-aliasing (no partly covered pixels in vector drawing), its
//    image interpolation samples half a pixel off the centres Windows and Cairo use, and its
//    RemoveFontMemResourceEx leaves the font in place.
#pragma once

#ifdef _WIN32
#include "platform/Win32Defs.h"
#endif

namespace tvutest {

// Whether the test runs under Wine rather than on Windows itself (Wine's ntdll names its version).
inline bool UnderWine()
{
#ifdef _WIN32
    static const bool wine = ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
#else
    return false;
#endif
}

// Whether GDI's own pens draw wide lines and dashed curves (which Linux draws through Cairo).
constexpr bool PensDrawnByGdi()
{
#ifdef _WIN32
    return true;
#else
    return false;
#endif
}

// Whether anti-aliased vector drawing leaves partly covered pixels at shapes' edges.
inline bool VectorDrawingAntialiased()
{
    return !UnderWine();
}

// Whether smooth image scaling samples at the pixel centres the references were drawn with.
inline bool ImageSamplingAsReferences()
{
    return !UnderWine();
}

// Whether a font added from memory is gone once removed.
inline bool MemoryFontsRemovable()
{
    return !UnderWine();
}

// What a picture of controls may hold beyond the references' per-channel tolerance: the share of
// its pixels that may differ, as 1 in `PictureDifferenceShare(...)` pixels. On Linux 1 in 500 (glyph
// edges); over GDI text 1 in 40, since text is GDI's (button labels: 1.6 % measured under Wine);
// where vector drawing is aliased (Wine) 1 in 25 (spinner spokes: 3.3 % measured).
enum class PictureContent
{
    Text,
    VectorShapes
};
inline int PictureDifferenceShare(PictureContent content)
{
#ifdef _WIN32
    if (content == PictureContent::VectorShapes && !VectorDrawingAntialiased())
        return 25;
    return 40;
#else
    (void)content;
    return 500;
#endif
}

} // namespace tvutest
