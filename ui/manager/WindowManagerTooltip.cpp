// The window manager's hover and tooltip: a hover over a control sends it EVT_MOUSE_HOVER and shows
// the control's tip in a tracking tip window owned by this window, at the hover position.
#include "ui/manager/WindowManager.h"

#include "ui/controls/Control.h"
#include "ui/manager/WindowManagerShared.h"

namespace ui {

using detail::Win;

DWORD CWindowManagerUI::HoverDelay() const
{
    // The tip window's initial delay, once there is one, so that hover and tip keep one rhythm.
    if (m_tooltip.window != nullptr)
        return DWORD(Win().SendMessage(m_tooltip.window, TTM_GETDELAYTIME, TTDT_INITIAL, 0));
    return DWORD(m_hoverTime);
}

bool CWindowManagerUI::OnMouseHover(WPARAM wParam, LPARAM lParam)
{
    if (m_root == nullptr)
        return false;
    // A hover ends only the hover request; the leave request stands, so that the leave still
    // clears the hot control (dropping both left the control that showed its tip hot for good).
    // The next move asks for the next hover.
    m_hoverRearm = true;
    const CUIPoint point(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    CControlUI* control = OwnControlAt(point);
    if (control == nullptr)
        return false;
    if (m_hover != nullptr) {
        TUIEvent event = MakeEvent(EVT_MOUSE_HOVER, m_hover, point, wParam, lParam);
        SendEvent(m_hover, event);
    }
    CUIString tip = control->GetToolTip();
    if (tip.IsEmpty())
        return true;
    ExpandLanguageTokens(tip);
    TooltipState& t = m_tooltip;
    t.text = tip;
    const CUIRect& pos = control->GetPosition();
    t.toolInfo = TOOLINFOW{};
    t.toolInfo.cbSize = 44; // the record's size in the layout tooltip windows have always read
    t.toolInfo.uFlags = TTF_IDISHWND;
    t.toolInfo.hwnd = m_window;
    t.toolInfo.uId = reinterpret_cast<UINT_PTR>(m_window);
    t.toolInfo.hinst = static_cast<::HINSTANCE>(AppInstance());
    // windows.h types the field as writable text; the tooltip only reads it.
    t.toolInfo.lpszText = const_cast<WCHAR*>(platform::Win32Text(t.text.CStr()));
    t.toolInfo.rect = RECT{pos.left, pos.top, pos.right, pos.bottom};
    const LPARAM tool = reinterpret_cast<LPARAM>(&t.toolInfo);
    const int width = control->GetToolTipWidth();
    const bool created = t.window == nullptr;
    if (created) {
        t.window = Win().CreateWindowEx(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_window, nullptr,
                                        static_cast<::HINSTANCE>(AppInstance()), nullptr);
        Win().SendMessage(t.window, TTM_ADDTOOLW, 0, tool);
    }
    // The width is applied again only when another control's tip shows or the width changed.
    if (created || t.owner != control || width != t.width) {
        Win().SendMessage(t.window, TTM_SETMAXTIPWIDTH, 0, width);
        t.width = width;
    }
    Win().SendMessage(t.window, TTM_SETTOOLINFOW, 0, tool);
    Win().SendMessage(t.window, TTM_TRACKACTIVATE, 1, tool);
    t.owner = control;
    POINT screen{point.x, point.y};
    Win().ClientToScreen(m_window, screen);
    Win().SendMessage(t.window, TTM_TRACKPOSITION, 0, MAKELPARAM(screen.x, screen.y));
    return true;
}

void CWindowManagerUI::HideTooltip()
{
    if (m_tooltip.window != nullptr)
        Win().SendMessage(m_tooltip.window, TTM_TRACKACTIVATE, 0, reinterpret_cast<LPARAM>(&m_tooltip.toolInfo));
}

void CWindowManagerUI::DestroyTooltip()
{
    if (m_tooltip.window != nullptr && Win().IsWindow(m_tooltip.window))
        Win().DestroyWindow(m_tooltip.window);
    m_tooltip.window = nullptr;
    m_tooltip.owner = nullptr;
    m_tooltip.width = -1;
}

} // namespace ui
