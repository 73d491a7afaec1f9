// CClipScope: narrows a device context's clip for one paint step and restores the clip box that was
// in force before when it ends.
#include "ui/render/ClipScope.h"

#include "platform/DeviceContext.h"

namespace ui {

namespace {

platform::Rect ToRect(const CUIRect& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

} // namespace

CClipScope::~CClipScope()
{
    // The clip restored is the old clip box as a rectangle: callers only ever narrow rectangular
    // clips, so nothing is lost.
    if (m_dc)
        m_dc->SetClipRegion(m_outer);
}

void CClipScope::ClipToRect(platform::DeviceContext* dc, const CUIRect& rect)
{
    if (!dc)
        return;
    m_outer = platform::Region(dc->GetClipBox());
    m_own = m_outer.Intersect(ToRect(rect));
    m_dc = dc;
    m_rect = rect;
    dc->SetClipRegion(m_own);
}

void CClipScope::ClipToRoundRect(platform::DeviceContext* dc, const CUIRect& rect, const CUIRect& roundRect, int width,
                                 int height)
{
    if (!dc)
        return;
    m_outer = platform::Region(dc->GetClipBox());
    // The rounded shape includes its right and bottom edges, as the control's border draws them.
    const platform::Region round = platform::Region::FromRoundRect(
        {roundRect.left, roundRect.top, roundRect.right + 1, roundRect.bottom + 1}, width, height, m_outer.Bounds());
    m_own = round.Intersect(ToRect(rect)).Intersect(m_outer);
    m_dc = dc;
    m_rect = rect;
    dc->SetClipRegion(m_own);
}

void CClipScope::UseOuterClip()
{
    if (m_dc)
        m_dc->SetClipRegion(m_outer);
}

void CClipScope::UseInnerClip()
{
    if (m_dc)
        m_dc->SetClipRegion(m_own);
}

} // namespace ui
