// Class names and casts of the least-form list, combo and tree classes.
#include "ui/controls/ListControls.h"

#include "ui/core/ValueParse.h"

namespace ui {

const char16_t* CListUI::GetClassName() const
{
    return u"List";
}

void* CListUI::CastTo(const char16_t* typeName)
{
    return markup::TextEquals(typeName, u"List") ? this : CVerticalLayoutUI::CastTo(typeName);
}

const char16_t* CListHeaderUI::GetClassName() const
{
    return u"ListHeader";
}

void* CListHeaderUI::CastTo(const char16_t* typeName)
{
    return markup::TextEquals(typeName, u"ListHeader") ? this : CHorizontalLayoutUI::CastTo(typeName);
}

const char16_t* CListHeaderItemUI::GetClassName() const
{
    return u"ListHeaderItem";
}

void* CListHeaderItemUI::CastTo(const char16_t* typeName)
{
    return markup::TextEquals(typeName, u"ListHeaderItem") ? this : CLabelUI::CastTo(typeName);
}

const char16_t* CListLabelElementUI::GetClassName() const
{
    return u"ListLabelElement";
}

void* CListLabelElementUI::CastTo(const char16_t* typeName)
{
    return markup::TextEquals(typeName, u"ListLabelElement") ? this : CLabelUI::CastTo(typeName);
}

std::uint32_t CListLabelElementUI::GetControlFlags() const
{
    return kListElementFlags;
}

const char16_t* CListTextElementUI::GetClassName() const
{
    return u"ListTextElement";
}

void* CListTextElementUI::CastTo(const char16_t* typeName)
{
    return markup::TextEquals(typeName, u"ListTextElement") ? this : CListLabelElementUI::CastTo(typeName);
}

const char16_t* CListContainerElementUI::GetClassName() const
{
    return u"ListContainerElement";
}

void* CListContainerElementUI::CastTo(const char16_t* typeName)
{
    return markup::TextEquals(typeName, u"ListContainerElement") ? this : CContainerUI::CastTo(typeName);
}

std::uint32_t CListContainerElementUI::GetControlFlags() const
{
    return kListElementFlags;
}

const char16_t* CListHBoxElementUI::GetClassName() const
{
    return u"ListHBoxElement";
}

void* CListHBoxElementUI::CastTo(const char16_t* typeName)
{
    return markup::TextEquals(typeName, u"ListHBoxElement") ? this : CHorizontalLayoutUI::CastTo(typeName);
}

std::uint32_t CListHBoxElementUI::GetControlFlags() const
{
    return kListElementFlags;
}

const char16_t* CComboUI::GetClassName() const
{
    return u"Combo";
}

void* CComboUI::CastTo(const char16_t* typeName)
{
    return markup::TextEquals(typeName, u"Combo") ? this : CContainerUI::CastTo(typeName);
}

const char16_t* CTreeViewUI::GetClassName() const
{
    return u"TreeView";
}

void* CTreeViewUI::CastTo(const char16_t* typeName)
{
    return markup::TextEquals(typeName, u"TreeView") ? this : CListUI::CastTo(typeName);
}

const char16_t* CTreeNodeUI::GetClassName() const
{
    return u"TreeNode";
}

void* CTreeNodeUI::CastTo(const char16_t* typeName)
{
    return markup::TextEquals(typeName, u"TreeNode") ? this : CVerticalLayoutUI::CastTo(typeName);
}

} // namespace ui
