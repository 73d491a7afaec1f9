// A window manager for drawing tests (no window needed for fonts and images) and an in-memory
// canvas, shared by the rendering tests.
#pragma once

#include "ui/manager/UIEvent.h"
#include "ui/manager/WindowManager.h"
#include "ui/render/ImageLoader.h"
#include "ui/render/MarkupText.h"
#include "ui/render/RenderKit.h"

#include "platform/DeviceContext.h"
#include "platform/Surface.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

namespace tvtest {

// A transparent in-memory canvas with a device context.
struct Canvas
{
    Canvas(int width, int height, std::uint32_t background = 0);
    std::uint32_t Pixel(int x, int y) const { return surface.GetPixel(x, y); }
    // True when two canvases hold exactly the same pixels.
    bool SameAs(const Canvas& other) const;
    // The bounding box of the pixels that differ from `background`; empty when there are none.
    ui::CUIRect Ink(std::uint32_t background = 0) const;
    int CountPixels(std::uint32_t value) const;
    // Pixels close to an opaque colour (text is anti-aliased, so few pixels are exact).
    int CountNear(std::uint32_t argb, int tolerance = 60) const;
    platform::Surface surface;
    std::unique_ptr<platform::DeviceContext> dc;
};

class RenderTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // The manager's last mouse position, as a mouse move would leave it.
    void MoveMouse(int x, int y);
    // Registers a width x height image of one opaque colour (or, with cells, of one colour per cell).
    ui::TImageRecord* AddImage(const char16_t* name, int width, int height, std::uint32_t argb);

    // Draws markup text into the canvas; returns the number of links found.
    int DrawMarkup(Canvas& canvas, ui::CUIRect rect, const char16_t* text, unsigned style = 0,
                   std::uint32_t color = 0xFF000000, ui::CUIRect* linkRects = nullptr,
                   ui::CUIString* linkTexts = nullptr, int capacity = 0);
    // The rectangle DT_CALCRECT gives for the text in `rect`.
    ui::CUIRect Measure(ui::CUIRect rect, const char16_t* text, unsigned style = 0);
    // Line height of the default font (height + external leading).
    int LineHeight();
    // Advance width of plain text in the default font or one of its variants.
    int TextWidth(const char16_t* text, bool bold = false, bool italic = false);

    std::unique_ptr<ui::CWindowManagerUI> manager;
    HWND hwnd = nullptr;

private:
    // Swallows mouse moves so that the manager records the position without a control tree.
    class MouseFilter : public ui::IMessageFilterUI
    {
    public:
        LRESULT MessageHandler(UINT msg, WPARAM, LPARAM, bool& handled) override
        {
            handled = msg == WM_MOUSEMOVE;
            return 0;
        }
    };
    MouseFilter m_filter;
};

// Writes the canvas next to the test binary when a comparison fails, to look at.
std::string DumpCanvas(const Canvas& canvas, const std::string& name);

} // namespace tvtest
