// The linear layouts' stacking algorithm, written once along an axis, and their separator.
#include "ui/controls/LinearLayout.h"

#include "ui/controls/LayoutArea.h"
#include "ui/core/ValueParse.h"
#include "ui/manager/WindowManager.h"

#include <algorithm>

namespace ui {

namespace {

// Where the vertical and the horizontal layout are not each other's transpose. Everything else in
// this file reads sizes and rectangles through TAxisView, so the two layouts cannot drift apart.
struct TAxisRules
{
    // A child without a fixed extent along the axis shares the free extent even when it measures
    // one, unless it sizes itself to its content (auto width). A row is made of labels and buttons
    // that measure their text; they stretch unless asked not to. A column keeps a measured height,
    // so a multi-line label stays as tall as its text.
    bool unfixedChildStretches;
    // While measuring, such a child counts with its fixed extent across the axis, not the one it
    // measured, so the row's needed height does not follow text its children may never show.
    bool unfixedChildCrossIsFixed;
    // A centred child keeps its padding as an offset (top minus bottom) in a row; a column
    // centres the bare child and ignores its left and right padding.
    bool centredKeepsPadding;
    // The separator of a column is cut to the layout's own rectangle; a row's is always as thick
    // as asked, even on a narrower layout.
    bool thumbClamped;
    // The child alignment values that mean centred and far (right, bottom) across the axis.
    int alignCentre;
    int alignFar;
    // The markup attribute that sets the separator's thickness, and the cursor shown over it.
    const char16_t* sepAttribute;
    int sizingCursor;
};

constexpr TAxisRules kColumnRules{false, false, false, true, DT_CENTER, DT_RIGHT, u"sepheight", IDC_SIZENS};
constexpr TAxisRules kRowRules{true, true, true, false, DT_VCENTER, DT_BOTTOM, u"sepwidth", IDC_SIZEWE};

// Reads sizes, rectangles and child properties along the layout's axis ("along") and across it,
// and builds them back, so that the algorithm below is written once for both layouts.
struct TAxisView
{
    bool vertical;

    int Along(const CUISize& s) const { return vertical ? s.cy : s.cx; }
    int Across(const CUISize& s) const { return vertical ? s.cx : s.cy; }
    int Along(const CUIPoint& p) const { return vertical ? p.y : p.x; }
    CUISize Size(int along, int across) const { return vertical ? CUISize(across, along) : CUISize(along, across); }
    // The rectangle's near (top, left) and far (bottom, right) edges along the axis.
    int& Near(CUIRect& r) const { return vertical ? r.top : r.left; }
    int& Far(CUIRect& r) const { return vertical ? r.bottom : r.right; }
    int Near(const CUIRect& r) const { return vertical ? r.top : r.left; }
    int Far(const CUIRect& r) const { return vertical ? r.bottom : r.right; }
    int NearAcross(const CUIRect& r) const { return vertical ? r.left : r.top; }
    int FarAcross(const CUIRect& r) const { return vertical ? r.right : r.bottom; }
    int Extent(const CUIRect& r) const { return vertical ? r.Height() : r.Width(); }
    CUIRect Rect(int nearAlong, int farAlong, int nearAcross, int farAcross) const
    {
        return vertical ? CUIRect(nearAcross, nearAlong, farAcross, farAlong)
                        : CUIRect(nearAlong, nearAcross, farAlong, farAcross);
    }
    // The sum of a padding's two sides along and across the axis.
    int PadAlong(const CUIRect& pad) const { return Near(pad) + Far(pad); }
    int PadAcross(const CUIRect& pad) const { return NearAcross(pad) + FarAcross(pad); }

