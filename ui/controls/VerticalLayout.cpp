// The vertical layout's identity; its placement and separator are the linear layout's.
#include "ui/controls/VerticalLayout.h"

#include "ui/core/ValueParse.h"

namespace ui {

namespace {

constexpr const char16_t* kClassName = u"VerticalLayout";

} // namespace

CVerticalLayoutUI::CVerticalLayoutUI() : CLinearLayoutUI(Axis::Vertical) {}

const char16_t* CVerticalLayoutUI::GetClassName() const
{
    return kClassName;
}

void* CVerticalLayoutUI::CastTo(const char16_t* typeName)
{
    if (markup::TextEquals(typeName, kClassName)) {
        return this;
    }
    return CContainerUI::CastTo(typeName);
}

} // namespace ui
