// List, combo box and tree view classes in their least form: the class names and casts the
// skin builder and the tree-node path need, on the layouts that place their children.
#pragma once

#include "ui/controls/Container.h"
#include "ui/controls/Control.h"
#include "ui/controls/HorizontalLayout.h"
#include "ui/controls/Label.h"
#include "ui/controls/VerticalLayout.h"

namespace ui {

// The flag list elements answer in GetControlFlags (nothing in the framework tests it).
constexpr std::uint32_t kListElementFlags = 0x4;

// A list: its header and elements stacked top to bottom. ("List")
class CListUI : public CVerticalLayoutUI
{
public:
    const char16_t* GetClassName() const override;
    void* CastTo(const char16_t* typeName) override;
};

// The header row of a list: its items side by side. ("ListHeader")
class CListHeaderUI : public CHorizontalLayoutUI
{
public:
    const char16_t* GetClassName() const override;
    void* CastTo(const char16_t* typeName) override;
};

// One column heading of a list header. ("ListHeaderItem")
class CListHeaderItemUI : public CLabelUI
{
public:
    const char16_t* GetClassName() const override;
    void* CastTo(const char16_t* typeName) override;
};

// A list element showing one text. ("ListLabelElement")
class CListLabelElementUI : public CLabelUI
{
public:
    const char16_t* GetClassName() const override;
    void* CastTo(const char16_t* typeName) override;
    // List elements ask for the Enter key (flag 4).
    std::uint32_t GetControlFlags() const override;
};

// A list element showing a text per column. ("ListTextElement")
class CListTextElementUI : public CListLabelElementUI
{
public:
    const char16_t* GetClassName() const override;
    void* CastTo(const char16_t* typeName) override;
};

// A list element that holds controls. ("ListContainerElement")
class CListContainerElementUI : public CContainerUI
{
public:
    const char16_t* GetClassName() const override;
    void* CastTo(const char16_t* typeName) override;
    // List elements ask for the Enter key (flag 4).
    std::uint32_t GetControlFlags() const override;
};

// A list element whose controls sit side by side. ("ListHBoxElement")
class CListHBoxElementUI : public CHorizontalLayoutUI
{
public:
    const char16_t* GetClassName() const override;
    void* CastTo(const char16_t* typeName) override;
    // List elements ask for the Enter key (flag 4).
    std::uint32_t GetControlFlags() const override;
};

// A combo box: holds the elements of its drop-down list. ("Combo")
class CComboUI : public CContainerUI
{
public:
    const char16_t* GetClassName() const override;
    void* CastTo(const char16_t* typeName) override;
};

// A tree view: a list whose elements are tree nodes. ("TreeView")
class CTreeViewUI : public CListUI
{
public:
    const char16_t* GetClassName() const override;
    void* CastTo(const char16_t* typeName) override;
};

// A tree node: its child nodes and controls stacked below it. ("TreeNode")
class CTreeNodeUI : public CVerticalLayoutUI
{
public:
    const char16_t* GetClassName() const override;
    void* CastTo(const char16_t* typeName) override;
};

} // namespace ui
