// The platform's tooltip class ("tooltips_class32"): a small undecorated pop-up that shows one
// tool's text where it is told to (tracking tooltips), sized to the text, and drawn with the hook
// the program installs or, without one, with the system's sans face.
#include "platform/WindowSystem.h"

#include "platform/SystemText.h"

#include <algorithm>
#include <map>

namespace platform {

namespace {

constexpr std::uint32_t kTipBackground = 0xFFFFFFE1;
constexpr std::uint32_t kTipBorder = 0xFF767676;
constexpr int kTipPadding = 4; // DrawTipText starts the text here too
constexpr int kTipOffsetBelowCursor = 20;

struct TooltipState
{
    std::u16string text;
    int maxWidth = -1;
    int delays[4] = {500, 100, 5000, 500}; // automatic, reshow, autopop, initial (ms)
    bool tracking = false;
    POINT position;
};

// Tooltip state per window of the current window system; cleared when the window goes.
std::map<HWND, TooltipState>& States()
{
    static std::map<HWND, TooltipState> states;
    return states;
}

constexpr int kTipTextSize = 12; // the default GUI font's size

SIZE MeasureTip(WindowSystem& system, const std::u16string& text, int maxWidth)
{
    if (const auto& measure = system.GetTooltipMeasurer())
        return measure(text, maxWidth);
    return MeasureSystemText(text, kTipTextSize, maxWidth);
}

// The text at the picture's device resolution: size, wrap width and padding scaled with it.
void DrawTipText(PixelBuffer& px, const std::u16string& text, int maxWidth, double scale)
{
    const int padding = ScaleEdge(kTipPadding, scale);
    DrawSystemText(px, text, ScaleEdge(kTipTextSize, scale), maxWidth > 0 ? ScaleEdge(maxWidth, scale) : maxWidth,
                   POINT{padding, padding});
}

void Relayout(WindowSystem& system, HWND hwnd, const TooltipState& state)
{
    const SIZE text = MeasureTip(system, state.text, state.maxWidth);
    const int width = text.cx + 2 * kTipPadding, height = text.cy + 2 * kTipPadding;
    system.SetWindowPos(hwnd, HWND_TOPMOST, state.position.x, state.position.y + kTipOffsetBelowCursor, width, height,
                        SWP_NOACTIVATE);
    system.InvalidateRect(hwnd, nullptr, true);
}

void Paint(WindowSystem& system, HWND hwnd, const TooltipState& state)
{
    PaintInfo paint;
    system.BeginPaint(hwnd, paint);
    PixelBuffer& px = paint.pixels;
    // A one-pixel border in logical pixels: as many device pixels as one logical pixel covers.
    const int border = std::max(ScaleEdge(1, paint.scale), 1);
    for (int y = 0; y < px.height; ++y) {
        std::uint32_t* row = px.Row(y);
        for (int x = 0; x < px.width; ++x) {
            const bool edge = x < border || y < border || x >= px.width - border || y >= px.height - border;
            row[x] = edge ? kTipBorder : kTipBackground;
        }
    }
    if (px.IsEmpty())
        return;
    if (const auto& painter = system.GetTooltipPainter())
        painter(px, state.text);
    else
        DrawTipText(px, state.text, state.maxWidth, paint.scale);
    paint.dirty = RECT{0, 0, UnscaleLength(px.width, paint.scale), UnscaleLength(px.height, paint.scale)};
    system.EndPaint(hwnd, paint);
}

LRESULT TooltipProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    WindowSystem& system = WindowSystem::Get();
    switch (message) {
    case WM_NCCREATE:
        States()[hwnd] = TooltipState{};
        system.SetWindowLongPtr(hwnd, GWL_EXSTYLE,
                                system.GetWindowLongPtr(hwnd, GWL_EXSTYLE) | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT |
                                    WS_EX_NOACTIVATE);
        system.SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return 1;
    case WM_NCDESTROY:
        States().erase(hwnd);
        return 0;
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_PAINT:
        Paint(system, hwnd, States()[hwnd]);
        return 0;
    default:
        break;
    }
    auto it = States().find(hwnd);
    if (it == States().end())
        return system.DefWindowProc(hwnd, message, wParam, lParam);
    TooltipState& state = it->second;
    switch (message) {
    case TTM_ADDTOOLW:
    case TTM_SETTOOLINFOW:
    case TTM_UPDATETIPTEXTW:
        if (const auto* tool = reinterpret_cast<const TOOLINFOW*>(lParam); tool && tool->lpszText) {
            state.text = Utf16Text(tool->lpszText);
            if (state.tracking)
                Relayout(system, hwnd, state);
        }
        return 1;
    case TTM_DELTOOLW:
        state.text.clear();
        return 0;
    case TTM_SETMAXTIPWIDTH: {
        const int previous = state.maxWidth;
        state.maxWidth = int(lParam);
        return previous;
    }
    case TTM_GETMAXTIPWIDTH:
        return state.maxWidth;
    case TTM_GETDELAYTIME:
        return wParam <= TTDT_INITIAL ? state.delays[wParam] : 0;
    case TTM_SETDELAYTIME:
        if (wParam <= TTDT_INITIAL)
            state.delays[wParam] = LOWORD(std::uintptr_t(lParam));
        return 0;
    case TTM_TRACKPOSITION:
        state.position = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (state.tracking)
            Relayout(system, hwnd, state);
        return 0;
    case TTM_TRACKACTIVATE:
        state.tracking = wParam != 0 && !state.text.empty();
        if (state.tracking) {
            Relayout(system, hwnd, state);
            system.ShowWindow(hwnd, SW_SHOWNA);
        } else {
            system.ShowWindow(hwnd, SW_HIDE);
        }
        return 0;
    case TTM_POP:
        state.tracking = false;
        system.ShowWindow(hwnd, SW_HIDE);
        return 0;
    case TTM_ACTIVATE:
        if (!wParam) {
            state.tracking = false;
            system.ShowWindow(hwnd, SW_HIDE);
        }
        return 0;
    case WM_SETTEXT:
        state.text = lParam ? reinterpret_cast<const char16_t*>(lParam) : u"";
        return system.DefWindowProc(hwnd, message, wParam, lParam);
    default:
        return system.DefWindowProc(hwnd, message, wParam, lParam);
    }
}

} // namespace

void RegisterTooltipClass(WindowSystem& system)
{
    WNDCLASSEXW wc;
    wc.style = CS_SAVEBITS;
    wc.lpfnWndProc = TooltipProc;
    wc.lpszClassName = Win32Text(TOOLTIPS_CLASSW);
    system.RegisterClassEx(wc);
}

} // namespace platform