    int FixedAlong(const CControlUI& c) const { return vertical ? c.GetFixedHeight() : c.GetFixedWidth(); }
    int FixedAcross(const CControlUI& c) const { return vertical ? c.GetFixedWidth() : c.GetFixedHeight(); }
    int MinAlong(const CControlUI& c) const { return vertical ? c.GetMinHeight() : c.GetMinWidth(); }
    int MaxAlong(const CControlUI& c) const { return vertical ? c.GetMaxHeight() : c.GetMaxWidth(); }
    int MinAcross(const CControlUI& c) const { return vertical ? c.GetMinWidth() : c.GetMinHeight(); }
    int MaxAcross(const CControlUI& c) const { return vertical ? c.GetMaxWidth() : c.GetMaxHeight(); }
    bool AutoAlong(const CControlUI& c) const { return vertical ? c.IsAutoHeight() : c.IsAutoWidth(); }
    bool AutoAcross(const CControlUI& c) const { return vertical ? c.IsAutoWidth() : c.IsAutoHeight(); }
    int ClampAlong(int v, const CControlUI& c) const { return std::min(std::max(v, MinAlong(c)), MaxAlong(c)); }
    int ClampAcross(int v, const CControlUI& c) const { return std::min(std::max(v, MinAcross(c)), MaxAcross(c)); }

    // Scroll state of the bar that scrolls along (across) the axis; 0 for a hidden or missing bar.
    int ScrollPosAlong(const TLayoutArea& a) const { return Along(a.scrollPos); }
    int ScrollPosAcross(const TLayoutArea& a) const { return Across(a.scrollPos); }
    int ScrollRangeAcross(const TLayoutArea& a) const { return Across(a.scrollRange); }
    bool BarAcrossVisible(const TLayoutArea& a) const { return vertical ? a.hBarVisible : a.vBarVisible; }
};

const TAxisRules& RulesOf(CLinearLayoutUI::Axis axis)
{
    return axis == CLinearLayoutUI::Axis::Vertical ? kColumnRules : kRowRules;
}

TAxisView ViewOf(CLinearLayoutUI::Axis axis)
{
    return TAxisView{axis == CLinearLayoutUI::Axis::Vertical};
}

// Both steps must agree on which children share the free extent, or the last of them would not
// get the remainder.
bool IsAdjustable(const TAxisRules& rules, const TAxisView& axis, const CControlUI& child, const CUISize& est)
{
    if (rules.unfixedChildStretches && !axis.AutoAlong(child) && axis.FixedAlong(child) == 0) {
        return true;
    }
    return axis.Along(est) == 0;
}

} // namespace

CLinearLayoutUI::CLinearLayoutUI(Axis axis) : m_axis(axis) {}

// ---- layout ---------------------------------------------------------------------------------------

void CLinearLayoutUI::SetPosition(CUIRect rect, bool needInvalidate)
{
    TLayoutArea area;
    if (!StartLayout(*this, rect, needInvalidate, area)) {
        return;
    }
    const TAxisView axis = ViewOf(m_axis);
    const TMeasure measure = MeasureChildren(area.avail);
    const int expand = DistributeFreeExtent(measure, axis.Along(area.avail));
    const int alongNeeded = PlaceChildren(area, measure, expand);
    const int gaps = std::max(0, measure.count - 1) * m_childPadding;
    const CUISize needed = axis.Size(alongNeeded + gaps, measure.crossNeeded);
    ProcessScrollBar(area.rc, needed.cx, needed.cy);
}

CLinearLayoutUI::TMeasure CLinearLayoutUI::MeasureChildren(const CUISize& avail) const
{
    const TAxisRules& rules = RulesOf(m_axis);
    const TAxisView axis = ViewOf(m_axis);
    TMeasure m;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        auto* child = static_cast<CControlUI*>(m_items[i]);
        if (!child->IsVisible() || child->IsFloat()) {
            continue;
        }
        const CUIRect pad = child->GetPadding();
        const CUISize sz = LowerToLimit(axis.Size(axis.Along(avail), axis.Across(avail) - axis.PadAcross(pad)), *child);
        const CUISize measured = child->MeasureSize(sz);
        int along = axis.Along(measured);
        int across = axis.Across(measured);
        if (rules.unfixedChildCrossIsFixed && axis.FixedAlong(*child) == 0) {
            across = axis.FixedAcross(*child);
        }
        if (IsAdjustable(rules, axis, *child, measured)) {
            ++m.adjustables;
            along = 0;
        } else {
            along = axis.ClampAlong(along, *child);
        }
        m.fixedSum += along + axis.PadAlong(pad);
        across = axis.ClampAcross(std::max(across, 0), *child);
        m.crossNeeded = std::max(m.crossNeeded, across + axis.PadAcross(pad));
        ++m.count;
    }
    if (m.count > 0) {
        m.fixedSum += (m.count - 1) * m_childPadding;
    }
    return m;
}

