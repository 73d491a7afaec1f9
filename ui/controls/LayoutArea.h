// The start of a layout pass that the vertical, horizontal and tile layouts share: resetting scroll
// ranges on a resize, the area the children may use, and the per-child size limits.
#pragma once

#include "ui/controls/Container.h"

namespace ui {

// The content area of a container at the start of a layout, with the scroll state it is laid out in.
struct TLayoutArea
{
    CUIRect rc;          // item rectangle less inset and the visible bars
    CUISize avail;       // rc's size plus the range of each visible bar
    CUISize scrollPos;   // positions of the visible bars (0 for a hidden or missing one)
    CUISize scrollRange; // ranges of the visible bars
    bool vBarVisible = false;
    bool hBarVisible = false;
};

// A visible bar whose axis changes size starts over at range 0, so the layout measures afresh.
void ResetScrollRangesForResize(CContainerUI& container, const CUIRect& newRect);
TLayoutArea MeasureLayoutArea(const CContainerUI& container);
// The common start of the stacking and grid layouts: the scroll ranges reset on a resize, the
// container's own placement, then its content area. False, after telling the bars there is no
// content, when the container has no children to lay out.
bool StartLayout(CContainerUI& container, const CUIRect& rect, bool needInvalidate, TLayoutArea& area);

// Lowers a size to the child's limit: its fixed size, or its maximum where no size is fixed.
CUISize LowerToLimit(CUISize size, const CControlUI& child);
// Raises to the child's minimum, then lowers to its maximum.
int ClampWidth(int width, const CControlUI& child);
int ClampHeight(int height, const CControlUI& child);

} // namespace ui
