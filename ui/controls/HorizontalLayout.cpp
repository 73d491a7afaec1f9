// The horizontal layout: the vertical layout's scheme transposed, except that a child without a
// fixed width is adjustable unless it sizes itself to its content (auto width).
#include "ui/controls/HorizontalLayout.h"

#include "ui/controls/LayoutArea.h"
#include "ui/core/ValueParse.h"

#include <algorithm>

namespace ui {

namespace {

constexpr const char16_t* kClassName = u"HorizontalLayout";

// Both passes must agree on which children share the free width, or the last of them would not get
// the remainder.
bool IsAdjustable(const CControlUI& child, const CUISize& est)
{
    return (!child.IsAutoWidth() && child.GetFixedWidth() == 0) || est.cx == 0;
}

struct THorizontalMeasure
{
    int fixedSum = 0;
    int adjustables = 0;
    int cyNeeded = 0;
    int count = 0;
};

THorizontalMeasure MeasureChildren(const CPtrArray& items, const CUISize& avail, int childPadding)
{
    THorizontalMeasure m;
    for (int i = 0; i < items.GetSize(); ++i) {
        auto* child = static_cast<CControlUI*>(items[i]);
        if (!child->IsVisible() || child->IsFloat()) {
            continue;
        }
        const CUIRect pad = child->GetPadding();
        const CUISize sz = LowerToLimit(CUISize(avail.cx, avail.cy - pad.top - pad.bottom), *child);
        CUISize est = child->MeasureSize(sz);
        if (child->GetFixedWidth() == 0) {
            if (!child->IsAutoWidth()) {
                est.cx = 0;
            }
            est.cy = child->GetFixedHeight();
        }
        if (IsAdjustable(*child, est)) {
            ++m.adjustables;
            est.cx = 0;
        } else {
            est.cx = ClampWidth(est.cx, *child);
        }
        m.fixedSum += est.cx + pad.left + pad.right;
        est.cy = ClampHeight(std::max(est.cy, 0), *child);
        m.cyNeeded = std::max(m.cyNeeded, est.cy + pad.top + pad.bottom);
        ++m.count;
    }
    if (m.count > 0) {
        m.fixedSum += (m.count - 1) * childPadding;
    }
    return m;
}

} // namespace

CHorizontalLayoutUI::CHorizontalLayoutUI() : CLinearLayoutUI(Axis::Horizontal) {}

const char16_t* CHorizontalLayoutUI::GetClassName() const
{
    return kClassName;
}

void* CHorizontalLayoutUI::CastTo(const char16_t* typeName)
{
    if (markup::TextEquals(typeName, kClassName)) {
        return this;
    }
    return CContainerUI::CastTo(typeName);
}

void CHorizontalLayoutUI::SetPosition(CUIRect rect, bool needInvalidate)
{
    ResetScrollRangesForResize(*this, rect);
    CControlUI::SetPosition(rect, needInvalidate);
    const TLayoutArea area = MeasureLayoutArea(*this);
    const CUIRect& rc = area.rc;
    if (m_items.IsEmpty()) {
        ProcessScrollBar(rc, 0, 0);
        return;
    }
    const CUISize avail = area.avail;
    const THorizontalMeasure m = MeasureChildren(m_items, avail, m_childPadding);
    const int expand = m.adjustables > 0 ? std::max(0, (avail.cx - m.fixedSum) / m.adjustables) : 0;

    int remaining = avail.cx;
    int x = rc.left - area.scrollPos.cx;
    int fixedLeft = m.fixedSum;
    int adjustablesSeen = 0;
    int placed = 0;
    int cxNeeded = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        auto* child = static_cast<CControlUI*>(m_items[i]);
        if (!child->IsVisible()) {
            continue;
        }
        if (child->IsFloat()) {
            SetFloatChildPos(i);
            continue;
        }
        const CUIRect pad = child->GetPadding();
        remaining -= pad.left;
        const CUISize sz = LowerToLimit(CUISize(remaining, avail.cy - pad.top - pad.bottom), *child);
        fixedLeft -= pad.left + pad.right;
        if (placed > 0) {
            fixedLeft -= m_childPadding;
        }
        ++placed;
        const CUISize est = child->MeasureSize(sz);

        int width = 0;
        if (IsAdjustable(*child, est)) {
            ++adjustablesSeen;
            width = expand;
            if (adjustablesSeen == m.adjustables) {
                width = std::max(0, remaining - pad.right - fixedLeft);
            }
            width = ClampWidth(width, *child);
        } else {
            width = ClampWidth(est.cx, *child);
            fixedLeft -= width;
        }

        int height = child->IsAutoHeight() ? est.cy : child->GetMaxHeight();
        if (height == 0) {
            height = avail.cy - pad.top - pad.bottom;
        }
        height = std::max(std::min(std::max(height, 0), sz.cy), child->GetMinHeight());

        const int left = x + pad.left;
        CUIRect placedRect;
        if (m_childVAlign == static_cast<int>(DT_VCENTER)) {
            int mid = (rc.top + rc.bottom) / 2;
            if (area.vBarVisible) {
                mid += area.scrollRange.cy / 2 - area.scrollPos.cy;
            }
            placedRect = CUIRect(left, mid - height / 2 + pad.top - pad.bottom, left + width,
                                 mid + height - height / 2 + pad.top - pad.bottom);
        } else if (m_childVAlign == static_cast<int>(DT_BOTTOM)) {
            int bottom = rc.bottom;
            if (area.vBarVisible) {
                bottom += area.scrollRange.cy - area.scrollPos.cy;
            }
            placedRect = CUIRect(left, bottom - pad.bottom - height, left + width, bottom - pad.bottom);
        } else {
            const int top = rc.top - area.scrollPos.cy;
            placedRect = CUIRect(left, top + pad.top, left + width, top + pad.top + height);
        }
        child->SetPosition(placedRect, false);

        x += width + m_childPadding + pad.left + pad.right;
        cxNeeded += width + pad.left + pad.right;
        remaining -= width + m_childPadding + pad.right;
    }
    ProcessScrollBar(rc, cxNeeded + std::max(0, m.count - 1) * m_childPadding, m.cyNeeded);
}

void CHorizontalLayoutUI::SetAttribute(const char16_t* name, const char16_t* value)
{
    if (markup::TextEquals(name, u"sepwidth")) {
        SetSepSize(markup::ParseCoordinate(value));
    } else if (markup::TextEquals(name, u"sepimm")) {
        SetSepImmediate(markup::ParseBool(value));
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

} // namespace ui
