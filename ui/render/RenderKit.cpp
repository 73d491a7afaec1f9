// CRenderKit: image descriptors (parsing, loading through the window manager, nine-slice blitting),
// colour fills, gradients, lines, frames and plain text over the drawing layer's device context.
#include "ui/render/RenderKit.h"

#include "ui/manager/WindowManager.h"
#include "ui/render/ImageLoader.h"

#include "platform/Color.h"
#include "platform/DeviceContext.h"
#include "platform/Surface.h"

#include <algorithm>

namespace ui {

namespace {

platform::Rect ToRect(const CUIRect& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

bool Overlaps(CUIRect a, const CUIRect& b)
{
    return a.Intersect(b);
}

bool IsBlank(char16_t c)
{
    return c != 0 && c <= u' ';
}

bool Equals(const CUIString& a, const char16_t* b)
{
    return a.Compare(b) == 0;
}

// Four decimal numbers, one separator character of any kind skipped before each following number.
CUIRect ParseFour(const CUIString& value)
{
    int v[4] = {0, 0, 0, 0};
    const char16_t* p = value.CStr();
    for (int i = 0; i < 4 && *p; ++i) {
        if (i > 0)
            ++p;
        bool negative = false;
        while (IsBlank(*p))
            ++p;
        if (*p == u'-' || *p == u'+')
            negative = *p++ == u'-';
        long long n = 0;
        for (; *p >= u'0' && *p <= u'9'; ++p)
            n = std::min(n * 10 + (*p - u'0'), 0x7FFFFFFFll);
        v[i] = int(negative ? -n : n);
    }
    return {v[0], v[1], v[2], v[3]};
}

std::uint32_t ParseHexColor(const CUIString& value)
{
    const char16_t* p = value.CStr();
    if (*p == u'#')
        ++p;
    std::uint32_t n = 0;
    for (;; ++p) {
        int digit;
        if (*p >= u'0' && *p <= u'9')
            digit = *p - u'0';
        else if (*p >= u'a' && *p <= u'f')
            digit = *p - u'a' + 10;
        else if (*p >= u'A' && *p <= u'F')
            digit = *p - u'A' + 10;
        else
            break;
        n = n * 16 + std::uint32_t(digit);
    }
    return n;
}

// One part of a blit: stretched (or copied 1:1 when the sizes agree) from source to destination.
struct BlitContext
{
    platform::DeviceContext* dc;
    platform::PixelBuffer pixels;
    CUIRect paintRect;
    bool blend;
    std::uint8_t fade;

    void Part(int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh) const
    {
        if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0)
            return;
        const CUIRect dest(dx, dy, dx + dw, dy + dh);
        if (!Overlaps(dest, paintRect))
            return;
        const platform::Rect source{sx, sy, sx + sw, sy + sh};
        if (blend)
            dc->AlphaBlend(ToRect(dest), pixels, source, fade, platform::SourceAlpha::PerPixel);
        else if (dw == sw && dh == sh)
            dc->BitBlt(dx, dy, dw, dh, pixels, sx, sy);
        else
            dc->StretchBlt(ToRect(dest), pixels, source);
    }
};

} // namespace

void TImageDescriptor::Reset()
{
    text.Clear();
    imageName.Clear();
    parsed = false;
    image = nullptr;
    destOffset.Clear();
    source.Clear();
    corners.Clear();
    fade = 255;
    hole = false;
    xTiled = false;
    yTiled = false;
}

// ---- image records -------------------------------------------------------------------------------

TImageRecord* CRenderKit::LoadImageRecord(const char16_t* name, const char16_t* type, std::uint32_t maskColor)
{
    return CImageLoader::LoadImageRecord(name, type, maskColor);
}

TImageRecord* CRenderKit::ImageRecordFromPixels(const std::uint8_t* pixels, int width, int height)
{
    return CImageLoader::ImageRecordFromPixels(pixels, width, height);
}

void CRenderKit::FreeImageRecord(TImageRecord* record, bool deleteRecord)
{
    CImageLoader::FreeImageRecord(record, deleteRecord);
}

void CRenderKit::ShiftImageHsl(bool enable, TImageRecord* record, int hue, int saturation, int lightness)
{
    CImageLoader::ShiftImageHsl(enable, record, hue, saturation, lightness);
}

std::uint32_t CRenderKit::ShiftColorHsl(std::uint32_t color, int hue, int saturation, int lightness)
{
    return CImageLoader::ShiftColorHsl(color, hue, saturation, lightness);
}

// ---- descriptors ---------------------------------------------------------------------------------

void CRenderKit::ParseImageDescriptor(const char16_t* text, TImageDescriptorText& out)
{
    out = TImageDescriptorText();
    if (!text)
        return;
    out.imageName = text;
    bool sawResource = false;
    const char16_t* p = text;
    while (*p) {
        while (IsBlank(*p))
            ++p;
        CUIString key;
        while (*p && *p != u'=' && !IsBlank(*p))
            key.Append(*p++);
        while (IsBlank(*p))
            ++p;
        if (*p != u'=')
            break;
        ++p;
        while (IsBlank(*p))
            ++p;
        if (*p != u'\'')
            break;
        ++p;
        CUIString value;
        while (*p && *p != u'\'')
            value.Append(*p++);
        if (*p != u'\'')
            break;
        ++p;
        if (!value.IsEmpty()) {
            if (Equals(key, u"file")) {
                out.imageName = value;
            } else if (Equals(key, u"res")) {
                out.imageName = value;
                sawResource = true;
            } else if (Equals(key, u"restype")) {
                out.resourceType = value;
            } else if (Equals(key, u"color")) {
                out.imageName = value;
                out.resourceType = u"*COLOR*";
                out.hasType = true;
            } else if (Equals(key, u"dest")) {
                out.destOffset = ParseFour(value);
            } else if (Equals(key, u"source")) {
                out.source = ParseFour(value);
            } else if (Equals(key, u"corner") || Equals(key, u"scale9")) {
                out.corners = ParseFour(value);
            } else if (Equals(key, u"mask")) {
                out.mask = ParseHexColor(value);
            } else if (Equals(key, u"fade")) {
                out.fade = std::uint8_t(ParseFour(value).left);
            } else if (Equals(key, u"hole")) {
                out.hole = Equals(value, u"true");
            } else if (Equals(key, u"xtiled")) {
                out.xTiled = Equals(value, u"true");
            } else if (Equals(key, u"ytiled")) {
                out.yTiled = Equals(value, u"true");
            } else if (Equals(key, u"hsl")) {
                out.hsl = Equals(value, u"true");
            }
        }
        if (*p != u' ')
            break;
        ++p;
    }
    if (sawResource && !out.hasType)
        out.hasType = true;
    else if (!out.hasType)
        out.resourceType.Clear();
}

bool CRenderKit::DrawImageDescriptor(HDC dc, CWindowManagerUI* manager, const CUIRect& rect, const CUIRect& paintRect,
                                     TImageDescriptor& descriptor)
{
    if (!manager)
        return true;
    if (!descriptor.image) {
        // A failed load is not retried until the descriptor is reset.
        if (descriptor.parsed)
            return false;
        descriptor.parsed = true;
        if (descriptor.text.IsEmpty())
            return false;
        TImageDescriptorText parsed;
        ParseImageDescriptor(descriptor.text.CStr(), parsed);
        descriptor.imageName = parsed.imageName;
        descriptor.destOffset = parsed.destOffset;
        descriptor.source = parsed.source;
        descriptor.corners = parsed.corners;
        descriptor.fade = parsed.fade;
        descriptor.hole = parsed.hole;
        descriptor.xTiled = parsed.xTiled;
        descriptor.yTiled = parsed.yTiled;
        TImageRecord* image = manager->LookupOrLoadImage(
            parsed.imageName.CStr(), parsed.hasType ? parsed.resourceType.CStr() : nullptr, parsed.mask, parsed.hsl);
        if (!image)
            return false;
        descriptor.image = image;
        if (descriptor.source.IsNull())
            descriptor.source = {0, 0, image->width, image->height};
    }
    TImageRecord* image = descriptor.image;
    if (image->width < descriptor.source.right)
        descriptor.source.right = image->width;
    if (image->height < descriptor.source.bottom)
        descriptor.source.bottom = image->height;
    if (!dc)
        return true;

    CUIRect dest = rect;
    const CUIRect& off = descriptor.destOffset;
    if (!off.IsNull()) {
        dest.left = rect.left + off.left;
        dest.top = rect.top + off.top;
        dest.right = std::min(rect.left + off.right, rect.right);
        dest.bottom = std::min(rect.top + off.bottom, rect.bottom);
    }
    if (Overlaps(dest, rect) && Overlaps(dest, paintRect)) {
        BlitImage(dc, image, dest, paintRect, descriptor.source, descriptor.corners, image->hasAlpha, descriptor.fade,
                  descriptor.hole, descriptor.xTiled, descriptor.yTiled);
    }
    return true;
}

void CRenderKit::BlitImage(HDC dc, const TImageRecord* bitmap, const CUIRect& d, const CUIRect& paintRect,
                           const CUIRect& s, const CUIRect& c, bool hasAlpha, std::uint8_t fade, bool hole, bool xTiled,
                           bool yTiled)
{
    if (!dc || !bitmap)
        return;
    const platform::PixelBuffer pixels = bitmap->View();
    if (pixels.IsEmpty())
        return;
    const BlitContext ctx{dc, pixels, paintRect, hasAlpha || fade != 255, fade};
    const int dW = d.Width(), dH = d.Height(), sW = s.Width(), sH = s.Height();

    if (!ctx.blend && dW == sW && dH == sH && c.IsNull()) {
        // The same size and no slicing: only the dirty part is copied.
        CUIRect part = d;
        if (part.Intersect(paintRect))
            dc->BitBlt(part.left, part.top, part.Width(), part.Height(), pixels, s.left + part.left - d.left,
                       s.top + part.top - d.top);
        return;
    }

    if (!hole) {
        const int cx = d.left + c.left, cy = d.top + c.top;
        const int cw = dW - c.left - c.right, ch = dH - c.top - c.bottom;
        const int sx = s.left + c.left, sy = s.top + c.top;
        const int sw = sW - c.left - c.right, sh = sH - c.top - c.bottom;
        if (!xTiled && !yTiled) {
            ctx.Part(cx, cy, cw, ch, sx, sy, sw, sh);
        } else if (xTiled && !yTiled) {
            if (sw > 0) {
                for (int x = cx; x < cx + cw; x += sw) {
                    const int w = std::min(sw, cx + cw - x);
                    ctx.Part(x, cy, w, ch, sx, sy, w, sh);
                }
            }
        } else if (yTiled && !xTiled) {
            if (sh > 0) {
                for (int y = cy; y < cy + ch; y += sh) {
                    const int h = std::min(sh, cy + ch - y);
                    ctx.Part(cx, y, cw, h, sx, sy, sw, h);
                }
            }
        } else if (sw > 0 && sh > 0) {
            for (int y = cy; y < cy + ch; y += sh) {
                const int h = std::min(sh, cy + ch - y);
                for (int x = cx; x < cx + cw; x += sw) {
                    const int w = std::min(sw, cx + cw - x);
                    ctx.Part(x, y, w, h, sx, sy, w, h);
                }
            }
        }
    }
    if (c.left > 0 && c.top > 0)
        ctx.Part(d.left, d.top, c.left, c.top, s.left, s.top, c.left, c.top);
    if (c.top > 0)
        ctx.Part(d.left + c.left, d.top, dW - c.left - c.right, c.top, s.left + c.left, s.top, sW - c.left - c.right,
                 c.top);
    if (c.right > 0 && c.top > 0)
        ctx.Part(d.right - c.right, d.top, c.right, c.top, s.right - c.right, s.top, c.right, c.top);
    if (c.left > 0)
        ctx.Part(d.left, d.top + c.top, c.left, dH - c.top - c.bottom, s.left, s.top + c.top, c.left,
                 sH - c.top - c.bottom);
    if (c.right > 0)
        ctx.Part(d.right - c.right, d.top + c.top, c.right, dH - c.top - c.bottom, s.right - c.right, s.top + c.top,
                 c.right, sH - c.top - c.bottom);
    if (c.left > 0 && c.bottom > 0)
        ctx.Part(d.left, d.bottom - c.bottom, c.left, c.bottom, s.left, s.bottom - c.bottom, c.left, c.bottom);
    if (c.bottom > 0)
        ctx.Part(d.left + c.left, d.bottom - c.bottom, dW - c.left - c.right, c.bottom, s.left + c.left,
                 s.bottom - c.bottom, sW - c.left - c.right, c.bottom);
    if (c.right > 0 && c.bottom > 0)
        ctx.Part(d.right - c.right, d.bottom - c.bottom, c.right, c.bottom, s.right - c.right, s.bottom - c.bottom,
                 c.right, c.bottom);
}

// ---- fills, lines and frames ---------------------------------------------------------------------

std::uint32_t CRenderKit::SubstituteBlack(std::uint32_t color)
{
    return (color == 0 || color == 0xFF000000u) ? 0xFF000001u : color;
}

void CRenderKit::FillColor(HDC dc, const CUIRect& rect, std::uint32_t color)
{
    if (!dc || color <= 0x00FFFFFFu || rect.IsEmpty())
        return;
    dc->BlendSolid(ToRect(rect), color);
}

void CRenderKit::FillGradient(HDC dc, const CUIRect& rect, std::uint32_t first, std::uint32_t second, bool vertical,
                              int)
{
    if (!dc || rect.IsEmpty())
        return;
    const std::uint32_t opacity = ((first >> 24) + (second >> 24)) >> 1;
    if (opacity == 0)
        return;
    // The gradient itself is opaque; its translucency is the average of the two alphas, applied once.
    const std::uint32_t a = SubstituteBlack(first) | 0xFF000000u;
    const std::uint32_t b = SubstituteBlack(second) | 0xFF000000u;
    const auto direction = vertical ? platform::GradientDirection::Vertical : platform::GradientDirection::Horizontal;
    if (opacity == 255) {
        dc->FillGradient(ToRect(rect), a, b, direction);
        return;
    }
    platform::Surface band = platform::Surface::Create(rect.Width(), rect.Height());
    if (!band.IsValid())
        return;
    {
        platform::DeviceContext temp(band);
        temp.FillGradient({0, 0, rect.Width(), rect.Height()}, a, b, direction);
    }
    dc->AlphaBlend(ToRect(rect), band.Pixels(), {0, 0, rect.Width(), rect.Height()}, std::uint8_t(opacity),
                   platform::SourceAlpha::Ignore);
}

void CRenderKit::DrawLine(HDC dc, const CUIRect& rect, int width, std::uint32_t color, int penStyle)
{
    if (!dc)
        return;
    dc->DrawLine(rect.left, rect.top, rect.right, rect.bottom, {penStyle, width, SubstituteBlack(color)});
}

void CRenderKit::DrawFrameRect(HDC dc, const CUIRect& rect, int width, std::uint32_t color, int penStyle)
{
    if (!dc || penStyle == PS_NULL)
        return;
    // Thin dashed and dotted frames keep their pattern; everything else is drawn inside the rectangle
    // (a wide styled pen draws solid, so the inside-frame solid pen is the same picture).
    const bool styled = width == 1 && penStyle >= PS_DASH && penStyle <= PS_DASHDOTDOT;
    dc->DrawRect(ToRect(rect), {styled ? penStyle : PS_INSIDEFRAME, width, SubstituteBlack(color)});
}

void CRenderKit::DrawFrameRoundRect(HDC dc, const CUIRect& rect, int width, int ellipseWidth, int ellipseHeight,
                                    std::uint32_t color, int penStyle)
{
    if (!dc || penStyle == PS_NULL)
        return;
    dc->DrawRoundRect(ToRect(rect), ellipseWidth, ellipseHeight, {PS_INSIDEFRAME, width, SubstituteBlack(color)});
}

// ---- text ----------------------------------------------------------------------------------------

void CRenderKit::DrawPlainText(HDC dc, CWindowManagerUI* manager, CUIRect& rect, const char16_t* text,
                               std::uint32_t color, int fontIndex, unsigned style)
{
    if (!dc || !text || !manager)
        return;
    CUIString expanded(text);
    CWindowManagerUI::ExpandLanguageTokens(expanded);
    dc->Save();
    dc->SelectFont(manager->LookupFont(fontIndex));
    dc->SetTextColor(SubstituteBlack(color) | 0xFF000000u);
    platform::Rect r = ToRect(rect);
    dc->DrawText(expanded.CStr(), expanded.Length(), r, style | DT_NOPREFIX);
    dc->Restore();
    if (style & DT_CALCRECT)
        rect = {r.left, r.top, r.right, r.bottom};
}

// ---- markup text ---------------------------------------------------------------------------------
//
// A subset: the style tags b, i, u, the colour tag c, fonts by number or face (f), links (a), line
// breaks (n, p and line feeds), raw text (r), pen moves (x) and line heights (y), and the bracket
// escapes. Not drawn yet: inline images, selection (s), vertical alignment (v), paragraph spacing,
// word breaking and end ellipsis; those tags are read and skipped.

namespace {

struct TMarkupRun
{
    std::u16string text;
    platform::Font font;
    std::uint32_t color = 0;
    int x = 0;
    int width = 0;
    int line = 0;
};

struct TMarkupLink
{
    CUIString text;
    int line = 0;
    int left = 0;
    int right = 0;
};

bool IsTagOpen(char16_t c)
{
    return c == u'<' || c == u'{';
}

bool IsTagClose(char16_t c)
{
    return c == u'>' || c == u'}';
}

// A variant of `font` with one style switched on; the same font when it already has the style.
platform::Font FontVariant(const platform::Font& font, char16_t style)
{
    platform::LogFont spec = font ? font.GetLogFont() : platform::Font::DefaultGuiLogFont();
    bool& flag = style == u'b' ? spec.bold : style == u'i' ? spec.italic : spec.underline;
    if (flag)
        return font;
    flag = true;
    return platform::Font::Create(spec);
}

// "face [size [style words]]" as a font (size 10 by default).
platform::Font FontFromFace(const CUIString& argument)
{
    platform::LogFont spec;
    const char16_t* p = argument.CStr();
    while (*p && *p != u' ')
        spec.face.push_back(*p++);
    while (*p == u' ')
        ++p;
    int size = 0;
    bool digits = false;
    for (; *p >= u'0' && *p <= u'9'; ++p) {
        size = size * 10 + (*p - u'0');
        digits = true;
    }
    spec.pixelSize = digits ? size : 10;
    CUIString rest(p);
    rest.ToLower();
    spec.bold = rest.FindText(u"bold") >= 0;
    spec.underline = rest.FindText(u"underline") >= 0;
    spec.italic = rest.FindText(u"italic") >= 0;
    spec.strikeout = rest.FindText(u"strikeout") >= 0;
    return platform::Font::Create(spec);
}

int LineHeightOf(const platform::Font& font)
{
    const platform::TextMetrics& tm = font.Metrics();
    return tm.height + tm.externalLeading;
}

// Lays the text out into runs on lines; the pen never passes `width` for a single line of text
// (runs are cut there), and lines are only broken where the text asks for it.
class CMarkupLayout
{
public:
    CMarkupLayout(CWindowManagerUI* manager, int fontIndex, std::uint32_t color, int width, const CUIRect* linkRects,
                  const CUIString* linkTexts, int previousLinks, CUIPoint mouse)
        : m_manager(manager), m_width(width)
    {
        platform::Font base = manager->LookupFont(fontIndex);
        m_fonts.push_back(base ? base : platform::Font::DefaultGui());
        m_colors.push_back(color);
        // The hovered link is found among the rectangles of the previous paint.
        for (int i = 0; linkRects && linkTexts && i < previousLinks; ++i) {
            if (linkRects[i].Contains(mouse)) {
                m_hoverLink = linkTexts[i];
                m_hasHover = true;
                break;
            }
        }
        StartLine();
    }

