// CControlUI: the position model (placement, fixed and relative sizes, limits) and the invalidation
// and layout requests that follow a change of geometry.
#include "ui/controls/Control.h"

#include "ui/manager/WindowManager.h"

#include "ui/core/Limits.h"

#include <algorithm>

namespace ui {

// ---- position ------------------------------------------------------------------------------------

const CUIRect& CControlUI::GetPosition() const
{
    return m_itemRect;
}

CUIRect CControlUI::GetRectInParent() const
{
    if (!m_parent)
        return {};
    CUIRect rect = m_itemRect;
    const CUIRect& parent = m_parent->GetPosition();
    rect.Offset(-parent.left, -parent.top);
    return rect;
}

CUIRect CControlUI::GetContentRect() const
{
    return m_itemRect;
}

void CControlUI::SetPosition(CUIRect rect, bool needInvalidate)
{
    if (rect.right < rect.left)
        rect.right = rect.left;
    if (rect.bottom < rect.top)
        rect.bottom = rect.top;

    CUIRect oldRect = m_itemRect;
    const bool firstPlacement = oldRect.IsEmpty();

    if (!m_floating) {
        m_itemRect = rect;
    } else if (m_parent) {
        // A floating rectangle is relative to the parent; the float placement follows it so that a
        // later layout reproduces the same place.
        const CUIRect& p = m_parent->GetPosition();
        const int w = p.Width();
        const int h = p.Height();
        m_itemRect = rect;
        m_itemRect.Offset(p.left, p.top);
        m_floatOffset.x = rect.left - limits::ScaleExtent(w, m_floatAnchors[0]);
        m_floatOffset.y = rect.top - limits::ScaleExtent(h, m_floatAnchors[1]);
        m_fixedWidth = rect.right - limits::ScaleExtent(w, m_floatAnchors[2]) - m_floatOffset.x;
        m_fixedHeight = rect.bottom - limits::ScaleExtent(h, m_floatAnchors[3]) - m_floatOffset.y;
    }

    // A control placed for the first time repaints only where it now is (for a floating control the
    // argument is parent-relative, so the placed rectangle is used rather than the argument).
    if (firstPlacement)
        oldRect = m_itemRect;

    if (!m_manager)
        return;

    if (!m_inSizeDelegates) {
        m_inSizeDelegates = true;
        if (m_sizeDelegates.HasAny())
            m_sizeDelegates.InvokeAll(this);
        m_inSizeDelegates = false;
    }
    m_layoutPending = false;
    m_innerLayoutPending = false;

    if (needInvalidate && IsVisible()) {
        CUIRect dirty = oldRect;
        dirty.Join(m_itemRect);
        // A control hidden by an ancestor or lying outside it needs no repaint, and its overlay is
        // left where it was.
        if (!InvalidateThroughAncestors(dirty))
            return;
    }
    PlaceOverlay(rect);
}

void CControlUI::PlaceByLayout(const CUIRect& rect)
{
    if (m_manager == nullptr || m_manager->IsFullLayoutPass()) {
        SetPosition(rect, false);
        return;
    }
    CUIRect target = rect;
    if (target.right < target.left)
        target.right = target.left;
    if (target.bottom < target.top)
        target.bottom = target.top;
    if (m_floating && m_parent)
        target.Offset(m_parent->GetPosition().left, m_parent->GetPosition().top);
    const CUIRect old = m_itemRect;
    const bool shown = m_repaintWhenPlaced;
    if (!shown && !NeedsLayout() && target == old)
        return;
    m_repaintWhenPlaced = false;
    SetPosition(rect, false);
    if (!shown && m_itemRect == old)
        return;
    CUIRect dirty = m_itemRect;
    if (!old.IsEmpty())
        dirty.Join(old);
    if (IsVisible())
        InvalidateThroughAncestors(dirty);
}

void CControlUI::PlaceOverlay(const CUIRect& rect)
{
    if (!m_overlay || !m_overlay->IsVisible())
        return;
    if (!m_overlay->IsFloat()) {
        int width = rect.Width();
        int height = rect.Height();
        width = std::min(std::max(width, m_overlay->GetMinWidth()), m_overlay->GetMaxWidth());
        height = std::min(std::max(height, m_overlay->GetMinHeight()), m_overlay->GetMaxHeight());
        m_overlay->PlaceByLayout({rect.left, rect.top, rect.left + width, rect.top + height});
        return;
    }
    m_overlay->PlaceByLayout(m_overlay->FloatPlacement(m_itemRect.Width(), m_itemRect.Height()));
}

CUIRect CControlUI::FloatPlacement(int parentWidth, int parentHeight) const
{
    const CUIPoint offset = GetFloatOffset();
    double l, t, r, b;
    GetFloatAnchors(l, t, r, b);
    return {limits::ScaleExtent(parentWidth, l) + offset.x, limits::ScaleExtent(parentHeight, t) + offset.y,
            limits::ScaleExtent(parentWidth, r) + offset.x + GetFixedWidth(),
            limits::ScaleExtent(parentHeight, b) + offset.y + GetFixedHeight()};
}

void CControlUI::Offset(int dx, int dy, bool needInvalidate)
{
    const CUIRect oldRect = m_itemRect;
    m_itemRect.Offset(dx, dy);
    if (needInvalidate && m_manager && IsVisible()) {
        CUIRect dirty = oldRect;
        dirty.Join(m_itemRect);
        if (!InvalidateThroughAncestors(dirty))
            return;
    }
    if (m_overlay && m_overlay->IsVisible())
        m_overlay->Offset(dx, dy, false);
}

int CControlUI::GetWidth() const
{
    return m_itemRect.Width();
}

int CControlUI::GetHeight() const
{
    return m_itemRect.Height();
}

int CControlUI::GetX() const
{
    return m_itemRect.left;
}

int CControlUI::GetY() const
{
    return m_itemRect.top;
}

CUIRect CControlUI::GetPadding() const
{
    return m_padding;
}

void CControlUI::SetPadding(CUIRect padding)
{
    m_padding = padding;
    RequestParentLayout();
}

CUIPoint CControlUI::GetFloatOffset() const
{
    return m_floatOffset;
}

void CControlUI::SetFloatOffset(int x, int y)
{
    m_floatOffset = {x, y};
    RequestParentLayout();
}

void CControlUI::GetFloatAnchors(double& left, double& top, double& right, double& bottom) const
{
    left = m_floatAnchors[0];
    top = m_floatAnchors[1];
    right = m_floatAnchors[2];
    bottom = m_floatAnchors[3];
}

void CControlUI::SetFloatAnchors(double left, double top, double right, double bottom)
{
    m_floatAnchors[0] = left;
    m_floatAnchors[1] = top;
    m_floatAnchors[2] = right;
    m_floatAnchors[3] = bottom;
    RequestParentLayout();
}

int CControlUI::GetFixedWidth() const
{
    return m_fixedWidth;
}

void CControlUI::SetFixedWidth(int cx)
{
    if (cx < 0)
        return;
    m_fixedWidth = cx;
    RequestParentLayout();
}

int CControlUI::GetFixedHeight() const
{
    return m_fixedHeight;
}

void CControlUI::SetFixedHeight(int cy)
{
    if (cy < 0)
        return;
    m_fixedHeight = cy;
    RequestParentLayout();
}

int CControlUI::GetMinWidth() const
{
    return m_minWidth;
}

void CControlUI::SetMinWidth(int cx)
{
    if (cx < 0 || cx == m_minWidth)
        return;
    m_minWidth = cx;
    RequestParentLayout();
}

int CControlUI::GetMaxWidth() const
{
    return std::max(m_maxWidth, m_minWidth);
}

void CControlUI::SetMaxWidth(int cx)
{
    if (cx < 0 || cx == m_maxWidth)
        return;
    m_maxWidth = cx;
    RequestParentLayout();
}

int CControlUI::GetMinHeight() const
{
    return m_minHeight;
}

void CControlUI::SetMinHeight(int cy)
{
    if (cy < 0 || cy == m_minHeight)
        return;
    m_minHeight = cy;
    RequestParentLayout();
}

int CControlUI::GetMaxHeight() const
{
    return std::max(m_maxHeight, m_minHeight);
}

void CControlUI::SetMaxHeight(int cy)
{
    if (cy < 0 || cy == m_maxHeight)
        return;
    m_maxHeight = cy;
    RequestParentLayout();
}

// ---- invalidation and layout requests ------------------------------------------------------------

void CControlUI::Invalidate()
{
    if (!IsVisible() || !m_manager)
        return;
    CUIRect rect = m_itemRect;
    for (CControlUI* parent = m_parent; parent; parent = parent->GetParent()) {
        if (!rect.Intersect(parent->GetPosition()))
            return;
    }
    m_manager->Invalidate(rect);
}

bool CControlUI::InvalidateThroughAncestors(CUIRect dirty) const
{
    for (CControlUI* parent = m_parent; parent; parent = parent->GetParent()) {
        if (!parent->IsVisible() || !dirty.Intersect(parent->GetPosition()))
            return false;
    }
    m_manager->Invalidate(dirty);
    return true;
}

void CControlUI::RequestLayout()
{
    if (!IsVisible())
        return;
    MarkLayoutPending();
    Invalidate();
}

void CControlUI::MarkLayoutPending()
{
    m_layoutPending = true;
    for (CControlUI* parent = m_parent; parent; parent = parent->m_parent)
        parent->m_innerLayoutPending = true;
    if (m_manager)
        m_manager->SetLayoutNeeded();
}

void CControlUI::RequestParentLayout()
{
    // Only the parent's layout changes: what it moves, it repaints (PlaceByLayout), and the parent
    // itself is not repainted for the request. The layout runs before the next paint, so the
    // request asks for that paint where the control stands now; a control with no place yet asks
    // for it over its parent.
    if (m_parent) {
        if (m_parent->IsVisible())
            m_parent->MarkLayoutPending();
        const bool painted =
            m_manager && IsVisible() && !m_itemRect.IsEmpty() && InvalidateThroughAncestors(m_itemRect);
        if (!painted && m_visible)
            m_parent->Invalidate();
    } else {
        RequestLayout();
    }
    if (m_manager)
        m_manager->SetLayoutNeeded();
}

} // namespace ui
