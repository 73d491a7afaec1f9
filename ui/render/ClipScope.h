// CClipScope: narrows a device context's clip for one paint step and restores the clip box that was
// in force before when it ends.
#pragma once

#include "ui/core/UIRect.h"

#include "platform/Region.h"

namespace platform {
class DeviceContext;
}

namespace ui {

class CClipScope
{
public:
    CClipScope() = default;
    CClipScope(const CClipScope&) = delete;
    CClipScope& operator=(const CClipScope&) = delete;
    // Selects the outer clip again (the clip box as it was when the scope began).
    ~CClipScope();

    // Clips to rect within the current clip box.
    void ClipToRect(platform::DeviceContext* dc, const CUIRect& rect);
    // Clips to rect and to the rounded rectangle roundRect (right and bottom edges inclusive) with
    // the given ellipse size, within the current clip box.
    void ClipToRoundRect(platform::DeviceContext* dc, const CUIRect& rect, const CUIRect& roundRect, int width,
                         int height);
    // Lets drawing reach the whole outer clip, and back.
    void UseOuterClip();
    void UseInnerClip();

    const CUIRect& GetRect() const { return m_rect; }

private:
    CUIRect m_rect;
    platform::DeviceContext* m_dc = nullptr;
    platform::Region m_own;
    platform::Region m_outer;
};

} // namespace ui
