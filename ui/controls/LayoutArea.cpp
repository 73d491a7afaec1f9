// Shared steps of the vertical, horizontal and tile layouts.
#include "ui/controls/LayoutArea.h"

#include "ui/controls/ScrollBar.h"

#include <algorithm>

namespace ui {

namespace {

bool IsShown(const CScrollBarUI* bar)
{
    return bar != nullptr && bar->IsVisible();
}

} // namespace

void ResetScrollRangesForResize(CContainerUI& container, const CUIRect& newRect)
{
    const CUIRect& old = container.GetPosition();
    if (newRect.Width() != old.Width() && IsShown(container.GetHorizontalScrollBar())) {
        container.GetHorizontalScrollBar()->SetScrollRange(0);
    }
    if (newRect.Height() != old.Height() && IsShown(container.GetVerticalScrollBar())) {
        container.GetVerticalScrollBar()->SetScrollRange(0);
    }
}

TLayoutArea MeasureLayoutArea(const CContainerUI& container)
{
    TLayoutArea area;
    const CUIRect& item = container.GetPosition();
    const CUIRect inset = container.GetInset();
    area.rc =
        CUIRect(item.left + inset.left, item.top + inset.top, item.right - inset.right, item.bottom - inset.bottom);
    const CScrollBarUI* vBar = container.GetVerticalScrollBar();
    const CScrollBarUI* hBar = container.GetHorizontalScrollBar();
    area.vBarVisible = IsShown(vBar);
    area.hBarVisible = IsShown(hBar);
    if (area.vBarVisible) {
        area.rc.right -= vBar->GetFixedWidth();
        area.scrollPos.cy = vBar->GetScrollPos();
        area.scrollRange.cy = vBar->GetScrollRange();
    }
    if (area.hBarVisible) {
        area.rc.bottom -= hBar->GetFixedHeight();
        area.scrollPos.cx = hBar->GetScrollPos();
        area.scrollRange.cx = hBar->GetScrollRange();
    }
    area.avail = CUISize(area.rc.Width() + area.scrollRange.cx, area.rc.Height() + area.scrollRange.cy);
    return area;
}

bool StartLayout(CContainerUI& container, const CUIRect& rect, bool needInvalidate, TLayoutArea& area)
{
    ResetScrollRangesForResize(container, rect);
    container.CControlUI::SetPosition(rect, needInvalidate);
    area = MeasureLayoutArea(container);
    if (container.GetCount() == 0) {
        container.ProcessScrollBar(area.rc, 0, 0);
        return false;
    }
    return true;
}

CUISize LowerToLimit(CUISize size, const CControlUI& child)
{
    const int limitWidth = child.GetFixedWidth() < 1 ? child.GetMaxWidth() : child.GetFixedWidth();
    const int limitHeight = child.GetFixedHeight() < 1 ? child.GetMaxHeight() : child.GetFixedHeight();
    return CUISize(std::min(size.cx, limitWidth), std::min(size.cy, limitHeight));
}

int ClampWidth(int width, const CControlUI& child)
{
    return std::min(std::max(width, child.GetMinWidth()), child.GetMaxWidth());
}

int ClampHeight(int height, const CControlUI& child)
{
    return std::min(std::max(height, child.GetMinHeight()), child.GetMaxHeight());
}

} // namespace ui
