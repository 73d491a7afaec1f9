// The tab layout: selection bookkeeping and the placement of the selected page.
#include "ui/controls/TabLayout.h"

#include "ui/controls/LayoutArea.h"
#include "ui/core/ValueParse.h"
#include "ui/manager/WindowManager.h"

#include <algorithm>

namespace ui {

namespace {

constexpr const char16_t* kClassName = u"TabLayout";

} // namespace

CTabLayoutUI::CTabLayoutUI() = default;

const char16_t* CTabLayoutUI::GetClassName() const
{
    return kClassName;
}

void* CTabLayoutUI::CastTo(const char16_t* typeName)
{
    if (markup::TextEquals(typeName, kClassName)) {
        return this;
    }
    return CContainerUI::CastTo(typeName);
}

bool CTabLayoutUI::Add(CControlUI* control)
{
    // Appended through the container's AddAt directly, so the selection rules of AddAt below do
    // not run twice.
    if (!CContainerUI::AddAt(control, GetCount())) {
        return false;
    }
    if (m_currentSel == -1 && control->IsVisible()) {
        m_currentSel = GetItemIndex(control);
    } else {
        control->SetVisible(false);
    }
    return true;
}

bool CTabLayoutUI::AddAt(CControlUI* control, int index)
{
    if (!CContainerUI::AddAt(control, index)) {
        return false;
    }
    if (m_currentSel == -1 && control->IsVisible()) {
        m_currentSel = GetItemIndex(control);
    } else if (m_currentSel == -1 || m_currentSel < index) {
        control->SetVisible(false);
    } else {
        // Inserted at or before the selected page: the same page stays selected.
        ++m_currentSel;
    }
    return true;
}

bool CTabLayoutUI::Remove(CControlUI* control, bool keep)
{
    const int index = GetItemIndex(control);
    if (!CContainerUI::Remove(control, keep)) {
        return false;
    }
    if (index == m_currentSel) {
        if (GetCount() == 0) {
            m_currentSel = -1;
        } else {
            m_currentSel = 0;
            GetItemAt(0)->SetVisible(true);
        }
        RequestParentLayout();
    } else if (index < m_currentSel) {
        --m_currentSel;
    }
    return true;
}

void CTabLayoutUI::RemoveAll()
{
    m_currentSel = -1;
    CContainerUI::RemoveAll();
    RequestParentLayout();
}

bool CTabLayoutUI::SelectItem(int index, bool notify)
{
    if (index < 0 || index >= GetCount()) {
        return false;
    }
    if (index == m_currentSel) {
        return true;
    }
    const int old = m_currentSel;
    m_currentSel = index;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (i == index) {
            child->SetVisible(true);
            child->SetFocus();
        } else {
            child->SetVisible(false);
        }
    }
    RequestParentLayout();
    Invalidate();
    if (m_manager != nullptr) {
        m_manager->MoveFocus(true);
        if (notify) {
            m_manager->SendNotify(this, u"tabselect", static_cast<WPARAM>(m_currentSel), static_cast<LPARAM>(old));
        }
    }
    return true;
}

bool CTabLayoutUI::SelectItem(CControlUI* control, bool notify)
{
    const int index = GetItemIndex(control);
    return index < 0 ? false : SelectItem(index, notify);
}

void CTabLayoutUI::SetPosition(CUIRect rect, bool needInvalidate)
{
    ResetScrollRangesForResize(*this, rect);
    CControlUI::SetPosition(rect, needInvalidate);
    const CUIRect inset = GetInset();
    const CUIRect area(m_itemRect.left + inset.left, m_itemRect.top + inset.top, m_itemRect.right - inset.right,
                       m_itemRect.bottom - inset.bottom);
    PlaceVisibleChildren([&](int i, CControlUI& child) {
        if (i != m_currentSel) {
            return;
        }
        const CUIRect pad = child.GetPadding();
        const CUIRect rc(area.left + pad.left, area.top + pad.top, area.right - pad.right, area.bottom - pad.bottom);
        CUISize size = child.MeasureSize(CUISize(rc.Width(), rc.Height()));
        if (size.cx == 0) {
            size.cx = std::max(0, rc.Width());
        }
        if (size.cy == 0) {
            size.cy = rc.Height();
        }
        size.cx = ClampWidth(size.cx, child);
        size.cy = ClampHeight(size.cy, child);
        child.PlaceByLayout(CUIRect(rc.left, rc.top, rc.left + size.cx, rc.top + size.cy));
    });
}

void CTabLayoutUI::SetAttribute(const char16_t* name, const char16_t* value)
{
    if (markup::TextEquals(name, u"selectedid")) {
        SelectItem(markup::ParseInt(value), true);
    }
    // The value also stays readable as a custom attribute.
    CContainerUI::SetAttribute(name, value);
}

} // namespace ui
