// The child layout: builds its content from a nested skin file with the layout's own manager.
#include "ui/controls/ChildLayout.h"

#include "ui/controls/ValueParse.h"
#include "ui/skin/SkinBuilder.h"

namespace ui {

namespace {

constexpr const char16_t* kClassName = u"ChildLayout";

} // namespace

CChildLayoutUI::CChildLayoutUI() = default;

const char16_t* CChildLayoutUI::GetClassName() const
{
    return kClassName;
}

void* CChildLayoutUI::CastTo(const char16_t* typeName)
{
    if (markup::TextEquals(typeName, kClassName)) {
        return this;
    }
    return CControlUI::CastTo(typeName);
}

void CChildLayoutUI::Init()
{
    if (m_xmlFile.IsEmpty()) {
        return;
    }
    CSkinBuilder builder;
    CControlUI* child = builder.Create(m_xmlFile.CStr(), nullptr, nullptr, m_manager, nullptr);
    if (child != nullptr) {
        Add(child);
    } else {
        RemoveAll();
    }
}

void CChildLayoutUI::SetAttribute(const char16_t* name, const char16_t* value)
{
    if (markup::TextEquals(name, u"xmlfile")) {
        SetChildLayoutXML(value);
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

} // namespace ui
