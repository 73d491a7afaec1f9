// Fonts are GDI fonts made by CreateFontIndirectW from the face and the em height in pixels; the
// metrics, widths and extents are GDI's own, measured on a memory device context of the thread.
// Copies of a Font share one HFONT, deleted with the last of them.
#include "platform/Font.h"

#include <algorithm>
#include <cwchar>
#include <mutex>

#include "platform/FontMetricsFallback.h"
#include "platform/gdi/GdiShared.h"

namespace platform {

struct Font::Impl
{
    LogFont logFont;
    HFONT font = nullptr;
    mutable std::once_flag measured; // fonts may be shared between threads
    mutable TextMetrics metrics;

    Impl() = default;
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;
    ~Impl()
    {
        if (font)
            ::DeleteObject(font);
    }
};

namespace gdi {

HFONT FontHandle(const Font& font)
{
    return font.IsNull() ? nullptr : font.GetImpl()->font;
}

HDC MeasuringDc()
{
    // A device context belongs to the thread that made it.
    struct ThreadDc
    {
        HDC dc = ::CreateCompatibleDC(nullptr);
        ~ThreadDc()
        {
            if (dc)
                ::DeleteDC(dc);
        }
    };
    thread_local ThreadDc dc;
    return dc.dc;
}

} // namespace gdi

namespace {

constexpr int kDefaultPixelSize = 12;

// The desktop's message face: what the system's own dialogs write in.
std::u16string DefaultFace()
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0) &&
        metrics.lfMessageFont.lfFaceName[0])
        return std::u16string(reinterpret_cast<const char16_t*>(metrics.lfMessageFont.lfFaceName));
    return u"Tahoma";
}

TextMetrics MeasureMetrics(HFONT font, const LogFont& logFont)
{
    TextMetrics m;
    HDC dc = gdi::MeasuringDc();
    TEXTMETRICW tm{};
    if (dc && font) {
        const gdi::Selection selected(dc, font);
        if (::GetTextMetricsW(dc, &tm)) {
            m.height = tm.tmHeight;
            m.ascent = tm.tmAscent;
            m.descent = tm.tmDescent;
            m.internalLeading = tm.tmInternalLeading;
            m.externalLeading = tm.tmExternalLeading;
            m.averageCharWidth = tm.tmAveCharWidth;
            m.maxCharWidth = tm.tmMaxCharWidth;
            m.overhang = tm.tmOverhang;
        }
    }
    SettleTextMetrics(m, logFont.pixelSize);
    return m;
}

} // namespace

LogFont Font::DefaultGuiLogFont()
{
    LogFont logFont;
    logFont.face = DefaultFace();
    logFont.pixelSize = kDefaultPixelSize;
    return logFont;
}

Font Font::DefaultGui()
{
    static const Font font = Create(DefaultGuiLogFont());
    return font;
}

Font Font::Create(const LogFont& requested)
{
    LogFont logFont = requested;
    if (logFont.face.empty())
        logFont.face = DefaultFace();
    if (logFont.pixelSize <= 0)
        logFont.pixelSize = kDefaultPixelSize;

    LOGFONTW lf{};
    lf.lfHeight = -logFont.pixelSize; // negative: the character (em) height, not the cell height
    lf.lfWeight = logFont.bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = logFont.italic;
    lf.lfUnderline = logFont.underline;
    lf.lfStrikeOut = logFont.strikeout;
    lf.lfCharSet = DEFAULT_CHARSET;
    // Outline fonts either way; which of the two tells GDI's matching which private fonts were
    // there when the font was asked for (gdi::FontListGeneration).
    lf.lfOutPrecision = gdi::FontListGeneration() % 2 == 0 ? OUT_TT_PRECIS : OUT_OUTLINE_PRECIS;
    // Grey anti-aliasing: one coverage for all three channels, which text masks rely on.
    lf.lfQuality = ANTIALIASED_QUALITY;
    // A face name longer than LOGFONT holds is cut; GDI then picks the closest font as for any
    // unknown name.
    const std::size_t n = std::min(logFont.face.size(), std::size_t(LF_FACESIZE - 1));
    std::copy_n(logFont.face.data(), n, reinterpret_cast<char16_t*>(lf.lfFaceName));

    HFONT handle = ::CreateFontIndirectW(&lf);
    if (!handle)
        return Font();
    Font font;
    font.m_impl = std::make_shared<Impl>();
    font.m_impl->logFont = std::move(logFont);
    font.m_impl->font = handle;
    return font;
}

const LogFont& Font::GetLogFont() const
{
    static const LogFont kNone;
    return m_impl ? m_impl->logFont : kNone;
}

