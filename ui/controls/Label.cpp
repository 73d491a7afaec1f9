// CLabelUI: attributes, the measurement cache and plain or markup text painting. The effect pipeline
// lives in LabelEffects.cpp.
#include "ui/controls/Label.h"

#include "ui/core/ValueParse.h"
#include "ui/manager/UIEvent.h"
#include "ui/manager/WindowManager.h"

namespace ui {

using markup::ParseBool;
using markup::ParseBoolNoCase;
using markup::ParseColor;
using markup::ParseCoordinate;
using markup::ParseInt;
using markup::TextEquals;
using markup::TextEqualsNoCase;

namespace {

constexpr int kUnboundedExtent = 99999;

bool Contains(const char16_t* text, const char16_t* word)
{
    return CUIString(text).FindText(word) >= 0;
}

} // namespace

CLabelUI::CLabelUI() = default;

const char16_t* CLabelUI::GetClassName() const
{
    return u"Label";
}

void* CLabelUI::CastTo(const char16_t* typeName)
{
    if (TextEquals(typeName, u"Label"))
        return this;
    return CControlUI::CastTo(typeName);
}

void CLabelUI::SetText(const char16_t* text)
{
    m_needMeasure = true;
    CControlUI::SetText(text);
    if (m_effectEnabled)
        m_effectText = m_text;
}

void CLabelUI::SetFixedWidth(int cx)
{
    m_needMeasure = true;
    CControlUI::SetFixedWidth(cx);
}

void CLabelUI::SetFixedHeight(int cy)
{
    m_needMeasure = true;
    CControlUI::SetFixedHeight(cy);
}

void CLabelUI::HandleEvent(TUIEvent& event)
{
    // A label shows no focus, so a focus change needs no repaint.
    if (event.kind == EVT_SET_FOCUS) {
        m_focused = true;
        return;
    }
    if (event.kind == EVT_KILL_FOCUS) {
        m_focused = false;
        return;
    }
    CControlUI::HandleEvent(event);
}

void CLabelUI::SetAttribute(const char16_t* name, const char16_t* value)
{
    if (TextEquals(name, u"align")) {
        if (Contains(value, u"left"))
            m_textStyle &= ~(DT_CENTER | DT_RIGHT);
        if (Contains(value, u"center")) {
            m_textStyle &= ~DT_RIGHT;
            m_textStyle |= DT_CENTER;
        }
        if (Contains(value, u"right")) {
            m_textStyle &= ~DT_CENTER;
            m_textStyle |= DT_RIGHT;
        }
        m_needMeasure = true;
        Invalidate();
    } else if (TextEquals(name, u"valign")) {
        if (Contains(value, u"top"))
            m_textStyle &= ~(DT_VCENTER | DT_BOTTOM);
        if (Contains(value, u"vcenter")) {
            m_textStyle &= ~DT_BOTTOM;
            m_textStyle |= DT_VCENTER;
        }
        if (Contains(value, u"bottom")) {
            m_textStyle &= ~DT_VCENTER;
            m_textStyle |= DT_BOTTOM;
        }
        m_needMeasure = true;
        Invalidate();
    } else if (TextEquals(name, u"endellipsis")) {
        SetTextStyle(ParseBool(value) ? (m_textStyle | DT_END_ELLIPSIS) : (m_textStyle & ~DT_END_ELLIPSIS));
    } else if (TextEquals(name, u"font")) {
        SetFont(ParseInt(value));
    } else if (TextEquals(name, u"textcolor")) {
        SetTextColor(ParseColor(value));
    } else if (TextEquals(name, u"disabledtextcolor")) {
        SetDisabledTextColor(ParseColor(value));
    } else if (TextEquals(name, u"disabledbkcolor")) {
        SetDisabledBackColor(ParseColor(value));
    } else if (TextEquals(name, u"textpadding")) {
        SetTextPadding(markup::ParseRect(value));
    } else if (TextEquals(name, u"multiline")) {
        SetMultiLine(ParseBool(value));
    } else if (TextEquals(name, u"showhtml")) {
        SetShowHtml(ParseBool(value));
    } else if (TextEqualsNoCase(name, u"autocalwidth")) {
        SetAutoWidth(ParseBoolNoCase(value));
    } else if (TextEqualsNoCase(name, u"autocalheight")) {
        SetAutoHeight(ParseBoolNoCase(value));
    } else if (TextEquals(name, u"enabledeffect")) {
        SetEffectEnabled(ParseBool(value));
    } else if (TextEquals(name, u"enabledluminous")) {
        SetLuminousEnabled(ParseBool(value));
    } else if (TextEquals(name, u"rhaa")) {
        SetRenderingHint(ParseInt(value));
    } else if (TextEquals(name, u"luminousfuzzy")) {
        SetLuminousFuzzy(static_cast<float>(markup::ParseDouble(value)));
    } else if (TextEquals(name, u"gradientangle")) {
        SetGradientAngle(ParseCoordinate(value));
    } else if (TextEquals(name, u"enabledstroke")) {
        SetStrokeEnabled(ParseBool(value));
    } else if (TextEquals(name, u"enabledshadow")) {
        SetShadowEnabled(ParseBool(value));
    } else if (TextEquals(name, u"gradientlength")) {
        SetGradientLength(ParseCoordinate(value));
    } else if (TextEquals(name, u"shadowoffset")) {
        std::int32_t numbers[2] = {0, 0};
        markup::ParseIntList(value, numbers, 2);
        SetShadowOffset(numbers[0], numbers[1]);
    } else if (TextEquals(name, u"textcolor1")) {
        SetTextColor1(ParseColor(value));
    } else if (TextEquals(name, u"textshadowcolora")) {
        SetTextShadowColorA(ParseColor(value));
    } else if (TextEquals(name, u"textshadowcolorb")) {
        SetTextShadowColorB(ParseColor(value));
    } else if (TextEquals(name, u"strokecolor")) {
        SetStrokeColor(ParseColor(value));
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

bool CLabelUI::IsAutoWidth() const
{
    return m_autoWidth;
}

void CLabelUI::SetAutoWidth(bool autoWidth)
{
    m_needMeasure = true;
    CControlUI::SetAutoWidth(autoWidth);
}

bool CLabelUI::IsAutoHeight() const
{
    return m_autoHeight;
}

void CLabelUI::SetAutoHeight(bool autoHeight)
{
    m_needMeasure = true;
    CControlUI::SetAutoHeight(autoHeight);
}

// ---------------------------------------------------------------------------------------------
// Setters
// ---------------------------------------------------------------------------------------------

void CLabelUI::SetTextStyle(unsigned style)
{
    m_textStyle = style;
    m_needMeasure = true;
    Invalidate();
}

void CLabelUI::SetTextColor(std::uint32_t color)
{
    if (color != 0 && (color >> 24) == 0)
        color -= 0x01000000u; // wraps to alpha 0xFF
    m_textColor = color;
    Invalidate();
}

void CLabelUI::SetDisabledTextColor(std::uint32_t color)
{
    m_disabledTextColor = color;
    Invalidate();
}

void CLabelUI::SetDisabledBackColor(std::uint32_t color)
{
    m_disabledBackColor = color;
    Invalidate();
}

void CLabelUI::SetFont(int index)
{
    m_font = index;
    m_needMeasure = true;
    Invalidate();
}

void CLabelUI::SetTextPadding(const CUIRect& padding)
{
    m_textPadding = padding;
    m_needMeasure = true;
    Invalidate();
}

void CLabelUI::SetShowHtml(bool showHtml)
{
    if (m_showHtml == showHtml)
        return;
    m_showHtml = showHtml;
    m_needMeasure = true;
    Invalidate();
}

void CLabelUI::SetMultiLine(bool multiLine)
{
    if (multiLine) {
        m_textStyle &= ~DT_SINGLELINE;
        m_textStyle |= DT_WORDBREAK;
    } else {
        m_textStyle |= DT_SINGLELINE;
    }
    m_needMeasure = true;
    Invalidate();
}

bool CLabelUI::IsMultiLine() const
{
    return (m_textStyle & DT_SINGLELINE) == 0;
}

void CLabelUI::SetEffectEnabled(bool enabled)
{
    m_effectEnabled = enabled;
    m_effectText = m_text;
    m_needMeasure = true;
    Invalidate();
}

void CLabelUI::SetLuminousEnabled(bool enabled)
{
    m_luminousEnabled = enabled;
    Invalidate();
}

void CLabelUI::SetLuminousFuzzy(float fuzzy)
{
    if (fuzzy < 0.0001f)
        return;
    m_luminousFuzzy = fuzzy;
    Invalidate();
}

void CLabelUI::SetStrokeEnabled(bool enabled)
{
    m_strokeEnabled = enabled;
    Invalidate();
}

void CLabelUI::SetShadowEnabled(bool enabled)
{
    m_shadowEnabled = enabled;
    Invalidate();
}

void CLabelUI::SetGradientLength(int length)
{
    m_gradientLength = length;
    Invalidate();
}

void CLabelUI::SetGradientAngle(int angle)
{
    m_gradientAngle = angle;
    Invalidate();
}

void CLabelUI::SetTextColor1(std::uint32_t color)
{
    m_textColor1 = color;
    Invalidate();
}

void CLabelUI::SetTextShadowColorA(std::uint32_t color)
{
    m_shadowColorA = color;
    Invalidate();
}

void CLabelUI::SetTextShadowColorB(std::uint32_t color)
{
    m_shadowColorB = color;
    Invalidate();
}

void CLabelUI::SetStrokeColor(std::uint32_t color)
{
    m_strokeColor = color;
    Invalidate();
}

void CLabelUI::SetRenderingHint(int hint)
{
    m_renderingHint = hint;
    Invalidate();
}

void CLabelUI::SetShadowOffset(int distance, int angle)
{
    if (angle < -180 || angle > 180)
        return;
    // The displacement is relative to the text, whatever the control's position in the window.
    float x = 0;
    if (angle >= 0)
        x = static_cast<float>(-distance);
    else if (angle > -180)
        x = static_cast<float>(distance);
    float y = 0;
    if (angle > -90 && angle <= 90)
        y = static_cast<float>(-distance);
    else if (angle > 90 || angle < -90)
        y = static_cast<float>(distance);
    m_shadowOffsetX = x;
    m_shadowOffsetY = y;
    Invalidate();
}

// ---------------------------------------------------------------------------------------------
// Measuring and painting
// ---------------------------------------------------------------------------------------------

CUIString CLabelUI::ExpandedText() const
{
    CUIString text = GetText();
    CWindowManagerUI::ExpandLanguageTokens(text);
    return text;
}

CUISize CLabelUI::MeasureSize(CUISize available)
{
    if (m_fixedWidth > 0 && m_fixedHeight > 0)
        return {m_fixedWidth, m_fixedHeight};
    if (!(available == m_lastAvailable))
        m_needMeasure = true;
    if (!m_needMeasure)
        return m_measured;
    m_lastAvailable = available;
    const CUIString text = ExpandedText();

    int width = 0;
    int height = 0;
    int singleLineHeight = 0;
    const bool singleLine = (m_textStyle & DT_SINGLELINE) != 0;
    if (singleLine) {
        if (m_fixedHeight > 0) {
            singleLineHeight = m_fixedHeight;
        } else {
            const int fontHeight = m_manager ? m_manager->LookupFontInfo(m_font)->metrics.height : 0;
            singleLineHeight = fontHeight + 8 + m_textPadding.top + m_textPadding.bottom;
        }
        if (m_fixedWidth > 0) {
            m_measured = {m_fixedWidth, m_fixedHeight};
            m_needMeasure = false;
            return m_measured;
        }
        width = kUnboundedExtent;
        height = singleLineHeight;
    } else {
        height = m_fixedHeight > 0 ? m_fixedHeight : kUnboundedExtent;
        width = m_fixedWidth > 0 ? m_fixedWidth : available.cx;
    }

    CUIRect rect(0, 0, width, height);
    HDC dc = m_manager ? m_manager->WindowDC() : nullptr;
    if (dc != nullptr) {
        const unsigned style = (m_textStyle & ~(DT_CENTER | DT_RIGHT)) | DT_CALCRECT;
        if (m_showHtml) {
            int links = 0;
            CRenderKit::DrawMarkupText(dc, m_manager, rect, text.CStr(), 0, nullptr, nullptr, links, m_font, style);
        } else {
            CRenderKit::DrawPlainText(dc, m_manager, rect, text.CStr(), 0, m_font, style);
        }
    } else {
        rect = CUIRect();
    }

    CUISize size;
    size.cx = m_fixedWidth > 0 ? m_fixedWidth : rect.Width() + m_textPadding.left + m_textPadding.right;
    if (m_fixedHeight > 0)
        size.cy = m_fixedHeight;
    else if (singleLine)
        size.cy = singleLineHeight;
    else
        size.cy = rect.Height() + m_textPadding.top + m_textPadding.bottom;
    // Effect text is drawn by a different text layer; a little room keeps it from being clipped.
    if (m_effectEnabled && m_fixedWidth <= 0)
        size.cx = static_cast<int>(size.cx * 1.03);
    m_measured = size;
    m_needMeasure = false;
    return m_measured;
}

void CLabelUI::PaintBackColor(HDC dc)
{
    if (!IsEnabled() && m_disabledBackColor != 0) {
        CRenderKit::FillColor(dc, m_itemRect, GetAdjustedColor(m_disabledBackColor));
        return;
    }
    CControlUI::PaintBackColor(dc);
}

void CLabelUI::ResolveDefaultColors()
{
    if (!m_manager)
        return;
    if (m_textColor == 0)
        m_textColor = m_manager->FontColor();
    if (m_disabledTextColor == 0)
        m_disabledTextColor = m_manager->DisabledColor();
}

CUIRect CLabelUI::TextArea() const
{
    CUIRect area = m_itemRect;
    area.left += m_textPadding.left;
    area.right -= m_textPadding.right;
    area.top += m_textPadding.top;
    area.bottom -= m_textPadding.bottom;
    return area;
}

void CLabelUI::DrawTextInColor(HDC dc, CUIRect area, std::uint32_t color)
{
    if (m_text.IsEmpty())
        return;
    if (m_showHtml) {
        int links = 0;
        CRenderKit::DrawMarkupText(dc, m_manager, area, m_text.CStr(), color, nullptr, nullptr, links, m_font,
                                   m_textStyle);
    } else {
        CRenderKit::DrawPlainText(dc, m_manager, area, m_text.CStr(), color, m_font, m_textStyle);
    }
}

void CLabelUI::PaintText(HDC dc)
{
    ResolveDefaultColors();
    const CUIRect area = TextArea();
    const std::uint32_t color = IsEnabled() ? m_textColor : m_disabledTextColor;
    if (m_effectEnabled)
        PaintEffectText(dc, area, color);
    else
        DrawTextInColor(dc, area, color);
}

} // namespace ui
