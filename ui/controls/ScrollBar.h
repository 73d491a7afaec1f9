// CScrollBarUI: the scroll bar a container shows along an edge: orientation, range, a position kept
// on the scroll unit, a line size and the queued "scroll" notification; drawn as a track and a thumb
// that can be dragged, with the track paging when clicked.
#pragma once

#include "ui/controls/Control.h"

namespace ui {

class CContainerUI;

class CScrollBarUI : public CControlUI
{
public:
    static constexpr int kDefaultThickness = 16;
    static constexpr int kDefaultLineSize = 8;
    static constexpr int kMinThumbLength = 8;

    CScrollBarUI();

    const char16_t* GetClassName() const override;
    void* CastTo(const char16_t* typeName) override;

    CContainerUI* GetOwner() const { return m_owner; }
    void SetOwner(CContainerUI* owner) { m_owner = owner; }

    bool IsHorizontal() const { return m_horizontal; }
    // Switching orientation gives the bar the default thickness across it.
    void SetHorizontal(bool horizontal = true);

    int GetScrollRange() const { return m_range; }
    // A negative range is 0; the position is clamped into the new range (no notification).
    void SetScrollRange(int range);
    int GetScrollPos() const { return m_position; }
    // Clamps to 0..range, rounds up to the scroll unit, and queues "scroll" when it changed and
    // notify is set.
    void SetScrollPos(int pos, bool notify = true);
    int GetLineSize() const { return m_lineSize; }
    void SetLineSize(int size);
    int GetScrollUnit() const { return m_scrollUnit; }
    void SetScrollUnit(int unit);

    // The thumb rectangle for the current range and position (empty when there is nothing to scroll).
    CUIRect GetThumbRect() const;

    std::uint32_t GetTrackColor() const { return m_trackColor; }
    std::uint32_t GetThumbColor() const { return m_thumbColor; }

    void HandleEvent(TUIEvent& event) override;
    void SetAttribute(const char16_t* name, const char16_t* value) override;
    void PaintBackColor(HDC dc) override;
    void PaintStateImage(HDC dc) override;

private:
    // Scrolls the owner (or, without owner, the bar itself) to `pos`.
    void ScrollTo(int pos);
    int TrackLength() const;
    int ThumbLength() const;

    CContainerUI* m_owner = nullptr;
    bool m_horizontal = false;
    int m_range = 100;
    int m_position = 0;
    int m_lineSize = kDefaultLineSize;
    int m_scrollUnit = 1;
    std::uint32_t m_trackColor = 0xFFE8E8E8;
    std::uint32_t m_thumbColor = 0xFFA0A0A0;
    std::uint32_t m_thumbHotColor = 0xFF808080;

    bool m_dragging = false;
    bool m_thumbHot = false;
    int m_dragStartMouse = 0;
    int m_dragStartPos = 0;
};

} // namespace ui
