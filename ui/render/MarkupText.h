// CMarkupText: lays out, measures and draws markup text, i.e. text with inline tags for fonts,
// colours, links, images, paragraphs, vertical alignment, raw sections and selection.
//
// Tags take angle brackets or braces interchangeably; see docs for the tag table. Supported:
//  [x] a, b, c, f (number or face), i (italic or inline image with cells), n, p, r, s, u, v, x, y
//  [x] the escapes <{> <}> {<} {>}, language tokens, word break at non-letters, end ellipsis
//  [x] per-line link rectangles with the capacity rule and the hovered link colour
//  [x] the measuring pass (DT_CALCRECT) and block alignment (DT_CENTER, DT_RIGHT, DT_VCENTER, DT_BOTTOM)
#pragma once

#include "ui/render/RenderKit.h"

#include <cstdint>

namespace ui {

class CMarkupText
{
public:
    // Draws `text` into `rect` with the manager's font number fontIndex and `color`. linkCount
    // holds the capacity of linkRects/linkTexts on entry and the number of link pieces found on
    // return; the rectangles passed in (those of the previous paint) decide which link is hovered.
    // With DT_CALCRECT nothing is drawn and `rect` receives the size the text needs.
    static void Draw(HDC dc, IRenderResources* manager, CUIRect& rect, const char16_t* text, std::uint32_t color,
                     CUIRect* linkRects, CUIString* linkTexts, int& linkCount, int fontIndex, unsigned style);
};

} // namespace ui