int CLinearLayoutUI::DistributeFreeExtent(const TMeasure& measure, int availAlong)
{
    return measure.adjustables > 0 ? std::max(0, (availAlong - measure.fixedSum) / measure.adjustables) : 0;
}

int CLinearLayoutUI::PlaceChildren(const TLayoutArea& area, const TMeasure& measure, int expand)
{
    const TAxisRules& rules = RulesOf(m_axis);
    const TAxisView axis = ViewOf(m_axis);
    const CUISize avail = area.avail;
    int remaining = axis.Along(avail);
    int at = axis.Near(area.rc) - axis.ScrollPosAlong(area);
    int fixedLeft = measure.fixedSum;
    int adjustablesSeen = 0;
    int placed = 0;
    int alongNeeded = 0;
    PlaceVisibleChildren([&](int, CControlUI& child) {
        const CUIRect pad = child.GetPadding();
        remaining -= axis.Near(pad);
        const int acrossAvail = axis.Across(avail) - axis.PadAcross(pad);
        const CUISize sz = LowerToLimit(axis.Size(remaining, acrossAvail), child);
        fixedLeft -= axis.PadAlong(pad);
        if (placed > 0) {
            fixedLeft -= m_childPadding;
        }
        ++placed;
        const CUISize est = child.MeasureSize(sz);

        // Adjustable children get the even share; the last of them also takes the rounding
        // remainder, which is what the fixed children left after it.
        int extent = 0;
        if (IsAdjustable(rules, axis, child, est)) {
            ++adjustablesSeen;
            extent = expand;
            if (adjustablesSeen == measure.adjustables) {
                extent = std::max(0, remaining - axis.Far(pad) - fixedLeft);
            }
            extent = axis.ClampAlong(extent, child);
        } else {
            extent = axis.ClampAlong(axis.Along(est), child);
            fixedLeft -= extent;
        }

        int cross = axis.AutoAcross(child) ? axis.Across(est) : axis.MaxAcross(child);
        if (cross == 0) {
            cross = acrossAvail;
        }
        cross = std::max(std::min(std::max(cross, 0), axis.Across(sz)), axis.MinAcross(child));

        child.PlaceByLayout(AlignAcross(area, pad, at + axis.Near(pad), extent, cross));

        at += extent + m_childPadding + axis.PadAlong(pad);
        alongNeeded += extent + axis.PadAlong(pad);
        remaining -= extent + m_childPadding + axis.Far(pad);
    });
    return alongNeeded;
}

CUIRect CLinearLayoutUI::AlignAcross(const TLayoutArea& area, const CUIRect& pad, int along, int extent,
                                     int cross) const
{
    const TAxisRules& rules = RulesOf(m_axis);
    const TAxisView axis = ViewOf(m_axis);
    const int align = m_axis == Axis::Vertical ? m_childAlign : m_childVAlign;
    const bool barVisible = axis.BarAcrossVisible(area);
    const int nearPad = axis.NearAcross(pad);
    const int farPad = axis.FarAcross(pad);
    if (align == rules.alignCentre) {
        int mid = (axis.NearAcross(area.rc) + axis.FarAcross(area.rc)) / 2;
        if (barVisible) {
            mid += axis.ScrollRangeAcross(area) / 2 - axis.ScrollPosAcross(area);
        }
        const int shift = rules.centredKeepsPadding ? nearPad - farPad : 0;
        return axis.Rect(along, along + extent, mid - cross / 2 + shift, mid + cross - cross / 2 + shift);
    }
    if (align == rules.alignFar) {
        int farEdge = axis.FarAcross(area.rc);
        if (barVisible) {
            farEdge += axis.ScrollRangeAcross(area) - axis.ScrollPosAcross(area);
        }
        return axis.Rect(along, along + extent, farEdge - farPad - cross, farEdge - farPad);
    }
    const int nearEdge = axis.NearAcross(area.rc) - axis.ScrollPosAcross(area);
    return axis.Rect(along, along + extent, nearEdge + nearPad, nearEdge + nearPad + cross);
}

