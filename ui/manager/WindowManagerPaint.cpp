// The window-level paint path: layout before paint, "windowinit" after the first layout, painting
// of the dirty rectangle through the tree, the post-paint list, the dirty outline,
// and the window geometry and layering settings that painting reads.
//
// Supported:
//  [x] layout of the root over the client rectangle when pending: a full layout and repaint for a
//      new root, a new size or a focus request; otherwise only where a layout waits, repainting the
//      old and new rectangles of what moved
//  [x] "windowinit" once, right after the first layout; a pending focus move completed afterwards
//  [x] painting straight into the window's picture for the dirty rectangle: the window system keeps
//      that picture offscreen and presents it after EndPaint, so it is the only buffer
//  [x] post-paint controls; "showdirty" outlines each painted rectangle in red
//  [x] opacity and layered settings stored; the window carries WS_EX_LAYERED while they apply
//  [ ] per-pixel translucency of the window itself and the drop shadow: the window system shows
//      every window opaque, so they are stored for the skin's sake only
#include "ui/manager/WindowManager.h"

#include "platform/PaintContext.h"
#include "platform/WindowSystem.h"
#include "ui/controls/Control.h"

#include <algorithm>

namespace ui {

namespace {

platform::WindowSystem& Win()
{
    return platform::Windows();
}

// The outline of painted regions: solid, one pixel, red 220.
constexpr platform::Pen kDirtyPen{PS_SOLID, 1, 0xFFDC0000};

} // namespace

void CWindowManagerUI::Invalidate(const CUIRect& rect)
{
    CUIRect clamped = rect;
    if (clamped.left < 0)
        clamped.left = 0;
    if (clamped.top < 0)
        clamped.top = 0;
    if (clamped.right < 0)
        clamped.right = 0;
    if (clamped.bottom < 0)
        clamped.bottom = 0;
    if (clamped.IsEmpty())
        return;
    if (m_layered)
        m_layeredDirty.Union(clamped);
    if (m_window != nullptr) {
        const RECT r{clamped.left, clamped.top, clamped.right, clamped.bottom};
        Win().InvalidateRect(m_window, &r, false);
    }
}

void CWindowManagerUI::LayoutIfNeeded()
{
    if (m_root == nullptr || m_window == nullptr)
        return;
    if (!m_layoutNeeded && !m_root->IsLayoutPending())
        return;
    m_layoutNeeded = false;
    const CUISize size = ClientSize();
    const CUIRect client(0, 0, size.cx, size.cy);
    // A new root, a new size or a focus request lays out everything and repaints the whole client
    // area. Any other layout descends only into what waits for one, and each control it moves
    // repaints its old and its new rectangle.
    const bool full = m_fullLayoutNeeded || m_firstLayout || m_root->GetPosition() != client;
    m_fullLayoutNeeded = false;
    m_fullLayoutPass = full;
    if (size.cx > 0 && size.cy > 0) {
        if (full)
            m_root->SetPosition(client, false);
        else
            m_root->PlaceByLayout(client);
    }
    m_fullLayoutPass = false;
    if (full)
        Win().InvalidateRect(m_window, nullptr, false);
    if (m_firstLayout) {
        m_firstLayout = false;
        SendNotify(m_root, u"windowinit", 0, 0, false);
    }
    if (m_focusNeeded && !m_layoutNeeded)
        MoveFocus(true);
}

void CWindowManagerUI::Paint()
{
    if (m_painting || m_window == nullptr)
        return;
    m_painting = true;
    // Layout (and what "windowinit" listeners do) happens before the paint begins, so that a modal
    // loop they run cannot nest inside this paint.
    LayoutIfNeeded();
    platform::PaintInfo paint;
    if (!Win().BeginPaint(m_window, paint)) {
        m_painting = false;
        return;
    }
    const CUIRect dirty(paint.dirty.left, paint.dirty.top, paint.dirty.right, paint.dirty.bottom);
    if (m_root != nullptr && !dirty.IsEmpty() && !paint.pixels.IsEmpty()) {
        platform::PaintContext dc(paint);
        if (paint.pieces.empty()) {
            PaintTree(dc, dirty);
        } else {
            // Separate changes are painted separately, so the space between them is left alone.
            for (const RECT& piece : paint.pieces)
                PaintTree(dc, CUIRect(piece.left, piece.top, piece.right, piece.bottom));
        }
    }
    if (m_layered)
        m_layeredDirty.Clear();
    Win().EndPaint(m_window, paint);
    m_painting = false;
}

void CWindowManagerUI::PaintTree(platform::DeviceContext& dc, const CUIRect& dirty)
{
    const platform::Rect clip{dirty.left, dirty.top, dirty.right, dirty.bottom};
    dc.SetClipRect(clip);
    // The buffer starts transparent: a layered window shows through where the tree paints nothing.
    dc.FillSolid(clip, 0);
    if (m_layered && !m_layeredImage.text.IsEmpty()) {
        const CUISize size = ClientSize();
        CRenderKit::DrawImageDescriptor(&dc, this, CUIRect(0, 0, size.cx, size.cy), dirty, m_layeredImage);
    }
    m_root->Paint(&dc, dirty, nullptr);
    // A post-paint control may leave the list while it runs.
    const std::vector<CControlUI*> postPaint = m_postPaint;
    for (CControlUI* control : postPaint) {
        if (std::find(m_postPaint.begin(), m_postPaint.end(), control) != m_postPaint.end())
            control->PostPaint(&dc, dirty);
    }
    if (m_showDirty) {
        dc.ResetClip();
        dc.DrawRect(clip, kDirtyPen);
    }
}

// ---------------------------------------------------------------------------------------------
// Geometry and layering
// ---------------------------------------------------------------------------------------------

void CWindowManagerUI::SetInitialSize(int cx, int cy)
{
    m_initialSize = CUISize(cx, cy);
    if (m_root == nullptr && m_window != nullptr)
        Win().SetWindowPos(m_window, nullptr, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

CUISize CWindowManagerUI::ClientSize() const
{
    RECT client;
    if (m_window == nullptr || !Win().GetClientRect(m_window, client))
        return CUISize();
    return CUISize(client.right - client.left, client.bottom - client.top);
}

CUIRect& CWindowManagerUI::CaptionRect()
{
    if (m_captionRect.bottom == -1 && m_window != nullptr)
        m_captionRect.bottom = ClientSize().cy;
    return m_captionRect;
}

void CWindowManagerUI::ApplyLayeredStyle()
{
    if (m_window == nullptr)
        return;
    const bool wanted = m_layered || m_opacity < 255;
    const LONG_PTR style = Win().GetWindowLongPtr(m_window, GWL_EXSTYLE);
    const LONG_PTR changed = wanted ? (style | WS_EX_LAYERED) : (style & ~LONG_PTR(WS_EX_LAYERED));
    if (changed != style)
        Win().SetWindowLongPtr(m_window, GWL_EXSTYLE, changed);
    if (wanted)
        Win().SetLayeredWindowAttributes(m_window, 0, BYTE(m_opacity), LWA_ALPHA);
}

void CWindowManagerUI::SetOpacity(int opacity)
{
    m_opacity = opacity < 0 ? 0 : (opacity > 255 ? 255 : opacity);
    ApplyLayeredStyle();
    if (m_window != nullptr)
        Win().InvalidateRect(m_window, nullptr, false);
}

void CWindowManagerUI::SetLayered(bool layered)
{
    if (layered == m_layered)
        return;
    m_layered = layered;
    ApplyLayeredStyle();
    const CUISize size = ClientSize();
    m_layeredDirty = CUIRect(0, 0, size.cx, size.cy);
    if (m_window != nullptr)
        Win().InvalidateRect(m_window, nullptr, false);
}

void CWindowManagerUI::SetLayeredOpacity(int opacity)
{
    m_layeredOpacity = opacity < 0 ? 0 : (opacity > 255 ? 255 : opacity);
    const CUISize size = ClientSize();
    m_layeredDirty = CUIRect(0, 0, size.cx, size.cy);
    if (m_window != nullptr)
        Win().InvalidateRect(m_window, nullptr, false);
}

void CWindowManagerUI::UnresolveLayeredImage()
{
    const CUIString text = m_layeredImage.text;
    m_layeredImage.Reset();
    m_layeredImage.text = text;
}

void CWindowManagerUI::SetLayeredImage(const char16_t* descriptor)
{
    m_layeredImage.Reset();
    m_layeredImage.text = descriptor != nullptr ? descriptor : u"";
    // A layered image only makes sense on a layered window.
    SetLayered(true);
    const CUISize size = ClientSize();
    m_layeredDirty = CUIRect(0, 0, size.cx, size.cy);
    if (m_window != nullptr)
        Win().InvalidateRect(m_window, nullptr, false);
}

} // namespace ui
