// Real top-level windows of the Win32 window backend on a scaled desktop, under Wine on the X
// server of the launcher: the native window at device size, the picture shown pixel for pixel,
// clicks arriving at logical coordinates, regions and monitors at the scale, and a change of DPI
// reported by the system making the picture anew.
#include "platform/WindowBackend.h"
#include "platform/WindowSystem.h"
#include "platform/win32/Win32WindowBackend.h"

#include "tests/platform/win32/Win32TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <vector>

namespace {

using platform::WindowSystem;
using win32_test::ScreenPixel;

constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr std::uint32_t kBlue = 0xFF0000FF;
constexpr COLORREF kScreenRed = RGB(255, 0, 0);
constexpr COLORREF kScreenBlue = RGB(0, 0, 255);
const char16_t* const kTitle = u"tvu-dpi-window";

int g_paints = 0;
std::vector<LPARAM> g_presses; // the lParam of each WM_LBUTTONDOWN
int g_pictureWidth = 0, g_pictureHeight = 0;

// Paints the top half of the picture red and the rest blue, in device pixels.
LRESULT TestProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto& windows = platform::Windows();
    switch (message) {
    case WM_PAINT: {
        const platform::Size picture = window_test::PaintHalves(windows, hwnd, kRed, kBlue);
        g_pictureWidth = picture.width;
        g_pictureHeight = picture.height;
        ++g_paints;
        return 0;
    }
    case WM_LBUTTONDOWN:
        g_presses.push_back(lParam);
        return 0;
    default:
        return windows.DefWindowProc(hwnd, message, wParam, lParam);
    }
}

RECT NativeRect(HWND native)
{
    RECT r{};
    ::GetWindowRect(native, &r);
    return r;
}

class DpiWindowTest : public ::testing::Test
{
protected:
    // The scale override, or none: the prefix's DPI (96 in the test prefix) then decides.
    void Start(const wchar_t* scale)
    {
        ASSERT_TRUE(platform::HaveWin32Desktop()) << "the tests of real windows run through run-with-xvfb";
        ::SetEnvironmentVariableW(L"TVU_SCALE", scale);
        auto backend = platform::CreateWin32WindowBackend();
        ASSERT_NE(backend, nullptr);
        windows = &WindowSystem::Install(std::move(backend));
        window_test::RegisterTestClass(*windows, u"DpiTestWindow", TestProc);
        g_paints = 0;
        g_presses.clear();
    }

    void TearDown() override
    {
        if (windows)
            WindowSystem::Shutdown();
        ::SetEnvironmentVariableW(L"TVU_SCALE", nullptr);
    }

    bool PumpUntil(const std::function<bool()>& condition, int ms = 3000)
    {
        return win32_test::PumpUntil(*windows, condition, ms);
    }

    // Clicks at a device pixel from a second thread while this one keeps the windows going.
    void ClickAt(int x, int y)
    {
        const std::size_t before = g_presses.size();
        std::thread clicker([=] { win32_test::SendClick(x, y); });
        PumpUntil([&] { return g_presses.size() > before; });
        clicker.join();
        PumpUntil([] { return false; }, 50);
    }

    HWND Shown(int x, int y, int width, int height, HWND& native)
    {
        const HWND hwnd = windows->CreateWindowEx(0, u"DpiTestWindow", kTitle, WS_POPUP | WS_VISIBLE, x, y, width,
                                                  height, nullptr, nullptr, nullptr, nullptr);
        EXPECT_NE(hwnd, nullptr);
        windows->SetForegroundWindow(hwnd);
        EXPECT_TRUE(PumpUntil([] { return g_paints > 0; }));
        native = ::FindWindowW(platform::Win32Text(u"DpiTestWindow"), platform::Win32Text(kTitle));
        EXPECT_NE(native, nullptr);
        return hwnd;
    }

    WindowSystem* windows = nullptr;
};

} // namespace

