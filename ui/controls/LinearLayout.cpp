// The separator of the vertical and horizontal layouts.
#include "ui/controls/LinearLayout.h"

#include "ui/manager/WindowManager.h"

#include "platform/WindowSystem.h"

#include <algorithm>

namespace ui {

CLinearLayoutUI::CLinearLayoutUI(Axis axis) : m_axis(axis) {}

void CLinearLayoutUI::SetSepImmediate(bool immediate)
{
    if (immediate == m_sepImmediate) {
        return;
    }
    // A deferred drag draws its feedback bar from the post-paint list; an immediate one does not.
    if (IsSepDragging() && !m_sepImmediate && m_manager != nullptr) {
        m_manager->RemovePostPaint(this);
    }
    m_sepImmediate = immediate;
}

CUIRect CLinearLayoutUI::GetThumbRect(bool useDragRect) const
{
    const CUIRect r = (IsSepDragging() && useDragRect) ? m_dragRect : m_itemRect;
    if (m_axis == Axis::Vertical) {
        if (m_sepSize >= 0) {
            return CUIRect(r.left, std::max(r.top, r.bottom - m_sepSize), r.right, r.bottom);
        }
        return CUIRect(r.left, r.top, r.right, std::min(r.top - m_sepSize, r.bottom));
    }
    if (m_sepSize >= 0) {
        return CUIRect(r.right - m_sepSize, r.top, r.right, r.bottom);
    }
    return CUIRect(r.left, r.top, r.left - m_sepSize, r.bottom);
}

std::uint32_t CLinearLayoutUI::GetControlFlags() const
{
    return (IsEnabled() && m_sepSize != 0) ? CF_SETCURSOR : 0;
}

void CLinearLayoutUI::HandleEvent(TUIEvent& event)
{
    if (m_sepSize != 0 && HandleSeparatorEvent(event)) {
        return;
    }
    CContainerUI::HandleEvent(event);
}

bool CLinearLayoutUI::HandleSeparatorEvent(TUIEvent& event)
{
    switch (event.kind) {
    case EVT_BUTTON_DOWN:
        if (!IsEnabled() || !GetThumbRect(false).Contains(event.point)) {
            return false;
        }
        BeginDrag(event.point);
        return true;
    case EVT_BUTTON_UP:
        if (!IsSepDragging()) {
            return false;
        }
        EndDrag();
        return true;
    case EVT_MOUSE_MOVE:
        if (!IsSepDragging()) {
            return false;
        }
        DragTo(event.point);
        return true;
    case EVT_SET_CURSOR:
        if (!IsEnabled() || !GetThumbRect(false).Contains(event.point)) {
            return false;
        }
        platform::Windows().SetCursor(
            platform::Windows().LoadCursor(nullptr, m_axis == Axis::Vertical ? IDC_SIZENS : IDC_SIZEWE));
        return true;
    default:
        return false;
    }
}

void CLinearLayoutUI::BeginDrag(const CUIPoint& point)
{
    m_buttonState |= kSeparatorDragging;
    m_lastMouse = point;
    m_dragRect = m_itemRect;
    if (!m_sepImmediate && m_manager != nullptr) {
        m_manager->AddPostPaint(this);
    }
}

void CLinearLayoutUI::EndDrag()
{
    m_buttonState &= ~kSeparatorDragging;
    m_itemRect = m_dragRect;
    if (!m_sepImmediate && m_manager != nullptr) {
        m_manager->RemovePostPaint(this);
    }
    RequestParentLayout();
}

void CLinearLayoutUI::DragTo(const CUIPoint& point)
{
    const int d = Along(point) - Along(m_lastMouse);
    m_lastMouse = point;
    const int at = Along(point);
    CUIRect r = m_dragRect;
    CUIRect& dragged = m_dragRect;
    // Only a pointer on the far side of the moving edge moves it, so the edge does not run away
    // from a pointer that was dragged past a limit and comes back.
    if (m_sepSize >= 0) {
        if ((d > 0 && at < High(dragged) - m_sepSize) || (d < 0 && at > High(dragged))) {
            return;
        }
        High(r) += d;
    } else {
        if ((d > 0 && at < Low(dragged)) || (d < 0 && at > Low(dragged) - m_sepSize)) {
            return;
        }
        Low(r) += d;
    }

    const auto setExtent = [&](CUIRect& rect, int extent) {
        if (m_sepSize >= 0) {
            High(rect) = Low(rect) + extent;
        } else {
            Low(rect) = High(rect) - extent;
        }
    };
    const int minExtent = MinExtent();
    const int maxExtent = MaxExtent();
    if (Extent(r) <= minExtent) {
        if (Extent(m_dragRect) <= minExtent) {
            return;
        }
        setExtent(r, minExtent);
    }
    if (Extent(r) >= maxExtent) {
        if (Extent(m_dragRect) >= maxExtent) {
            return;
        }
        setExtent(r, maxExtent);
    }

    CUIRect dirty = GetThumbRect(true);
    m_dragRect = r;
    // The fixed size is stored directly: a deferred drag must not relayout before the release.
    if (m_axis == Axis::Vertical) {
        m_fixedHeight = r.Height();
    } else {
        m_fixedWidth = r.Width();
    }
    if (m_sepImmediate) {
        m_itemRect = m_dragRect;
        RequestParentLayout();
        return;
    }
    dirty.Join(GetThumbRect(true));
    dirty.Join(GetThumbRect(false));
    if (m_manager != nullptr) {
        m_manager->Invalidate(dirty);
    }
}

bool CLinearLayoutUI::PostPaint(HDC dc, const CUIRect& paintRect)
{
    if (IsSepDragging() && !m_sepImmediate) {
        CRenderKit::FillColor(dc, GetThumbRect(true), kFeedbackColor);
    }
    return CContainerUI::PostPaint(dc, paintRect);
}

} // namespace ui
