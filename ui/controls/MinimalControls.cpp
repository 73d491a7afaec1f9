// Class names and casts of the least-form edit, hosted, animated, progress and slider classes.
#include "ui/controls/MinimalControls.h"

#include "ui/core/ValueParse.h"

namespace ui {

const char16_t* CEditUI::GetClassName() const
{
    return u"Edit";
}

void* CEditUI::CastTo(const char16_t* typeName)
{
    return markup::TextEquals(typeName, u"Edit") ? this : CLabelUI::CastTo(typeName);
}

const char16_t* CRichEditUI::GetClassName() const
{
    return u"RichEdit";
}

void* CRichEditUI::CastTo(const char16_t* typeName)
{
    return markup::TextEquals(typeName, u"RichEdit") ? this : CContainerUI::CastTo(typeName);
}

const char16_t* CDateTimeUI::GetClassName() const
{
    return u"DateTime";
}

void* CDateTimeUI::CastTo(const char16_t* typeName)
{
    return markup::TextEquals(typeName, u"DateTime") ? this : CLabelUI::CastTo(typeName);
}

const char16_t* CActiveXUI::GetClassName() const
{
    return u"ActiveX";
}

void* CActiveXUI::CastTo(const char16_t* typeName)
{
    return markup::TextEquals(typeName, u"ActiveX") ? this : CControlUI::CastTo(typeName);
}

const char16_t* CWebBrowserUI::GetClassName() const
{
    return u"WebBrowser";
}

void* CWebBrowserUI::CastTo(const char16_t* typeName)
{
    return markup::TextEquals(typeName, u"WebBrowser") ? this : CActiveXUI::CastTo(typeName);
}

const char16_t* CGifAnimUI::GetClassName() const
{
    return u"GifAnim";
}

void* CGifAnimUI::CastTo(const char16_t* typeName)
{
    return markup::TextEquals(typeName, u"GifAnim") ? this : CControlUI::CastTo(typeName);
}

const char16_t* CApngAnimUI::GetClassName() const
{
    return u"ApngAnim";
}

void* CApngAnimUI::CastTo(const char16_t* typeName)
{
    return markup::TextEquals(typeName, u"ApngAnim") ? this : CControlUI::CastTo(typeName);
}

const char16_t* CGifButtonUI::GetClassName() const
{
    return u"GifButton";
}

void* CGifButtonUI::CastTo(const char16_t* typeName)
{
    return markup::TextEquals(typeName, u"GifButton") ? this : CButtonUI::CastTo(typeName);
}

const char16_t* CApngButtonUI::GetClassName() const
{
    return u"ApngButton";
}

void* CApngButtonUI::CastTo(const char16_t* typeName)
{
    return markup::TextEquals(typeName, u"ApngButton") ? this : CButtonUI::CastTo(typeName);
}

const char16_t* CProgressUI::GetClassName() const
{
    return u"Progress";
}

void* CProgressUI::CastTo(const char16_t* typeName)
{
    return markup::TextEquals(typeName, u"Progress") ? this : CLabelUI::CastTo(typeName);
}

const char16_t* CSliderUI::GetClassName() const
{
    return u"Slider";
}

void* CSliderUI::CastTo(const char16_t* typeName)
{
    return markup::TextEquals(typeName, u"Slider") ? this : CProgressUI::CastTo(typeName);
}

std::uint32_t CSliderUI::GetControlFlags() const
{
    return IsEnabled() ? CF_TABSTOP | CF_SETCURSOR : 0;
}

} // namespace ui
