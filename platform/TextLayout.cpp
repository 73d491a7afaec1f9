// Plain-text layout with DrawText's rules. The drawing backend finds wrap positions; ellipsis,
// prefix marks and placement are done here so the results read like GDI's ("..." of three periods,
// lines of the font's full height) over every backend.
#include "platform/TextLayout.h"

#include <algorithm>

#include "platform/LineBreaking.h"

namespace platform {

namespace {

constexpr char16_t kEllipsis[] = u"...";

bool IsLineBreak(char16_t c)
{
    return c == u'\n' || c == u'\r';
}

bool IsHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

int MeasureWidth(const Font& font, const std::u16string& text)
{
    return font.Measure(text.data(), static_cast<int>(text.size())).width;
}

} // namespace

TextLayout::TextLayout(const Font& font, const char16_t* text, int length, const Rect& rect, UINT format)
    : m_font(font), m_format(format), m_rect(rect)
{
    if (m_font.IsNull())
        m_font = Font::DefaultGui();
    const TextMetrics& metrics = m_font.Metrics();
    m_lineHeight = metrics.height + ((format & DT_EXTERNALLEADING) ? metrics.externalLeading : 0);
    if (!text || length < 0)
        length = 0;

    const bool singleLine = (format & DT_SINGLELINE) != 0;
    const bool prefixes = (format & DT_NOPREFIX) == 0;
    const bool showPrefix = prefixes && (format & DT_HIDEPREFIX) == 0;
    const bool wrap = !singleLine && (format & DT_WORDBREAK) != 0 && rect.Width() > 0;

    // One pass removes mnemonic marks ("&&" shows one "&", "&x" underlines x) and splits paragraphs.
    std::u16string paragraph;
    std::vector<int> marks;
    for (int i = 0; i < length; ++i) {
        const char16_t c = text[i];
        if (prefixes && c == u'&' && i + 1 < length) {
            ++i;
            if (IsLineBreak(text[i])) {
                --i; // "&" before a line break marks nothing; the break is handled next
                continue;
            }
            if (text[i] != u'&' && showPrefix)
                marks.push_back(static_cast<int>(paragraph.size()));
            paragraph += text[i];
            continue;
        }
        if (IsLineBreak(c)) {
            if (singleLine)
                continue; // a single line shows no line breaks at all
            if (c == u'\r' && i + 1 < length && text[i + 1] == u'\n')
                ++i;
            BreakParagraph(paragraph, marks, wrap);
            paragraph.clear();
            marks.clear();
            continue;
        }
        paragraph += c;
    }
    // A final line break does not open another line; empty multi-line text has no lines at all.
    if (!paragraph.empty() || singleLine)
        BreakParagraph(paragraph, marks, wrap);
    Place();
}

void TextLayout::BreakParagraph(const std::u16string& text, const std::vector<int>& marks, bool wrap)
{
    const int mark = marks.empty() ? -1 : marks.back();
    if (!wrap || text.empty()) {
        AddLine(text, mark);
        return;
    }
    const std::vector<std::pair<int, int>> ranges = BreakIntoLines(m_font, text, m_rect.Width());

    for (size_t k = 0; k < ranges.size(); ++k) {
        int begin = ranges[k].first;
        int end = std::min(ranges[k].second, static_cast<int>(text.size()));
        // Spaces where a line was broken are not shown, so they take no width either.
        if (k + 1 < ranges.size())
            while (end > begin && text[end - 1] == u' ')
                --end;
        const int lineMark = mark >= begin && mark < end ? mark - begin : -1;
        AddLine(text.substr(begin, end - begin), lineMark);
    }
}

void TextLayout::AddLine(std::u16string text, int prefixIndex)
{
    TextLine line;
    if (prefixIndex >= static_cast<int>(text.size()))
        prefixIndex = -1;
    int width = MeasureWidth(m_font, text);
    if ((m_format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS)) && width > m_rect.Width()) {
        // The longest start of the line that still fits with "..." after it.
        int lo = 0, hi = static_cast<int>(text.size());
        while (lo < hi) {
            const int mid = (lo + hi + 1) / 2;
            if (MeasureWidth(m_font, text.substr(0, mid) + kEllipsis) <= m_rect.Width())
                lo = mid;
            else
                hi = mid - 1;
        }
        if (lo > 0 && IsHighSurrogate(text[lo - 1]))
            --lo; // never split a surrogate pair
        text = text.substr(0, lo) + kEllipsis;
        if (prefixIndex >= lo)
            prefixIndex = -1;
        width = MeasureWidth(m_font, text);
    }
    line.text = std::move(text);
    line.prefixIndex = prefixIndex;
    line.rect = {0, 0, width, m_lineHeight};
    m_lines.push_back(std::move(line));
}

void TextLayout::Place()
{
    const bool singleLine = (m_format & DT_SINGLELINE) != 0;
    const int total = static_cast<int>(m_lines.size()) * m_lineHeight;
    int top = m_rect.top;
    if (singleLine && (m_format & DT_VCENTER))
        top = m_rect.top + (m_rect.Height() - m_lineHeight) / 2;
    else if (singleLine && (m_format & DT_BOTTOM))
        top = m_rect.bottom - m_lineHeight;
    m_height = singleLine && (m_format & (DT_VCENTER | DT_BOTTOM)) ? top - m_rect.top + total : total;

    for (TextLine& line : m_lines) {
        const int width = line.rect.right;
        int left = m_rect.left;
        if (m_format & DT_CENTER)
            left = m_rect.left + (m_rect.Width() - width) / 2;
        else if (m_format & DT_RIGHT)
            left = m_rect.right - width;
        line.rect = {left, top, left + width, top + m_lineHeight};
        top += m_lineHeight;
    }
}

Rect TextLayout::CalcRect() const
{
    int widest = 0;
    for (const TextLine& line : m_lines)
        widest = std::max(widest, line.rect.Width());
    return {m_rect.left, m_rect.top, m_rect.left + widest,
            m_rect.top + static_cast<int>(m_lines.size()) * m_lineHeight};
}

} // namespace platform