    void Run(const char16_t* text)
    {
        const char16_t* p = text;
        while (*p) {
            if (*p == u'\n') {
                NewLine();
                ++p;
            } else if (IsTagOpen(*p)) {
                p = Tag(p);
            } else {
                const char16_t* start = p;
                while (*p && *p != u'\n' && !IsTagOpen(*p))
                    ++p;
                AddText(std::u16string(start, p));
            }
        }
        CloseOpenLinks();
    }

    std::vector<TMarkupRun> runs;
    std::vector<int> lineHeights;
    std::vector<int> lineWidths;
    std::vector<TMarkupLink> links;

private:
    const char16_t* Tag(const char16_t* p)
    {
        // Escapes: <{> <}> print a brace, {<} {>} an angle bracket.
        if (p[0] == u'<' && (p[1] == u'{' || p[1] == u'}') && p[2] == u'>') {
            AddText(std::u16string(1, p[1]));
            return p + 3;
        }
        if (p[0] == u'{' && (p[1] == u'<' || p[1] == u'>') && p[2] == u'}') {
            AddText(std::u16string(1, p[1]));
            return p + 3;
        }
        const bool closing = p[1] == u'/';
        const char16_t letter = closing ? p[2] : p[1];
        const char16_t after = closing ? p[3] : p[2];
        const bool isTag = letter >= u'a' && letter <= u'z' && (closing || after == u' ' || IsTagClose(after));
        if (!isTag) {
            AddText(std::u16string(1, p[0]));
            return p + 1;
        }
        const char16_t* q = p + (closing ? 3 : 2);
        if (!closing && *q == u' ')
            ++q;
        const char16_t* argStart = q;
        while (*q && !IsTagClose(*q))
            ++q;
        const CUIString argument(argStart, int(q - argStart));
        if (*q)
            ++q;
        if (closing)
            CloseTag(letter);
        else if (letter == u'r')
            return Raw(q);
        else
            OpenTag(letter, argument);
        return q;
    }

