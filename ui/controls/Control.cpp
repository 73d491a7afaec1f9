// CControlUI: identity, tree links, the position model, visibility and state, invalidation and the
// default reaction to events. Attributes are in ControlAttributes.cpp, painting in ControlPaint.cpp.
#include "ui/controls/Control.h"

#include "ui/manager/UIEvent.h"
#include "ui/manager/WindowManager.h"
#include "ui/render/ImageLoader.h"

#include "ui/core/Limits.h"
#include "ui/core/WindowWnd.h"

#include "platform/WindowSystem.h"

#include <algorithm>

namespace ui {

namespace {

// The window base asks this whether a control chain is free of control flags.
bool IsControlChainClear(CControlUI* control)
{
    for (; control != nullptr; control = control->GetParent()) {
        if (control->GetControlFlags() != 0)
            return false;
    }
    return true;
}

} // namespace

CControlUI::CControlUI()
{
    CWindowWnd::SetControlChainCheck(&IsControlChainClear);
}

void CControlUI::DeleteSelf()
{
    if (m_manager)
        m_manager->StopMouseLeave(this);
    delete this;
}

CControlUI::~CControlUI()
{
    if (m_overlay) {
        CControlUI* overlay = m_overlay;
        m_overlay = nullptr;
        overlay->DeleteSelf();
    }
    RemoveAllCustomAttributes();
    if (m_destroyDelegates.HasAny())
        m_destroyDelegates.InvokeAll(this);
    if (m_manager)
        m_manager->ForgetControl(this);
}

// ---- identity and links --------------------------------------------------------------------------

CUIString CControlUI::GetName() const
{
    return m_name;
}

void CControlUI::SetName(const char16_t* name)
{
    if (m_name == (name ? name : u""))
        return;
    // The manager's rename sets the name through this operation again; that inner call only stores.
    if (m_manager && !m_renaming) {
        const bool registered = !m_name.IsEmpty() && m_manager->ControlByName(m_name.CStr()) == this;
        m_renaming = true;
        const bool accepted =
            m_manager->RenameControl(this, name) || (name && *name && m_manager->ControlByName(name) == this);
        m_renaming = false;
        // A refused rename of a registered control keeps the old name: the manager drops a dying
        // control's entry under its current name, so an entry under a name the control no longer
        // carries would outlive it.
        if (!accepted && registered)
            return;
    }
    m_name = name;
}

const char16_t* CControlUI::GetClassName() const
{
    return u"Control";
}

void* CControlUI::CastTo(const char16_t* typeName)
{
    if (typeName && CUIString(u"Control") == typeName)
        return this;
    return nullptr;
}

std::uint32_t CControlUI::GetControlFlags() const
{
    return 0;
}

HWND CControlUI::GetNativeWindow() const
{
    return nullptr;
}

bool CControlUI::Activate()
{
    return IsVisible() && IsEnabled();
}

CWindowManagerUI* CControlUI::GetManager() const
{
    return m_manager;
}

void CControlUI::SetManager(CWindowManagerUI* manager, CControlUI* parent, bool init)
{
    if (m_overlay)
        m_overlay->SetManager(manager, this, init);
    m_manager = manager;
    m_parent = parent;
    if (init && m_parent)
        Init();
}

CControlUI* CControlUI::GetParent() const
{
    return m_parent;
}

CControlUI* CControlUI::GetOverlay() const
{
    return m_overlay;
}

void CControlUI::SetOverlay(CControlUI* overlay)
{
    if (overlay == m_overlay)
        return;
    if (m_overlay) {
        CControlUI* old = m_overlay;
        m_overlay = nullptr;
        old->DeleteSelf();
    }
    m_overlay = overlay;
    if (!m_overlay)
        return;
    if (m_manager)
        m_manager->InitControlTree(m_overlay, this);
    else
        m_overlay->SetManager(nullptr, this, false);
    if (IsVisible())
        RequestLayout();
    else
        m_overlay->SetParentVisible(false);
}

CUIString CControlUI::GetText() const
{
    return m_text;
}

void CControlUI::SetText(const char16_t* text)
{
    if (m_text == (text ? text : u""))
        return;
    m_text = text;
    Invalidate();
}

// ---- position ------------------------------------------------------------------------------------

const CUIRect& CControlUI::GetPosition() const
{
    return m_itemRect;
}

CUIRect CControlUI::GetRectInParent() const
{
    if (!m_parent)
        return {};
    CUIRect rect = m_itemRect;
    const CUIRect& parent = m_parent->GetPosition();
    rect.Offset(-parent.left, -parent.top);
    return rect;
}

CUIRect CControlUI::GetContentRect() const
{
    return m_itemRect;
}

void CControlUI::SetPosition(CUIRect rect, bool needInvalidate)
{
    if (rect.right < rect.left)
        rect.right = rect.left;
    if (rect.bottom < rect.top)
        rect.bottom = rect.top;

    CUIRect oldRect = m_itemRect;
    const bool firstPlacement = oldRect.IsEmpty();

    if (!m_floating) {
        m_itemRect = rect;
    } else if (m_parent) {
        // A floating rectangle is relative to the parent; the float placement follows it so that a
        // later layout reproduces the same place.
        const CUIRect& p = m_parent->GetPosition();
        const int w = p.Width();
        const int h = p.Height();
        m_itemRect = rect;
        m_itemRect.Offset(p.left, p.top);
        m_floatOffset.x = rect.left - limits::ScaleExtent(w, m_floatAnchors[0]);
        m_floatOffset.y = rect.top - limits::ScaleExtent(h, m_floatAnchors[1]);
        m_fixedWidth = rect.right - limits::ScaleExtent(w, m_floatAnchors[2]) - m_floatOffset.x;
        m_fixedHeight = rect.bottom - limits::ScaleExtent(h, m_floatAnchors[3]) - m_floatOffset.y;
    }

    // A control placed for the first time repaints only where it now is (for a floating control the
    // argument is parent-relative, so the placed rectangle is used rather than the argument).
    if (firstPlacement)
        oldRect = m_itemRect;

    if (!m_manager)
        return;

    if (!m_inSizeDelegates) {
        m_inSizeDelegates = true;
        if (m_sizeDelegates.HasAny())
            m_sizeDelegates.InvokeAll(this);
        m_inSizeDelegates = false;
    }
    m_layoutPending = false;
    m_innerLayoutPending = false;

    if (needInvalidate && IsVisible()) {
        CUIRect dirty = oldRect;
        dirty.Join(m_itemRect);
        // A control hidden by an ancestor or lying outside it needs no repaint, and its overlay is
        // left where it was.
        if (!InvalidateThroughAncestors(dirty))
            return;
    }
    PlaceOverlay(rect);
}

void CControlUI::PlaceByLayout(const CUIRect& rect)
{
    if (m_manager == nullptr || m_manager->IsFullLayoutPass()) {
        SetPosition(rect, false);
        return;
    }
    CUIRect target = rect;
    if (target.right < target.left)
        target.right = target.left;
    if (target.bottom < target.top)
        target.bottom = target.top;
    if (m_floating && m_parent)
        target.Offset(m_parent->GetPosition().left, m_parent->GetPosition().top);
    const CUIRect old = m_itemRect;
    const bool shown = m_repaintWhenPlaced;
    if (!shown && !NeedsLayout() && target == old)
        return;
    m_repaintWhenPlaced = false;
    SetPosition(rect, false);
    if (!shown && m_itemRect == old)
        return;
    CUIRect dirty = m_itemRect;
    if (!old.IsEmpty())
        dirty.Join(old);
    if (IsVisible())
        InvalidateThroughAncestors(dirty);
}

void CControlUI::PlaceOverlay(const CUIRect& rect)
{
    if (!m_overlay || !m_overlay->IsVisible())
        return;
    if (!m_overlay->IsFloat()) {
        int width = rect.Width();
        int height = rect.Height();
        width = std::min(std::max(width, m_overlay->GetMinWidth()), m_overlay->GetMaxWidth());
        height = std::min(std::max(height, m_overlay->GetMinHeight()), m_overlay->GetMaxHeight());
        m_overlay->PlaceByLayout({rect.left, rect.top, rect.left + width, rect.top + height});
        return;
    }
    m_overlay->PlaceByLayout(m_overlay->FloatPlacement(m_itemRect.Width(), m_itemRect.Height()));
}

CUIRect CControlUI::FloatPlacement(int parentWidth, int parentHeight) const
{
    const CUIPoint offset = GetFloatOffset();
    double l, t, r, b;
    GetFloatAnchors(l, t, r, b);
    return {limits::ScaleExtent(parentWidth, l) + offset.x, limits::ScaleExtent(parentHeight, t) + offset.y,
            limits::ScaleExtent(parentWidth, r) + offset.x + GetFixedWidth(),
            limits::ScaleExtent(parentHeight, b) + offset.y + GetFixedHeight()};
}

void CControlUI::Offset(int dx, int dy, bool needInvalidate)
{
    const CUIRect oldRect = m_itemRect;
    m_itemRect.Offset(dx, dy);
    if (needInvalidate && m_manager && IsVisible()) {
        CUIRect dirty = oldRect;
        dirty.Join(m_itemRect);
        if (!InvalidateThroughAncestors(dirty))
            return;
    }
    if (m_overlay && m_overlay->IsVisible())
        m_overlay->Offset(dx, dy, false);
}

int CControlUI::GetWidth() const
{
    return m_itemRect.Width();
}

int CControlUI::GetHeight() const
{
    return m_itemRect.Height();
}

int CControlUI::GetX() const
{
    return m_itemRect.left;
}

int CControlUI::GetY() const
{
    return m_itemRect.top;
}

CUIRect CControlUI::GetPadding() const
{
    return m_padding;
}

void CControlUI::SetPadding(CUIRect padding)
{
    m_padding = padding;
    RequestParentLayout();
}

CUIPoint CControlUI::GetFloatOffset() const
{
    return m_floatOffset;
}

void CControlUI::SetFloatOffset(int x, int y)
{
    m_floatOffset = {x, y};
    RequestParentLayout();
}

void CControlUI::GetFloatAnchors(double& left, double& top, double& right, double& bottom) const
{
    left = m_floatAnchors[0];
    top = m_floatAnchors[1];
    right = m_floatAnchors[2];
    bottom = m_floatAnchors[3];
}

void CControlUI::SetFloatAnchors(double left, double top, double right, double bottom)
{
    m_floatAnchors[0] = left;
    m_floatAnchors[1] = top;
    m_floatAnchors[2] = right;
    m_floatAnchors[3] = bottom;
    RequestParentLayout();
}

int CControlUI::GetFixedWidth() const
{
    return m_fixedWidth;
}

void CControlUI::SetFixedWidth(int cx)
{
    if (cx < 0)
        return;
    m_fixedWidth = cx;
    RequestParentLayout();
}

int CControlUI::GetFixedHeight() const
{
    return m_fixedHeight;
}

void CControlUI::SetFixedHeight(int cy)
{
    if (cy < 0)
        return;
    m_fixedHeight = cy;
    RequestParentLayout();
}

int CControlUI::GetMinWidth() const
{
    return m_minWidth;
}

void CControlUI::SetMinWidth(int cx)
{
    if (cx < 0 || cx == m_minWidth)
        return;
    m_minWidth = cx;
    RequestParentLayout();
}

int CControlUI::GetMaxWidth() const
{
    return std::max(m_maxWidth, m_minWidth);
}

void CControlUI::SetMaxWidth(int cx)
{
    if (cx < 0 || cx == m_maxWidth)
        return;
    m_maxWidth = cx;
    RequestParentLayout();
}

int CControlUI::GetMinHeight() const
{
    return m_minHeight;
}

void CControlUI::SetMinHeight(int cy)
{
    if (cy < 0 || cy == m_minHeight)
        return;
    m_minHeight = cy;
    RequestParentLayout();
}

int CControlUI::GetMaxHeight() const
{
    return std::max(m_maxHeight, m_minHeight);
}

void CControlUI::SetMaxHeight(int cy)
{
    if (cy < 0 || cy == m_maxHeight)
        return;
    m_maxHeight = cy;
    RequestParentLayout();
}

// ---- texts and plain properties ------------------------------------------------------------------

CUIString CControlUI::GetToolTip() const
{
    return m_toolTip;
}

void CControlUI::SetToolTip(const char16_t* text)
{
    CUIString tip(text);
    tip.ReplaceAll(u"<n>", u"\r\n");
    m_toolTip = tip;
}

void CControlUI::SetToolTipWidth(int width)
{
    m_toolTipWidth = width;
}

int CControlUI::GetToolTipWidth() const
{
    return m_toolTipWidth;
}

char16_t CControlUI::GetShortcut() const
{
    return m_shortcut;
}

void CControlUI::SetShortcut(char16_t ch)
{
    m_shortcut = ch;
}

bool CControlUI::IsContextMenuEnabled() const
{
    return m_contextMenuEnabled;
}

void CControlUI::SetContextMenuEnabled(bool enabled)
{
    m_contextMenuEnabled = enabled;
}

CUIString CControlUI::GetUserData() const
{
    return m_userData;
}

void CControlUI::SetUserData(const char16_t* text)
{
    m_userData = text;
}

std::uintptr_t CControlUI::GetTag() const
{
    return m_tag;
}

void CControlUI::SetTag(std::uintptr_t tag)
{
    m_tag = tag;
}

// ---- state ---------------------------------------------------------------------------------------

bool CControlUI::IsVisible() const
{
    return m_visible && m_parentVisible;
}

void CControlUI::DropFocusIfHeld()
{
    if (m_manager && m_manager->FocusControl() == this)
        m_manager->SetFocusControl(nullptr, true);
}

void CControlUI::SetVisible(bool visible)
{
    if (visible == m_visible)
        return;
    const bool wasVisible = IsVisible();
    // Where a control was is repainted when it hides; one that shows is laid out and repainted
    // whole where its parent's layout puts it.
    if (wasVisible)
        Invalidate();
    m_visible = visible;
    m_focused = false;
    if (!visible)
        DropFocusIfHeld();
    if (IsVisible() && !wasVisible)
        m_layoutPending = m_repaintWhenPlaced = true;
    if (IsVisible() != wasVisible)
        RequestParentLayout();
    if (m_overlay)
        m_overlay->SetParentVisible(IsVisible());
}

void CControlUI::SetParentVisible(bool visible)
{
    const bool wasVisible = IsVisible();
    m_parentVisible = visible;
    if (IsVisible() && !wasVisible)
        m_layoutPending = m_repaintWhenPlaced = true;
    if (!visible)
        DropFocusIfHeld();
    if (m_overlay)
        m_overlay->SetParentVisible(IsVisible());
}

bool CControlUI::IsEnabled() const
{
    return m_enabled;
}

void CControlUI::SetEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    Invalidate();
}

