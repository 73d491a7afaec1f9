// CControlUI: the base of every element of a window's control tree. Identity, the position model
// (item rectangle, fixed/min/max size, padding, floating placement), state flags, texts, colours,
// images, border, custom attributes, the delegate lists, the attribute setter and the paint pipeline.
#pragma once

#include "ui/core/Delegate.h"
#include "ui/core/StringPtrMap.h"
#include "ui/core/UIRect.h"
#include "ui/core/UIString.h"
#include "ui/render/RenderKit.h"

#include "platform/Win32Defs.h"

#include <cstdint>
#include <memory>

namespace ui {

class CWindowManagerUI;
struct TUIEvent;
struct TNotifyMsg;

// Control flags (GetControlFlags).
constexpr std::uint32_t CF_TABSTOP = 0x1;   // the manager's Tab traversal stops here
constexpr std::uint32_t CF_SETCURSOR = 0x2; // the manager sends EVT_SET_CURSOR to the control under the cursor

// Find flags (FindControl).
constexpr std::uint32_t FIND_ALL = 0;
constexpr std::uint32_t FIND_VISIBLE = 0x1;
constexpr std::uint32_t FIND_ENABLED = 0x2;
constexpr std::uint32_t FIND_HITTEST = 0x4;
constexpr std::uint32_t FIND_UPDATETEST = 0x8;
constexpr std::uint32_t FIND_TOPFIRST = 0x10;
constexpr std::uint32_t FIND_MEFIRST = 0x80000000;

class CControlUI;

// A search callback: returns the control to stop the search, or null to go on. With FIND_HITTEST
// the data points at a CUIPoint.
using FindControlProc = CControlUI* (*)(CControlUI* control, void* data);

class CControlUI
{
public:
    CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    // Leaves the manager's mouse-leave list, then destroys the object.
    virtual void DeleteSelf();
    virtual ~CControlUI();

    virtual CUIString GetName() const;
    virtual void SetName(const char16_t* name);
    virtual const char16_t* GetClassName() const;
    // This object viewed as the named class or interface, or null.
    virtual void* CastTo(const char16_t* typeName);
    virtual std::uint32_t GetControlFlags() const;
    virtual HWND GetNativeWindow() const;
    virtual bool Activate();

    virtual CWindowManagerUI* GetManager() const;
    virtual void SetManager(CWindowManagerUI* manager, CControlUI* parent, bool init);
    virtual CControlUI* GetParent() const;
    virtual CControlUI* GetOverlay() const;
    // Takes ownership; the previous overlay is deleted.
    virtual void SetOverlay(CControlUI* overlay);

    virtual CUIString GetText() const;
    virtual void SetText(const char16_t* text);

    // ---- position ----
    virtual const CUIRect& GetPosition() const;
    virtual CUIRect GetRectInParent() const;
    virtual CUIRect GetContentRect() const;
    virtual void SetPosition(CUIRect rect, bool needInvalidate = true);
    // How a container places a child while laying out (`rect` as SetPosition takes it). A child
    // whose rectangle stays and inside which no layout is pending is left as it is: neither laid
    // out again nor repainted. Any other is placed, and where it moved (its old and its new
    // rectangle) is repainted, or all of it when it was just shown. In a full layout of the window
    // every child is placed, and the window repaints as a whole.
    void PlaceByLayout(const CUIRect& rect);
    virtual void Offset(int dx, int dy, bool needInvalidate = true);
    virtual int GetWidth() const;
    virtual int GetHeight() const;
    virtual int GetX() const;
    virtual int GetY() const;
    virtual CUIRect GetPadding() const;
    virtual void SetPadding(CUIRect padding);
    virtual CUIPoint GetFloatOffset() const;
    virtual void SetFloatOffset(int x, int y);
    // Fractions of the parent's width and height that the left, top, right and bottom edges follow.
    virtual void GetFloatAnchors(double& left, double& top, double& right, double& bottom) const;
    virtual void SetFloatAnchors(double left, double top, double right, double bottom);
    // Where this floating control goes in a parent of the given size: the anchors scaled by that
    // size plus the float offset, the fixed size beyond. Parent-relative, as SetPosition takes it.
    CUIRect FloatPlacement(int parentWidth, int parentHeight) const;
    virtual int GetFixedWidth() const;
    virtual void SetFixedWidth(int cx);
    virtual int GetFixedHeight() const;
    virtual void SetFixedHeight(int cy);
    virtual int GetMinWidth() const;
    virtual void SetMinWidth(int cx);
    // The larger of the maximum and the minimum width.
    virtual int GetMaxWidth() const;
    virtual void SetMaxWidth(int cx);
    virtual int GetMinHeight() const;
    virtual void SetMinHeight(int cy);
    virtual int GetMaxHeight() const;
    virtual void SetMaxHeight(int cy);

