// CScrollBarUI: range and position rules, the queued "scroll" notification, thumb geometry, dragging
// and track clicks, and plain track-and-thumb painting.
#include "ui/controls/ScrollBar.h"

#include "ui/controls/Container.h"
#include "ui/core/ValueParse.h"
#include "ui/manager/UIEvent.h"
#include "ui/manager/WindowManager.h"

#include <algorithm>

namespace ui {

CScrollBarUI::CScrollBarUI()
{
    m_fixedWidth = kDefaultThickness;
}

const char16_t* CScrollBarUI::GetClassName() const
{
    return u"ScrollBar";
}

void* CScrollBarUI::CastTo(const char16_t* typeName)
{
    if (markup::TextEquals(typeName, u"ScrollBar"))
        return this;
    return CControlUI::CastTo(typeName);
}

void CScrollBarUI::SetHorizontal(bool horizontal)
{
    if (m_horizontal == horizontal)
        return;
    m_horizontal = horizontal;
    if (horizontal) {
        m_fixedHeight = kDefaultThickness;
        m_fixedWidth = 0;
    } else {
        m_fixedWidth = kDefaultThickness;
        m_fixedHeight = 0;
    }
    RequestParentLayout();
}

void CScrollBarUI::SetScrollRange(int range)
{
    range = std::max(range, 0);
    if (m_range == range)
        return;
    m_range = range;
    m_position = std::clamp(m_position, 0, m_range);
    Invalidate();
}

void CScrollBarUI::SetScrollPos(int pos, bool notify)
{
    // Rounded up to the unit first, then kept in range, so that the end of the range stays reachable
    // when the range is not a multiple of the unit.
    if (m_scrollUnit > 1 && pos > 0)
        pos = (pos + m_scrollUnit - 1) / m_scrollUnit * m_scrollUnit;
    pos = std::clamp(pos, 0, m_range);
    if (pos == m_position)
        return;
    const int old = m_position;
    m_position = pos;
    Invalidate();
    if (notify && m_manager)
        m_manager->SendNotify(this, u"scroll", WPARAM(m_position), LPARAM(old), true);
}

void CScrollBarUI::SetLineSize(int size)
{
    if (size > 0)
        m_lineSize = size;
}

void CScrollBarUI::SetScrollUnit(int unit)
{
    m_scrollUnit = std::max(unit, 1);
}

int CScrollBarUI::TrackLength() const
{
    return m_horizontal ? m_itemRect.Width() : m_itemRect.Height();
}

int CScrollBarUI::ThumbLength() const
{
    const int track = TrackLength();
    if (track <= 0)
        return 0;
    if (m_range <= 0)
        return track;
    // The thumb shows the visible share of the content: track / (track + range) of the track.
    const long long length = (long long)track * track / ((long long)track + m_range);
    return std::min(track, std::max(int(length), kMinThumbLength));
}

CUIRect CScrollBarUI::GetThumbRect() const
{
    const int track = TrackLength();
    const int thumb = ThumbLength();
    if (m_range <= 0 || thumb <= 0 || thumb >= track)
        return {};
    const int offset = int((long long)(track - thumb) * m_position / m_range);
    if (m_horizontal)
        return {m_itemRect.left + offset, m_itemRect.top, m_itemRect.left + offset + thumb, m_itemRect.bottom};
    return {m_itemRect.left, m_itemRect.top + offset, m_itemRect.right, m_itemRect.top + offset + thumb};
}

void CScrollBarUI::ScrollTo(int pos)
{
    if (!m_owner) {
        SetScrollPos(pos);
        return;
    }
    const CUISize current = m_owner->GetScrollPos();
    if (m_horizontal)
        m_owner->SetScrollPos({pos, current.cy});
    else
        m_owner->SetScrollPos({current.cx, pos});
}

void CScrollBarUI::HandleEvent(TUIEvent& event)
{
    const int mouse = m_horizontal ? event.point.x : event.point.y;
    switch (event.kind) {
    case EVT_BUTTON_DOWN:
    case EVT_DOUBLE_CLICK: {
        if (!IsEnabled())
            return;
        const CUIRect thumb = GetThumbRect();
        if (thumb.Contains(event.point)) {
            m_dragging = true;
            m_dragStartMouse = mouse;
            m_dragStartPos = m_position;
            return;
        }
        if (m_range <= 0)
            return;
        // A click on the track pages towards the click.
        const bool before = m_horizontal ? event.point.x < thumb.left : event.point.y < thumb.top;
        const int page = std::max(TrackLength(), m_lineSize);
        if (m_owner) {
            if (m_horizontal)
                before ? m_owner->PageLeft() : m_owner->PageRight();
            else
                before ? m_owner->PageUp() : m_owner->PageDown();
        } else {
            ScrollTo(before ? m_position - page : m_position + page);
        }
        return;
    }
    case EVT_BUTTON_UP:
        m_dragging = false;
        return;
    case EVT_MOUSE_MOVE:
        if (m_dragging) {
            const int travel = TrackLength() - ThumbLength();
            if (travel > 0)
                ScrollTo(m_dragStartPos + int((long long)(mouse - m_dragStartMouse) * m_range / travel));
            return;
        }
        break;
    case EVT_MOUSE_ENTER:
        m_thumbHot = true;
        Invalidate();
        return;
    case EVT_MOUSE_LEAVE:
        m_thumbHot = false;
        Invalidate();
        return;
    case EVT_SET_CURSOR:
    case EVT_SET_FOCUS:
    case EVT_KILL_FOCUS:
    case EVT_TIMER:
        CControlUI::HandleEvent(event);
        return;
    default:
        break;
    }
    // The bar has no parent in the tree; its owner gets what it does not handle (the wheel, keys).
    if (m_owner)
        m_owner->HandleEvent(event);
    else
        CControlUI::HandleEvent(event);
}

void CScrollBarUI::SetAttribute(const char16_t* name, const char16_t* value)
{
    using namespace markup;
    if (TextEquals(name, u"hor")) {
        SetHorizontal(ParseBool(value));
    } else if (TextEquals(name, u"linesize")) {
        SetLineSize(ParseInt(value));
    } else if (TextEquals(name, u"range")) {
        SetScrollRange(ParseInt(value));
    } else if (TextEquals(name, u"value")) {
        SetScrollPos(ParseInt(value), false);
    } else if (TextEquals(name, u"scrollunit")) {
        SetScrollUnit(ParseInt(value));
    } else if (TextEquals(name, u"trackcolor")) {
        m_trackColor = ParseColor(value);
        Invalidate();
    } else if (TextEquals(name, u"thumbcolor")) {
        m_thumbColor = ParseColor(value);
        Invalidate();
    } else if (TextEquals(name, u"thumbhotcolor")) {
        m_thumbHotColor = ParseColor(value);
        Invalidate();
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

void CScrollBarUI::PaintBackColor(HDC dc)
{
    // A skin's "bkcolor" replaces the plain track.
    if (m_backColor != 0) {
        CControlUI::PaintBackColor(dc);
        return;
    }
    CRenderKit::FillColor(dc, m_paintRect, GetAdjustedColor(m_trackColor));
}

void CScrollBarUI::PaintStateImage(HDC dc)
{
    CControlUI::PaintStateImage(dc);
    CUIRect thumb = GetThumbRect();
    if (thumb.IsEmpty())
        return;
    // Inset by one pixel so that the track shows around the thumb.
    thumb.Deflate(1, 1);
    const std::uint32_t color = (m_thumbHot || m_dragging) ? m_thumbHotColor : m_thumbColor;
    CRenderKit::FillColor(dc, thumb, GetAdjustedColor(IsEnabled() ? color : m_trackColor));
}

} // namespace ui