bool CControlUI::IsMouseEnabled() const
{
    return m_mouseEnabled;
}

void CControlUI::SetMouseEnabled(bool enabled)
{
    m_mouseEnabled = enabled;
}

bool CControlUI::IsKeyboardEnabled() const
{
    return m_enabled && m_keyboardEnabled;
}

void CControlUI::SetKeyboardEnabled(bool enabled)
{
    m_keyboardEnabled = enabled;
}

bool CControlUI::IsFocused() const
{
    return m_focused;
}

void CControlUI::SetFocus()
{
    if (m_manager)
        m_manager->SetFocusControl(this, false);
}

bool CControlUI::IsFloat() const
{
    return m_floating;
}

void CControlUI::SetFloat(bool floating)
{
    if (m_floating == floating)
        return;
    m_floating = floating;
    RequestParentLayout();
}

CControlUI* CControlUI::FindControl(FindControlProc proc, void* data, std::uint32_t flags)
{
    if ((flags & FIND_VISIBLE) && !IsVisible())
        return nullptr;
    if ((flags & FIND_ENABLED) && !IsEnabled())
        return nullptr;
    const bool hitTest = (flags & FIND_HITTEST) != 0;
    if (hitTest && !m_itemRect.Contains(*static_cast<const CUIPoint*>(data)))
        return nullptr;
    if ((flags & FIND_UPDATETEST) && proc(this, data))
        return nullptr;

    CControlUI* result = nullptr;
    if ((flags & FIND_MEFIRST) && (!hitTest || m_mouseEnabled))
        result = proc(this, data);
    if (!result && m_overlay)
        result = m_overlay->FindControl(proc, data, flags);
    if (result || (flags & FIND_MEFIRST))
        return result;
    if (hitTest && !m_mouseEnabled)
        return nullptr;
    return proc(this, data);
}

