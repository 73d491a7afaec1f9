// CControlUI: the paint pipeline: back colour, images, text and border in that order, clipped to
// rounded corners when the border is rounded, then the overlay.
#include "ui/controls/Control.h"

#include "ui/render/ClipScope.h"

namespace ui {

bool CControlUI::Paint(HDC dc, const CUIRect& paintRect, CControlUI* stop)
{
    if (this == stop)
        return false;
    m_paintRect = paintRect;
    if (!m_paintRect.Intersect(m_itemRect))
        return true;
    if (m_paintDelegates.HasAny() && !m_paintDelegates.InvokeAll(this))
        return true;
    if (!PaintContent(dc, paintRect, stop))
        return false;
    if (m_overlay)
        return m_overlay->Paint(dc, paintRect, nullptr);
    return true;
}

bool CControlUI::PaintContent(HDC dc, const CUIRect&, CControlUI*)
{
    auto paintSteps = [&] {
        PaintBackColor(dc);
        PaintBackImage(dc);
        PaintStateImage(dc);
        PaintText(dc);
        PaintBorder(dc);
    };
    if (m_borderRound.cx > 0 || m_borderRound.cy > 0) {
        CClipScope clip;
        clip.ClipToRoundRect(dc, m_paintRect, m_itemRect, m_borderRound.cx, m_borderRound.cy);
        paintSteps();
    } else {
        paintSteps();
    }
    return true;
}

void CControlUI::PaintBackColor(HDC dc)
{
    if (m_backColor == 0)
        return;
    const std::uint32_t first = GetAdjustedColor(m_backColor);
    if (m_backColor2 == 0) {
        // An opaque fill only needs the dirty part; a translucent one is laid over the whole control.
        CRenderKit::FillColor(dc, m_backColor >= 0xFF000000u ? m_paintRect : m_itemRect, first);
        return;
    }
    const std::uint32_t second = GetAdjustedColor(m_backColor2);
    if (m_backColor3 != 0) {
        const int mid = (m_itemRect.top + m_itemRect.bottom) / 2;
        CRenderKit::FillGradient(dc, {m_itemRect.left, m_itemRect.top, m_itemRect.right, mid}, first, second, true, 8);
        CRenderKit::FillGradient(dc, {m_itemRect.left, mid, m_itemRect.right, m_itemRect.bottom}, second,
                                 GetAdjustedColor(m_backColor3), true, 8);
        return;
    }
    CRenderKit::FillGradient(dc, m_itemRect, first, second, true, 16);
}

void CControlUI::PaintBackImage(HDC dc)
{
    if (m_rare)
        DrawImage(dc, m_rare->backImage);
}

void CControlUI::PaintStateImage(HDC dc)
{
    DrawForeImage(dc);
}

void CControlUI::PaintText(HDC) {}

void CControlUI::PaintBorder(HDC dc)
{
    const CUIRect& s = m_borderSize;
    if (s.left <= 0 && s.top <= 0 && s.right <= 0 && s.bottom <= 0)
        return;
    if (m_borderColor == 0 && m_focusBorderColor == 0)
        return;
    const std::uint32_t color =
        GetAdjustedColor((m_focused && m_focusBorderColor != 0) ? m_focusBorderColor : m_borderColor);
    const CUIRect& r = m_itemRect;
    if (m_borderRound.cx > 0 || m_borderRound.cy > 0) {
        CRenderKit::DrawFrameRoundRect(dc, r, s.left, m_borderRound.cx, m_borderRound.cy, color, m_borderStyle);
        return;
    }
    if (s.left == s.top && s.left == s.right && s.left == s.bottom) {
        CRenderKit::DrawFrameRect(dc, r, s.left, color, m_borderStyle);
        return;
    }
    // Each side is a line along the middle of its width; odd right and bottom widths lean inwards.
    if (s.left > 0) {
        const int x = r.left + s.left / 2;
        CRenderKit::DrawLine(dc, {x, r.top, x, r.bottom}, s.left, color, m_borderStyle);
    }
    if (s.top > 0) {
        const int y = r.top + s.top / 2;
        CRenderKit::DrawLine(dc, {r.left + s.left, y, r.right - s.right, y}, s.top, color, m_borderStyle);
    }
    if (s.right > 0) {
        const int x = r.right - s.right / 2 - (s.right % 2);
        CRenderKit::DrawLine(dc, {x, r.top, x, r.bottom}, s.right, color, m_borderStyle);
    }
    if (s.bottom > 0) {
        const int y = r.bottom - s.bottom / 2 - (s.bottom % 2);
        CRenderKit::DrawLine(dc, {r.left + s.left, y, r.right - s.right, y}, s.bottom, color, m_borderStyle);
    }
}

bool CControlUI::PostPaint(HDC, const CUIRect&)
{
    if (m_postPaintDelegates.HasAny())
        return m_postPaintDelegates.InvokeAll(this);
    return true;
}

} // namespace ui