    const char16_t* Raw(const char16_t* p)
    {
        const char16_t* start = p;
        while (*p && !(IsTagOpen(p[0]) && p[1] == u'/' && p[2] == u'r'))
            ++p;
        AddText(std::u16string(start, p));
        if (!*p)
            return p;
        p += 3;
        while (*p && !IsTagClose(*p))
            ++p;
        return *p ? p + 1 : p;
    }

    void OpenTag(char16_t letter, const CUIString& argument)
    {
        switch (letter) {
        case u'b':
        case u'u':
            PushFont(FontVariant(m_fonts.back(), letter));
            break;
        case u'i':
            // With an argument the tag names an inline image, which is not drawn yet.
            if (argument.IsEmpty())
                PushFont(FontVariant(m_fonts.back(), u'i'));
            break;
        case u'c': {
            const char16_t* v = argument.CStr();
            if (*v == u'#')
                ++v;
            CUIString hex(v);
            m_colors.push_back(SubstituteBlackColor(ParseHexColor(hex)));
            break;
        }
        case u'f':
            if (!argument.IsEmpty() && argument[0] >= u'0' && argument[0] <= u'9')
                PushFont(m_manager->LookupFont(ParseFour(argument).left));
            else
                PushFont(FontFromFace(argument));
            break;
        case u'a': {
            const bool hovered = m_hasHover && m_hoverLink == argument;
            m_colors.push_back(SubstituteBlackColor(hovered ? m_manager->LinkHoverColor() : m_manager->LinkColor()));
            PushFont(FontVariant(m_fonts.back(), u'u'));
            m_openLinks.push_back({argument, int(lineHeights.size()) - 1, m_pen, m_pen});
            break;
        }
        case u'n':
            NewLine();
            break;
        case u'p':
            if (m_pen > 0)
                NewLine();
            break;
        case u'x':
            m_pen += ParseFour(argument).left;
            break;
        case u'y':
            lineHeights.back() = ParseFour(argument).left;
            break;
        default:
            break;
        }
    }

