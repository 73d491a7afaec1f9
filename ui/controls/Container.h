// CContainerUI: the control that owns an ordered list of children, with the inner margin, spacing and
// alignment layouts use, optional scroll bars and scrolling, clipped child painting and subtree search.
#pragma once

#include "ui/controls/Control.h"
#include "ui/core/PtrArray.h"

namespace ui {

class CScrollBarUI;

// The child-list view of a container (CastTo("IContainer")).
class IContainerUI
{
public:
    virtual CControlUI* GetItemAt(int index) const = 0;
    virtual int GetItemIndex(CControlUI* control) const = 0;
    virtual bool SetItemIndex(CControlUI* control, int newIndex) = 0;
    // Moves the run of `count` children starting at `first` so that it starts at `newIndex`.
    virtual bool MoveItems(CControlUI* first, int count, int newIndex) = 0;
    virtual int GetCount() const = 0;
    virtual bool Add(CControlUI* control) = 0;
    virtual bool AddAt(CControlUI* control, int index) = 0;
    // With keep false an auto-destroying container deletes the child.
    virtual bool Remove(CControlUI* control, bool keep = false) = 0;
    virtual bool RemoveAt(int index, bool keep = false) = 0;
    virtual void RemoveAll() = 0;

protected:
    ~IContainerUI() = default;
};

class CContainerUI : public CControlUI, public IContainerUI
{
public:
    CContainerUI();
    ~CContainerUI() override;

    const char16_t* GetClassName() const override;
    void* CastTo(const char16_t* typeName) override;

    // ---- IContainerUI ----
    CControlUI* GetItemAt(int index) const override;
    int GetItemIndex(CControlUI* control) const override;
    bool SetItemIndex(CControlUI* control, int newIndex) override;
    bool MoveItems(CControlUI* first, int count, int newIndex) override;
    int GetCount() const override;
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control, bool keep = false) override;
    bool RemoveAt(int index, bool keep = false) override;
    void RemoveAll() override;

    // ---- container properties ----
    virtual CUIRect GetInset() const;
    virtual void SetInset(CUIRect inset);
    virtual int GetChildPadding() const;
    virtual void SetChildPadding(int padding);
    virtual int GetChildAlign() const;
    virtual void SetChildAlign(int align);
    virtual int GetChildVAlign() const;
    virtual void SetChildVAlign(int align);
    virtual bool IsAutoDestroy() const;
    virtual void SetAutoDestroy(bool autoDestroy);
    virtual bool IsDelayedDestroy() const;
    virtual void SetDelayedDestroy(bool delayed);
    virtual bool IsMouseChildEnabled() const;
    virtual void SetMouseChildEnabled(bool enabled = true);
    // Index of the nearest visible, enabled list item from `index` in the given direction, or -1.
    virtual int FindSelectable(int index, bool forward = true) const;

    // ---- scrolling ----
    virtual CUISize GetScrollPos() const;
    virtual CUISize GetScrollRange() const;
    virtual void SetScrollPos(CUISize pos, bool notify = true);
    virtual void LineUp();
    virtual void LineDown();
    virtual void PageUp();
    virtual void PageDown();
    virtual void HomeUp();
    // Scrolls to the bottom after the next paint, so that content added meanwhile is counted.
    virtual void EndDown();
    virtual void LineLeft();
    virtual void LineRight();
    virtual void PageLeft();
    virtual void PageRight();
    virtual void HomeLeft();
    virtual void EndRight();
    virtual void EnableScrollBar(bool vertical = true, bool horizontal = false);
    virtual CScrollBarUI* GetVerticalScrollBar() const;
    virtual CScrollBarUI* GetHorizontalScrollBar() const;
    // Places the floating child at `index` by its offset, size and anchors.
    virtual void SetFloatChildPos(int index);
    // Shows, hides, places and ranges the bars for content of the required size in `rc`.
    virtual void ProcessScrollBar(CUIRect rc, int cxRequired, int cyRequired);

    // ---- overrides of the control base ----
    void SetManager(CWindowManagerUI* manager, CControlUI* parent, bool init) override;
    CUIRect GetContentRect() const override;
    void SetPosition(CUIRect rect, bool needInvalidate = true) override;
    void Offset(int dx, int dy, bool needInvalidate = true) override;
    void SetVisible(bool visible = true) override;
    void SetParentVisible(bool visible) override;
    void SetMouseEnabled(bool enabled = true) override;
    CControlUI* FindControl(FindControlProc proc, void* data, std::uint32_t flags) override;
    void HandleEvent(TUIEvent& event) override;
    void SetAttribute(const char16_t* name, const char16_t* value) override;
    bool PaintContent(HDC dc, const CUIRect& paintRect, CControlUI* stop) override;
    bool PostPaint(HDC dc, const CUIRect& paintRect) override;

    // ---- descendants by name ----
    CControlUI* FindSubControl(const char16_t* name);
    bool SetSubControlText(const char16_t* name, const char16_t* text);
    bool SetSubControlFixedWidth(const char16_t* name, int cx);
    bool SetSubControlFixedHeight(const char16_t* name, int cy);
    bool SetSubControlUserData(const char16_t* name, const char16_t* text);
    CUIString GetSubControlText(const char16_t* name);
    int GetSubControlFixedWidth(const char16_t* name);
    int GetSubControlFixedHeight(const char16_t* name);
    CUIString GetSubControlUserData(const char16_t* name);

protected:
    // Deletes a child taken out of the list, at once or through the manager's delayed clean-up.
    void DestroyChild(CControlUI* child);
    // The container's own SetPosition again with its current rectangle (after a bar appeared or went).
    void Relayout(bool needInvalidate);
    // The step of LineUp/LineDown.
    int VerticalLineStep() const;
    void ProcessSingleBar(CScrollBarUI* bar, bool vertical, const CUIRect& rc, int available, int required);
    // Calls place(index, child) for each visible child in list order. Floating children are placed
    // by SetFloatChildPos instead, in the same pass, so that every layout treats them alike.
    template <typename Place> void PlaceVisibleChildren(Place&& place)
    {
        for (int i = 0; i < m_items.GetSize(); ++i) {
            auto* child = static_cast<CControlUI*>(m_items[i]);
            if (!child->IsVisible())
                continue;
            if (child->IsFloat()) {
                SetFloatChildPos(i);
                continue;
            }
            place(i, *child);
        }
    }

    CPtrArray m_items;
    CUIRect m_inset;
    int m_childPadding = 0;
    int m_childAlign = 0;
    int m_childVAlign = 0;
    bool m_autoDestroy = true;
    bool m_delayedDestroy = false;
    bool m_mouseChildEnabled = true;
    bool m_inScrollUpdate = false;
    bool m_scrollToEndPending = false;
    CScrollBarUI* m_verticalScrollBar = nullptr;   // owned
    CScrollBarUI* m_horizontalScrollBar = nullptr; // owned
};

} // namespace ui