// ---- life and events -----------------------------------------------------------------------------

void CControlUI::Init()
{
    OnInit();
    if (m_initDelegates.HasAny())
        m_initDelegates.InvokeAll(this);
}

void CControlUI::OnInit() {}

bool CControlUI::Event(TUIEvent& event)
{
    if (!m_eventDelegates.InvokeAll(&event))
        return false;
    HandleEvent(event);
    return true;
}

bool CControlUI::LetsMouseEventThrough(const TUIEvent& event) const
{
    return !IsMouseEnabled() && event.kind > EVT_MOUSE_BEGIN && event.kind < EVT_MOUSE_END;
}

void CControlUI::HandleEvent(TUIEvent& event)
{
    switch (event.kind) {
    case EVT_SET_CURSOR:
        CWindowManagerUI::SetCursor(IDC_ARROW);
        return;
    case EVT_SET_FOCUS:
        m_focused = true;
        Invalidate();
        return;
    case EVT_KILL_FOCUS:
        m_focused = false;
        Invalidate();
        return;
    case EVT_TIMER:
        if (m_manager)
            m_manager->SendNotify(this, u"timer", event.wParam, event.lParam);
        return;
    case EVT_CONTEXT_MENU:
        if (m_contextMenuEnabled) {
            if (m_manager)
                m_manager->SendNotify(this, u"menu", event.wParam, event.lParam);
            return;
        }
        break;
    default:
        break;
    }
    if (m_parent)
        m_parent->HandleEvent(event);
}