TEST_F(DpiWindowTest, AtScaleTwoTheWindowIsTwiceAsLargeAndClicksArriveInLogicalPixels)
{
    Start(L"2");
    HWND native = nullptr;
    const HWND hwnd = Shown(20, 20, 480, 300, native);
    ASSERT_NE(native, nullptr);
    EXPECT_DOUBLE_EQ(windows->WindowScale(hwnd), 2.0);
    const RECT r = NativeRect(native);
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.top, 40);
    EXPECT_EQ(r.right - r.left, 960) << "the uninstaller's 480 x 300 is 960 x 600 device pixels";
    EXPECT_EQ(r.bottom - r.top, 600);
    EXPECT_EQ(g_pictureWidth, 960);
    EXPECT_EQ(g_pictureHeight, 600);
    RECT model{};
    windows->GetWindowRect(hwnd, model);
    EXPECT_EQ(model.left, 20) << "the program keeps its logical rectangle";
    EXPECT_EQ(model.right, 500);
    EXPECT_EQ(model.bottom, 320);

    // The picture is shown pixel for pixel: the halves meet at device row 40 + 300.
    ASSERT_TRUE(PumpUntil([] { return ScreenPixel(45, 45) == kScreenRed; })) << std::hex << ScreenPixel(45, 45);
    EXPECT_EQ(ScreenPixel(999, 339), kScreenRed) << std::hex << ScreenPixel(999, 339);
    EXPECT_EQ(ScreenPixel(999, 340), kScreenBlue) << std::hex << ScreenPixel(999, 340);
    EXPECT_EQ(ScreenPixel(999, 639), kScreenBlue) << "the last device pixel is the window's";
    EXPECT_NE(ScreenPixel(1000, 639), kScreenBlue) << "nothing beyond it";

    // Both device pixels of a logical pixel are that logical pixel.
    ClickAt(40 + 300, 40 + 200);
    ClickAt(40 + 301, 40 + 201);
    ClickAt(40 + 959, 40 + 599);
    ASSERT_EQ(g_presses.size(), 3u);
    EXPECT_EQ(g_presses[0], MAKELPARAM(150, 100));
    EXPECT_EQ(g_presses[1], MAKELPARAM(150, 100));
    EXPECT_EQ(g_presses[2], MAKELPARAM(479, 299)) << "the last device pixel is the last logical one";

    // Monitors are reported in logical pixels too, so a window centred on one is centred on it.
    const RECT monitor = windows->Backend().MonitorRect(0);
    EXPECT_EQ(monitor.right - monitor.left, ::GetSystemMetrics(SM_CXSCREEN) / 2);
    EXPECT_EQ(monitor.bottom - monitor.top, ::GetSystemMetrics(SM_CYSCREEN) / 2);
    const RECT work = windows->Backend().WorkArea(0);
    EXPECT_GE(work.left, monitor.left);
    EXPECT_LE(work.right, monitor.right);
    EXPECT_LE(work.bottom, monitor.bottom);
    POINT cursor{};
    ASSERT_TRUE(windows->Backend().QueryCursorPos(cursor));
    EXPECT_EQ(cursor.x, (40 + 959) / 2) << "the pointer where the last click left it, in logical pixels";
    EXPECT_EQ(cursor.y, (40 + 599) / 2);
}

TEST_F(DpiWindowTest, ARoundedRegionIsCutAtTheDeviceSize)
{
    Start(L"2");
    HWND native = nullptr;
    const HWND hwnd = Shown(50, 50, 200, 150, native);
    ASSERT_NE(native, nullptr);
    windows->SetWindowRegion(hwnd, platform::WindowRegion::RoundRect(RECT{0, 0, 201, 151}, 40, 40), true);
    // The window spans device pixels 100 to 500 across and 100 to 400 down.
    ASSERT_TRUE(PumpUntil([] { return ScreenPixel(300, 100) == kScreenRed; })) << std::hex << ScreenPixel(300, 100);
    EXPECT_NE(ScreenPixel(102, 102), kScreenRed) << "the corner is cut away";
    EXPECT_NE(ScreenPixel(497, 397), kScreenBlue) << "every corner";
    EXPECT_EQ(ScreenPixel(499, 300), kScreenBlue) << "the right edge reaches the device size, not half of it";
    EXPECT_EQ(ScreenPixel(300, 399), kScreenBlue) << "so does the bottom edge";
    EXPECT_EQ(ScreenPixel(125, 125), kScreenRed) << "inside the rounding, scaled with it";
}

