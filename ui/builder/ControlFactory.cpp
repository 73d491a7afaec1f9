// The builder's class table. A class whose control is not built yet has a null creator and is
// treated as unknown (a plug-in or the builder's callback may still supply it); its row gets the
// creator when the control arrives, one line each.
#include "ui/builder/ControlFactory.h"

#include "ui/builder/SkinBuilder.h"
#include "ui/controls/Button.h"
#include "ui/controls/CheckBox.h"
#include "ui/controls/ChildLayout.h"
#include "ui/controls/ChrysanthemumLoading.h"
#include "ui/controls/Container.h"
#include "ui/controls/HorizontalLayout.h"
#include "ui/controls/Label.h"
#include "ui/controls/ListControls.h"
#include "ui/controls/MinimalControls.h"
#include "ui/controls/Option.h"
#include "ui/controls/RotateImage.h"
#include "ui/controls/ScrollBar.h"
#include "ui/controls/TabLayout.h"
#include "ui/controls/Text.h"
#include "ui/controls/TileLayout.h"
#include "ui/controls/VerticalLayout.h"
#include "ui/core/UIString.h"

#include <array>
#include <iterator>

namespace ui {

namespace {

template <class T> CControlUI* New()
{
    return new T;
}

CControlUI* BuildChildContent(const char16_t* xmlFile, CWindowManagerUI* manager)
{
    CSkinBuilder builder;
    return builder.Create(xmlFile, nullptr, nullptr, manager, nullptr);
}

// A child layout builds its content with a skin builder of its own.
CControlUI* NewChildLayout()
{
    CChildLayoutUI::SetContentBuilder(&BuildChildContent);
    return new CChildLayoutUI;
}

struct TClassEntry
{
    const char16_t* name;
    ControlCreator create;
};

// The lookup compares lengths before names, so most rows cost one integer comparison.
constexpr TClassEntry kClasses[] = {
    {u"Edit", New<CEditUI>},
    {u"List", New<CListUI>},
    {u"Text", New<CTextUI>},
    {u"Tree", New<CTreeViewUI>},
    {u"HBox", New<CHorizontalLayoutUI>},
    {u"VBox", New<CVerticalLayoutUI>},
    {u"Combo", New<CComboUI>},
    {u"Label", New<CLabelUI>},
    {u"Button", New<CButtonUI>},
    {u"Option", New<COptionUI>},
    {u"Slider", New<CSliderUI>},
    {u"Control", New<CControlUI>},
    {u"ActiveX", New<CActiveXUI>},
    {u"GifAnim", New<CGifAnimUI>},
    {u"Progress", New<CProgressUI>},
    {u"RichEdit", New<CRichEditUI>},
    {u"CheckBox", New<CCheckBoxUI>},
    {u"ComboBox", New<CComboUI>},
    {u"DateTime", New<CDateTimeUI>},
    {u"TreeView", New<CTreeViewUI>},
    {u"ApngAnim", New<CApngAnimUI>},
    {u"Container", New<CContainerUI>},
    {u"TabLayout", New<CTabLayoutUI>},
    {u"ScrollBar", New<CScrollBarUI>},
    {u"GifButton", New<CGifButtonUI>},
    {u"ListHeader", New<CListHeaderUI>},
    {u"TileLayout", New<CTileLayoutUI>},
    {u"WebBrowser", New<CWebBrowserUI>},
    {u"ApngButton", New<CApngButtonUI>},
    {u"ChildLayout", NewChildLayout},
    {u"RotateImage", New<CRotateImageUI>},
    {u"VerticalLayout", New<CVerticalLayoutUI>},
    {u"ListHeaderItem", New<CListHeaderItemUI>},
    {u"ListTextElement", New<CListTextElementUI>},
    {u"ListHBoxElement", New<CListHBoxElementUI>},
    {u"HorizontalLayout", New<CHorizontalLayoutUI>},
    {u"ListLabelElement", New<CListLabelElementUI>},
    {u"ListContainerElement", New<CListContainerElementUI>},
    {u"ChrysanthemumLoading", New<CChrysanthemumLoadingUI>},
    {u"TreeNode", New<CTreeNodeUI>},
};

const TClassEntry* FindClass(const char16_t* className)
{
    if (className == nullptr) {
        return nullptr;
    }
    const int length = TextLength(className);
    const CUIString name(className);
    for (const TClassEntry& entry : kClasses) {
        if (TextLength(entry.name) == length && name.CompareNoCase(entry.name) == 0) {
            return &entry;
        }
    }
    return nullptr;
}

constexpr auto kClassNames = [] {
    std::array<const char16_t*, std::size(kClasses)> names{};
    for (std::size_t i = 0; i < names.size(); ++i) {
        names[i] = kClasses[i].name;
    }
    return names;
}();

} // namespace

CControlUI* CreateControlForClass(const char16_t* className)
{
    const TClassEntry* entry = FindClass(className);
    return entry != nullptr && entry->create != nullptr ? entry->create() : nullptr;
}

const char16_t* CanonicalClassName(const char16_t* className)
{
    const TClassEntry* entry = FindClass(className);
    return entry != nullptr && entry->create != nullptr ? entry->name : nullptr;
}

const char16_t* const* ClassNames(int& count)
{
    count = static_cast<int>(kClassNames.size());
    return kClassNames.data();
}

} // namespace ui
