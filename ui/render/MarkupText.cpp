// CMarkupText: draws and measures markup text through CMarkupLayout, after the language tokens
// are replaced, the hovered link is found and a centred or bottom-aligned block is placed.
#include "ui/render/MarkupText.h"

#include "ui/render/RenderResources.h"
#include "ui/render/MarkupLayout.h"

#include "platform/DeviceContext.h"

#include <algorithm>

namespace ui {

namespace {

using markup::CMarkupLayout;
using markup::LinkSink;

// The text of the link under the mouse, from the rectangles of the previous paint.
CUIString HoveredLink(IRenderResources* manager, const LinkSink& links)
{
    const CUIPoint mouse = manager->LastMousePos();
    for (int i = 0; i < links.capacity; ++i) {
        if (links.rects[i].Contains(mouse))
            return links.texts[i];
    }
    return {};
}

void Render(HDC dc, IRenderResources* manager, CUIRect& rect, const char16_t* text, std::uint32_t color,
            LinkSink& links, int fontIndex, unsigned style);

// Moves the rectangle of a centred, right-aligned, vertically centred or bottom-aligned block to
// where the measured text goes.
void AlignBlock(IRenderResources* manager, CUIRect& rect, const char16_t* text, std::uint32_t color, int fontIndex,
                unsigned style)
{
    const bool single = (style & DT_SINGLELINE) != 0;
    CUIRect measured = single ? CUIRect(0, 0, 9999, 100) : CUIRect(0, 0, rect.Width(), rect.Height());
    LinkSink none;
    Render(nullptr, manager, measured, text, color, none, fontIndex, style | DT_CALCRECT);
    const int width = measured.Width();
    const int height = measured.Height();
    if (single && (style & DT_CENTER)) {
        rect.left += rect.Width() / 2 - width / 2;
        rect.right = rect.left + width;
    } else if (single && (style & DT_RIGHT)) {
        rect.left = rect.right - width;
    }
    if (style & DT_VCENTER) {
        rect.top += rect.Height() / 2 - height / 2;
        rect.bottom = rect.top + height;
    } else if (style & DT_BOTTOM) {
        rect.top = rect.bottom - height;
    }
}

void Render(HDC dc, IRenderResources* manager, CUIRect& rect, const char16_t* text, std::uint32_t color,
            LinkSink& links, int fontIndex, unsigned style)
{
    const bool drawing = (style & DT_CALCRECT) == 0;
    if (drawing && !dc)
        return;
    const CUIString hovered = links.capacity > 0 ? HoveredLink(manager, links) : CUIString();
    links.count = 0;
    CUIRect area = rect;
    if (drawing && (style & (DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM)))
        AlignBlock(manager, area, text, color, fontIndex, style);
    if (drawing) {
        dc->Save();
        dc->IntersectClipRect({rect.left, rect.top, rect.right, rect.bottom});
    }
    CMarkupLayout layout(drawing ? dc : nullptr, manager, area, rect, text, color, fontIndex, style, links, hovered);
    layout.Run();
    if (drawing) {
        dc->Restore();
        return;
    }
    rect.bottom = layout.Bottom();
    rect.right = std::min(rect.right, layout.MaxX());
}

} // namespace

void CMarkupText::Draw(HDC dc, IRenderResources* manager, CUIRect& rect, const char16_t* text, std::uint32_t color,
                       CUIRect* linkRects, CUIString* linkTexts, int& linkCount, int fontIndex, unsigned style)
{
    LinkSink links;
    if (linkRects && linkTexts)
        links = {linkRects, linkTexts, std::max(linkCount, 0), 0};
    linkCount = 0;
    if (!text || !manager || rect.IsEmpty())
        return;
    CUIString expanded(text);
    manager->ExpandTextTokens(expanded);
    Render(dc, manager, rect, expanded.CStr(), CRenderKit::SubstituteBlack(color), links, fontIndex, style);
    linkCount = links.count;
}

} // namespace ui
