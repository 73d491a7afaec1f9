// A window manager attached to a headless window, and small controls that record what happens to
// them, shared by the control-tree tests.
#pragma once

#include "ui/controls/Container.h"
#include "ui/controls/Control.h"
#include "ui/controls/ScrollBar.h"
#include "ui/manager/UIEvent.h"
#include "ui/manager/WindowManager.h"

#include "platform/Color.h"
#include "platform/DeviceContext.h"
#include "platform/Surface.h"
#include "platform/WindowSystem.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace tvtest {

// Records the events HandleEvent sees.
class CRecordingUI : public ui::CControlUI
{
public:
    void HandleEvent(ui::TUIEvent& event) override
    {
        kinds.push_back(event.kind);
        ui::CControlUI::HandleEvent(event);
    }
    std::vector<int> kinds;
};

// A container that records the events it handles itself and counts its placements.
class CRecordingContainerUI : public ui::CContainerUI
{
public:
    void HandleEvent(ui::TUIEvent& event) override
    {
        kinds.push_back(event.kind);
        ui::CContainerUI::HandleEvent(event);
    }
    void SetPosition(ui::CUIRect rect, bool needInvalidate = true) override
    {
        ++placements;
        ui::CContainerUI::SetPosition(rect, needInvalidate);
    }
    std::vector<int> kinds;
    int placements = 0;
};

// A minimal vertical stack: children one below the other at their fixed heights, full content
// width, then the scroll-bar negotiation for the stacked height. Stands in for the layouts.
class CStackUI : public ui::CContainerUI
{
public:
    void SetPosition(ui::CUIRect rect, bool needInvalidate = true) override;
    int placements = 0;
    int lastContentWidth = 0;
    // Heights to report instead of the stacked height, one per placement (content that reflows).
    std::vector<int> scriptedHeights;
};

class ControlTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // The bounding box of the window's pending repaint, empty when nothing is pending.
    ui::CUIRect Dirty() const;
    void ClearDirty();
    // Attaches a root container of the window's size and lays it out.
    ui::CContainerUI* AttachRoot(ui::CContainerUI* root = nullptr);

    platform::WindowSystem* windows = nullptr;
    HWND hwnd = nullptr;
    std::unique_ptr<ui::CWindowManagerUI> manager;
    static constexpr int kWidth = 400;
    static constexpr int kHeight = 300;
};

// A transparent in-memory canvas with a device context.
struct Canvas
{
    Canvas(int width, int height);
    std::uint32_t Pixel(int x, int y) const { return surface.GetPixel(x, y); }
    platform::Surface surface;
    std::unique_ptr<platform::DeviceContext> dc;
};

// An event of the given kind for a control.
ui::TUIEvent MakeEvent(int kind, ui::CControlUI* sender, ui::CUIPoint point = {}, WPARAM wParam = 0);

} // namespace tvtest
