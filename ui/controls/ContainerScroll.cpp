// CContainerUI: scrolling: positions, line and page steps, the scroll bars' lifetime and the
// negotiation that shows, hides, places and ranges the bars for the laid-out content.
#include "ui/controls/Container.h"

#include "ui/controls/ScrollBar.h"
#include "ui/manager/WindowManager.h"

#include <cstdlib>

namespace ui {

namespace {

bool IsVisibleBar(const CScrollBarUI* bar)
{
    return bar && bar->IsVisible();
}

constexpr int kDefaultLineStep = 8;

} // namespace

CUISize CContainerUI::GetScrollPos() const
{
    return {IsVisibleBar(m_horizontalScrollBar) ? m_horizontalScrollBar->GetScrollPos() : 0,
            IsVisibleBar(m_verticalScrollBar) ? m_verticalScrollBar->GetScrollPos() : 0};
}

CUISize CContainerUI::GetScrollRange() const
{
    return {IsVisibleBar(m_horizontalScrollBar) ? m_horizontalScrollBar->GetScrollRange() : 0,
            IsVisibleBar(m_verticalScrollBar) ? m_verticalScrollBar->GetScrollRange() : 0};
}

void CContainerUI::SetScrollPos(CUISize pos, bool notify)
{
    int dx = 0;
    int dy = 0;
    if (IsVisibleBar(m_verticalScrollBar)) {
        const int old = m_verticalScrollBar->GetScrollPos();
        m_verticalScrollBar->SetScrollPos(pos.cy, notify);
        dy = m_verticalScrollBar->GetScrollPos() - old;
    }
    if (IsVisibleBar(m_horizontalScrollBar)) {
        const int old = m_horizontalScrollBar->GetScrollPos();
        m_horizontalScrollBar->SetScrollPos(pos.cx, notify);
        dx = m_horizontalScrollBar->GetScrollPos() - old;
    }
    if (dx == 0 && dy == 0)
        return;
    // Scrolling moves the children instead of laying them out again; floating children stay put.
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (child->IsVisible() && !child->IsFloat())
            child->Offset(-dx, -dy, false);
    }
    Invalidate();
}

int CContainerUI::VerticalLineStep() const
{
    if (m_verticalScrollBar && m_verticalScrollBar->GetScrollUnit() > 1)
        return m_verticalScrollBar->GetScrollUnit();
    if (!m_manager)
        return kDefaultLineStep;
    const TFontInfo* font = m_manager->DefaultFontInfo();
    return (font ? font->metrics.height : 0) + kDefaultLineStep;
}

void CContainerUI::LineUp()
{
    const CUISize pos = GetScrollPos();
    SetScrollPos({pos.cx, pos.cy - VerticalLineStep()});
}

void CContainerUI::LineDown()
{
    const CUISize pos = GetScrollPos();
    SetScrollPos({pos.cx, pos.cy + VerticalLineStep()});
}

static int HorizontalLineStep(const CScrollBarUI* bar)
{
    if (bar && bar->GetScrollUnit() > 1)
        return bar->GetScrollUnit();
    return kDefaultLineStep;
}

void CContainerUI::LineLeft()
{
    const CUISize pos = GetScrollPos();
    SetScrollPos({pos.cx - HorizontalLineStep(m_horizontalScrollBar), pos.cy});
}

void CContainerUI::LineRight()
{
    const CUISize pos = GetScrollPos();
    SetScrollPos({pos.cx + HorizontalLineStep(m_horizontalScrollBar), pos.cy});
}

namespace {

int VerticalPage(const CUIRect& item, const CUIRect& inset, const CScrollBarUI* horizontal)
{
    int page = item.Height() - inset.top - inset.bottom;
    if (IsVisibleBar(horizontal))
        page -= horizontal->GetFixedHeight();
    return page;
}

int HorizontalPage(const CUIRect& item, const CUIRect& inset, const CScrollBarUI* vertical)
{
    int page = item.Width() - inset.left - inset.right;
    if (IsVisibleBar(vertical))
        page -= vertical->GetFixedWidth();
    return page;
}

} // namespace