void CLinearLayoutUI::SetAttribute(const char16_t* name, const char16_t* value)
{
    if (markup::TextEquals(name, RulesOf(m_axis).sepAttribute)) {
        SetSepSize(markup::ParseCoordinate(value));
    } else if (markup::TextEquals(name, u"sepimm")) {
        SetSepImmediate(markup::ParseBool(value));
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

// ---- separator ------------------------------------------------------------------------------------

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
    const TAxisView axis = ViewOf(m_axis);
    const bool clamped = RulesOf(m_axis).thumbClamped;
    CUIRect r = (IsSepDragging() && useDragRect) ? m_dragRect : m_itemRect;
    if (m_sepSize >= 0) {
        const int nearEdge = axis.Far(r) - m_sepSize;
        axis.Near(r) = clamped ? std::max(axis.Near(r), nearEdge) : nearEdge;
    } else {
        const int farEdge = axis.Near(r) - m_sepSize;
        axis.Far(r) = clamped ? std::min(farEdge, axis.Far(r)) : farEdge;
    }
    return r;
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
        CWindowManagerUI::SetCursor(RulesOf(m_axis).sizingCursor);
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
    RequestDragLayout();
}

void CLinearLayoutUI::DragTo(const CUIPoint& point)
{
    const TAxisView axis = ViewOf(m_axis);
    const int d = axis.Along(point) - axis.Along(m_lastMouse);
    m_lastMouse = point;
    const int at = axis.Along(point);
    CUIRect r = m_dragRect;
    // Only a pointer on the far side of the moving edge moves it, so the edge does not run away
    // from a pointer that was dragged past a limit and comes back.
    if (m_sepSize >= 0) {
        if ((d > 0 && at < axis.Far(m_dragRect) - m_sepSize) || (d < 0 && at > axis.Far(m_dragRect))) {
            return;
        }
        axis.Far(r) += d;
    } else {
        if ((d > 0 && at < axis.Near(m_dragRect)) || (d < 0 && at > axis.Near(m_dragRect) - m_sepSize)) {
            return;
        }
        axis.Near(r) += d;
    }

    const auto setExtent = [&](CUIRect& rect, int extent) {
        if (m_sepSize >= 0) {
            axis.Far(rect) = axis.Near(rect) + extent;
        } else {
            axis.Near(rect) = axis.Far(rect) - extent;
        }
    };
    const int minExtent = axis.MinAlong(*this);
    const int maxExtent = axis.MaxAlong(*this);
    if (axis.Extent(r) <= minExtent) {
        if (axis.Extent(m_dragRect) <= minExtent) {
            return;
        }
        setExtent(r, minExtent);
    }
    if (axis.Extent(r) >= maxExtent) {
        if (axis.Extent(m_dragRect) >= maxExtent) {
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
        RequestDragLayout();
        return;
    }
    dirty.Join(GetThumbRect(true));
    dirty.Join(GetThumbRect(false));
    if (m_manager != nullptr) {
        m_manager->Invalidate(dirty);
    }
}

void CLinearLayoutUI::RequestDragLayout()
{
    // The drag set the rectangle itself, so the layout cannot tell where the layout stood before:
    // the whole parent is repainted.
    RequestParentLayout();
    if (GetParent() != nullptr) {
        GetParent()->Invalidate();
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
