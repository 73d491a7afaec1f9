// Line breaking and placement of plain text by the DT_* styles of DrawText: which characters go on
// which line, where each line sits, and the rectangle DT_CALCRECT reports. Drawing uses it too.
#pragma once

#include <string>
#include <vector>

#include "platform/Font.h"
#include "platform/Geometry.h"
#include "platform/Win32Defs.h"

namespace platform {

struct TextLine
{
    std::u16string text;  // the characters shown: prefix marks removed, ellipsis applied
    int prefixIndex = -1; // index in `text` of the character underlined as a mnemonic, or -1
    Rect rect;            // the line's box: aligned left edge, top, measured width, line height
};

class TextLayout
{
public:
    // Honoured styles: DT_LEFT/CENTER/RIGHT, DT_TOP/VCENTER/BOTTOM (single line only, as in GDI),
    // DT_SINGLELINE, DT_WORDBREAK, DT_END_ELLIPSIS and DT_WORD_ELLIPSIS (both as end ellipsis),
    // DT_NOPREFIX, DT_HIDEPREFIX, DT_EXTERNALLEADING, DT_CALCRECT. Tabs always expand.
    TextLayout(const Font& font, const char16_t* text, int length, const Rect& rect, UINT format);

    const std::vector<TextLine>& Lines() const { return m_lines; }
    const Font& GetFont() const { return m_font; }
    UINT Format() const { return m_format; }
    const Rect& Bounds() const { return m_rect; }
    int LineHeight() const { return m_lineHeight; }
    // The rectangle DrawText writes back for DT_CALCRECT: left and top kept, right at the widest
    // line, bottom after the last line.
    Rect CalcRect() const;
    // What DrawText returns: the text's height, or for vertically centred or bottom-aligned single
    // lines the distance from the rectangle's top to the text's bottom.
    int Height() const { return m_height; }

private:
    void BreakParagraph(const std::u16string& text, const std::vector<int>& prefixes, bool wrap);
    void AddLine(std::u16string text, int prefixIndex);
    void Place();

    Font m_font;
    UINT m_format;
    Rect m_rect;
    int m_lineHeight = 0;
    int m_height = 0;
    std::vector<TextLine> m_lines;
};

} // namespace platform
