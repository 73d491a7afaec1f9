// CMarkupLayout: the line-by-line layout of markup text: runs, tags, fonts, inline images and links.
#include "ui/render/MarkupLayout.h"

#include "ui/core/ValueParse.h"
#include "ui/render/ImageLoader.h"
#include "ui/render/RenderKit.h"

#include "platform/DeviceContext.h"

#include <algorithm>
#include <cstdlib>

namespace ui::markup {

namespace {

bool IsHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

bool IsAsciiLetter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// The length of the character starting at s[i] (2 for a surrogate pair).
int CharLength(const char16_t* s, int n, int i)
{
    return (i + 1 < n && IsHighSurrogate(s[i]) && IsLowSurrogate(s[i + 1])) ? 2 : 1;
}

// The start of the character that ends at s[i].
int PreviousCharStart(const char16_t* s, int i)
{
    if (i >= 2 && IsLowSurrogate(s[i - 1]) && IsHighSurrogate(s[i - 2]))
        return i - 2;
    return i > 0 ? i - 1 : 0;
}

// The last place within the first `count` characters where a line may break: after any character
// that is not an ASCII letter (spaces, digits, punctuation and every non-Latin character). 0 = none.
int LastBreakPosition(const char16_t* s, int n, int count)
{
    int last = 0;
    for (int i = 0; i < count;) {
        const int length = CharLength(s, n, i);
        if (!IsAsciiLetter(s[i]))
            last = i + length;
        i += length;
    }
    return last;
}

// Numbers in tags are pixel sizes, font ids and cell counts; bounding them keeps every sum of
// positions and heights far from overflow, whatever the text says.
constexpr long long kMaxTagNumber = 1000000;
// The first prefix a run is measured by: longer than a usual run, so that one measurement does.
constexpr int kFirstProbe = 64;

// Reads a decimal number (optional sign, leading blanks) and moves `p` past it.
int ReadInt(const char16_t*& p, const char16_t* end, int fallback)
{
    while (p < end && *p == u' ')
        ++p;
    bool negative = false;
    if (p < end && (*p == u'-' || *p == u'+'))
        negative = *p++ == u'-';
    if (p >= end || *p < u'0' || *p > u'9')
        return fallback;
    long long value = 0;
    for (; p < end && *p >= u'0' && *p <= u'9'; ++p)
        value = std::min(value * 10 + (*p - u'0'), kMaxTagNumber);
    return int(negative ? -value : value);
}

// The next blank-separated word of [p, end), moving `p` past it.
CUIString ReadWord(const char16_t*& p, const char16_t* end)
{
    while (p < end && *p == u' ')
        ++p;
    const char16_t* start = p;
    while (p < end && *p != u' ')
        ++p;
    return CUIString(start, int(p - start));
}

} // namespace

CMarkupLayout::CMarkupLayout(HDC dc, IRenderResources* manager, const CUIRect& rect, const CUIRect& clip,
                             const char16_t* text, std::uint32_t color, int fontIndex, unsigned style, LinkSink& links,
                             const CUIString& hoveredLink)
    : m_dc(dc), m_manager(manager), m_rect(rect), m_clip(clip), m_text(text), m_style(style), m_links(links),
      m_hoveredLink(hoveredLink), m_bottom(rect.top), m_maxX(rect.left)
{
    m_state.fonts.push_back(FontStateOf(*manager->LookupFontInfo(fontIndex)));
    m_state.colors.push_back(color);
    m_state.spacings.push_back(0);
}

void CMarkupLayout::Run()
{
    std::size_t pos = 0;
    int y = m_rect.top;
    TagState saved;
    while (m_text[pos] != 0) {
        if (Drawing() && y >= m_rect.bottom)
            break;
        if (m_rect.left >= m_rect.right)
            break;
        LineBox line;
        line.left = line.x = m_rect.left;
        line.y = y;
        line.height = CurrentFont().LineHeight() + CurrentSpacing();
        line.firstLink = m_links.count;
        std::size_t end;
        if (Drawing()) {
            m_lineFits.clear();
            m_nextFit = 0;
            saved = m_state;
            LineBox measured = line;
            end = ProcessLine(pos, Pass::Measure, measured);
            if (SingleLine() && (m_style & DT_END_ELLIPSIS))
                MoveEllipsisBack();
            m_state = saved;
            line.height = measured.height;
            line.shift = LineShift(measured.x - measured.left);
            ProcessLine(pos, Pass::Draw, line);
        } else {
            end = ProcessLine(pos, Pass::Measure, line);
        }
        y = int(std::min<long long>(static_cast<long long>(y) + line.height, 0x3FFFFFFF));
        m_bottom = y;
        if (end == pos || SingleLine())
            break;
        pos = end;
    }
}

int CMarkupLayout::LineShift(int lineWidth) const
{
    if (SingleLine())
        return 0;
    if (m_style & DT_CENTER)
        return (m_rect.Width() - lineWidth) / 2;
    if (m_style & DT_RIGHT)
        return m_rect.Width() - lineWidth;
    return 0;
}

std::size_t CMarkupLayout::ProcessLine(std::size_t pos, Pass pass, LineBox& line)
{
    if (m_state.inLink)
        m_state.linkStart = line.left;
    while (m_text[pos] != 0 && !line.ended) {
        const char16_t* p = m_text + pos;
        if (*p == u'\n') {
            ++pos;
            break;
        }
        if (m_state.raw) {
            pos += PlaceRaw(p, pass, line);
            continue;
        }
        char16_t printed;
        if (ParseMarkupEscape(p, printed)) {
            // The printed bracket is the escape's middle character: the run stays inside the text,
            // which outlives every measurement that keeps a pointer to it.
            if (PlaceText(p + 1, 1, pass, line) == 0)
                break;
            pos += kMarkupEscapeLength;
            continue;
        }
        TMarkupTag tag;
        if (ParseMarkupTag(p, tag)) {
            const TagFlow flow = ApplyTag(tag, pass, line);
            if (flow == TagFlow::BreakBefore)
                break;
            pos += std::size_t(tag.length);
            if (flow == TagFlow::BreakAfter)
                break;
            continue;
        }
        // A space outside a run is a run of its own, so that a run never starts with one.
        pos += std::size_t(PlaceText(p, *p == u' ' ? 1 : RunLength(p), pass, line));
    }
    if (m_state.inLink)
        RecordLinkPiece(pass, line);
    if (IsFinal(pass))
        FinishLinkPieces(line);
    return pos;
}

// ---------------------------------------------------------------------------------------------
// Text runs
// ---------------------------------------------------------------------------------------------

int CMarkupLayout::RunLength(const char16_t* p) const
{
    if (m_textRun.Holds(p))
        return int(m_textRun.end - p);
    // The first character belongs to the run even when it is a bracket that starts no tag.
    int n = 1;
    while (p[n] != 0 && p[n] != u'\n' && !IsMarkupTokenStart(p + n))
        ++n;
    m_textRun = {p, p + n};
    return n;
}

int CMarkupLayout::PlaceRaw(const char16_t* p, Pass pass, LineBox& line)
{
    int n = 0;
    if (m_rawRun.Holds(p)) {
        n = int(m_rawRun.end - p);
    } else {
        while (p[n] != 0 && p[n] != u'\n' && RawSectionEndAt(p + n) == 0)
            ++n;
        if (n > 0)
            m_rawRun = {p, p + n};
    }
    if (n == 0) {
        m_state.raw = false;
        return RawSectionEndAt(p);
    }
    return PlaceText(p, n, pass, line);
}

int CMarkupLayout::PlaceText(const char16_t* s, int n, Pass pass, LineBox& line)
{
    const FontState& font = CurrentFont();
    RunFit fit;
    if (pass == Pass::Draw && m_nextFit < m_lineFits.size()) {
        fit = m_lineFits[m_nextFit++];
    } else {
        fit = FitRun(font, s, n, m_rect.right - line.x, line.x == line.left);
        if (Drawing() && SingleLine() && (m_style & DT_END_ELLIPSIS)) {
            fit.text = s;
            fit.startX = line.x;
            fit.font = font.font;
        }
        if (Drawing())
            m_lineFits.push_back(fit);
    }
    if (fit.count == 0 && !fit.ellipsis) {
        line.ended = true;
        return 0;
    }
    if (pass == Pass::Draw)
        DrawRun(font, s, fit, line);
    line.x += fit.width;
    if (fit.ellipsis)
        line.x = std::max(line.x, m_rect.right);
    m_maxX = std::max(m_maxX, line.x);
    if (fit.cut)
        line.ended = true;
    return fit.count;
}

RunFit CMarkupLayout::FitRun(const FontState& font, const char16_t* s, int n, int available, bool atLineStart) const
{
    // A run is shaped only as far as a line can hold it: prefixes are tried at doubling lengths
    // until one overflows, so a long run in a narrow box costs what each line holds, not the
    // whole rest of the run once per line. A run of usual length is shaped once, whole, and the
    // widths of all its prefixes come from that one shaping.
    int fits = 0;
    std::vector<int> widths;
    for (int probe = std::min(n, kFirstProbe);; probe = std::min(n, probe * 2)) {
        if (probe < n && IsLowSurrogate(s[probe]))
            ++probe; // never between the halves of a surrogate pair
        widths = font.font.PrefixWidths(s, probe);
        if (widths.back() > available)
            break;
        if (probe >= n) {
            RunFit whole;
            whole.count = n;
            whole.textWidth = whole.width = font.font.Measure(s, n).width;
            return whole;
        }
        fits = probe;
    }

    int count = FittingPrefix(font, s, widths, fits, available);
    if (count == 0 && atLineStart)
        count = CharLength(s, n, 0); // a line always takes at least one character
    if ((m_style & DT_WORDBREAK) && count > 0) {
        // A space that overflows hangs past the edge rather than starting the next line.
        const int breakAt = count < n && s[count] == u' ' ? count + 1 : LastBreakPosition(s, n, count);
        if (breakAt > 0)
            count = breakAt;
        else if (!atLineStart)
            count = 0; // the word moves to the next line whole rather than being split
    }
    RunFit fit;
    fit.cut = true;
    if (m_style & DT_END_ELLIPSIS)
        return EllipsisFit(font, s, count, available);
    fit.count = count;
    fit.textWidth = count > 0 ? font.font.Measure(s, count).width : 0;
    fit.width = fit.textWidth;
    return fit;
}

RunFit CMarkupLayout::EllipsisFit(const FontState& font, const char16_t* s, int count, int available) const
{
    for (int i = 0; i < 2 && count > 0; ++i)
        count = PreviousCharStart(s, count);
    const int dots = font.font.Measure(u"...", 3).width;
    // Dropping two characters is not always room enough for the dots in a proportional font.
    while (count > 0 && font.font.Measure(s, count).width + dots > available)
        count = PreviousCharStart(s, count);
    RunFit fit;
    fit.cut = true;
    fit.ellipsis = true;
    fit.count = count;
    fit.textWidth = count > 0 ? font.font.Measure(s, count).width : 0;
    fit.width = fit.textWidth + dots;
    return fit;
}

bool CMarkupLayout::MoveEllipsisBack()
{
    // The run that overflowed may start so close to the edge that not even the dots fit after
    // it; then the last earlier run that has room for some of its text carries them instead.
    if (m_lineFits.empty() || !m_lineFits.back().ellipsis)
        return false;
    const RunFit& last = m_lineFits.back();
    if (last.startX + last.width <= m_rect.right)
        return false;
    for (std::size_t i = m_lineFits.size() - 1; i-- > 0;) {
        const RunFit& earlier = m_lineFits[i];
        if (earlier.count == 0 || earlier.font.IsNull())
            continue;
        FontState font = CurrentFont();
        font.font = earlier.font;
        RunFit fit = EllipsisFit(font, earlier.text, earlier.count, m_rect.right - earlier.startX);
        fit.text = earlier.text;
        fit.startX = earlier.startX;
        fit.font = earlier.font;
        m_lineFits[i] = fit;
        m_lineFits.resize(i + 1);
        return true;
    }
    return false;
}

int CMarkupLayout::FittingPrefix(const FontState& font, const char16_t* s, const std::vector<int>& widths, int fits,
                                 int available) const
{
    // `widths` are the prefix widths of a start of the run that overflows, and its first `fits`
    // characters are known to fit. The longest prefix that fits ends at a character boundary.
    int count = fits;
    const int shaped = static_cast<int>(widths.size());
    for (int end = fits + 1; end < shaped && widths[end - 1] <= available; ++end)
        if (!IsLowSurrogate(s[end]))
            count = end;
    // Measured within the longer string a prefix may come out a pixel narrower than alone, where a
    // kerned pair straddles its end; what is drawn is the prefix alone.
    while (count > fits && font.font.Measure(s, count).width > available)
        count = PreviousCharStart(s, count);
    return count;
}

int CMarkupLayout::RunTop(const LineBox& line, int height, int externalLeading) const
{
    const int bottom = line.y + line.height - height - externalLeading;
    switch (CurrentAlign()) {
    case VerticalAlign::Top:
        return line.y;
    case VerticalAlign::Center:
        return line.y + (bottom - line.y) / 2;
    case VerticalAlign::Bottom:
        break;
    }
    return bottom;
}

void CMarkupLayout::DrawRun(const FontState& font, const char16_t* s, const RunFit& fit, const LineBox& line)
{
    const platform::TextMetrics& metrics = font.Metrics();
    const int x = line.x + line.shift;
    const int top = RunTop(line, metrics.height, metrics.externalLeading);
    if (m_state.selected)
        m_dc->FillSolid({x, top, x + fit.width, top + metrics.height},
                        CRenderKit::SubstituteBlack(m_manager->SelectedColor()) | 0xFF000000u);
    m_dc->SelectFont(font.font);
    // Tag, link and call colours alike: pure black would be the layered window's see-through colour.
    m_dc->SetTextColor(CRenderKit::SubstituteBlack(CurrentColor()) | 0xFF000000u);
    constexpr UINT kRunFormat = DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP | DT_LEFT | DT_TOP;
    if (fit.count > 0) {
        platform::Rect r{x, top, x + fit.textWidth, top + metrics.height};
        m_dc->DrawText(s, fit.count, r, kRunFormat);
    }
    if (fit.ellipsis) {
        platform::Rect r{x + fit.textWidth, top, x + fit.width, top + metrics.height};
        m_dc->DrawText(u"...", 3, r, kRunFormat);
    }
}

// ---------------------------------------------------------------------------------------------
// Tags
// ---------------------------------------------------------------------------------------------

TagFlow CMarkupLayout::ApplyTag(const TMarkupTag& tag, Pass pass, LineBox& line)
{
    if (tag.closing)
        return ApplyClosingTag(tag, pass, line);
    const char16_t* arg = tag.argument;
    const char16_t* end = tag.argument + tag.argumentLength;
    switch (tag.letter) {
    case u'a': {
        const CUIString linkText(arg, tag.argumentLength);
        const bool hovered = !m_hoveredLink.IsEmpty() && m_hoveredLink == linkText;
        m_state.colors.push_back(hovered ? m_manager->LinkHoverColor() : m_manager->LinkColor());
        PushFont(Variant(CurrentFont(), FontStyle::Underline), pass, line);
        m_state.inLink = true;
        m_state.linkText = linkText;
        m_state.linkStart = line.x;
        break;
    }
    case u'b':
        PushFont(Variant(CurrentFont(), FontStyle::Bold), pass, line);
        break;
    case u'c':
        m_state.colors.push_back(markup::ParseHexColor(arg, {markup::THexColorForm::Lead::Spaces, false, false}, end));
        break;
    case u'f':
        PushFont(FontFromArgument(tag), pass, line);
        break;
    case u'i':
        // An argument makes the tag an image; "{i }" with nothing but blanks is still italic.
        if (std::any_of(arg, end, [](char16_t c) { return c != u' '; }))
            return PlaceImage(tag, pass, line);
        PushFont(Variant(CurrentFont(), FontStyle::Italic), pass, line);
        break;
    case u'n':
        return TagFlow::BreakAfter;
    case u'p':
        if (line.x != line.left)
            return TagFlow::BreakBefore;
        m_state.spacings.push_back(ReadInt(arg, end, 0));
        KeepLineHeight(pass, line);
        break;
    case u'r':
        m_state.raw = true;
        break;
    case u's':
        m_state.selected = !m_state.selected;
        break;
    case u'u':
        PushFont(Variant(CurrentFont(), FontStyle::Underline), pass, line);
        break;
    case u'v': {
        const CUIString value(arg, tag.argumentLength);
        m_state.aligns.push_back(value == u"center" ? VerticalAlign::Center
                                 : value == u"top"  ? VerticalAlign::Top
                                                    : VerticalAlign::Bottom);
        break;
    }
    case u'x':
        line.x = int(std::clamp<long long>(static_cast<long long>(line.x) + ReadInt(arg, end, 0), -kMaxTagNumber * 1000,
                                           kMaxTagNumber * 1000));
        m_maxX = std::max(m_maxX, line.x);
        break;
    case u'y':
        // The drawing pass keeps the height its measuring pass found.
        if (pass == Pass::Measure)
            line.height = ReadInt(arg, end, 0);
        break;
    default:
        break; // unknown letters are skipped with their argument
    }
    return TagFlow::Continue;
}

TagFlow CMarkupLayout::ApplyClosingTag(const TMarkupTag& tag, Pass pass, LineBox& line)
{
    switch (tag.letter) {
    case u'a':
        if (m_state.inLink) {
            RecordLinkPiece(pass, line);
            m_state.inLink = false;
        }
        if (m_state.colors.size() > 1)
            m_state.colors.pop_back();
        PopFont(pass, line);
        break;
    case u'b':
    case u'f':
    case u'i':
    case u'u':
        PopFont(pass, line);
        break;
    case u'c':
        if (m_state.colors.size() > 1)
            m_state.colors.pop_back();
        break;
    case u'p': {
        if (m_state.spacings.size() > 1)
            m_state.spacings.pop_back();
        KeepLineHeight(pass, line);
        if (line.x != line.left)
            return TagFlow::BreakAfter;
        break;
    }
    case u's':
        m_state.selected = !m_state.selected;
        break;
    case u'v':
        if (!m_state.aligns.empty())
            m_state.aligns.pop_back();
        break;
    default:
        break;
    }
    return TagFlow::Continue;
}

TImageRecord* CMarkupLayout::ResolveImage(const TMarkupTag& tag, int& count, int& index) const
{
    const CUIString argument(tag.argument, tag.argumentLength);
    count = 1;
    index = 0;
    if (argument.FindText(u"file='") >= 0 || argument.FindText(u"res='") >= 0) {
        TImageDescriptorText parsed;
        CRenderKit::ParseImageDescriptor(argument.CStr(), parsed);
        const bool resource = parsed.hasType && parsed.resourceType != CImageLoader::kColorType;
        return m_manager->LookupOrLoadImage(parsed.imageName.CStr(), resource ? parsed.resourceType.CStr() : nullptr);
    }
    const char16_t* p = tag.argument;
    const char16_t* end = tag.argument + tag.argumentLength;
    const CUIString name = ReadWord(p, end);
    count = std::max(ReadInt(p, end, 1), 1);
    index = ReadInt(p, end, 0);
    if (index < 0 || index >= count)
        index = 0;
    return name.IsEmpty() ? nullptr : m_manager->LookupOrLoadImage(name.CStr());
}

TagFlow CMarkupLayout::PlaceImage(const TMarkupTag& tag, Pass pass, LineBox& line)
{
    int count = 1;
    int index = 0;
    const TImageRecord* image = ResolveImage(tag, count, index);
    if (!image || image->width <= 0 || image->height <= 0)
        return TagFlow::Continue; // a missing image takes no room
    const int cellWidth = image->width / count;
    const int height = image->height;
    // An image that comes first on a line is placed even when it is too wide, so layout advances.
    if (line.x + cellWidth > m_rect.right && line.x != line.left && !SingleLine())
        return TagFlow::BreakBefore;
    if (pass == Pass::Measure)
        line.height = std::max(line.height, height);
    if (pass == Pass::Draw) {
        int top = line.y + line.height - height;
        if (height < line.height && CurrentAlign() == VerticalAlign::Center)
            top = line.y + (line.height - height) / 2;
        else if (height < line.height && CurrentAlign() == VerticalAlign::Top)
            top = line.y;
        const int x = line.x + line.shift;
        CRenderKit::BlitImage(m_dc, image, {x, top, x + cellWidth, top + height}, m_clip,
                              {index * cellWidth, 0, (index + 1) * cellWidth, height}, {}, image->hasAlpha, 255, false,
                              false, false);
    }
    line.x += cellWidth;
    m_maxX = std::max(m_maxX, line.x);
    return TagFlow::Continue;
}

// ---------------------------------------------------------------------------------------------
// Fonts
// ---------------------------------------------------------------------------------------------

void CMarkupLayout::KeepLineHeight(Pass pass, LineBox& line) const
{
    if (pass == Pass::Measure)
        line.height = std::max(line.height, CurrentFont().LineHeight() + CurrentSpacing());
}

void CMarkupLayout::PushFont(const FontState& font, Pass pass, LineBox& line)
{
    m_state.fonts.push_back(font);
    KeepLineHeight(pass, line);
}

void CMarkupLayout::PopFont(Pass pass, LineBox& line)
{
    if (m_state.fonts.size() <= 1)
        return;
    const FontState popped = m_state.fonts.back();
    m_state.fonts.pop_back();
    if (popped.italic && !CurrentFont().italic) {
        // Leave room for the slanted text's trailing overhang before upright text follows.
        line.x += std::abs(popped.font.GetCharWidths(U' ').c) / 2;
    }
    KeepLineHeight(pass, line);
}

FontState CMarkupLayout::Variant(const FontState& font, FontStyle style) const
{
    // A style the font already has pushes the font itself, so the closing tag pops what was pushed.
    FontState variant = font;
    bool& flag = style == FontStyle::Bold     ? variant.bold
                 : style == FontStyle::Italic ? variant.italic
                                              : variant.underline;
    if (flag)
        return variant;
    flag = true;
    variant.font = FindOrAddFont(variant);
    return variant;
}

FontState CMarkupLayout::FontFromArgument(const TMarkupTag& tag) const
{
    const char16_t* p = tag.argument;
    const char16_t* end = tag.argument + tag.argumentLength;
    while (p < end && *p == u' ')
        ++p;
    if (p < end && *p >= u'0' && *p <= u'9')
        return FontStateOf(*m_manager->LookupFontInfo(ReadInt(p, end, 0)));
    FontState wanted;
    wanted.face = ReadWord(p, end);
    wanted.size = ReadInt(p, end, 10);
    CUIString styles(p, int(end - p));
    styles.ToLower();
    wanted.bold = styles.FindText(u"bold") >= 0;
    wanted.underline = styles.FindText(u"underline") >= 0;
    wanted.italic = styles.FindText(u"italic") >= 0;
    wanted.strikeout = styles.FindText(u"strikeout") >= 0;
    wanted.font = FindOrAddFont(wanted);
    return wanted;
}

platform::Font CMarkupLayout::FindOrAddFont(const FontState& wanted) const
{
    const char16_t* face = wanted.face.CStr();
    platform::Font font =
        m_manager->FindFont(face, wanted.size, wanted.bold, wanted.underline, wanted.italic, wanted.strikeout);
    if (!font.IsNull())
        return font;
    // A new entry goes under the first id no table uses (an absent id looks up the default font).
    int id = m_manager->FontCount(ResourceScope::Window) + m_manager->FontCount(ResourceScope::Shared);
    while (m_manager->LookupFontInfo(id) != m_manager->DefaultFontInfo())
        ++id;
    font =
        m_manager->RegisterFont(id, face, wanted.size, wanted.bold, wanted.underline, wanted.italic, wanted.strikeout);
    return font.IsNull() ? CurrentFont().font : font;
}

// ---------------------------------------------------------------------------------------------
// Links
// ---------------------------------------------------------------------------------------------

void CMarkupLayout::RecordLinkPiece(Pass pass, const LineBox& line)
{
    // Pieces are recorded by the last pass over a line, where centred lines have their shift.
    if (!IsFinal(pass) || m_links.count >= m_links.capacity)
        return;
    const int right = std::min(line.x, m_rect.right);
    m_links.rects[m_links.count] = {m_state.linkStart + line.shift, line.y, right + line.shift, line.y + line.height};
    m_links.texts[m_links.count] = m_state.linkText;
    ++m_links.count;
}

void CMarkupLayout::FinishLinkPieces(const LineBox& line)
{
    // A piece recorded before the line grew (a taller font or image later on it) gets its final bottom.
    for (int i = line.firstLink; i < m_links.count; ++i)
        m_links.rects[i].bottom = line.y + line.height;
}

} // namespace ui::markup
