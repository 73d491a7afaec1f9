// CChildLayoutUI ("ChildLayout"): a container whose single child is built from another skin file
// when the layout is initialised; placement is the plain container's.
#pragma once

#include "ui/controls/Container.h"

namespace ui {

class CWindowManagerUI;

class CChildLayoutUI : public CContainerUI
{
public:
    // Builds the control tree of a skin file for a manager; null when nothing builds. The skin
    // builder, which sits above the controls, installs it when it makes a child layout.
    using ContentBuilder = CControlUI* (*)(const char16_t* xmlFile, CWindowManagerUI* manager);
    static void SetContentBuilder(ContentBuilder builder);

    CChildLayoutUI();

    const char16_t* GetClassName() const override;
    // Answers only its own name and "Control": a child layout is not offered as a container.
    void* CastTo(const char16_t* typeName) override;
    // Builds the child from the markup file; replaces the base Init, so no init delegates run.
    void Init() override;
    void SetAttribute(const char16_t* name, const char16_t* value) override;

    // Only stored; the child is built at Init.
    void SetChildLayoutXML(const char16_t* fileName) { m_xmlFile = fileName; }
    const CUIString& GetChildLayoutXML() const { return m_xmlFile; }

private:
    CUIString m_xmlFile;
};

} // namespace ui
