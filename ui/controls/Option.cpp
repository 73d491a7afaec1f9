// COptionUI: group membership, selection changes and the selected-state painting.
#include "ui/controls/Option.h"

#include "ui/core/ValueParse.h"
#include "ui/manager/WindowManager.h"

namespace ui {

using markup::TextEquals;

COptionUI::COptionUI() = default;

COptionUI::~COptionUI()
{
    if (m_joined && m_manager)
        m_manager->LeaveOptionGroup(m_group.CStr(), this);
}

const char16_t* COptionUI::GetClassName() const
{
    return u"Option";
}

void* COptionUI::CastTo(const char16_t* typeName)
{
    if (TextEquals(typeName, u"Option"))
        return this;
    return CButtonUI::CastTo(typeName);
}

void COptionUI::SetManager(CWindowManagerUI* manager, CControlUI* parent, bool init)
{
    if (m_joined && m_manager && m_manager != manager) {
        m_manager->LeaveOptionGroup(m_group.CStr(), this);
        m_joined = false;
    }
    CButtonUI::SetManager(manager, parent, init);
    if (!m_joined && m_manager && !m_group.IsEmpty())
        m_joined = m_manager->JoinOptionGroup(m_group.CStr(), this);
    // A group keeps one selection even when several members come from markup selected.
    if (init && m_selected)
        DeselectOthers();
}

void COptionUI::SetGroup(const char16_t* group)
{
    const CUIString name(group ? group : u"");
    if (name == m_group)
        return;
    if (m_joined && m_manager)
        m_manager->LeaveOptionGroup(m_group.CStr(), this);
    m_joined = false;
    m_group = name;
    if (!m_group.IsEmpty() && m_manager) {
        m_joined = m_manager->JoinOptionGroup(m_group.CStr(), this);
        if (m_selected)
            DeselectOthers();
    }
    Invalidate();
}

void COptionUI::DeselectOthers()
{
    if (!m_manager || m_group.IsEmpty())
        return;
    CPtrArray* members = m_manager->OptionGroup(m_group.CStr());
    if (!members)
        return;
    // Copy first: a listener of "selectchanged" may change the group while we walk it.
    const CPtrArray snapshot(*members);
    for (int i = 0; i < snapshot.GetSize(); ++i) {
        auto* other = static_cast<CControlUI*>(snapshot.GetAt(i));
        if (other == this)
            continue;
        if (auto* option = static_cast<COptionUI*>(other->CastTo(u"Option")); option && option->IsSelected())
            option->Selected(false);
    }
}

void COptionUI::Selected(bool selected)
{
    if (m_selected == selected)
        return;
    m_selected = selected;
    if (m_selected)
        DeselectOthers();
    if (m_manager)
        m_manager->SendNotify(this, u"selectchanged");
    Invalidate();
}

bool COptionUI::Activate()
{
    if (!CButtonUI::Activate())
        return false;
    // Clicking the selected option of a group keeps it selected, as radio buttons do.
    if (!m_group.IsEmpty())
        Selected(true);
    else
        Selected(!m_selected);
    return true;
}

void COptionUI::SetAttribute(const char16_t* name, const char16_t* value)
{
    if (TextEquals(name, u"group"))
        SetGroup(value);
    else if (TextEquals(name, u"selected"))
        Selected(markup::ParseBool(value));
    else if (TextEquals(name, u"selectedimage"))
        SetSelectedImage(value);
    else if (TextEquals(name, u"selectedhotimage"))
        SetSelectedHotImage(value);
    else if (TextEquals(name, u"foreimage"))
        SetForeImage(value);
    else if (TextEquals(name, u"selectedbkcolor"))
        SetSelectedBkColor(markup::ParseColor(value));
    else if (TextEquals(name, u"selectedtextcolor"))
        SetSelectedTextColor(markup::ParseColor(value));
    else
        CButtonUI::SetAttribute(name, value);
}

void COptionUI::SetSelectedImage(const char16_t* descriptor)
{
    AssignImage(m_selectedImage, descriptor);
}

void COptionUI::SetSelectedHotImage(const char16_t* descriptor)
{
    AssignImage(m_selectedHotImage, descriptor);
}

void COptionUI::SetSelectedBkColor(std::uint32_t color)
{
    m_selectedBackColor = color;
    Invalidate();
}

void COptionUI::SetSelectedTextColor(std::uint32_t color)
{
    m_selectedTextColor = color;
    Invalidate();
}

void COptionUI::PaintBackColor(HDC dc)
{
    if (m_selected && m_selectedBackColor != 0 && IsEnabled()) {
        CRenderKit::FillColor(dc, m_selectedBackColor >= 0xFF000000u ? m_paintRect : m_itemRect,
                              GetAdjustedColor(m_selectedBackColor));
        return;
    }
    CButtonUI::PaintBackColor(dc);
}

void COptionUI::PaintStateImage(HDC dc)
{
    RefreshState();
    // Pushed and disabled looks win over the selection, as they do over the normal look.
    if (m_selected && !(m_buttonState & (UISTATE_PUSHED | UISTATE_DISABLED))) {
        bool drawn = false;
        if (m_buttonState & UISTATE_HOT)
            drawn = DrawImage(dc, m_selectedHotImage) && m_selectedHotImage.image != nullptr;
        if (!drawn)
            drawn = DrawImage(dc, m_selectedImage) && m_selectedImage.image != nullptr;
        if (drawn) {
            DrawForeImage(dc);
            return;
        }
    }
    CButtonUI::PaintStateImage(dc);
}

void COptionUI::PaintText(HDC dc)
{
    if (!m_selected || m_selectedTextColor == 0 || !IsEnabled()) {
        CButtonUI::PaintText(dc);
        return;
    }
    // The selected colour stands in for the text colour; pushed and hot colours still win.
    RefreshState();
    ResolveDefaultColors();
    const std::uint32_t normal = m_textColor;
    m_textColor = m_selectedTextColor;
    CButtonUI::PaintText(dc);
    m_textColor = normal;
}

} // namespace ui
