// The vertical layout: a measuring pass that sums the fixed heights, a placing pass that hands the
// rest to the adjustable children, then the scroll bars for the height the content needs.
#include "ui/controls/VerticalLayout.h"

#include "ui/controls/LayoutArea.h"
#include "ui/core/ValueParse.h"

#include <algorithm>

namespace ui {

namespace {

constexpr const char16_t* kClassName = u"VerticalLayout";

struct TVerticalMeasure
{
    int fixedSum = 0;
    int adjustables = 0;
    int cxNeeded = 0;
    int count = 0;
};

TVerticalMeasure MeasureChildren(const CPtrArray& items, const CUISize& avail, int childPadding)
{
    TVerticalMeasure m;
    for (int i = 0; i < items.GetSize(); ++i) {
        auto* child = static_cast<CControlUI*>(items[i]);
        if (!child->IsVisible() || child->IsFloat()) {
            continue;
        }
        const CUIRect pad = child->GetPadding();
        const CUISize sz = LowerToLimit(CUISize(avail.cx - pad.left - pad.right, avail.cy), *child);
        CUISize est = child->MeasureSize(sz);
        if (est.cy == 0) {
            ++m.adjustables;
        } else {
            est.cy = ClampHeight(est.cy, *child);
        }
        m.fixedSum += est.cy + pad.top + pad.bottom;
        est.cx = ClampWidth(std::max(est.cx, 0), *child);
        m.cxNeeded = std::max(m.cxNeeded, est.cx + pad.left + pad.right);
        ++m.count;
    }
    if (m.count > 0) {
        m.fixedSum += (m.count - 1) * childPadding;
    }
    return m;
}

} // namespace

CVerticalLayoutUI::CVerticalLayoutUI() : CLinearLayoutUI(Axis::Vertical) {}

const char16_t* CVerticalLayoutUI::GetClassName() const
{
    return kClassName;
}

void* CVerticalLayoutUI::CastTo(const char16_t* typeName)
{
    if (markup::TextEquals(typeName, kClassName)) {
        return this;
    }
    return CContainerUI::CastTo(typeName);
}

void CVerticalLayoutUI::SetPosition(CUIRect rect, bool needInvalidate)
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
    const TVerticalMeasure m = MeasureChildren(m_items, avail, m_childPadding);
    const int expand = m.adjustables > 0 ? std::max(0, (avail.cy - m.fixedSum) / m.adjustables) : 0;

    int remaining = avail.cy;
    int y = rc.top - area.scrollPos.cy;
    int fixedLeft = m.fixedSum;
    int adjustablesSeen = 0;
    int placed = 0;
    int cyNeeded = 0;
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
        remaining -= pad.top;
        const CUISize sz = LowerToLimit(CUISize(avail.cx - pad.left - pad.right, remaining), *child);
        fixedLeft -= pad.top + pad.bottom;
        if (placed > 0) {
            fixedLeft -= m_childPadding;
        }
        ++placed;
        const CUISize est = child->MeasureSize(sz);

        int height = 0;
        if (est.cy == 0) {
            ++adjustablesSeen;
            height = expand;
            if (adjustablesSeen == m.adjustables) {
                height = std::max(0, remaining - pad.bottom - fixedLeft);
            }
            height = ClampHeight(height, *child);
        } else {
            height = ClampHeight(est.cy, *child);
            fixedLeft -= height;
        }

        int width = child->IsAutoWidth() ? est.cx : child->GetMaxWidth();
        if (width == 0) {
            width = avail.cx - pad.left - pad.right;
        }
        width = std::max(std::min(std::max(width, 0), sz.cx), child->GetMinWidth());

        const int top = y + pad.top;
        CUIRect placedRect;
        if (m_childAlign == static_cast<int>(DT_CENTER)) {
            // Centred children ignore their left and right padding.
            int mid = (rc.left + rc.right) / 2;
            if (area.hBarVisible) {
                mid += area.scrollRange.cx / 2 - area.scrollPos.cx;
            }
            placedRect = CUIRect(mid - width / 2, top, mid + width - width / 2, top + height);
        } else if (m_childAlign == static_cast<int>(DT_RIGHT)) {
            int right = rc.right;
            if (area.hBarVisible) {
                right += area.scrollRange.cx - area.scrollPos.cx;
            }
            placedRect = CUIRect(right - pad.right - width, top, right - pad.right, top + height);
        } else {
            const int left = rc.left - area.scrollPos.cx;
            placedRect = CUIRect(left + pad.left, top, left + pad.left + width, top + height);
        }
        child->SetPosition(placedRect, false);

        y += height + m_childPadding + pad.top + pad.bottom;
        cyNeeded += height + pad.top + pad.bottom;
        remaining -= height + m_childPadding + pad.bottom;
    }
    ProcessScrollBar(rc, m.cxNeeded, cyNeeded + std::max(0, m.count - 1) * m_childPadding);
}

void CVerticalLayoutUI::SetAttribute(const char16_t* name, const char16_t* value)
{
    if (markup::TextEquals(name, u"sepheight")) {
        SetSepSize(markup::ParseCoordinate(value));
    } else if (markup::TextEquals(name, u"sepimm")) {
        SetSepImmediate(markup::ParseBool(value));
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

} // namespace ui
