// CLinearLayoutUI: what the vertical and horizontal layouts share, the draggable separator along one
// of their own edges that resizes the layout, live or at the release with a feedback bar.
#pragma once

#include "ui/controls/Container.h"

#include <cstdint>

namespace ui {

class CLinearLayoutUI : public CContainerUI
{
public:
    // The axis the layout stacks along; the separator resizes the layout on the same axis.
    enum class Axis
    {
        Vertical,
        Horizontal,
    };

    // Set in the button state while the separator is dragged.
    static constexpr std::uint32_t kSeparatorDragging = 0x40;
    // The feedback bar drawn at the drag position while a deferred drag is in progress.
    static constexpr std::uint32_t kFeedbackColor = 0xAA000000;

    explicit CLinearLayoutUI(Axis axis);

    // Thickness of the separator; positive along the bottom (right) edge, negative along the top
    // (left) edge, 0 for none.
    void SetSepSize(int size) { m_sepSize = size; }
    int GetSepSize() const { return m_sepSize; }
    // Immediate: the layout is resized while dragging; otherwise at the release.
    void SetSepImmediate(bool immediate);
    bool IsSepImmediate() const { return m_sepImmediate; }
    bool IsSepDragging() const { return (m_buttonState & kSeparatorDragging) != 0; }
    // The separator's rectangle on the rectangle being dragged (useDragRect, during a drag) or on
    // the layout's own rectangle.
    CUIRect GetThumbRect(bool useDragRect) const;

    std::uint32_t GetControlFlags() const override;
    void HandleEvent(TUIEvent& event) override;
    bool PostPaint(HDC dc, const CUIRect& paintRect) override;

private:
    bool HandleSeparatorEvent(TUIEvent& event);
    void BeginDrag(const CUIPoint& point);
    void EndDrag();
    void DragTo(const CUIPoint& point);
    // The dragged rectangle's edges along the layout's axis and its limits there.
    int& Low(CUIRect& r) const { return m_axis == Axis::Vertical ? r.top : r.left; }
    int& High(CUIRect& r) const { return m_axis == Axis::Vertical ? r.bottom : r.right; }
    int Extent(const CUIRect& r) const { return m_axis == Axis::Vertical ? r.Height() : r.Width(); }
    int Along(const CUIPoint& p) const { return m_axis == Axis::Vertical ? p.y : p.x; }
    int MinExtent() const { return m_axis == Axis::Vertical ? GetMinHeight() : GetMinWidth(); }
    int MaxExtent() const { return m_axis == Axis::Vertical ? GetMaxHeight() : GetMaxWidth(); }

    Axis m_axis;
    int m_sepSize = 0;
    std::uint32_t m_buttonState = 0;
    CUIPoint m_lastMouse;
    CUIRect m_dragRect;
    bool m_sepImmediate = false;
};

} // namespace ui