TEST_F(DpiWindowTest, AChangeOfDpiGivesTheWindowTheNewScaleSizeAndPicture)
{
    Start(nullptr);
    HWND native = nullptr;
    const HWND hwnd = Shown(100, 100, 200, 150, native);
    ASSERT_NE(native, nullptr);
    ASSERT_DOUBLE_EQ(windows->WindowScale(hwnd), 1.0) << "the test prefix is at 96 dpi";
    ASSERT_EQ(g_pictureWidth, 200);
    const int paints = g_paints;

    // What the system sends when the window reaches a 192 dpi monitor: the new DPI and the
    // rectangle it suggests, twice the size.
    RECT suggested{100, 100, 500, 400};
    ::SendMessageW(native, WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    ASSERT_TRUE(PumpUntil([&] { return g_paints > paints && g_pictureWidth == 400; }))
        << "painted anew at the new device size; picture " << g_pictureWidth << " x " << g_pictureHeight;
    EXPECT_EQ(g_pictureHeight, 300);
    EXPECT_DOUBLE_EQ(windows->WindowScale(hwnd), 2.0);
    const RECT r = NativeRect(native);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 100);
    EXPECT_EQ(r.right, 500) << "the suggested rectangle is taken";
    EXPECT_EQ(r.bottom, 400);
    RECT client{};
    windows->GetClientRect(hwnd, client);
    EXPECT_EQ(client.right, 200) << "the logical size stays";
    EXPECT_EQ(client.bottom, 150);
    ASSERT_TRUE(PumpUntil([] { return ScreenPixel(499, 399) == kScreenBlue; })) << std::hex << ScreenPixel(499, 399);
    EXPECT_EQ(ScreenPixel(499, 249), kScreenRed) << "the halves meet at the new device middle";
    EXPECT_EQ(ScreenPixel(499, 250), kScreenBlue);

    windows->SetForegroundWindow(hwnd);
    ClickAt(100 + 300, 100 + 100);
    ASSERT_EQ(g_presses.size(), 1u);
    EXPECT_EQ(g_presses[0], MAKELPARAM(150, 50)) << "input at the new scale";

    // And back to 96 dpi.
    suggested = RECT{100, 100, 300, 250};
    ::SendMessageW(native, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
    ASSERT_TRUE(PumpUntil([] { return g_pictureWidth == 200; }));
    EXPECT_DOUBLE_EQ(windows->WindowScale(hwnd), 1.0);
    EXPECT_EQ(NativeRect(native).right, 300);
}

TEST_F(DpiWindowTest, TheOverrideHoldsAgainstAChangeOfDpi)
{
    Start(L"1.5");
    HWND native = nullptr;
    const HWND hwnd = Shown(100, 100, 200, 150, native);
    ASSERT_NE(native, nullptr);
    EXPECT_DOUBLE_EQ(windows->WindowScale(hwnd), 1.5);
    EXPECT_EQ(NativeRect(native).right - NativeRect(native).left, 300);
    RECT suggested{150, 150, 550, 450};
    ::SendMessageW(native, WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    PumpUntil([] { return false; }, 200);
    EXPECT_DOUBLE_EQ(windows->WindowScale(hwnd), 1.5);
    EXPECT_EQ(NativeRect(native).left, 150);
    EXPECT_EQ(NativeRect(native).right - NativeRect(native).left, 300) << "the size the override gives";
    EXPECT_EQ(g_pictureWidth, 300);
}

TEST_F(DpiWindowTest, AnUnusableOverrideFallsBackToTheDesktopsScale)
{
    for (const wchar_t* bad : {L"zero", L"-2", L"0", L"2x"}) {
        Start(bad);
        HWND native = nullptr;
        const HWND hwnd = Shown(100, 100, 200, 150, native);
        EXPECT_DOUBLE_EQ(windows->WindowScale(hwnd), 1.0) << "TVU_SCALE=" << bad;
        WindowSystem::Shutdown();
        windows = nullptr;
    }
    Start(L"100");
    HWND native = nullptr;
    const HWND hwnd = Shown(10, 10, 40, 30, native);
    EXPECT_DOUBLE_EQ(windows->WindowScale(hwnd), 8.0) << "kept within the limits";
    EXPECT_EQ(NativeRect(native).right - NativeRect(native).left, 320);
}
