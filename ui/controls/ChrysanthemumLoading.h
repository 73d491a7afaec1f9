// CChrysanthemumLoadingUI: a self-animating busy indicator, a ring of round-capped spokes whose
// brightness runs round clockwise, with an optional caption. Each frame is rendered once into an
// offscreen ARGB surface; painting only blits it.
#pragma once

#include "ui/controls/Control.h"

#include "platform/Surface.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace ui {

class CChrysanthemumLoadingUI : public CControlUI
{
public:
    // The control timer that drives the animation.
    static constexpr std::uint32_t kAnimationTimer = 100;

    CChrysanthemumLoadingUI();
    ~CChrysanthemumLoadingUI() override;

    const char16_t* GetClassName() const override;
    void* CastTo(const char16_t* typeName) override;
    void OnInit() override;
    void SetVisible(bool visible = true) override;
    void SetPosition(CUIRect rect, bool needInvalidate = true) override;
    void HandleEvent(TUIEvent& event) override;
    bool PaintContent(HDC dc, const CUIRect& paintRect, CControlUI* stop) override;
    void SetAttribute(const char16_t* name, const char16_t* value) override;

    // Restarts a running timer when the period changes.
    void SetTimeInterval(int ms);
    int GetTimeInterval() const { return m_timeInterval; }
    // Counts below 1 are ignored: a ring needs at least one spoke.
    void SetSpokeCount(int count);
    int GetSpokeCount() const { return m_spokeCount; }
    void SetSpokeColor(std::uint32_t color);
    std::uint32_t GetSpokeColor() const { return m_spokeColor; }
    void SetThickness(int width) { m_thickness = width; }
    int GetThickness() const { return m_thickness; }
    void SetOuterRadius(int radius) { m_outerRadius = radius; }
    int GetOuterRadius() const { return m_outerRadius; }
    void SetInnerRadius(int radius) { m_innerRadius = radius; }
    int GetInnerRadius() const { return m_innerRadius; }
    void SetTextColor(std::uint32_t color) { m_textColor = color; }
    std::uint32_t GetTextColor() const { return m_textColor; }
    void SetFont(int index) { m_font = index; }
    int GetFont() const { return m_font; }
    void SetTextPadding(const CUIRect& padding) { m_textPadding = padding; }
    const CUIRect& GetTextPadding() const { return m_textPadding; }
    void SetRenderingHint(int hint) { m_renderingHint = hint; }
    int GetRenderingHint() const { return m_renderingHint; }
    unsigned GetTextStyle() const { return m_textStyle; }

    // The angle position at which spoke 0 was drawn in the last frame.
    int GetStartIndex() const { return m_startIndex; }
    const std::vector<double>& GetAngles() const { return m_angles; }
    const std::vector<std::uint32_t>& GetColors() const { return m_colors; }
    // The last rendered frame; null before the first.
    const platform::Surface* GetFrame() const { return m_frame.get(); }

private:
    // Rebuilds the angle and colour tables and renders a frame.
    void BuildTables();
    // Advances the head spoke and draws the frame.
    void RenderFrame();
    void StartTimer();
    void StopTimer();

    int m_timeInterval = 40;
    int m_spokeCount = 10;
    int m_thickness = 4;
    int m_startIndex = 0;
    int m_outerRadius = 0;
    int m_innerRadius = 0;
    int m_centerX = 0;
    int m_centerY = 0;
    // Where the frame's top-left corner lies in the window: the visible part of the control.
    CUIPoint m_frameOrigin;
    CUISize m_frameSize; // logical; the frame itself has m_frameScale device pixels for each
    double m_frameScale = 1.0;
    std::uint32_t m_spokeColor = 0xFF000000;
    std::vector<std::uint32_t> m_colors;
    std::vector<double> m_angles;
    unsigned m_textStyle = 0x25;
    std::uint32_t m_textColor = 0xFF000000;
    int m_font = -1;
    CUIRect m_textPadding;
    int m_renderingHint = 4;
    std::unique_ptr<platform::Surface> m_frame;
};

} // namespace ui
