// CControlUI: identity, tree links, visibility and state, and the default reaction to events. The
// position model and layout requests are in ControlLayout.cpp, attributes in ControlAttributes.cpp,
// painting in ControlPaint.cpp.
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

// ---- texts and plain properties ------------------------------------------------------------------

CUIString CControlUI::GetToolTip() const
{
    return m_rare ? m_rare->toolTip : CUIString();
}

void CControlUI::SetToolTip(const char16_t* text)
{
    if (!m_rare && (text == nullptr || *text == 0))
        return;
    CUIString tip(text);
    tip.ReplaceAll(u"<n>", u"\r\n");
    Rare().toolTip = tip;
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
    return m_rare ? m_rare->userData : CUIString();
}

void CControlUI::SetUserData(const char16_t* text)
{
    if (!m_rare && (text == nullptr || *text == 0))
        return;
    Rare().userData = text;
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

const TImageDescriptor& CControlUI::GetBackImageDescriptor() const
{
    static const TImageDescriptor none;
    return m_rare ? m_rare->backImage : none;
}

void CControlUI::SetBackImage(const char16_t* descriptor)
{
    // An empty descriptor resolves to no image: nothing to keep for it.
    if (!m_rare && (descriptor == nullptr || *descriptor == 0)) {
        Invalidate();
        return;
    }
    TImageDescriptor& backImage = Rare().backImage;
    if (backImage.text == (descriptor ? descriptor : u"") && backImage.image)
        return;
    backImage.Reset();
    backImage.text = descriptor;
    DrawImage(nullptr, backImage);
    // A floating control without a size of its own takes the size of its background picture.
    if (m_floating && m_fixedWidth == 0 && m_fixedHeight == 0 && backImage.image) {
        m_fixedWidth = backImage.image->width;
        m_fixedHeight = backImage.image->height;
    }
    Invalidate();
}

void CControlUI::SetForeImage(const char16_t* descriptor)
{
    if (!m_rare && (descriptor == nullptr || *descriptor == 0)) {
        Invalidate();
        return;
    }
    TImageDescriptor& foreImage = Rare().foreImage;
    if (foreImage.text == (descriptor ? descriptor : u"") && foreImage.image)
        return;
    foreImage.Reset();
    foreImage.text = descriptor;
    Invalidate();
}

void CControlUI::DrawForeImage(HDC dc)
{
    if (m_rare)
        DrawImage(dc, m_rare->foreImage);
}

CControlUI::TRareData& CControlUI::Rare()
{
    if (!m_rare)
        m_rare = std::make_unique<TRareData>();
    return *m_rare;
}

void CControlUI::SetCustomAttribute(const char16_t* name, const char16_t* value)
{
    if (!name || !*name || !value || !*value)
        return;
    CStringPtrMap& attributes = Rare().customAttributes;
    if (attributes.Lookup(name, false))
        return;
    auto* copy = new CUIString(value);
    if (!attributes.Insert(name, copy))
        delete copy;
}

const CUIString* CControlUI::GetCustomAttribute(const char16_t* name)
{
    if (!name || !*name || !m_rare)
        return nullptr;
    return static_cast<const CUIString*>(m_rare->customAttributes.Lookup(name));
}

bool CControlUI::RemoveCustomAttribute(const char16_t* name)
{
    if (!name || !*name || !m_rare)
        return false;
    auto* value = static_cast<CUIString*>(m_rare->customAttributes.Lookup(name, false));
    if (!value)
        return false;
    delete value;
    return m_rare->customAttributes.Erase(name);
}

void CControlUI::RemoveAllCustomAttributes()
{
    if (!m_rare)
        return;
    CStringPtrMap& attributes = m_rare->customAttributes;
    for (int i = 0; i < attributes.GetCount(); ++i) {
        const char16_t* key = attributes.KeyAt(i);
        delete static_cast<CUIString*>(attributes.Lookup(key, false));
    }
    attributes.Resize(CStringPtrMap::kDefaultBuckets);
}

CUIString CControlUI::GetVirtualWindow() const
{
    if (m_rare && !m_rare->virtualWindowName.IsEmpty())
        return m_rare->virtualWindowName;
    if (m_parent)
        return m_parent->GetVirtualWindow();
    return {};
}

void CControlUI::SetVirtualWindow(const char16_t* name)
{
    if (m_rare || (name != nullptr && *name != 0))
        Rare().virtualWindowName = name;
    if (m_manager)
        m_manager->SetVirtualWindowOption(true);
}

} // namespace ui
