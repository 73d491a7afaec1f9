// The tile layout's grid arithmetic: columns and the gap between them from the width (or fixed),
// rows from the child count (or fixed), each child centred or aligned inside its cell.
#include "ui/controls/TileLayout.h"

#include "ui/controls/LayoutArea.h"
#include "ui/core/ValueParse.h"

#include <algorithm>
#include <utility>

namespace ui {

namespace {

constexpr const char16_t* kClassName = u"TileLayout";

bool IsPlacedInGrid(const CControlUI& child)
{
    return child.IsVisible() && !child.IsFloat();
}

// A child's near and far edge on one axis of its cell: the cell starts at `at` and is `cell` long,
// the child is `extent` long (its padding already taken off) and aligned centred, far or near. The
// two axes follow the same rule, so it is written once.
std::pair<int, int> AlignInCell(int at, int cell, int extent, int nearPad, int farPad, bool centred, bool farAligned)
{
    if (centred) {
        return {at + (cell - extent) / 2 + nearPad, at + (cell - extent) / 2 + extent - farPad};
    }
    if (farAligned) {
        return {at + cell - extent + nearPad, at + cell - farPad};
    }
    return {at + nearPad, at + extent - farPad};
}

} // namespace

CTileLayoutUI::CTileLayoutUI() = default;

const char16_t* CTileLayoutUI::GetClassName() const
{
    return kClassName;
}

void* CTileLayoutUI::CastTo(const char16_t* typeName)
{
    if (markup::TextEquals(typeName, kClassName)) {
        return this;
    }
    return CContainerUI::CastTo(typeName);
}

void CTileLayoutUI::SetItemSize(CUISize size)
{
    if (size == m_itemSize) {
        return;
    }
    m_itemSize = size;
    RequestLayout();
}

void CTileLayoutUI::SetFixedColumns(int columns)
{
    if (columns < 0) {
        return;
    }
    m_fixedColumns = columns;
    RequestLayout();
}

void CTileLayoutUI::SetFixedRows(int rows)
{
    if (rows < 0) {
        return;
    }
    m_fixedRows = rows;
    RequestLayout();
}

void CTileLayoutUI::SetChildVPadding(int padding)
{
    m_childVPadding = std::max(padding, 0);
    RequestLayout();
}

bool CTileLayoutUI::IsFull() const
{
    const int capacity = m_fixedColumns * m_fixedRows;
    return capacity >= 1 && m_items.GetSize() >= capacity;
}

bool CTileLayoutUI::Add(CControlUI* control)
{
    return IsFull() ? false : CContainerUI::AddAt(control, GetCount());
}

bool CTileLayoutUI::AddAt(CControlUI* control, int index)
{
    return IsFull() ? false : CContainerUI::AddAt(control, index);
}

void CTileLayoutUI::SetPosition(CUIRect rect, bool needInvalidate)
{
    TLayoutArea area;
    if (!StartLayout(*this, rect, needInvalidate, area)) {
        return;
    }
    if (m_fixedRows < 1) {
        int visibleCount = 0;
        for (int i = 0; i < m_items.GetSize(); ++i) {
            visibleCount += IsPlacedInGrid(*static_cast<CControlUI*>(m_items[i])) ? 1 : 0;
        }
        LayoutColumns(area, visibleCount);
    } else {
        LayoutRows(area);
    }
}

void CTileLayoutUI::LayoutColumns(const TLayoutArea& area, int k)
{
    const CUIRect& rc = area.rc;
    const int W = m_itemSize.cx;
    const int H = m_itemSize.cy;
    const int rcW = rc.Width();
    int gap = m_childPadding;
    int cxNeeded = 0;
    if (m_fixedColumns == 0) {
        if (rcW < W) {
            m_columns = 1;
            cxNeeded = W;
        } else {
            // A cell size that does not advance (zero or negative items) still gives one column
            // instead of a division by zero.
            m_columns = (W + gap) >= 1 ? std::max(1, (rcW + gap) / (W + gap)) : 1;
            cxNeeded = rcW;
            if (m_columns < 2) {
                gap = 0;
            } else if (gap < 1) {
                gap = std::max(0, (rcW - m_columns * W) / (m_columns - 1));
            }
        }
    } else {
        m_columns = m_fixedColumns;
        if (m_columns < 2) {
            gap = 0;
        } else if (gap < 1) {
            const bool useAvail = !area.hBarVisible || rcW < m_columns * W;
            const int width = useAvail ? area.avail.cx : rcW;
            gap = std::max(0, (width - m_columns * W) / (m_columns - 1));
        }
        cxNeeded = k < m_columns ? k * W + (k - 1) * gap : m_columns * W + (m_columns - 1) * gap;
    }
    m_rows = (k - 1) / m_columns + 1;
    const int cyNeeded = m_rows * H + (m_rows - 1) * m_childVPadding;

    int j = 0;
    PlaceVisibleChildren([&](int, CControlUI& child) {
        const int x = (W + gap) * (j % m_columns) + rc.left - area.scrollPos.cx;
        const int y = (H + m_childVPadding) * (j / m_columns) + rc.top - area.scrollPos.cy;
        PlaceInCell(child, x, y);
        ++j;
    });
    ProcessScrollBar(rc, cxNeeded, cyNeeded);
}

void CTileLayoutUI::LayoutRows(const TLayoutArea& area)
{
    const CUIRect& rc = area.rc;
    const int W = m_itemSize.cx;
    const int H = m_itemSize.cy;
    const int rcW = rc.Width();
    const int rcH = rc.Height();
    int vgap = m_childVPadding;
    int hgap = m_childPadding;
    m_rows = m_fixedRows;
    if (m_rows < 2) {
        vgap = 0;
    } else if (vgap < 1) {
        const int height = (!area.vBarVisible || rcH < m_rows * H) ? area.avail.cy : rcH;
        vgap = std::max(0, (height - m_rows * H) / (m_rows - 1));
    }
    m_columns = m_fixedColumns != 0 ? m_fixedColumns : (m_items.GetSize() - 1 + m_rows) / m_rows;
    if (m_columns < 2) {
        hgap = 0;
    } else if (hgap < 1) {
        hgap = rcW < m_columns * W ? 0 : std::max(0, (rcW - m_columns * W) / (m_columns - 1));
    }

    // Every child counts for its cell, so hidden children leave holes in the grid.
    PlaceVisibleChildren([&](int i, CControlUI& child) {
        const int x = (W + hgap) * (i / m_rows) + rc.left - area.scrollPos.cx;
        const int y = (H + vgap) * (i % m_rows) + rc.top - area.scrollPos.cy;
        PlaceInCell(child, x, y);
    });
    ProcessScrollBar(rc, m_columns * W + (m_columns - 1) * m_childPadding, rcH);
}

void CTileLayoutUI::PlaceInCell(CControlUI& child, int x, int y) const
{
    const int W = m_itemSize.cx;
    const int H = m_itemSize.cy;
    const CUIRect pad = child.GetPadding();
    const int w = std::max(0, std::min(W - pad.left - pad.right, child.GetMaxWidth()));
    const int h = std::max(0, std::min(H - pad.top - pad.bottom, child.GetMaxHeight()));
    const auto [left, right] = AlignInCell(x, W, w, pad.left, pad.right, m_childAlign == static_cast<int>(DT_CENTER),
                                           m_childAlign == static_cast<int>(DT_RIGHT));
    const auto [top, bottom] = AlignInCell(y, H, h, pad.top, pad.bottom, m_childVAlign == static_cast<int>(DT_VCENTER),
                                           m_childVAlign == static_cast<int>(DT_BOTTOM));
    child.PlaceByLayout(CUIRect(left, top, right, bottom));
}

void CTileLayoutUI::SetAttribute(const char16_t* name, const char16_t* value)
{
    if (markup::TextEquals(name, u"itemsize")) {
        std::int32_t v[2] = {0, 0};
        markup::ParseIntList(value, v, 2);
        SetItemSize(CUISize(v[0], v[1]));
    } else if (markup::TextEquals(name, u"columns")) {
        SetFixedColumns(markup::ParseCoordinate(value));
    } else if (markup::TextEquals(name, u"rows")) {
        SetFixedRows(markup::ParseCoordinate(value));
    } else if (markup::TextEquals(name, u"childvpadding")) {
        SetChildVPadding(markup::ParseCoordinate(value));
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

} // namespace ui
