// The desktop's sans text through GDI: the message face of the desktop's settings at the size asked
// for, laid out and drawn by DrawTextW. GDI draws text with no regard for alpha, so the text is
// drawn into a coverage mask that is then composed, black, over the caller's premultiplied pixels.
#include "platform/SystemText.h"

#include <algorithm>
#include <cwchar>

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
            ::DeleteDC(m_dc);
        }
        if (m_font)
            ::DeleteObject(m_font);
    }
    TextDc(const TextDc&) = delete;
    TextDc& operator=(const TextDc&) = delete;

    bool IsValid() const { return m_dc && m_previousFont; }
    HFONT FontHandle() const { return m_font; }

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
    const TextDc dc(size);
    if (!dc.IsValid())
        return;
    const SIZE extent = dc.Measure(text, wrapWidth);
    const Rect box{int(origin.x), int(origin.y), int(origin.x + extent.cx), int(origin.y + extent.cy)};
    // Only the part of the text that lands on the pixels gets a mask.
    const Rect visible = box.Intersect({0, 0, pixels.width, pixels.height});
    const gdi::CoverageMask mask(visible);
    if (!mask.IsValid())
        return;
    const gdi::Selection font(mask.Dc(), dc.FontHandle());
    RECT drawn{box.left, box.top, box.right, box.bottom};
    ::DrawTextW(mask.Dc(), Win32Text(text.c_str()), int(text.size()), &drawn, Format(wrapWidth));
    mask.ComposeInto(pixels, Region(visible), 0xFF000000);
}

} // namespace platform
