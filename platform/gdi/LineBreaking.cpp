// Line breaking over GDI, by the rule DrawTextW's DT_WORDBREAK follows: a line takes as many whole
// words as fit its width (the spaces after the last of them do not count), and a word wider than
// the line stands on a line of its own. Widths are those of each line measured from its start in
// one call (GetTextExtentExPointW through Font::PrefixWidths), so kerning inside a line counts as
// it does when the line is drawn.
#include "platform/LineBreaking.h"

namespace platform {

namespace {

bool IsBreakSpace(char16_t c)
{
    return c == u' ' || c == u'\t';
}

} // namespace

std::vector<std::pair<int, int>> BreakIntoLines(const Font& font, const std::u16string& text, int width)
{
    std::vector<std::pair<int, int>> ranges;
    const int n = static_cast<int>(text.size());
    int start = 0;
    while (start < n) {
        const std::vector<int> widths = font.PrefixWidths(text.data() + start, n - start);
        // The end of the last word that fits, and of the first word (taken whatever its width).
        int fits = -1, first = -1;
        for (int i = start; i < n; ++i) {
            const bool wordEnd = !IsBreakSpace(text[i]) && (i + 1 == n || IsBreakSpace(text[i + 1]));
            if (!wordEnd)
                continue;
            if (first < 0)
                first = i + 1;
            if (widths[i - start] > width)
                break;
            fits = i + 1;
        }
        int end = fits > 0 ? fits : first;
        if (end < 0)
            end = n; // only spaces are left: they end the paragraph's last line
        // The spaces after the break belong to the line they end.
        while (end < n && IsBreakSpace(text[end]))
            ++end;
        ranges.emplace_back(start, end);
        start = end;
    }
    return ranges;
}

} // namespace platform
