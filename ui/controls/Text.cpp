// CTextUI: link hit tests, cursor, hover and the "link" notification over the label's painting.
#include "ui/controls/Text.h"

#include "ui/core/ValueParse.h"
#include "ui/manager/UIEvent.h"
#include "ui/manager/WindowManager.h"

#include "platform/WindowSystem.h"

namespace ui {

CTextUI::CTextUI()
{
    m_textStyle = DT_WORDBREAK;
    m_textPadding = CUIRect(2, 0, 2, 0);
}

const char16_t* CTextUI::GetClassName() const
{
    return u"Text";
}

void* CTextUI::CastTo(const char16_t* typeName)
{
    if (markup::TextEquals(typeName, u"Text"))
        return this;
    return CLabelUI::CastTo(typeName);
}

std::uint32_t CTextUI::GetControlFlags() const
{
    return IsEnabled() && m_linkCount > 0 ? CF_SETCURSOR : 0;
}

const CUIString* CTextUI::GetLinkText(int index) const
{
    if (index < 0 || index >= m_linkCount)
        return nullptr;
    return &m_linkTexts[index];
}

CUIRect CTextUI::GetLinkRect(int index) const
{
    if (index < 0 || index >= m_linkCount)
        return {};
    return m_linkRects[index];
}

int CTextUI::LinkAt(CUIPoint point) const
{
    for (int i = 0; i < m_linkCount; ++i) {
        if (m_linkRects[i].Contains(point))
            return i;
    }
    return -1;
}

void CTextUI::HandleEvent(TUIEvent& event)
{
    if (RouteMouseToParent(event, [this](TUIEvent& e) { CLabelUI::HandleEvent(e); }))
        return;
    const CUIPoint p = event.point;
    switch (event.kind) {
    case EVT_SET_CURSOR:
        if (LinkAt(p) >= 0) {
            CWindowManagerUI::SetCursor(IDC_HAND);
            return;
        }
        break;
    case EVT_BUTTON_DOWN:
    case EVT_DOUBLE_CLICK:
        if ((event.kind == EVT_BUTTON_DOWN || IsEnabled()) && LinkAt(p) >= 0) {
            Invalidate();
            return;
        }
        break;
    case EVT_BUTTON_UP:
        if (IsEnabled()) {
            const int link = LinkAt(p);
            if (link >= 0) {
                if (m_manager)
                    m_manager->SendNotify(this, u"link", WPARAM(link));
                return;
            }
        }
        break;
    case EVT_CONTEXT_MENU:
        return;
    case EVT_MOUSE_MOVE:
        if (IsEnabled() && m_linkCount > 0) {
            const int link = LinkAt(p);
            if (link != m_hoverLink) {
                m_hoverLink = link;
                Invalidate();
            }
            return;
        }
        break;
    case EVT_MOUSE_LEAVE:
        if (IsEnabled() && m_linkCount > 0 && m_hoverLink != -1) {
            if (m_linkRects[m_hoverLink].Contains(p)) {
                if (m_manager)
                    m_manager->WantMouseLeave(this);
                return;
            }
            m_hoverLink = -1;
            Invalidate();
            if (m_manager)
                m_manager->StopMouseLeave(this);
            return;
        }
        break;
    default:
        break;
    }
    CLabelUI::HandleEvent(event);
}

void CTextUI::PaintText(HDC dc)
{
    ResolveDefaultColors();
    if (m_text.IsEmpty()) {
        m_linkCount = 0;
        return;
    }
    CUIRect area = TextArea();
    const std::uint32_t color = IsEnabled() ? m_textColor : m_disabledTextColor;
    if (m_showHtml) {
        m_linkCount = kMaxLinks;
        CRenderKit::DrawMarkupText(dc, m_manager, area, m_text.CStr(), color, m_linkRects, m_linkTexts, m_linkCount,
                                   m_font, m_textStyle);
    } else {
        m_linkCount = 0;
        CRenderKit::DrawPlainText(dc, m_manager, area, m_text.CStr(), color, m_font, m_textStyle);
    }
    if (m_hoverLink >= m_linkCount)
        m_hoverLink = -1;
}

} // namespace ui
