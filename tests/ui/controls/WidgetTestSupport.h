// Helpers shared by the standard and animated control tests: a notification recorder and pixel
// searches over a canvas.
#pragma once

#include "ControlTestSupport.h"

#include "platform/Color.h"
#include "platform/PngFile.h"

#include <functional>
#include <string>
#include <vector>

namespace widgettest {

struct SeenNotify
{
    std::u16string type;
    ui::CControlUI* sender;
    WPARAM wParam;
};

class NotifyRecorder : public ui::INotifyUI
{
public:
    void Notify(ui::TNotifyMsg& msg) override { seen.push_back({msg.type.CStr(), msg.sender, msg.wParam}); }
    int Count(const std::u16string& type, ui::CControlUI* sender = nullptr) const
    {
        int n = 0;
        for (const SeenNotify& s : seen)
            n += s.type == type && (sender == nullptr || s.sender == sender);
        return n;
    }
    std::vector<SeenNotify> seen;
};

// Pixels of the canvas inside the rectangle for which the test holds.
inline int CountPixels(const tvtest::Canvas& canvas, const ui::CUIRect& rect,
                       const std::function<bool(std::uint32_t)>& test)
{
    int n = 0;
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
            n += test(canvas.Pixel(x, y)) ? 1 : 0;
    return n;
}

// A premultiplied pixel close to an opaque colour (anti-aliased edges excluded).
inline bool Near(std::uint32_t pixel, std::uint32_t color, int tolerance = 40)
{
    const int d[4] = {int(pixel >> 24) - int(color >> 24), int((pixel >> 16) & 0xFF) - int((color >> 16) & 0xFF),
                      int((pixel >> 8) & 0xFF) - int((color >> 8) & 0xFF), int(pixel & 0xFF) - int(color & 0xFF)};
    for (int v : d)
        if (v > tolerance || v < -tolerance)
            return false;
    return true;
}

} // namespace widgettest

namespace widgettest {

// A PNG of one colour (or of equal-width bands of the given colours) written under the build tree;
// returns its absolute path as a skin image name.
std::u16string SolidPng(const std::string& name, int width, int height, std::vector<std::uint32_t> bands);

} // namespace widgettest

namespace widgettest {

// Whether the control's timer of that key runs in the window. The manager keeps killed entries,
// so the window's own timer is asked: killing it tells, and a live one is armed again at once.
inline bool TimerRunning(ui::CWindowManagerUI& manager, ui::CControlUI* control, std::uint32_t key)
{
    const UINT_PTR id = manager.ControlTimerId(control, key);
    if (id == 0 || !platform::Windows().KillTimer(manager.Window(), id))
        return false;
    platform::Windows().SetTimer(manager.Window(), id, 1000);
    return true;
}

} // namespace widgettest
