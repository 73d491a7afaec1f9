// The child layout: builds its content from a nested skin file with the layout's own manager.
#include "ui/controls/ChildLayout.h"

#include "ui/core/ValueParse.h"

namespace ui {

namespace {

constexpr const char16_t* kClassName = u"ChildLayout";

CChildLayoutUI::ContentBuilder g_contentBuilder = nullptr;

} // namespace

void CChildLayoutUI::SetContentBuilder(ContentBuilder builder)
{
    g_contentBuilder = builder;
}

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
    CControlUI* child = g_contentBuilder != nullptr ? g_contentBuilder(m_xmlFile.CStr(), m_manager) : nullptr;
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