    void CloseTag(char16_t letter)
    {
        switch (letter) {
        case u'b':
        case u'u':
        case u'i':
        case u'f':
            PopFont();
            break;
        case u'c':
            if (m_colors.size() > 1)
                m_colors.pop_back();
            break;
        case u'a':
            if (!m_openLinks.empty()) {
                TMarkupLink link = m_openLinks.back();
                m_openLinks.pop_back();
                link.right = m_pen;
                links.push_back(link);
            }
            if (m_colors.size() > 1)
                m_colors.pop_back();
            PopFont();
            break;
        case u'p':
            if (m_pen > 0)
                NewLine();
            break;
        default:
            break;
        }
    }

    static std::uint32_t SubstituteBlackColor(std::uint32_t color) { return CRenderKit::SubstituteBlack(color); }

    void PushFont(const platform::Font& font)
    {
        m_fonts.push_back(font ? font : m_fonts.back());
        GrowLine();
    }

    void PopFont()
    {
        if (m_fonts.size() > 1)
            m_fonts.pop_back();
        GrowLine();
    }

    void GrowLine() { lineHeights.back() = std::max(lineHeights.back(), LineHeightOf(m_fonts.back())); }

    void StartLine()
    {
        lineHeights.push_back(LineHeightOf(m_fonts.back()));
        lineWidths.push_back(0);
        m_pen = 0;
    }

