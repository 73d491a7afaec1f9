// CSkinWindowWnd on the headless backend: a window of any program gets its content from the skin,
// its caption band drags it (but leaves buttons clickable), its corners are cut by the skin's
// round-corner size, and the controls' notifications reach the window.
#include "ui/builder/SkinWindow.h"

#include "platform/WindowSystem.h"
#include "platform/headless/HeadlessBackend.h"
#include "ui/controls/Control.h"

#include <gtest/gtest.h>

#include <string>

namespace {

LPARAM ScreenPoint(HWND hwnd, int x, int y)
{
    POINT p{x, y};
    platform::Windows().ClientToScreen(hwnd, p);
    return LPARAM((p.x & 0xFFFF) | ((p.y & 0xFFFF) << 16));
}

LPARAM ClientPoint(int x, int y)
{
    return LPARAM((x & 0xFFFF) | ((y & 0xFFFF) << 16));
}

// A window of a program of its own: it only names its skin and counts clicks.
class CToolWindow : public ui::CSkinWindowWnd
{
public:
    explicit CToolWindow(std::u16string skin) : m_skin(std::move(skin)) {}
    const char16_t* WindowClassName() const override { return u"SkinWindowTest"; }
    void Notify(ui::TNotifyMsg& msg) override
    {
        if (msg.type == u"click" && msg.sender != nullptr)
            clicked += msg.sender->GetName().CStr();
    }
    std::u16string clicked;

protected:
    const char16_t* SkinFile() const override { return m_skin.c_str(); }

private:
    std::u16string m_skin;
};

class SkinWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform::WindowSystem::Install(std::make_unique<platform::HeadlessBackend>());
        ui::CWindowManagerUI::SetAppInstance(reinterpret_cast<HINSTANCE>(this));
    }
    void TearDown() override { platform::WindowSystem::Shutdown(); }
};

constexpr char16_t kSkin[] = u"<Window size=\"200,100\" caption=\"0,0,0,30\" roundcorner=\"16,16\">"
                             u"<HorizontalLayout bkcolor=\"#FF808080\">"
                             u"<Label text=\"title\" height=\"30\"/>"
                             u"<Button name=\"ok\" width=\"50\" height=\"30\"/>"
                             u"</HorizontalLayout></Window>";

} // namespace

TEST_F(SkinWindow, CaptionBandDragsRoundCornersAreCutAndButtonsStayClickable)
{
    auto& windows = platform::Windows();
    CToolWindow window(kSkin);
    const HWND hwnd = window.CreateNativeWindow(nullptr, u"tool", WS_VISIBLE | WS_CAPTION | WS_THICKFRAME, 0);
    ASSERT_NE(hwnd, nullptr);
    windows.ShowWindow(hwnd, SW_SHOWNORMAL);
    windows.DispatchPending();

    // The skin's size, without a native frame around it.
    RECT client, outer;
    windows.GetClientRect(hwnd, client);
    windows.GetWindowRect(hwnd, outer);
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 100);
    EXPECT_EQ(outer.right - outer.left, 200);
    EXPECT_EQ(windows.GetWindowLongPtr(hwnd, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), 0);

    const auto region = windows.GetWindowRegion(hwnd);
    ASSERT_TRUE(region.has_value());
    EXPECT_EQ(region->ellipseWidth, 16);
    EXPECT_EQ(region->bounds.right, 201);

    // The label in the band drags; the button in it, and everything below the band, do not.
    EXPECT_EQ(windows.SendMessage(hwnd, WM_NCHITTEST, 0, ScreenPoint(hwnd, 40, 10)), HTCAPTION);
    EXPECT_EQ(windows.SendMessage(hwnd, WM_NCHITTEST, 0, ScreenPoint(hwnd, 175, 10)), HTCLIENT);
    EXPECT_EQ(windows.SendMessage(hwnd, WM_NCHITTEST, 0, ScreenPoint(hwnd, 40, 60)), HTCLIENT);

    windows.SendMessage(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(175, 10));
    windows.SendMessage(hwnd, WM_LBUTTONUP, 0, ClientPoint(175, 10));
    windows.DispatchPending();
    EXPECT_EQ(window.clicked, u"ok");
    windows.DestroyWindow(hwnd);
}

TEST_F(SkinWindow, WithoutRoundCornersTheRegionIsLeftAlone)
{
    auto& windows = platform::Windows();
    CToolWindow window(u"<Window size=\"120,80\"><Control bkcolor=\"#FF00FF00\"/></Window>");
    const HWND hwnd = window.CreateNativeWindow(nullptr, u"plain", WS_VISIBLE, 0);
    ASSERT_NE(hwnd, nullptr);
    windows.DispatchPending();
    EXPECT_FALSE(windows.GetWindowRegion(hwnd).has_value());
    // No caption band: nothing drags.
    EXPECT_EQ(windows.SendMessage(hwnd, WM_NCHITTEST, 0, ScreenPoint(hwnd, 10, 5)), HTCLIENT);
    windows.DestroyWindow(hwnd);
}
