// Markup text: the first two bytes choose the rectangle's width and the style bits (word break,
// single line, ellipsis, centring), the rest is the text; it is measured and drawn.
#include "FuzzSupport.h"

#include "platform/DeviceContext.h"
#include "platform/Surface.h"
#include "ui/manager/WindowManager.h"
#include "ui/render/RenderKit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const int width = 1 + data[0] % 160;
    static constexpr unsigned kStyles[] = {DT_WORDBREAK, DT_SINGLELINE, DT_END_ELLIPSIS, DT_CENTER,
                                           DT_RIGHT,     DT_VCENTER,    DT_BOTTOM,       DT_NOPREFIX};
    unsigned style = 0;
    for (int bit = 0; bit < 8; ++bit)
        style |= (data[1] >> bit & 1) ? kStyles[bit] : 0;
    const ui::CUIString text = fuzzing::TextOf(data + 2, size - 2);

    fuzzing::HeadlessWindow window(200, 100);
    ui::CWindowManagerUI& manager = window.Manager();
    manager.RegisterFont(1, u"DejaVu Sans", 14, true, false, false, false);
    platform::Surface surface = platform::Surface::Create(200, 100);
    platform::DeviceContext dc(surface);
    ui::CUIRect links[4];
    ui::CUIString linkTexts[4];
    for (const unsigned extra : {0u, unsigned(DT_CALCRECT)}) {
        ui::CUIRect rect(2, 2, 2 + width, 98);
        int linkCount = 4;
        ui::CRenderKit::DrawMarkupText(&dc, &manager, rect, text.CStr(), 0xFF204060, links, linkTexts, linkCount, 0,
                                       style | extra);
    }
    return 0;
}
