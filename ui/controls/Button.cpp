// CButtonUI: state tracking from mouse and keyboard events, the cross-fade timer, and painting of
// the state images, colours and border.
#include "ui/controls/Button.h"

#include "ui/core/ValueParse.h"
#include "ui/manager/UIEvent.h"
#include "ui/manager/WindowManager.h"

#include "platform/WindowSystem.h"

namespace ui {

using markup::ParseColor;
using markup::TextEquals;

CButtonUI::CButtonUI()
{
    m_textStyle = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
}

const char16_t* CButtonUI::GetClassName() const
{
    return u"Button";
}

void* CButtonUI::CastTo(const char16_t* typeName)
{
    if (TextEquals(typeName, u"Button"))
        return this;
    return CLabelUI::CastTo(typeName);
}

std::uint32_t CButtonUI::GetControlFlags() const
{
    return (IsKeyboardEnabled() ? CF_TABSTOP : 0) | (IsEnabled() ? CF_SETCURSOR : 0);
}

bool CButtonUI::Activate()
{
    if (!CLabelUI::Activate())
        return false;
    if (m_manager)
        m_manager->SendNotify(this, u"click");
    return true;
}

void CButtonUI::SetEnabled(bool enabled)
{
    CLabelUI::SetEnabled(enabled);
    if (!IsEnabled())
        m_buttonState = 0;
}

void CButtonUI::StartFade()
{
    if (m_fadeDelta != 0 && m_manager)
        m_manager->SetControlTimer(this, kFadeTimer, kFadePeriodMs);
}

void CButtonUI::ApplyCursor() const
{
    CWindowManagerUI::SetCursor(m_cursor == u"arrow" ? IDC_ARROW : IDC_HAND);
}

void CButtonUI::HandleEvent(TUIEvent& event)
{
    if (RouteMouseToParent(event, [this](TUIEvent& e) { CLabelUI::HandleEvent(e); }))
        return;
    const CUIPoint p = event.point;
    const bool inside = m_itemRect.Contains(p);
    switch (event.kind) {
    case EVT_SET_FOCUS:
    case EVT_KILL_FOCUS:
        Invalidate();
        break;
    case EVT_KEY_DOWN:
        if ((event.keyChar == VK_SPACE || event.keyChar == VK_RETURN) && IsVisible() && IsKeyboardEnabled() &&
            IsEnabled()) {
            Activate();
            return;
        }
        break;
    case EVT_BUTTON_DOWN:
    case EVT_DOUBLE_CLICK:
        if (inside) {
            if (IsEnabled())
                m_buttonState |= UISTATE_PUSHED | UISTATE_CAPTURED;
            Invalidate();
        }
        return;
    case EVT_MOUSE_MOVE:
        if (m_buttonState & UISTATE_CAPTURED) {
            if (inside)
                m_buttonState |= UISTATE_PUSHED;
            else
                m_buttonState &= ~UISTATE_PUSHED;
            Invalidate();
            return;
        }
        break;
    case EVT_BUTTON_UP:
        if (m_buttonState & UISTATE_CAPTURED) {
            // Clear the press first: "click" may lead a listener to disable or hide the button.
            m_buttonState &= ~(UISTATE_PUSHED | UISTATE_CAPTURED);
            Invalidate();
            if (inside && IsEnabled())
                Activate();
            return;
        }
        break;
    case EVT_CONTEXT_MENU:
        if (IsContextMenuEnabled() && IsEnabled()) {
            if (m_manager)
                m_manager->SendNotify(this, u"menu", event.wParam, event.lParam);
            return;
        }
        break;
    case EVT_MOUSE_ENTER:
        if (inside) {
            if (IsEnabled() && !(m_buttonState & UISTATE_HOT)) {
                m_buttonState |= UISTATE_HOT;
                Invalidate();
            }
            if (m_manager)
                m_manager->SendNotify(this, u"mouseenter");
            StartFade();
        }
        break;
    case EVT_MOUSE_LEAVE:
        if (inside) {
            if (m_manager)
                m_manager->WantMouseLeave(this);
            return;
        }
        if (IsEnabled() && (m_buttonState & UISTATE_HOT)) {
            m_buttonState &= ~UISTATE_HOT;
            Invalidate();
        }
        if (m_manager) {
            m_manager->SendNotify(this, u"mouseleave");
            m_manager->StopMouseLeave(this);
        }
        StartFade();
        break;
    case EVT_SET_CURSOR:
        ApplyCursor();
        return;
    case EVT_TIMER:
        if (event.wParam == kFadeTimer) {
            if (m_buttonState & UISTATE_HOT) {
                if (m_fadeAlpha > m_fadeDelta) {
                    m_fadeAlpha = std::uint8_t(m_fadeAlpha - m_fadeDelta);
                } else {
                    m_fadeAlpha = 0;
                    if (m_manager)
                        m_manager->KillControlTimer(this, kFadeTimer);
                }
            } else {
                if (255 - m_fadeAlpha > m_fadeDelta) {
                    m_fadeAlpha = std::uint8_t(m_fadeAlpha + m_fadeDelta);
                } else {
                    m_fadeAlpha = 255;
                    if (m_manager)
                        m_manager->KillControlTimer(this, kFadeTimer);
                }
            }
            Invalidate();
            return;
        }
        break;
    default:
        break;
    }
    CLabelUI::HandleEvent(event);
}

void CButtonUI::SetAttribute(const char16_t* name, const char16_t* value)
{
    if (TextEquals(name, u"normalimage"))
        SetNormalImage(value);
    else if (TextEquals(name, u"hotimage"))
        SetHotImage(value);
    else if (TextEquals(name, u"pushedimage"))
        SetPushedImage(value);
    else if (TextEquals(name, u"focusedimage"))
        SetFocusedImage(value);
    else if (TextEquals(name, u"disabledimage"))
        SetDisabledImage(value);
    else if (TextEquals(name, u"foreimage"))
        SetForeImage(value);
    else if (TextEquals(name, u"hotforeimage"))
        SetHotForeImage(value);
    else if (TextEquals(name, u"fivestatusimage"))
        SetFiveStatusImage(value);
    else if (TextEquals(name, u"fadedelta"))
        SetFadeDelta(static_cast<std::uint8_t>(markup::ParseInt(value)));
    else if (TextEquals(name, u"hotbkcolor"))
        SetHotBkColor(ParseColor(value));
    else if (TextEquals(name, u"hottextcolor"))
        SetHotTextColor(ParseColor(value));
    else if (TextEquals(name, u"hotbordercolor"))
        SetHotBorderColor(ParseColor(value));
    else if (TextEquals(name, u"pushedtextcolor"))
        SetPushedTextColor(ParseColor(value));
    else if (TextEquals(name, u"focusedtextcolor"))
        SetFocusedTextColor(ParseColor(value));
    else if (TextEquals(name, u"focusedbkcolor"))
        SetFocusedBkColor(ParseColor(value));
    else if (TextEquals(name, u"cursor"))
        SetCursor(value);
    else
        CLabelUI::SetAttribute(name, value);
}

// ---------------------------------------------------------------------------------------------
// Images, cursor
// ---------------------------------------------------------------------------------------------

void CButtonUI::AssignImage(TImageDescriptor& descriptor, const char16_t* text)
{
    if (descriptor.text == (text ? text : u"") && descriptor.image != nullptr)
        return;
    descriptor.Reset();
    descriptor.text = text ? text : u"";
    Invalidate();
}

void CButtonUI::SetNormalImage(const char16_t* descriptor)
{
    AssignImage(m_normalImage, descriptor);
}

void CButtonUI::SetHotImage(const char16_t* descriptor)
{
    AssignImage(m_hotImage, descriptor);
}

void CButtonUI::SetHotForeImage(const char16_t* descriptor)
{
    AssignImage(m_hotForeImage, descriptor);
}

void CButtonUI::SetPushedImage(const char16_t* descriptor)
{
    AssignImage(m_pushedImage, descriptor);
}

void CButtonUI::SetPushedForeImage(const char16_t* descriptor)
{
    AssignImage(m_pushedForeImage, descriptor);
}

void CButtonUI::SetFocusedImage(const char16_t* descriptor)
{
    AssignImage(m_focusedImage, descriptor);
}

void CButtonUI::SetDisabledImage(const char16_t* descriptor)
{
    AssignImage(m_disabledImage, descriptor);
}

void CButtonUI::SetFiveStatusImage(const char16_t* descriptor)
{
    TImageDescriptor* const cells[5] = {&m_normalImage, &m_pushedImage, &m_hotImage, &m_focusedImage, &m_disabledImage};
    int cellWidth = 0;
    int cellHeight = 0;
    for (int i = 0; i < 5; ++i) {
        TImageDescriptor& cell = *cells[i];
        cell.Reset();
        cell.text = descriptor ? descriptor : u"";
        DrawImage(nullptr, cell);
        if (cell.image == nullptr)
            continue;
        cellWidth = cell.image->width / 5;
        cellHeight = cell.image->height;
        cell.source = CUIRect(i * cellWidth, 0, (i + 1) * cellWidth, cellHeight);
    }
    if (cellWidth > 0 && IsFloat() && m_fixedWidth == 0 && m_fixedHeight == 0) {
        SetFixedWidth(cellWidth);
        SetFixedHeight(cellHeight);
    }
    Invalidate();
}

void CButtonUI::SetCursor(const char16_t* cursor)
{
    m_cursor = cursor ? cursor : u"";
    if (!IsEnabled() || !m_manager || m_manager->Window() == nullptr)
        return;
    if (!m_itemRect.Contains(m_manager->LastMousePos()))
        return;
    if (m_cursor == u"arrow" || m_cursor == u"hand")
        ApplyCursor();
}

// ---------------------------------------------------------------------------------------------
// Painting
// ---------------------------------------------------------------------------------------------

void CButtonUI::RefreshState()
{
    if (IsFocused())
        m_buttonState |= UISTATE_FOCUSED;
    else
        m_buttonState &= ~UISTATE_FOCUSED;
    if (!IsEnabled())
        m_buttonState |= UISTATE_DISABLED;
    else
        m_buttonState &= ~UISTATE_DISABLED;
}

bool CButtonUI::DrawImageFaded(HDC dc, TImageDescriptor& descriptor, std::uint8_t fade)
{
    // Resolve first: the first resolution parses the descriptor text, which sets its own fade.
    if (!DrawImage(nullptr, descriptor) || descriptor.image == nullptr)
        return false;
    descriptor.fade = fade;
    return DrawImage(dc, descriptor);
}

void CButtonUI::PaintNormalState(HDC dc)
{
    if (m_fadeDelta != 0 && m_fadeAlpha < 255) {
        DrawImageFaded(dc, m_hotImage, std::uint8_t(255 - m_fadeAlpha));
        DrawImageFaded(dc, m_normalImage, m_fadeAlpha);
    } else if (m_fadeDelta != 0) {
        DrawImageFaded(dc, m_normalImage, 255);
    } else {
        DrawImage(dc, m_normalImage);
    }
    DrawForeImage(dc);
}

void CButtonUI::PaintStateImage(HDC dc)
{
    RefreshState();
    if ((m_buttonState & UISTATE_DISABLED) && DrawImage(dc, m_disabledImage) && m_disabledImage.image != nullptr)
        return;
    if (!(m_buttonState & UISTATE_DISABLED)) {
        if (m_buttonState & UISTATE_PUSHED) {
            if (!DrawImage(dc, m_pushedImage) || m_pushedImage.image == nullptr)
                DrawImage(dc, m_normalImage);
            if (!DrawImage(dc, m_pushedForeImage) || m_pushedForeImage.image == nullptr)
                DrawForeImage(dc);
            return;
        }
        if (m_buttonState & UISTATE_HOT) {
            if (m_fadeDelta != 0) {
                if (m_fadeAlpha != 0) {
                    DrawImageFaded(dc, m_normalImage, m_fadeAlpha);
                    DrawImageFaded(dc, m_hotImage, std::uint8_t(255 - m_fadeAlpha));
                } else {
                    DrawImageFaded(dc, m_hotImage, 255);
                }
            } else if (!DrawImage(dc, m_hotImage) || m_hotImage.image == nullptr) {
                DrawImage(dc, m_normalImage);
            }
            if (!DrawImage(dc, m_hotForeImage) || m_hotForeImage.image == nullptr)
                DrawForeImage(dc);
            return;
        }
        if ((m_buttonState & UISTATE_FOCUSED) && DrawImage(dc, m_focusedImage) && m_focusedImage.image != nullptr) {
            DrawForeImage(dc);
            return;
        }
    }
    PaintNormalState(dc);
}

void CButtonUI::PaintBackColor(HDC dc)
{
    if (!IsEnabled()) {
        CLabelUI::PaintBackColor(dc);
        return;
    }
    std::uint32_t color = 0;
    if (IsFocused() && m_focusedBackColor != 0)
        color = m_focusedBackColor;
    else if ((m_buttonState & UISTATE_HOT) && m_hotBackColor != 0)
        color = m_hotBackColor;
    if (color == 0) {
        CControlUI::PaintBackColor(dc);
        return;
    }
    CRenderKit::FillColor(dc, color >= 0xFF000000u ? m_paintRect : m_itemRect, GetAdjustedColor(color));
}

std::uint32_t CButtonUI::StateTextColor() const
{
    std::uint32_t color = IsEnabled() ? m_textColor : m_disabledTextColor;
    if ((m_buttonState & UISTATE_PUSHED) && m_pushedTextColor != 0)
        color = m_pushedTextColor;
    else if ((m_buttonState & UISTATE_HOT) && m_hotTextColor != 0)
        color = m_hotTextColor;
    else if ((m_buttonState & UISTATE_FOCUSED) && m_focusedTextColor != 0)
        color = m_focusedTextColor;
    return color;
}

void CButtonUI::PaintText(HDC dc)
{
    RefreshState();
    ResolveDefaultColors();
    if (m_text.IsEmpty())
        return;
    const CUIRect area = TextArea();
    const std::uint32_t color = StateTextColor();
    if (m_effectEnabled)
        PaintSolidEffectText(dc, area, color);
    else
        DrawTextInColor(dc, area, color);
}

void CButtonUI::PaintBorder(HDC dc)
{
    // The base border picks the focus colour itself; only the hot colour needs swapping in.
    const bool useHot =
        !(IsFocused() && m_focusBorderColor != 0) && (m_buttonState & UISTATE_HOT) && m_hotBorderColor != 0;
    if (!useHot) {
        CLabelUI::PaintBorder(dc);
        return;
    }
    const std::uint32_t normal = m_borderColor;
    m_borderColor = m_hotBorderColor;
    CLabelUI::PaintBorder(dc);
    m_borderColor = normal;
}

} // namespace ui