    // ---- texts and plain properties ----
    virtual CUIString GetToolTip() const;
    // Every "<n>" becomes a line break.
    virtual void SetToolTip(const char16_t* text);
    virtual void SetToolTipWidth(int width);
    virtual int GetToolTipWidth() const;
    virtual char16_t GetShortcut() const;
    virtual void SetShortcut(char16_t ch);
    virtual bool IsContextMenuEnabled() const;
    virtual void SetContextMenuEnabled(bool enabled);
    virtual CUIString GetUserData() const;
    virtual void SetUserData(const char16_t* text);
    virtual std::uintptr_t GetTag() const;
    virtual void SetTag(std::uintptr_t tag);

    // ---- state ----
    // Own visibility and the visibility inherited from the parent chain.
    virtual bool IsVisible() const;
    virtual void SetVisible(bool visible = true);
    virtual void SetParentVisible(bool visible);
    virtual bool IsEnabled() const;
    virtual void SetEnabled(bool enabled = true);
    virtual bool IsMouseEnabled() const;
    virtual void SetMouseEnabled(bool enabled = true);
    // False while the control is disabled.
    virtual bool IsKeyboardEnabled() const;
    virtual void SetKeyboardEnabled(bool enabled = true);
    virtual bool IsFocused() const;
    virtual void SetFocus();
    virtual bool IsFloat() const;
    virtual void SetFloat(bool floating = true);

    virtual CControlUI* FindControl(FindControlProc proc, void* data, std::uint32_t flags);

    // ---- life and events ----
    // OnInit, then the init delegates.
    virtual void Init();
    virtual void OnInit();
    // The event delegates first; HandleEvent unless one of them refused the event.
    virtual bool Event(TUIEvent& event);
    virtual void HandleEvent(TUIEvent& event);

    // ---- attributes ----
    virtual CUIString GetAttribute(const char16_t* name);
    virtual void SetAttribute(const char16_t* name, const char16_t* value);
    virtual CUIString GetAttributeList(bool ignoreDefault = true);
    // Applies name="value" pairs separated by single spaces.
    virtual void ApplyAttributeList(const char16_t* list);

    virtual bool IsAutoWidth() const;
    virtual void SetAutoWidth(bool autoWidth);
    virtual bool IsAutoHeight() const;
    virtual void SetAutoHeight(bool autoHeight);
    virtual CUISize MeasureSize(CUISize available);

    // ---- painting ----
    // False once the stop control was reached: painting of the whole tree ends there.
    virtual bool Paint(HDC dc, const CUIRect& paintRect, CControlUI* stop);
    virtual bool PaintContent(HDC dc, const CUIRect& paintRect, CControlUI* stop);
    virtual void PaintBackColor(HDC dc);
    virtual void PaintBackImage(HDC dc);
    virtual void PaintStateImage(HDC dc);
    virtual void PaintText(HDC dc);
    virtual void PaintBorder(HDC dc);
    virtual bool PostPaint(HDC dc, const CUIRect& paintRect);

    // ---- non-virtual operations ----
    void Invalidate();
    bool IsLayoutPending() const { return m_layoutPending; }
    // Whether this control or any control inside it waits for a layout.
    bool NeedsLayout() const { return m_layoutPending || m_innerLayoutPending; }
    void RequestLayout();
    void RequestParentLayout();

    // The colour through the manager's colour shift when colorhsl is on.
    std::uint32_t GetAdjustedColor(std::uint32_t color) const;
    // Draws a descriptor over the item rectangle, clipped to the paint rectangle; with a null device
    // context it only resolves the image.
    bool DrawImage(HDC dc, TImageDescriptor& descriptor);

    std::uint32_t GetBackColor() const { return m_backColor; }
    void SetBackColor(std::uint32_t color);
    std::uint32_t GetBackColor2() const { return m_backColor2; }
    void SetBackColor2(std::uint32_t color);
    std::uint32_t GetBackColor3() const { return m_backColor3; }
    void SetBackColor3(std::uint32_t color);
    std::uint32_t GetBorderColor() const { return m_borderColor; }
    void SetBorderColor(std::uint32_t color);
    std::uint32_t GetFocusBorderColor() const { return m_focusBorderColor; }
    void SetFocusBorderColor(std::uint32_t color);
    bool IsColorHsl() const { return m_colorHsl; }
    void SetColorHsl(bool colorHsl);

    // Widths of the left, top, right and bottom border lines.
    const CUIRect& GetBorderSize() const { return m_borderSize; }
    void SetBorderSize(const CUIRect& sizes);
    void SetBorderSize(int width);
    int GetBorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(int style);
    CUISize GetBorderRound() const { return m_borderRound; }
    void SetBorderRound(CUISize round);

    const char16_t* GetBackImage() const { return m_rare ? m_rare->backImage.text.CStr() : u""; }
    void SetBackImage(const char16_t* descriptor);
    const char16_t* GetForeImage() const { return m_rare ? m_rare->foreImage.text.CStr() : u""; }
    void SetForeImage(const char16_t* descriptor);
    const TImageDescriptor& GetBackImageDescriptor() const;

    // The first value given under a name stays.
    void SetCustomAttribute(const char16_t* name, const char16_t* value);
    const CUIString* GetCustomAttribute(const char16_t* name);
    bool RemoveCustomAttribute(const char16_t* name);
    void RemoveAllCustomAttributes();