    void NewLine()
    {
        // A link that goes on past the line end gets one rectangle per line.
        for (TMarkupLink& link : m_openLinks) {
            TMarkupLink piece = link;
            piece.right = m_pen;
            links.push_back(piece);
            link.line = int(lineHeights.size());
            link.left = 0;
        }
        StartLine();
    }

    void CloseOpenLinks()
    {
        while (!m_openLinks.empty()) {
            TMarkupLink link = m_openLinks.back();
            m_openLinks.pop_back();
            link.right = m_pen;
            links.push_back(link);
        }
    }

    void AddText(std::u16string text)
    {
        if (text.empty())
            return;
        const platform::Font& font = m_fonts.back();
        int width = font.Measure(text.data(), int(text.size())).width;
        // Text beyond the right edge is cut off, keeping at least one character.
        while (m_pen + width > m_width && text.size() > 1) {
            text.pop_back();
            width = font.Measure(text.data(), int(text.size())).width;
        }
        runs.push_back({text, font, m_colors.back(), m_pen, width, int(lineHeights.size()) - 1});
        m_pen += width;
        lineWidths.back() = std::max(lineWidths.back(), m_pen);
        GrowLine();
    }

    CWindowManagerUI* m_manager;
    int m_width;
    int m_pen = 0;
    std::vector<platform::Font> m_fonts;
    std::vector<std::uint32_t> m_colors;
    std::vector<TMarkupLink> m_openLinks;
    CUIString m_hoverLink;
    bool m_hasHover = false;
};

} // namespace

void CRenderKit::DrawMarkupText(HDC dc, CWindowManagerUI* manager, CUIRect& rect, const char16_t* text,
                                std::uint32_t color, CUIRect* linkRects, CUIString* linkTexts, int& linkCount,
                                int fontIndex, unsigned style)
{
    const int capacity = linkCount;
    linkCount = 0;
    if (!text || !manager || rect.IsEmpty())
        return;
    const bool measuring = (style & DT_CALCRECT) != 0;
    if (!dc && !measuring)
        return;
    CUIString expanded(text);
    CWindowManagerUI::ExpandLanguageTokens(expanded);

    CMarkupLayout layout(manager, fontIndex, SubstituteBlack(color), rect.Width(), linkRects, linkTexts, capacity,
                         manager->LastMousePos());
    layout.Run(expanded.CStr());
    const bool singleLine = (style & DT_SINGLELINE) != 0;
    const int lineCount = singleLine ? 1 : int(layout.lineHeights.size());

    std::vector<int> lineTops(lineCount + 1, rect.top);
    for (int i = 0; i < lineCount; ++i)
        lineTops[i + 1] = lineTops[i] + layout.lineHeights[i];
    const int textHeight = lineTops[lineCount] - rect.top;
    int widest = 0;
    for (int i = 0; i < lineCount; ++i)
        widest = std::max(widest, layout.lineWidths[i]);

    if (measuring) {
        rect.right = std::min(rect.right, rect.left + widest);
        rect.bottom = rect.top + textHeight;
        return;
    }

    // Block alignment: single lines move as a whole, other text aligns line by line.
    int dy = 0;
    if (style & DT_VCENTER)
        dy = (rect.Height() - textHeight) / 2;
    else if (style & DT_BOTTOM)
        dy = rect.Height() - textHeight;
    auto lineOffset = [&](int line) {
        const int free = rect.Width() - layout.lineWidths[line];
        if (style & DT_CENTER)
            return free / 2;
        if (style & DT_RIGHT)
            return free;
        return 0;
    };

    // Links are reported where the text is drawn.
    for (const TMarkupLink& link : layout.links) {
        if (linkCount >= capacity || link.line >= lineCount)
            break;
        const int x = rect.left + lineOffset(link.line);
        if (linkRects)
            linkRects[linkCount] = {x + link.left, lineTops[link.line] + dy, std::min(x + link.right, rect.right),
                                    lineTops[link.line + 1] + dy};
        if (linkTexts)
            linkTexts[linkCount] = link.text;
        ++linkCount;
    }

    dc->Save();
    dc->IntersectClipRect(ToRect(rect));
    for (const TMarkupRun& run : layout.runs) {
        if (run.line >= lineCount)
            break;
        const int lineBottom = lineTops[run.line + 1] + dy;
        if (lineTops[run.line] + dy >= rect.bottom)
            break;
        // Runs sit on the bottom of their line.
        const int top = lineBottom - LineHeightOf(run.font);
        platform::Rect r{rect.left + lineOffset(run.line) + run.x, top,
                         rect.left + lineOffset(run.line) + run.x + run.width, lineBottom};
        dc->SelectFont(run.font);
        dc->SetTextColor(run.color | 0xFF000000u);
        dc->DrawText(run.text.data(), int(run.text.size()), r, DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    }
    dc->Restore();
}

} // namespace ui
