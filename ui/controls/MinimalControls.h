// Edit, hosted, animated, progress and slider classes in their least form: the class names and
// casts the skin builder needs, so that skins using them build and lay out. Classes that show text
// stand on the label, animated buttons on the button, so their text and states already work.
#pragma once

#include "ui/controls/Button.h"
#include "ui/controls/Container.h"
#include "ui/controls/Label.h"

namespace ui {

// A single-line text field. ("Edit")
class CEditUI : public CLabelUI
{
public:
    const char16_t* GetClassName() const override;
    void* CastTo(const char16_t* typeName) override;
};

// A multi-line rich text field with its own scroll bars. ("RichEdit")
class CRichEditUI : public CContainerUI
{
public:
    const char16_t* GetClassName() const override;
    void* CastTo(const char16_t* typeName) override;
};

// A date and time field. ("DateTime")
class CDateTimeUI : public CLabelUI
{
public:
    const char16_t* GetClassName() const override;
    void* CastTo(const char16_t* typeName) override;
};

// A host for an embedded component window. ("ActiveX")
class CActiveXUI : public CControlUI
{
public:
    const char16_t* GetClassName() const override;
    void* CastTo(const char16_t* typeName) override;
};

// A host for an embedded browser. ("WebBrowser")
class CWebBrowserUI : public CActiveXUI
{
public:
    const char16_t* GetClassName() const override;
    void* CastTo(const char16_t* typeName) override;
};

// An animated GIF picture. ("GifAnim")
class CGifAnimUI : public CControlUI
{
public:
    const char16_t* GetClassName() const override;
    void* CastTo(const char16_t* typeName) override;
};

// An animated PNG picture. ("ApngAnim")
class CApngAnimUI : public CControlUI
{
public:
    const char16_t* GetClassName() const override;
    void* CastTo(const char16_t* typeName) override;
};

// A button showing an animated GIF. ("GifButton")
class CGifButtonUI : public CButtonUI
{
public:
    const char16_t* GetClassName() const override;
    void* CastTo(const char16_t* typeName) override;
};

// A button showing an animated PNG. ("ApngButton")
class CApngButtonUI : public CButtonUI
{
public:
    const char16_t* GetClassName() const override;
    void* CastTo(const char16_t* typeName) override;
};

// A progress bar. ("Progress")
class CProgressUI : public CLabelUI
{
public:
    const char16_t* GetClassName() const override;
    void* CastTo(const char16_t* typeName) override;
};

// A slider: a progress bar with a draggable thumb. ("Slider")
class CSliderUI : public CProgressUI
{
public:
    const char16_t* GetClassName() const override;
    void* CastTo(const char16_t* typeName) override;
    // A tab stop that sets its cursor while enabled.
    std::uint32_t GetControlFlags() const override;
};

} // namespace ui