    // The own virtual-window name, else the parent's.
    CUIString GetVirtualWindow() const;
    void SetVirtualWindow(const char16_t* name);

    // The last paint request cut to the item rectangle.
    const CUIRect& GetPaintRect() const { return m_paintRect; }

    CDelegateList& OnInitDelegates() { return m_initDelegates; }
    CDelegateList& OnDestroyDelegates() { return m_destroyDelegates; }
    CDelegateList& OnSizeDelegates() { return m_sizeDelegates; }
    CDelegateList& OnEventDelegates() { return m_eventDelegates; }
    CDelegateList& OnNotifyDelegates() { return m_notifyDelegates; }
    CDelegateList& OnPaintDelegates() { return m_paintDelegates; }
    CDelegateList& OnPostPaintDelegates() { return m_postPaintDelegates; }

protected:
    // A control that takes no mouse input lets the mouse events (EVT_MOUSE_MOVE to
    // EVT_SCROLL_WHEEL) through to its parent, as if the pointer were over the parent. True when
    // the event was handed on: to the parent, or without one to `withoutParent` (the handling of
    // the class the caller derives from); false when the caller handles the event itself.
    template <typename Handler> bool RouteMouseToParent(TUIEvent& event, Handler&& withoutParent)
    {
        if (!LetsMouseEventThrough(event))
            return false;
        if (m_parent)
            m_parent->HandleEvent(event);
        else
            withoutParent(event);
        return true;
    }
    bool LetsMouseEventThrough(const TUIEvent& event) const;
    // Invalidates `dirty` clipped through every ancestor; false (and nothing invalidated) when an
    // ancestor is hidden or the clipped rectangle is empty. The control itself must be attached.
    bool InvalidateThroughAncestors(CUIRect dirty) const;
    // Marks this control as waiting for a layout and every ancestor as holding one, without any
    // repaint: the layout repaints what it moves.
    void MarkLayoutPending();
    // Places a visible overlay after this control was given `rect` (normalised).
    void PlaceOverlay(const CUIRect& rect);
    // Moves the manager's focus away when this control holds it and is no longer visible.
    void DropFocusIfHeld();
    // Draws the fore image, when one was set.
    void DrawForeImage(HDC dc);

    // What most controls of a skin never set: each of these strings and image descriptors takes
    // an inline buffer of 64 characters, several times the size of the rest of the control, so
    // they are allocated with the first value that is not empty. Without them every one reads as
    // empty.
    struct TRareData
    {
        CUIString virtualWindowName;
        CUIString toolTip;
        CUIString userData;
        TImageDescriptor backImage;
        TImageDescriptor foreImage;
        CStringPtrMap customAttributes{CStringPtrMap::kDefaultBuckets};
    };
    TRareData& Rare();

    CDelegateList m_initDelegates;
    CDelegateList m_destroyDelegates;
    CDelegateList m_sizeDelegates;
    CDelegateList m_eventDelegates;
    CDelegateList m_notifyDelegates;
    CDelegateList m_paintDelegates;
    CDelegateList m_postPaintDelegates;

    CWindowManagerUI* m_manager = nullptr;
    CControlUI* m_parent = nullptr;
    CControlUI* m_overlay = nullptr; // owned
    std::unique_ptr<TRareData> m_rare;
    CUIString m_name;
    bool m_layoutPending = true;
    bool m_innerLayoutPending = false; // a control inside waits for a layout
    bool m_repaintWhenPlaced = false;  // shown again: repainted whole by the next placement
    bool m_contextMenuEnabled = false;
    CUIRect m_itemRect;
    CUIRect m_padding;
    CUIPoint m_floatOffset;
    int m_fixedWidth = 0;
    int m_fixedHeight = 0;
    int m_minWidth = 0;
    int m_minHeight = 0;
    int m_maxWidth = 9999;
    int m_maxHeight = 9999;
    bool m_visible = true;
    bool m_parentVisible = true;
    bool m_enabled = true;
    bool m_mouseEnabled = true;
    bool m_keyboardEnabled = true;
    bool m_focused = false;
    bool m_floating = false;
    double m_floatAnchors[4] = {0, 0, 0, 0};
    bool m_inSizeDelegates = false;
    bool m_renaming = false; // inside the manager's rename of this control
    CUIString m_text;
    char16_t m_shortcut = 0;
    std::uintptr_t m_tag = 0;
    std::uint32_t m_backColor = 0;
    std::uint32_t m_backColor2 = 0;
    std::uint32_t m_backColor3 = 0;
    std::uint32_t m_borderColor = 0;
    std::uint32_t m_focusBorderColor = 0;
    bool m_colorHsl = false;
    int m_borderStyle = 0;
    int m_toolTipWidth = 300;
    CUISize m_borderRound;
    CUIRect m_paintRect;
    CUIRect m_borderSize;
    bool m_autoWidth = false;
    bool m_autoHeight = false;
};

} // namespace ui