CUISize CControlUI::MeasureSize(CUISize)
{
    return {m_fixedWidth, m_fixedHeight};
}

bool CControlUI::IsAutoWidth() const
{
    return m_autoWidth;
}

void CControlUI::SetAutoWidth(bool autoWidth)
{
    if (m_autoWidth == autoWidth)
        return;
    m_autoWidth = autoWidth;
    Invalidate();
}

bool CControlUI::IsAutoHeight() const
{
    return m_autoHeight;
}

void CControlUI::SetAutoHeight(bool autoHeight)
{
    if (m_autoHeight == autoHeight)
        return;
    m_autoHeight = autoHeight;
    Invalidate();
}

// ---- invalidation and layout requests ------------------------------------------------------------

void CControlUI::Invalidate()
{
    if (!IsVisible() || !m_manager)
        return;
    CUIRect rect = m_itemRect;
    for (CControlUI* parent = m_parent; parent; parent = parent->GetParent()) {
        if (!rect.Intersect(parent->GetPosition()))
            return;
    }
    m_manager->Invalidate(rect);
}

bool CControlUI::InvalidateThroughAncestors(CUIRect dirty) const
{
    for (CControlUI* parent = m_parent; parent; parent = parent->GetParent()) {
        if (!parent->IsVisible() || !dirty.Intersect(parent->GetPosition()))
            return false;
    }
    m_manager->Invalidate(dirty);
    return true;
}

