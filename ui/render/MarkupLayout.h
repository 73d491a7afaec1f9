// CMarkupLayout: the line-by-line layout of markup text behind CMarkupText. Every line is measured
// first (where it ends, how wide and how high it is) and then drawn over the same characters, with
// the tag state saved before measuring and restored before drawing.
#pragma once

#include "ui/render/MarkupTag.h"
#include "ui/render/RenderKit.h"
#include "ui/render/RenderResources.h"

#include "platform/Font.h"
#include "platform/Win32Defs.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ui::markup {

enum class Pass
{
    Measure,
    Draw
};

enum class VerticalAlign
{
    Bottom,
    Center,
    Top
};

enum class FontStyle
{
    Bold,
    Italic,
    Underline
};

// What a tag asks of the line it stands on.
enum class TagFlow
{
    Continue,
    BreakBefore, // end the line here and take the tag again at the start of the next one
    BreakAfter   // the tag is consumed and ends the line
};

// A font with the attributes variants are derived from.
struct FontState
{
    platform::Font font;
    CUIString face;
    int size = 0;
    bool bold = false;
    bool underline = false;
    bool italic = false;
    bool strikeout = false;

    const platform::TextMetrics& Metrics() const { return font.Metrics(); }
    int LineHeight() const { return Metrics().height + Metrics().externalLeading; }
};

inline FontState FontStateOf(const TFontInfo& info)
{
    return {info.font, info.faceName, info.size, info.bold, info.underline, info.italic, info.strikeout};
}

// Everything the tags change. A line's measuring pass works on a copy so that its drawing pass
// starts from the same state.
struct TagState
{
    std::vector<FontState> fonts;      // [0] is the call's font and is never popped
    std::vector<std::uint32_t> colors; // [0] is the call's colour
    std::vector<int> spacings;         // paragraph spacing; [0] is 0
    std::vector<VerticalAlign> aligns; // empty = bottom
    bool raw = false;
    bool selected = false;
    bool inLink = false;
    CUIString linkText;
    int linkStart = 0; // where the link's piece on the current line began
};

// One line being laid out. Positions are those of a left-aligned line; `shift` moves the drawing
// of centred and right-aligned lines.
struct LineBox
{
    int left = 0;
    int y = 0;
    int x = 0;
    int height = 0;
    int shift = 0;
    bool ended = false;
    int firstLink = 0; // the first link piece recorded on this line
};

// How much of a run goes on the line.
struct RunFit
{
    int count = 0;     // characters of the run placed
    int textWidth = 0; // their width
    int width = 0;     // the pen advance, ellipsis included
    bool cut = false;  // the run did not fit: the line ends after it
    bool ellipsis = false;
    // Where the run stands, kept for a single line with an ellipsis, whose dots may have to move
    // back into an earlier run.
    const char16_t* text = nullptr;
    int startX = 0;
    platform::Font font;
};

// The links a call reports: rectangles and texts of a given capacity.
struct LinkSink
{
    CUIRect* rects = nullptr;
    CUIString* texts = nullptr;
    int capacity = 0;
    int count = 0;
};

class CMarkupLayout
{
public:
    CMarkupLayout(HDC dc, IRenderResources* manager, const CUIRect& rect, const CUIRect& clip, const char16_t* text,
                  std::uint32_t color, int fontIndex, unsigned style, LinkSink& links, const CUIString& hoveredLink);

    // Lays out (and in drawing mode draws) every line.
    void Run();
    // The bottom of the last line and the furthest pen position reached (for DT_CALCRECT).
    int Bottom() const { return m_bottom; }
    int MaxX() const { return m_maxX; }

private:
    bool Drawing() const { return m_dc != nullptr; }
    bool IsFinal(Pass pass) const { return Drawing() ? pass == Pass::Draw : pass == Pass::Measure; }
    bool SingleLine() const { return (m_style & DT_SINGLELINE) != 0; }

    std::size_t ProcessLine(std::size_t pos, Pass pass, LineBox& line);
    int LineShift(int lineWidth) const;

    // Text
    int PlaceText(const char16_t* s, int n, Pass pass, LineBox& line);
    int PlaceRaw(const char16_t* p, Pass pass, LineBox& line);
    int RunLength(const char16_t* p) const;
    RunFit FitRun(const FontState& font, const char16_t* s, int n, int available, bool atLineStart) const;
    RunFit EllipsisFit(const FontState& font, const char16_t* s, int count, int available) const;
    bool MoveEllipsisBack();
    int FittingPrefix(const FontState& font, const char16_t* s, const std::vector<int>& widths, int fits,
                      int available) const;
    void DrawRun(const FontState& font, const char16_t* s, const RunFit& fit, const LineBox& line);
    int RunTop(const LineBox& line, int height, int externalLeading) const;

    // Tags
    TagFlow ApplyTag(const TMarkupTag& tag, Pass pass, LineBox& line);
    TagFlow ApplyClosingTag(const TMarkupTag& tag, Pass pass, LineBox& line);
    TagFlow PlaceImage(const TMarkupTag& tag, Pass pass, LineBox& line);
    TImageRecord* ResolveImage(const TMarkupTag& tag, int& count, int& index) const;

    // Fonts, colours, spacing
    const FontState& CurrentFont() const { return m_state.fonts.back(); }
    std::uint32_t CurrentColor() const { return m_state.colors.back(); }
    int CurrentSpacing() const { return m_state.spacings.back(); }
    VerticalAlign CurrentAlign() const
    {
        return m_state.aligns.empty() ? VerticalAlign::Bottom : m_state.aligns.back();
    }
    void PushFont(const FontState& font, Pass pass, LineBox& line);
    void PopFont(Pass pass, LineBox& line);
    FontState Variant(const FontState& font, FontStyle style) const;
    FontState FontFromArgument(const TMarkupTag& tag) const;
    platform::Font FindOrAddFont(const FontState& wanted) const;
    void KeepLineHeight(Pass pass, LineBox& line) const;

    // Links
    void RecordLinkPiece(Pass pass, const LineBox& line);
    void FinishLinkPieces(const LineBox& line);

    HDC m_dc;
    IRenderResources* m_manager;
    CUIRect m_rect;
    CUIRect m_clip;
    const char16_t* m_text;
    unsigned m_style;
    LinkSink& m_links;
    CUIString m_hoveredLink;
    TagState m_state;
    // The fits the measuring pass found for the runs of the current line, reused by its drawing pass
    // (which meets the same runs in the same order), so that no run is measured twice.
    std::vector<RunFit> m_lineFits;
    std::size_t m_nextFit = 0;
    // Where the text run and the raw run found last end. A long run in a narrow box is placed a
    // line at a time, and each line would otherwise scan the whole rest of the run again (a
    // hundred kilobytes of text in a narrow label took seconds). Every position inside a run ends
    // where the run ends, so a later start inside it takes the end as it is.
    struct RunSpan
    {
        const char16_t* from = nullptr;
        const char16_t* end = nullptr;
        bool Holds(const char16_t* p) const { return p >= from && p < end; }
    };
    mutable RunSpan m_textRun;
    RunSpan m_rawRun;
    int m_bottom;
    int m_maxX;
};

} // namespace ui::markup
