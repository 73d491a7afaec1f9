// CLinearLayoutUI: what the vertical and horizontal layouts share. One stacking algorithm written
// along an axis (measure the children, distribute the free extent, place them), with the few
// places where the two layouts deliberately differ kept as per-axis rules; and the draggable
// separator along one of their own edges that resizes the layout, live or at the release.
#pragma once

#include "ui/controls/Container.h"

#include <cstdint>

namespace ui {

struct TLayoutArea;

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
    void SetPosition(CUIRect rect, bool needInvalidate = true) override;
    void HandleEvent(TUIEvent& event) override;
    void SetAttribute(const char16_t* name, const char16_t* value) override;
    bool PostPaint(HDC dc, const CUIRect& paintRect) override;

private:
    // What the measuring step learns about the stacked, non-floating children.
    struct TMeasure
    {
        int fixedSum = 0;    // extent along the axis taken by fixed children, paddings and gaps
        int adjustables = 0; // children that share what is left
        int crossNeeded = 0; // the widest (tallest) child across the axis, with its padding
        int count = 0;
    };

    TMeasure MeasureChildren(const CUISize& avail) const;
    // Each adjustable child's share of the extent the fixed children leave.
    static int DistributeFreeExtent(const TMeasure& measure, int availAlong);
    // Places every visible child; returns the extent along the axis the placed children need.
    int PlaceChildren(const TLayoutArea& area, const TMeasure& measure, int expand);
    // The child's rectangle across the axis, by the child alignment of that axis.
    CUIRect AlignAcross(const TLayoutArea& area, const CUIRect& pad, int along, int extent, int cross) const;

    bool HandleSeparatorEvent(TUIEvent& event);
    void BeginDrag(const CUIPoint& point);
    void EndDrag();
    void DragTo(const CUIPoint& point);
    // The parent's layout after the drag changed this layout's rectangle directly.
    void RequestDragLayout();

    Axis m_axis;
    int m_sepSize = 0;
    std::uint32_t m_buttonState = 0;
    CUIPoint m_lastMouse;
    CUIRect m_dragRect;
    bool m_sepImmediate = false;
};

} // namespace ui
