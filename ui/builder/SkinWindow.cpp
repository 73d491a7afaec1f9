// CSkinWindowWnd: building the skin on creation, the caption band and the round corners.
#include "ui/builder/SkinWindow.h"

#include "platform/WindowRegion.h"
#include "platform/WindowSystem.h"
#include "ui/builder/SkinBuilder.h"
#include "ui/controls/Control.h"

#include <cstdint>
#include <string_view>

namespace ui {

namespace {

// A coordinate of a mouse message: the signed low word.
int SignExtend16(LPARAM value)
{
    return int(static_cast<std::int16_t>(value & 0xFFFF));
}

} // namespace

const char16_t* CSkinWindowWnd::SkinFile() const
{
    return u"main.xml";
}

void CSkinWindowWnd::Notify(TNotifyMsg&) {}

LRESULT CSkinWindowWnd::ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return OnCreateSkin();
    case WM_NCCALCSIZE:
        return 0; // the whole window is client area
    case WM_NCHITTEST:
        return CaptionHitTest(lParam);
    case WM_SIZE:
        ApplyRoundCorners();
        break;
    default:
        break;
    }
    LRESULT result = 0;
    if (m_manager.HandleWindowMessage(message, wParam, lParam, result))
        return result;
    return CallPreviousProc(message, wParam, lParam);
}

LRESULT CSkinWindowWnd::OnCreateSkin()
{
    auto& windows = platform::Windows();
    LONG_PTR style = windows.GetWindowLongPtr(m_hWnd, GWL_STYLE);
    style &= ~LONG_PTR(WS_CAPTION | WS_THICKFRAME);
    style |= WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    windows.SetWindowLongPtr(m_hWnd, GWL_STYLE, style);

    m_manager.AttachWindow(m_hWnd);
    CSkinBuilder builder;
    CControlUI* root = builder.Create(SkinFile(), nullptr, nullptr, &m_manager);
    m_manager.AttachRoot(root);
    m_manager.AddNotifyListener(this);
    return 0;
}

LRESULT CSkinWindowWnd::CaptionHitTest(LPARAM lParam)
{
    auto& windows = platform::Windows();
    POINT point{SignExtend16(lParam), SignExtend16(lParam >> 16)};
    windows.ScreenToClient(m_hWnd, point);
    RECT client;
    windows.GetClientRect(m_hWnd, client);
    const CUIRect caption = m_manager.CaptionRect();
    if (point.x < client.left + caption.left || point.x >= client.right - caption.right || point.y < caption.top ||
        point.y >= caption.bottom)
        return HTCLIENT;
    CControlUI* control = m_manager.ControlAt(CUIPoint(point.x, point.y));
    if (control == nullptr)
        return HTCLIENT;
    const std::u16string_view className = control->GetClassName();
    if (className == u"Button" || className == u"Option" || className == u"Combo")
        return HTCLIENT;
    return HTCAPTION;
}

void CSkinWindowWnd::ApplyRoundCorners()
{
    auto& windows = platform::Windows();
    const CUISize corner = m_manager.RoundCorner();
    if (!windows.IsIconic(m_hWnd) && (corner.cx != 0 || corner.cy != 0)) {
        RECT rect;
        windows.GetWindowRect(m_hWnd, rect);
        const RECT bounds{0, 0, rect.right - rect.left + 1, rect.bottom - rect.top + 1};
        windows.SetWindowRegion(m_hWnd, platform::WindowRegion::RoundRect(bounds, corner.cx, corner.cy), true);
    }
}

} // namespace ui