void CContainerUI::PageUp()
{
    const CUISize pos = GetScrollPos();
    SetScrollPos({pos.cx, pos.cy - VerticalPage(m_itemRect, m_inset, m_horizontalScrollBar)});
}

void CContainerUI::PageDown()
{
    const CUISize pos = GetScrollPos();
    SetScrollPos({pos.cx, pos.cy + VerticalPage(m_itemRect, m_inset, m_horizontalScrollBar)});
}

void CContainerUI::PageLeft()
{
    const CUISize pos = GetScrollPos();
    SetScrollPos({pos.cx - HorizontalPage(m_itemRect, m_inset, m_verticalScrollBar), pos.cy});
}

void CContainerUI::PageRight()
{
    const CUISize pos = GetScrollPos();
    SetScrollPos({pos.cx + HorizontalPage(m_itemRect, m_inset, m_verticalScrollBar), pos.cy});
}

void CContainerUI::HomeUp()
{
    SetScrollPos({GetScrollPos().cx, 0});
}

void CContainerUI::EndDown()
{
    // The range is only known after the next layout, which runs before the next paint; the scroll
    // happens in PostPaint so that content added in the same step is counted.
    m_scrollToEndPending = true;
    if (m_manager)
        m_manager->AddPostPaint(this);
}

void CContainerUI::HomeLeft()
{
    SetScrollPos({0, GetScrollPos().cy});
}

void CContainerUI::EndRight()
{
    SetScrollPos({GetScrollRange().cx, GetScrollPos().cy});
}

void CContainerUI::EnableScrollBar(bool vertical, bool horizontal)
{
    auto create = [this](bool isHorizontal) {
        auto* bar = new CScrollBarUI;
        // A new bar waits hidden until a layout finds content that overflows.
        bar->SetVisible(false);
        bar->SetScrollRange(0);
        if (isHorizontal)
            bar->SetHorizontal(true);
        bar->SetOwner(this);
        bar->SetManager(m_manager, nullptr, false);
        if (m_manager) {
            const char16_t* defaults = m_manager->LookupDefaultAttributes(isHorizontal ? u"HScrollBar" : u"VScrollBar");
            if (defaults)
                bar->ApplyAttributeList(defaults);
        }
        return bar;
    };
    auto drop = [](CScrollBarUI*& bar) {
        CScrollBarUI* old = bar;
        bar = nullptr;
        old->DeleteSelf();
    };
    if (vertical && !m_verticalScrollBar)
        m_verticalScrollBar = create(false);
    else if (!vertical && m_verticalScrollBar)
        drop(m_verticalScrollBar);
    if (horizontal && !m_horizontalScrollBar)
        m_horizontalScrollBar = create(true);
    else if (!horizontal && m_horizontalScrollBar)
        drop(m_horizontalScrollBar);
    RequestLayout();
}

CScrollBarUI* CContainerUI::GetVerticalScrollBar() const
{
    return m_verticalScrollBar;
}

CScrollBarUI* CContainerUI::GetHorizontalScrollBar() const
{
    return m_horizontalScrollBar;
}

// ---- scroll-bar negotiation ----------------------------------------------------------------------

void CContainerUI::Relayout(bool needInvalidate)
{
    SetPosition(m_floating ? GetRectInParent() : GetPosition(), needInvalidate);
}

