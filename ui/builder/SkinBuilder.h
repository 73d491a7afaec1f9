// CSkinBuilder: turns skin markup into a control tree. It registers the skin's definitions (images,
// fonts, default attribute lists, language texts, window attributes) with a window manager, then
// creates one control per element, attaching each to its parent and applying its attributes.
#pragma once

#include "ui/render/ImageLoader.h"
#include "ui/skin/XmlDocument.h"

namespace ui {

class CControlUI;
class CWindowManagerUI;

// Asked for a control of a class name that neither the class table nor a plug-in knows.
class IBuilderCallbackUI
{
public:
    virtual ~IBuilderCallbackUI() = default;
    // A new control, or null.
    virtual CControlUI* CreateControl(const char16_t* className) = 0;
};

class CSkinBuilder
{
public:
    // Includes and child layouts nested deeper than this are not built (a skin that includes
    // itself would otherwise recurse until the stack runs out).
    static constexpr int kMaxNesting = 16;

    CSkinBuilder();
    ~CSkinBuilder();
    CSkinBuilder(const CSkinBuilder&) = delete;
    CSkinBuilder& operator=(const CSkinBuilder&) = delete;

    // Loads and builds. source is a resource id (MAKEINTRESOURCEW) of resourceType, markup text when
    // it begins with '<', or else a skin file name. Null when nothing loads or the markup is broken;
    // the parser's error then stays readable here.
    CControlUI* Create(const char16_t* source, const char16_t* resourceType = nullptr,
                       IBuilderCallbackUI* callback = nullptr, CWindowManagerUI* manager = nullptr,
                       CControlUI* parent = nullptr);
    // Builds the markup already loaded (again): definitions when a manager is given, then the
    // controls. Returns the first control of the top level.
    CControlUI* Create(IBuilderCallbackUI* callback, CWindowManagerUI* manager, CControlUI* parent = nullptr);

    void ErrorMessage(char16_t* buffer, int max) const { m_markup.ErrorMessage(buffer, max); }
    void ErrorLocation(char16_t* buffer, int max) const { m_markup.ErrorLocation(buffer, max); }
    CXmlDocument& GetMarkup() { return m_markup; }

    // Where resource sources are read from (the program's embedded resources); none by default.
    static void SetResourceReader(ResourceReader reader);

private:
    void RegisterDefinitions(const CXmlNode& root, CWindowManagerUI& manager);
    CControlUI* ParseChildren(const CXmlNode& element, CControlUI* parent, CWindowManagerUI* manager);
    void BuildInclude(const CXmlNode& element, CControlUI* parent, CWindowManagerUI* manager);
    // False when the parent is no tree: the whole level then stops.
    bool BuildTreeNode(const CXmlNode& element, CControlUI* parent, CWindowManagerUI* manager);
    CControlUI* CreateControl(const char16_t* className) const;

    CXmlDocument m_markup;
    IBuilderCallbackUI* m_callback = nullptr;
    CUIString m_resourceType;
    bool m_fromResource = false;
};

} // namespace ui
