// The horizontal layout's identity; its placement and separator are the linear layout's.
#include "ui/controls/HorizontalLayout.h"

#include "ui/core/ValueParse.h"

namespace ui {

namespace {

constexpr const char16_t* kClassName = u"HorizontalLayout";

} // namespace

CHorizontalLayoutUI::CHorizontalLayoutUI() : CLinearLayoutUI(Axis::Horizontal) {}

const char16_t* CHorizontalLayoutUI::GetClassName() const
{
    return kClassName;
}

void* CHorizontalLayoutUI::CastTo(const char16_t* typeName)
{
    if (markup::TextEquals(typeName, kClassName)) {
        return this;
    }
    return CContainerUI::CastTo(typeName);
}

} // namespace ui
