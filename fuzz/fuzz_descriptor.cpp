// Image descriptors: the input is the descriptor text, naming the sample picture (file 'a.png'
// of type PNG, or 'a.png' through the skin's images) with dest, source, corner, fade, hole and
// tiling; it is parsed, resolved and drawn at two sizes.
#include "FuzzSupport.h"

#include "platform/DeviceContext.h"
#include "platform/Surface.h"
#include "ui/manager/WindowManager.h"
#include "ui/render/RenderKit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzing::ServeFiles({{u"a.png", fuzzing::SamplePng()}});
    const ui::CUIString text = fuzzing::TextOf(data, size);
    ui::TImageDescriptorText parsed;
    ui::CRenderKit::ParseImageDescriptor(text.CStr(), parsed);

    fuzzing::HeadlessWindow window(64, 64);
    ui::CWindowManagerUI& manager = window.Manager();
    manager.RegisterImage(u"a.png", u"PNG", 0, false, ui::ResourceScope::Window);
    platform::Surface surface = platform::Surface::Create(64, 64);
    platform::DeviceContext dc(surface);
    for (const ui::CUIRect& rect : {ui::CUIRect(0, 0, 64, 64), ui::CUIRect(10, 5, 13, 60)}) {
        ui::TImageDescriptor descriptor;
        descriptor.text = text;
        ui::CRenderKit::DrawImageDescriptor(&dc, &manager, rect, ui::CUIRect(0, 0, 64, 64), descriptor);
    }
    fuzzing::ServeFiles({});
    return 0;
}