void CControlUI::RequestLayout()
{
    if (!IsVisible())
        return;
    MarkLayoutPending();
    Invalidate();
}

void CControlUI::MarkLayoutPending()
{
    m_layoutPending = true;
    for (CControlUI* parent = m_parent; parent; parent = parent->m_parent)
        parent->m_innerLayoutPending = true;
    if (m_manager)
        m_manager->SetLayoutNeeded();
}

void CControlUI::RequestParentLayout()
{
    // Only the parent's layout changes: what it moves, it repaints (PlaceByLayout), and the parent
    // itself is not repainted for the request. The layout runs before the next paint, so the
    // request asks for that paint where the control stands now; a control with no place yet asks
    // for it over its parent.
    if (m_parent) {
        if (m_parent->IsVisible())
            m_parent->MarkLayoutPending();
        const bool painted =
            m_manager && IsVisible() && !m_itemRect.IsEmpty() && InvalidateThroughAncestors(m_itemRect);
        if (!painted && m_visible)
            m_parent->Invalidate();
    } else {
        RequestLayout();
    }
    if (m_manager)
        m_manager->SetLayoutNeeded();
}

// ---- colours, images, custom attributes, virtual window -------------------------------------------

std::uint32_t CControlUI::GetAdjustedColor(std::uint32_t color) const
{
    if (!m_colorHsl)
        return color;
    short h = 180, s = 100, l = 100;
    // With the shift off the stored values mean nothing; the colour stays as it is.
    if (!CWindowManagerUI::ColorShift(h, s, l))
        return color;
    return CRenderKit::ShiftColorHsl(color, h, s, l);
}

