// The attribute setters of every control class: the first byte chooses the class, the rest is
// lines of name=value. The attributes are set before the control is attached and again once it is
// laid out and painted, and it is painted again.
#include "FuzzSupport.h"

#include "ui/controls/Container.h"
#include "ui/controls/Control.h"
#include "ui/builder/ControlFactory.h"

#include <string>
#include <utility>
#include <vector>

namespace {

constexpr const char16_t* kClasses[] = {
    u"Control",
    u"Container",
    u"VerticalLayout",
    u"HorizontalLayout",
    u"TileLayout",
    u"TabLayout",
    u"ChildLayout",
    u"Label",
    u"Text",
    u"Button",
    u"Option",
    u"CheckBox",
    u"Progress",
    u"Slider",
    u"ScrollBar",
    u"Edit",
    u"RichEdit",
    u"List",
    u"ListHeader",
    u"ListHeaderItem",
    u"ListTextElement",
    u"ListLabelElement",
    u"ListHBoxElement",
    u"ListContainerElement",
    u"Combo",
    u"ComboBox",
    u"DateTime",
    u"TreeView",
    u"TreeNode",
    u"GifAnim",
    u"GifButton",
    u"ApngAnim",
    u"ApngButton",
    u"RotateImage",
    u"ChrysanthemumLoading",
    u"ActiveX",
    u"WebBrowser",
    u"HBox",
    u"VBox",
    u"Tree",
};

std::vector<std::pair<ui::CUIString, ui::CUIString>> Attributes(const ui::CUIString& text)
{
    std::vector<std::pair<ui::CUIString, ui::CUIString>> out;
    const std::u16string all(text.CStr(), std::size_t(text.Length()));
    std::size_t start = 0;
    while (start < all.size() && out.size() < 64) {
        std::size_t end = all.find(u'\n', start);
        if (end == std::u16string::npos)
            end = all.size();
        const std::u16string line = all.substr(start, end - start);
        const std::size_t equals = line.find(u'=');
        if (equals != std::u16string::npos) {
            const std::u16string name = line.substr(0, equals), value = line.substr(equals + 1);
            out.emplace_back(ui::CUIString(name.c_str(), int(name.size())),
                             ui::CUIString(value.c_str(), int(value.size())));
        }
        start = end + 1;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const char16_t* className = kClasses[data[0] % (sizeof kClasses / sizeof kClasses[0])];
    const auto attributes = Attributes(fuzzing::TextOf(data + 1, size - 1));
    fuzzing::ServeFiles({{u"a.png", fuzzing::SamplePng()}});

    fuzzing::HeadlessWindow window(240, 160);
    ui::CControlUI* control = ui::CreateControlForClass(className);
    if (control == nullptr)
        return 0;
    auto* root = new ui::CContainerUI;
    root->Add(control);
    control->SetManager(&window.Manager(), root, false);
    for (const auto& [name, value] : attributes)
        control->SetAttribute(name.CStr(), value.CStr());
    control->SetManager(nullptr, nullptr, false);
    window.AttachAndPaint(root);
    for (const auto& [name, value] : attributes)
        control->SetAttribute(name.CStr(), value.CStr());
    window.Paint();
    fuzzing::ServeFiles({});
    return 0;
}