std::u16string Font::ResolvedFamily() const
{
    if (!m_impl)
        return {};
    HDC dc = gdi::MeasuringDc();
    const gdi::Selection selected(dc, m_impl->font);
    // The family in the font's own names: GetTextFaceW repeats the requested name where a face
    // substitute stood in for it, which is not what was picked.
    const UINT size = ::GetOutlineTextMetricsW(dc, 0, nullptr);
    if (size > sizeof(OUTLINETEXTMETRICW)) {
        std::vector<std::uint64_t> buffer((size + 7) / 8);
        auto* metrics = reinterpret_cast<OUTLINETEXTMETRICW*>(buffer.data());
        const bool got = ::GetOutlineTextMetricsW(dc, size, metrics) != 0;
        const auto offset = reinterpret_cast<std::uintptr_t>(metrics->otmpFamilyName);
        if (got && offset < size) {
            const auto* name = reinterpret_cast<const char16_t*>(reinterpret_cast<const char*>(buffer.data()) + offset);
            if (*name)
                return name;
        }
    }
    WCHAR face[LF_FACESIZE] = {};
    const int length = ::GetTextFaceW(dc, LF_FACESIZE, face);
    return length > 0 ? std::u16string(reinterpret_cast<const char16_t*>(face)) : std::u16string();
}

const TextMetrics& Font::Metrics() const
{
    static const TextMetrics kNone;
    if (!m_impl)
        return kNone;
    std::call_once(m_impl->measured, [this] { m_impl->metrics = MeasureMetrics(m_impl->font, m_impl->logFont); });
    return m_impl->metrics;
}

Size Font::Measure(const char16_t* text, int length) const
{
    Size size{0, Metrics().height};
    if (!m_impl || !text || length <= 0)
        return size;
    HDC dc = gdi::MeasuringDc();
    const gdi::Selection selected(dc, m_impl->font);
    SIZE extent{};
    if (::GetTextExtentPoint32W(dc, Win32Text(text), length, &extent))
        size.width = extent.cx;
    return size;
}

std::vector<int> Font::PrefixWidths(const char16_t* text, int length) const
{
    if (length <= 0)
        return {};
    std::vector<int> widths(std::size_t(length), 0);
    if (!text || !m_impl)
        return widths;
    HDC dc = gdi::MeasuringDc();
    const gdi::Selection selected(dc, m_impl->font);
    SIZE extent{};
    int fit = 0;
    if (!::GetTextExtentExPointW(dc, Win32Text(text), length, 0, &fit, widths.data(), &extent)) {
        std::fill(widths.begin(), widths.end(), 0);
        return widths;
    }
    // GDI reports every UTF-16 unit on its own; characters drawn together (the two halves of a
    // surrogate pair, a base letter and its combining marks) all get the width at their group's
    // end, as a prefix cannot end inside a group.
    const auto joinsPrevious = [&](int i) {
        const char16_t c = text[i];
        const bool lowHalf = c >= 0xDC00 && c <= 0xDFFF && text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF;
        const bool mark = (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) ||
                          (c >= 0x1DC0 && c <= 0x1DFF) || (c >= 0x20D0 && c <= 0x20FF) || (c >= 0xFE20 && c <= 0xFE2F);
        return lowHalf || mark;
    };
    for (int i = length - 1; i > 0; --i) {
        if (joinsPrevious(i))
            widths[std::size_t(i - 1)] = widths[std::size_t(i)];
    }
    return widths;
}

CharWidths Font::GetCharWidths(char32_t ch) const
{
    CharWidths w;
    if (!m_impl)
        return w;
    HDC dc = gdi::MeasuringDc();
    const gdi::Selection selected(dc, m_impl->font);
    TEXTMETRICW tm{};
    const bool trueType = ::GetTextMetricsW(dc, &tm) && (tm.tmPitchAndFamily & TMPF_TRUETYPE);
    if (ch <= 0xFFFF) {
        // A character without ink (a space) is all advance: nothing to overhang. GDI's own widths
        // give such a glyph a one-pixel black box.
        GLYPHMETRICS glyph{};
        const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
        if (trueType && ::GetGlyphOutlineW(dc, UINT(ch), GGO_NATIVE, &glyph, 0, nullptr, &identity) == 0) {
            INT advance = 0;
            if (::GetCharWidth32W(dc, UINT(ch), UINT(ch), &advance))
                w.b = advance;
            return w;
        }
        ABC abc{};
        if (trueType && ::GetCharABCWidthsW(dc, UINT(ch), UINT(ch), &abc)) {
            w.a = abc.abcA;
            w.b = int(abc.abcB);
            w.c = abc.abcC;
            return w;
        }
        INT width = 0;
        if (::GetCharWidth32W(dc, UINT(ch), UINT(ch), &width))
            w.b = width; // no overhang known: all of the advance is ink
        return w;
    }
    // Outside the basic plane the width functions take no code point; the pair's extent is the advance.
    if (ch <= 0x10FFFF) {
        const WCHAR pair[2] = {WCHAR(0xD800 + ((ch - 0x10000) >> 10)), WCHAR(0xDC00 + ((ch - 0x10000) & 0x3FF))};
        SIZE extent{};
        if (::GetTextExtentPoint32W(dc, pair, 2, &extent))
            w.b = extent.cx;
    }
    return w;
}

} // namespace platform