bool CControlUI::DrawImage(HDC dc, TImageDescriptor& descriptor)
{
    return CRenderKit::DrawImageDescriptor(dc, m_manager, m_itemRect, m_paintRect, descriptor);
}

void CControlUI::SetBackColor(std::uint32_t color)
{
    if (color == m_backColor)
        return;
    m_backColor = color;
    Invalidate();
}

void CControlUI::SetBackColor2(std::uint32_t color)
{
    if (color == m_backColor2)
        return;
    m_backColor2 = color;
    Invalidate();
}

void CControlUI::SetBackColor3(std::uint32_t color)
{
    if (color == m_backColor3)
        return;
    m_backColor3 = color;
    Invalidate();
}

void CControlUI::SetBorderColor(std::uint32_t color)
{
    if (color == m_borderColor)
        return;
    m_borderColor = color;
    Invalidate();
}

void CControlUI::SetFocusBorderColor(std::uint32_t color)
{
    if (color == m_focusBorderColor)
        return;
    m_focusBorderColor = color;
    Invalidate();
}

void CControlUI::SetColorHsl(bool colorHsl)
{
    if (colorHsl == m_colorHsl)
        return;
    m_colorHsl = colorHsl;
    Invalidate();
}

void CControlUI::SetBorderSize(const CUIRect& sizes)
{
    m_borderSize = sizes;
    Invalidate();
}

void CControlUI::SetBorderSize(int width)
{
    m_borderSize = {width, width, width, width};
    Invalidate();
}

void CControlUI::SetBorderStyle(int style)
{
    m_borderStyle = style;
    Invalidate();
}

void CControlUI::SetBorderRound(CUISize round)
{
    m_borderRound = round;
    Invalidate();
}

void CControlUI::SetBackImage(const char16_t* descriptor)
{
    if (m_backImage.text == (descriptor ? descriptor : u"") && m_backImage.image)
        return;
    m_backImage.Reset();
    m_backImage.text = descriptor;
    DrawImage(nullptr, m_backImage);
    // A floating control without a size of its own takes the size of its background picture.
    if (m_floating && m_fixedWidth == 0 && m_fixedHeight == 0 && m_backImage.image) {
        m_fixedWidth = m_backImage.image->width;
        m_fixedHeight = m_backImage.image->height;
    }
    Invalidate();
}

void CControlUI::SetForeImage(const char16_t* descriptor)
{
    if (m_foreImage.text == (descriptor ? descriptor : u"") && m_foreImage.image)
        return;
    m_foreImage.Reset();
    m_foreImage.text = descriptor;
    Invalidate();
}

void CControlUI::SetCustomAttribute(const char16_t* name, const char16_t* value)
{
    if (!name || !*name || !value || !*value)
        return;
    if (m_customAttributes.Lookup(name, false))
        return;
    auto* copy = new CUIString(value);
    if (!m_customAttributes.Insert(name, copy))
        delete copy;
}

const CUIString* CControlUI::GetCustomAttribute(const char16_t* name)
{
    if (!name || !*name)
        return nullptr;
    return static_cast<const CUIString*>(m_customAttributes.Lookup(name));
}

bool CControlUI::RemoveCustomAttribute(const char16_t* name)
{
    if (!name || !*name)
        return false;
    auto* value = static_cast<CUIString*>(m_customAttributes.Lookup(name, false));
    if (!value)
        return false;
    delete value;
    return m_customAttributes.Erase(name);
}

void CControlUI::RemoveAllCustomAttributes()
{
    for (int i = 0; i < m_customAttributes.GetCount(); ++i) {
        const char16_t* key = m_customAttributes.KeyAt(i);
        delete static_cast<CUIString*>(m_customAttributes.Lookup(key, false));
    }
    m_customAttributes.Resize(CStringPtrMap::kDefaultBuckets);
}

CUIString CControlUI::GetVirtualWindow() const
{
    if (!m_virtualWindowName.IsEmpty())
        return m_virtualWindowName;
    if (m_parent)
        return m_parent->GetVirtualWindow();
    return {};
}

void CControlUI::SetVirtualWindow(const char16_t* name)
{
    m_virtualWindowName = name;
    if (m_manager)
        m_manager->SetVirtualWindowOption(true);
}

} // namespace ui
