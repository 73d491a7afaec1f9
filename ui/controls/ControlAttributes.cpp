// CControlUI: the markup attribute table and the attribute-list reader.
#include "ui/controls/Control.h"

#include "ui/core/ValueParse.h"

namespace ui {

using namespace markup;

void CControlUI::SetAttribute(const char16_t* name, const char16_t* value)
{
    if (!name)
        return;
    if (!value)
        value = u"";
    const CUIString key(name);
    if (key == u"pos") {
        const CUIRect r = ParseRect(value);
        SetFloatOffset(r.left, r.top);
        SetFixedWidth(r.right - r.left);
        SetFixedHeight(r.bottom - r.top);
    } else if (key == u"padding") {
        SetPadding(ParseRect(value));
    } else if (key == u"bkcolor" || key == u"bkcolor1") {
        SetBackColor(ParseColor(value));
    } else if (key == u"bkcolor2") {
        SetBackColor2(ParseColor(value));
    } else if (key == u"bkcolor3") {
        SetBackColor3(ParseColor(value));
    } else if (key == u"bordercolor") {
        SetBorderColor(ParseBorderColor(value));
    } else if (key == u"focusbordercolor") {
        SetFocusBorderColor(ParseBorderColor(value));
    } else if (key == u"colorhsl") {
        SetColorHsl(ParseBool(value));
    } else if (key == u"bordersize") {
        if (TextHasChar(value, u','))
            SetBorderSize(ParseRect(value));
        else
            SetBorderSize(ParseCoordinate(value));
    } else if (key == u"borderstyle") {
        SetBorderStyle(ParseInt(value));
    } else if (key == u"borderround") {
        std::int32_t v[2];
        ParseIntList(value, v, 2);
        SetBorderRound({v[0], v[1]});
    } else if (key == u"bkimage") {
        SetBackImage(value);
    } else if (key == u"foreimage") {
        SetForeImage(value);
    } else if (key == u"width") {
        SetFixedWidth(ParseCoordinate(value));
    } else if (key == u"height") {
        SetFixedHeight(ParseCoordinate(value));
    } else if (key == u"minwidth") {
        SetMinWidth(ParseCoordinate(value));
    } else if (key == u"minheight") {
        SetMinHeight(ParseCoordinate(value));
    } else if (key == u"maxwidth") {
        SetMaxWidth(ParseCoordinate(value));
    } else if (key == u"maxheight") {
        SetMaxHeight(ParseCoordinate(value));
    } else if (key == u"name") {
        SetName(value);
    } else if (key == u"text") {
        SetText(value);
    } else if (key == u"tooltip") {
        SetToolTip(value);
    } else if (key == u"userdata") {
        SetUserData(value);
    } else if (key == u"tag") {
        SetTag(std::uintptr_t(std::intptr_t(ParseInt(value))));
    } else if (key == u"enabled") {
        SetEnabled(ParseBool(value));
    } else if (key == u"mouse") {
        SetMouseEnabled(ParseBool(value));
    } else if (key == u"keyboard") {
        SetKeyboardEnabled(ParseBool(value));
    } else if (key == u"visible") {
        SetVisible(ParseBool(value));
    } else if (key == u"float") {
        if (TextHasChar(value, u',')) {
            double anchors[4];
            ParseDoubleList(value, anchors, 4);
            SetFloatAnchors(anchors[0], anchors[1], anchors[2], anchors[3]);
            SetFloat(true);
        } else {
            SetFloat(ParseBool(value));
        }
    } else if (key == u"shortcut") {
        SetShortcut(value[0]);
    } else if (key == u"menu") {
        SetContextMenuEnabled(ParseBool(value));
    } else if (key == u"virtualwnd") {
        SetVirtualWindow(value);
    } else if (key.CompareNoCase(u"autocalwidth") == 0) {
        SetAutoWidth(ParseBoolNoCase(value));
    } else if (key.CompareNoCase(u"autocalheight") == 0) {
        SetAutoHeight(ParseBoolNoCase(value));
    } else {
        SetCustomAttribute(name, value);
    }
}

CUIString CControlUI::GetAttribute(const char16_t*)
{
    return {};
}

CUIString CControlUI::GetAttributeList(bool)
{
    return {};
}

namespace {

// Appends the character at p (both halves of a surrogate pair) to out and returns the next position.
const char16_t* TakeChar(const char16_t* p, CUIString& out)
{
    out.Append(*p);
    if (*p >= 0xD800 && *p <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
        out.Append(p[1]);
        return p + 2;
    }
    return p + 1;
}

} // namespace

void CControlUI::ApplyAttributeList(const char16_t* list)
{
    if (!list)
        return;
    const char16_t* p = list;
    while (*p) {
        CUIString name;
        while (*p && *p != u'=')
            p = TakeChar(p, name);
        if (*p != u'=' || p[1] != u'"')
            return;
        p += 2;
        CUIString value;
        while (*p && *p != u'"')
            p = TakeChar(p, value);
        if (*p != u'"')
            return;
        ++p;
        SetAttribute(name.CStr(), value.CStr());
        if (*p != u' ')
            return;
        ++p;
    }
}

} // namespace ui
