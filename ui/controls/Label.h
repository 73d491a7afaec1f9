// CLabelUI: the control that shows plain or markup text inside its rectangle, measures itself for
// automatic layout and can draw its text through the effect pipeline (gradient, outline, shadow, glow).
#pragma once

#include "ui/controls/Control.h"

#include <cstdint>

namespace ui {

class CLabelUI : public CControlUI
{
public:
    CLabelUI();

    const char16_t* GetClassName() const override;
    void* CastTo(const char16_t* typeName) override;

    void SetText(const char16_t* text) override;
    void SetFixedWidth(int cx) override;
    void SetFixedHeight(int cy) override;
    void HandleEvent(TUIEvent& event) override;
    void SetAttribute(const char16_t* name, const char16_t* value) override;
    bool IsAutoWidth() const override;
    void SetAutoWidth(bool autoWidth) override;
    bool IsAutoHeight() const override;
    void SetAutoHeight(bool autoHeight) override;
    CUISize MeasureSize(CUISize available) override;
    void PaintBackColor(HDC dc) override;
    void PaintText(HDC dc) override;

    // ---- text appearance ----
    void SetTextStyle(unsigned style);
    unsigned GetTextStyle() const { return m_textStyle; }
    // A non-zero colour with alpha 0 is made opaque, so "#FF0000" means opaque red.
    void SetTextColor(std::uint32_t color);
    std::uint32_t GetTextColor() const { return m_textColor; }
    void SetDisabledTextColor(std::uint32_t color);
    std::uint32_t GetDisabledTextColor() const { return m_disabledTextColor; }
    void SetDisabledBackColor(std::uint32_t color);
    std::uint32_t GetDisabledBackColor() const { return m_disabledBackColor; }
    // An index into the manager's font table; -1 is the default font.
    void SetFont(int index);
    int GetFont() const { return m_font; }
    void SetTextPadding(const CUIRect& padding);
    const CUIRect& GetTextPadding() const { return m_textPadding; }
    void SetShowHtml(bool showHtml = true);
    bool IsShowHtml() const { return m_showHtml; }
    void SetMultiLine(bool multiLine = true);
    bool IsMultiLine() const;

    // ---- effects ----
    void SetEffectEnabled(bool enabled);
    bool IsEffectEnabled() const { return m_effectEnabled; }
    void SetLuminousEnabled(bool enabled);
    bool IsLuminousEnabled() const { return m_luminousEnabled; }
    // The glow's blur factor; values below 0.0001 are ignored.
    void SetLuminousFuzzy(float fuzzy);
    float GetLuminousFuzzy() const { return m_luminousFuzzy; }
    void SetStrokeEnabled(bool enabled);
    bool IsStrokeEnabled() const { return m_strokeEnabled; }
    void SetShadowEnabled(bool enabled);
    bool IsShadowEnabled() const { return m_shadowEnabled; }
    // Text gradient length in pixels; 0 uses the text area's height.
    void SetGradientLength(int length);
    int GetGradientLength() const { return m_gradientLength; }
    // The x coordinate where the text gradient starts.
    void SetGradientAngle(int angle);
    int GetGradientAngle() const { return m_gradientAngle; }
    // Second gradient colour; 0xFFFFFFFF leaves the text in the text colour alone.
    void SetTextColor1(std::uint32_t color);
    std::uint32_t GetTextColor1() const { return m_textColor1; }
    void SetTextShadowColorA(std::uint32_t color);
    std::uint32_t GetTextShadowColorA() const { return m_shadowColorA; }
    void SetTextShadowColorB(std::uint32_t color);
    std::uint32_t GetTextShadowColorB() const { return m_shadowColorB; }
    void SetStrokeColor(std::uint32_t color);
    std::uint32_t GetStrokeColor() const { return m_strokeColor; }
    void SetRenderingHint(int hint);
    int GetRenderingHint() const { return m_renderingHint; }
    // Displacement of the shadow and glow: `distance` pixels in the direction `angle` (degrees,
    // -180..180; other angles are ignored).
    void SetShadowOffset(int distance, int angle);
    float GetShadowOffsetX() const { return m_shadowOffsetX; }
    float GetShadowOffsetY() const { return m_shadowOffsetY; }

    // True while the cached measurement is stale.
    bool IsMeasureNeeded() const { return m_needMeasure; }

protected:
    // The text with the manager's language tokens replaced.
    CUIString ExpandedText() const;
    // Replaces unset text colours by the manager's default and disabled font colours.
    void ResolveDefaultColors();
    // The text area: the item rectangle minus the text padding.
    CUIRect TextArea() const;
    // Plain or markup text in one colour, without effects.
    void DrawTextInColor(HDC dc, CUIRect area, std::uint32_t color);
    // The whole effect pipeline (glow, outline, shadow, gradient text).
    void PaintEffectText(HDC dc, const CUIRect& area, std::uint32_t color);
    // The text once in a solid colour through the effect text layer (buttons with effects).
    void PaintSolidEffectText(HDC dc, const CUIRect& area, std::uint32_t color);

    CUIString m_effectText;
    std::uint32_t m_textColor = 0;
    std::uint32_t m_disabledTextColor = 0;
    std::uint32_t m_disabledBackColor = 0;
    int m_font = -1;
    unsigned m_textStyle = DT_VCENTER | DT_SINGLELINE;
    CUIRect m_textPadding;
    bool m_showHtml = false;
    CUISize m_lastAvailable;
    CUISize m_measured;
    bool m_needMeasure = true;
    float m_luminousFuzzy = 3.0f;
    int m_gradientLength = 0;
    int m_gradientAngle = 0;
    bool m_effectEnabled = false;
    bool m_luminousEnabled = false;
    bool m_strokeEnabled = false;
    bool m_shadowEnabled = false;
    std::uint32_t m_textColor1 = 0xFFFFFFFF;
    std::uint32_t m_shadowColorA = 0xFF000000;
    std::uint32_t m_shadowColorB = 0xFFFFFFFF;
    std::uint32_t m_strokeColor = 0;
    float m_shadowOffsetX = 0;
    float m_shadowOffsetY = 0;
    int m_renderingHint = 4;
};

} // namespace ui
