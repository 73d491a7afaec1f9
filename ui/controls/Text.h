// CTextUI: a multi-line label whose markup links are clickable: a hand cursor over a link, the
// hovered link coloured by the markup renderer, and the "link" notification on release.
#pragma once

#include "ui/controls/Label.h"

namespace ui {

class CTextUI : public CLabelUI
{
public:
    static constexpr int kMaxLinks = 8;

    CTextUI();

    const char16_t* GetClassName() const override;
    void* CastTo(const char16_t* typeName) override;
    std::uint32_t GetControlFlags() const override;
    void HandleEvent(TUIEvent& event) override;
    void PaintText(HDC dc) override;

    // The text of link `index` as found by the last paint; null outside 0..GetLinkCount()-1.
    const CUIString* GetLinkText(int index) const;
    int GetLinkCount() const { return m_linkCount; }
    // The rectangle of link `index` as found by the last paint (empty outside the range).
    CUIRect GetLinkRect(int index) const;
    // The link under the mouse, or -1.
    int GetHoverLink() const { return m_hoverLink; }

private:
    // The first link whose rectangle holds the point, or -1.
    int LinkAt(CUIPoint point) const;

    int m_linkCount = 0;
    CUIRect m_linkRects[kMaxLinks];
    CUIString m_linkTexts[kMaxLinks];
    int m_hoverLink = -1;
};

} // namespace ui