void CContainerUI::ProcessSingleBar(CScrollBarUI* bar, bool vertical, const CUIRect& rc, int available, int required)
{
    if (available < required && !bar->IsVisible()) {
        bar->SetVisible(true);
        bar->SetScrollRange(required - available);
        bar->SetScrollPos(0, true);
        // The nested layout sees a narrower area; it must not hide the bar again while settling.
        m_inScrollUpdate = true;
        Relayout(true);
        m_inScrollUpdate = false;
        return;
    }
    if (!bar->IsVisible())
        return;
    const int d = required - available;
    if (d <= 0 && !m_inScrollUpdate) {
        bar->SetVisible(false);
        bar->SetScrollPos(0, true);
        bar->SetScrollRange(0);
        Relayout(true);
        return;
    }
    if (vertical)
        bar->PlaceByLayout({rc.right, rc.top, rc.right + bar->GetFixedWidth(), rc.bottom});
    else
        bar->PlaceByLayout({rc.left, rc.bottom, rc.right, rc.bottom + bar->GetFixedHeight()});
    if (bar->GetScrollRange() == d)
        return;
    const int oldPos = bar->GetScrollPos();
    bar->SetScrollRange(std::abs(d));
    if (bar->GetScrollRange() == 0) {
        bar->SetVisible(false);
        bar->SetScrollPos(0, true);
    }
    if (bar->GetScrollPos() < oldPos)
        Relayout(false);
}

void CContainerUI::ProcessScrollBar(CUIRect rc, int cxRequired, int cyRequired)
{
    CScrollBarUI* v = m_verticalScrollBar;
    CScrollBarUI* h = m_horizontalScrollBar;
    if (v && !h) {
        ProcessSingleBar(v, true, rc, rc.Height(), cyRequired);
        return;
    }
    if (h && !v) {
        ProcessSingleBar(h, false, rc, rc.Width(), cxRequired);
        return;
    }
    if (!v || !h)
        return;

    // Horizontal first: whether it shows decides the height left for the content.
    const int hHeight = h->GetFixedHeight();
    const int vWidth = v->GetFixedWidth();
    const int rcW = rc.Width();
    bool changed = false;
    if (rcW < cxRequired) {
        if (!h->IsVisible()) {
            h->SetVisible(true);
            h->SetScrollPos(0, true);
            rc.bottom -= hHeight;
        }
        h->PlaceByLayout({rc.left, rc.bottom, rc.right, rc.bottom + hHeight});
        if (h->GetScrollRange() != cxRequired - rcW) {
            h->SetScrollRange(cxRequired - rcW);
            changed = true;
        }
    } else if (h->IsVisible()) {
        h->SetVisible(false);
        rc.bottom += hHeight;
    }

    const int rcH = rc.Height();
    if (rcH < cyRequired && !v->IsVisible()) {
        v->SetVisible(true);
        v->SetScrollRange(cyRequired - rcH);
        v->SetScrollPos(0, true);
        if (h->IsVisible()) {
            h->PlaceByLayout({rc.left, rc.bottom, rc.right - vWidth, rc.bottom + hHeight});
            h->SetScrollRange(cxRequired - (rcW - vWidth));
        }
        m_inScrollUpdate = true;
        Relayout(true);
        m_inScrollUpdate = false;
        return;
    }
    if (!v->IsVisible()) {
        if (changed)
            Relayout(true);
        return;
    }
    const int d = cyRequired - rcH;
    if (d <= 0 && !m_inScrollUpdate) {
        v->SetVisible(false);
        v->SetScrollPos(0, true);
        v->SetScrollRange(0);
        if (h->IsVisible()) {
            h->PlaceByLayout({rc.left, rc.bottom, rc.right + vWidth, rc.bottom + hHeight});
            h->SetScrollRange(cxRequired - (rcW + vWidth));
        }
        Relayout(true);
        return;
    }
    v->PlaceByLayout({rc.right, rc.top, rc.right + vWidth, rc.bottom});
    if (v->GetScrollRange() == d)
        return;
    const int oldPos = v->GetScrollPos();
    v->SetScrollRange(std::abs(d));
    if (v->GetScrollRange() == 0) {
        v->SetVisible(false);
        v->SetScrollPos(0, true);
    }
    if (v->GetScrollPos() < oldPos || changed)
        Relayout(false);
}

} // namespace ui
