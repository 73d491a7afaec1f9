// The label's effect pipeline: gradient-filled text with an optional glow (the text blurred by
// scaling it down and up again), a one-pixel outline and a drop shadow, drawn with the drawing
// layer's anti-aliased text.
#include "ui/controls/Label.h"

#include "ui/manager/WindowManager.h"
#include "ui/render/RenderKit.h"

#include "platform/DeviceContext.h"
#include "platform/Surface.h"

#include <algorithm>

namespace ui {

namespace {

// Text rendering hints 1 and 2 ask for aliased, one-bit glyphs; every other hint smooths.
bool IsAntialiasHint(int hint)
{
    return hint != 1 && hint != 2;
}

platform::StringFormat MakeStringFormat(unsigned style, int hint)
{
    platform::StringFormat format;
    if (style & DT_VCENTER)
        format.lineAlign = platform::TextAlign::Center;
    else if (style & DT_BOTTOM)
        format.lineAlign = platform::TextAlign::Far;
    if (style & DT_CENTER)
        format.align = platform::TextAlign::Center;
    else if (style & DT_RIGHT)
        format.align = platform::TextAlign::Far;
    format.noWrap = (style & DT_SINGLELINE) != 0;
    format.antialias = IsAntialiasHint(hint);
    return format;
}

// A gradient from (originX + angle, originY) to (originX, originY + length) between the colours.
platform::Brush GradientBrush(double originX, double originY, int angle, int length, std::uint32_t from,
                              std::uint32_t to)
{
    from = CRenderKit::SubstituteBlack(from);
    to = CRenderKit::SubstituteBlack(to);
    if (from == to)
        return platform::Brush::Solid(from);
    return platform::Brush::Linear({originX + angle, originY}, {originX, originY + length}, from, to);
}

} // namespace

void CLabelUI::PaintEffectText(HDC dc, const CUIRect& area, std::uint32_t color)
{
    if (!m_manager || m_text.IsEmpty() || area.IsEmpty())
        return;
    const CUIString text = ExpandedText();
    if (text.IsEmpty())
        return;
    const platform::Font font = m_manager->LookupFont(m_font);
    const platform::StringFormat format = MakeStringFormat(m_textStyle, m_renderingHint);
    const int width = area.Width();
    const int height = area.Height();
    const platform::RectF layout{double(area.left), double(area.top), double(width), double(height)};
    const int length = m_gradientLength != 0 ? m_gradientLength : height;
    const std::uint32_t secondColor = m_textColor1 == 0xFFFFFFFFu ? color : m_textColor1;
    const std::uint32_t shadowSecond = m_shadowColorB == 0xFFFFFFFFu ? m_shadowColorA : m_shadowColorB;
    // Gradients start at the text area's corner, so every label shows the whole gradient wherever
    // it stands in the window.
    const platform::Brush textBrush = GradientBrush(area.left, area.top, m_gradientAngle, length, color, secondColor);
    const platform::Brush shadowBrush =
        GradientBrush(area.left, area.top, m_gradientAngle, length, m_shadowColorA, shadowSecond);
    const int textLength = text.Length();

    if (m_luminousEnabled) {
        const int smallWidth = std::max(1, static_cast<int>(width / m_luminousFuzzy));
        const int smallHeight = std::max(1, static_cast<int>(height / m_luminousFuzzy));
        platform::Surface large = platform::Surface::Create(width, height);
        platform::Surface small = platform::Surface::Create(smallWidth, smallHeight);
        platform::Surface glow = platform::Surface::Create(width, height);
        if (large.IsValid() && small.IsValid() && glow.IsValid()) {
            {
                platform::DeviceContext largeDC(large);
                const platform::Brush localBrush = GradientBrush(0, 0, m_gradientAngle, length, color, secondColor);
                largeDC.DrawString(text.CStr(), textLength, font, {0, 0, double(width), double(height)}, format,
                                   localBrush);
            }
            {
                platform::DeviceContext smallDC(small);
                smallDC.DrawImage(large.Pixels(), {0, 0, double(width), double(height)},
                                  {0, 0, double(smallWidth), double(smallHeight)}, platform::ImageFilter::Best);
            }
            {
                platform::DeviceContext glowDC(glow);
                const double dx = static_cast<int>(m_shadowOffsetX);
                const double dy = static_cast<int>(m_shadowOffsetY);
                glowDC.DrawImage(small.Pixels(), {0, 0, double(smallWidth), double(smallHeight)},
                                 {dx, dy, double(width), double(height)}, platform::ImageFilter::Best);
            }
            dc->DrawImage(glow.Pixels(), {0, 0, double(width), double(height)}, layout, platform::ImageFilter::Nearest);
        }
    }

    if (m_strokeEnabled && m_strokeColor != 0) {
        const platform::Brush strokeBrush = platform::Brush::Solid(CRenderKit::SubstituteBlack(m_strokeColor));
        static constexpr int kSteps[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
        for (const auto& step : kSteps) {
            const platform::RectF moved{layout.x + step[0], layout.y + step[1], layout.width, layout.height};
            dc->DrawString(text.CStr(), textLength, font, moved, format, strokeBrush);
        }
    }

    if (m_shadowEnabled && (m_shadowColorA != 0 || m_shadowColorB != 0)) {
        const platform::RectF moved{layout.x + m_shadowOffsetX, layout.y + m_shadowOffsetY, layout.width,
                                    layout.height};
        dc->DrawString(text.CStr(), textLength, font, moved, format, shadowBrush);
    }

    dc->DrawString(text.CStr(), textLength, font, layout, format, textBrush);
}

void CLabelUI::PaintSolidEffectText(HDC dc, const CUIRect& area, std::uint32_t color)
{
    if (!m_manager || m_text.IsEmpty() || area.IsEmpty())
        return;
    const CUIString text = ExpandedText();
    const platform::RectF layout{double(area.left), double(area.top), double(area.Width()), double(area.Height())};
    dc->DrawString(text.CStr(), text.Length(), m_manager->LookupFont(m_font), layout,
                   MakeStringFormat(m_textStyle, m_renderingHint),
                   platform::Brush::Solid(CRenderKit::SubstituteBlack(color)));
}

} // namespace ui
