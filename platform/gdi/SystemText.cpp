// The desktop's sans text through GDI: the message face of the desktop's settings at the size asked
// for, laid out and drawn by DrawTextW. GDI draws text with no regard for alpha, so the text is
// drawn white on black into a mask of its own, whose brightness is then how much of each pixel the
// black text covers; that is composed over the caller's premultiplied pixels.
#include "platform/SystemText.h"

#include <algorithm>
#include <cwchar>

#include "platform/Color.h"
#include "platform/gdi/GdiShared.h"

namespace platform {

namespace {

UINT Format(int wrapWidth)
{
    return DT_LEFT | DT_TOP | DT_NOPREFIX | DT_EXPANDTABS | (wrapWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE);
}

// A memory device context with the desktop's message face at `size` pixels selected; both go with
// the scope.
class TextDc
{
public:
    explicit TextDc(int size)
    {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        LOGFONTW face{};
        if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
            face = metrics.lfMessageFont;
        else
            std::wcscpy(face.lfFaceName, L"Tahoma");
        face.lfHeight = -std::max(size, 1); // negative: the em height in pixels
        face.lfWidth = 0;
        face.lfWeight = FW_NORMAL;
        face.lfItalic = face.lfUnderline = face.lfStrikeOut = FALSE;
        // Grey anti-aliasing: one coverage for all three channels, no colour fringes.
        face.lfQuality = ANTIALIASED_QUALITY;
        m_dc = ::CreateCompatibleDC(nullptr);
        m_font = ::CreateFontIndirectW(&face);
        if (m_dc && m_font)
            m_previousFont = ::SelectObject(m_dc, m_font);
    }
    ~TextDc()
    {
        if (m_dc) {
            if (m_previousFont)
                ::SelectObject(m_dc, m_previousFont);
            if (m_previousBitmap)
                ::SelectObject(m_dc, m_previousBitmap);
            ::DeleteDC(m_dc);
        }
        if (m_font)
            ::DeleteObject(m_font);
    }
    TextDc(const TextDc&) = delete;
    TextDc& operator=(const TextDc&) = delete;

    bool IsValid() const { return m_dc && m_previousFont; }
    HDC Get() const { return m_dc; }
    void Select(HBITMAP bitmap)
    {
        HGDIOBJ previous = ::SelectObject(m_dc, bitmap);
        if (!m_previousBitmap)
            m_previousBitmap = previous;
    }

    SIZE Measure(const std::u16string& text, int wrapWidth) const
    {
        RECT box{0, 0, std::max(wrapWidth, 0), 0};
        ::DrawTextW(m_dc, Win32Text(text.c_str()), int(text.size()), &box, Format(wrapWidth) | DT_CALCRECT);
        return SIZE{box.right - box.left, box.bottom - box.top};
    }

private:
    HDC m_dc = nullptr;
    HFONT m_font = nullptr;
    HGDIOBJ m_previousFont = nullptr;
    HGDIOBJ m_previousBitmap = nullptr;
};

} // namespace

SIZE MeasureSystemText(const std::u16string& text, int size, int wrapWidth)
{
    const TextDc dc(size);
    return dc.IsValid() ? dc.Measure(text, wrapWidth) : SIZE{0, 0};
}

void DrawSystemText(const PixelBuffer& pixels, const std::u16string& text, int size, int wrapWidth, POINT origin)
{
    if (pixels.IsEmpty() || text.empty())
        return;
    // Declared before the device context, so that the mask leaves the context before it is deleted.
    gdi::Dib maskBitmap;
    TextDc dc(size);
    if (!dc.IsValid())
        return;
    const SIZE extent = dc.Measure(text, wrapWidth);
    // Only the part of the text that lands on the pixels gets a mask.
    const long left = std::max<long>(origin.x, 0), top = std::max<long>(origin.y, 0);
    const long right = std::min<long>(origin.x + extent.cx, pixels.width);
    const long bottom = std::min<long>(origin.y + extent.cy, pixels.height);
    if (right <= left || bottom <= top)
        return;
    const int maskWidth = int(right - left), maskHeight = int(bottom - top);
    std::uint32_t* mask = nullptr;
    maskBitmap.reset(gdi::CreateDib(maskWidth, maskHeight, &mask));
    if (!maskBitmap)
        return;
    dc.Select(maskBitmap.get());
    ::SetTextColor(dc.Get(), RGB(255, 255, 255));
    ::SetBkMode(dc.Get(), TRANSPARENT);
    RECT box{origin.x - left, origin.y - top, origin.x - left + extent.cx, origin.y - top + extent.cy};
    ::DrawTextW(dc.Get(), Win32Text(text.c_str()), int(text.size()), &box, Format(wrapWidth));
    ::GdiFlush();
    for (int y = 0; y < maskHeight; ++y) {
        const std::uint32_t* coverageRow = mask + std::size_t(y) * std::size_t(maskWidth);
        std::uint32_t* row = pixels.Row(int(top) + y) + left;
        for (int x = 0; x < maskWidth; ++x) {
            const std::uint32_t m = coverageRow[x];
            const std::uint32_t coverage = (((m >> 16) & 0xFF) + ((m >> 8) & 0xFF) + (m & 0xFF) + 1) / 3;
            if (coverage == 0)
                continue;
            // Black at `coverage` over the pixel: every channel keeps (255 - coverage) of itself,
            // and the covered part becomes opaque.
            const std::uint32_t keep = 255 - coverage, p = row[x];
            row[x] = (coverage + MultiplyChannel(keep, p >> 24)) << 24 | MultiplyChannel(keep, (p >> 16) & 0xFF) << 16 |
                     MultiplyChannel(keep, (p >> 8) & 0xFF) << 8 | MultiplyChannel(keep, p & 0xFF);
        }
    }
}

} // namespace platform
