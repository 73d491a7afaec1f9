// A window whose scale the desktop changes (it moved to another monitor, the desktop's setting
// changed): the window system takes the new scale and rectangle, makes the picture anew at the
// new device size and paints it, while everything the program sees stays logical.
#include "../headless/HeadlessTestSupport.h"

#include <algorithm>
#include <limits>

using tvtest::HeadlessTest;

namespace {

platform::InputEvent ScaleChange(HWND hwnd, double scale, RECT rect)
{
    platform::InputEvent event;
    event.kind = platform::InputKind::ScaleChanged;
    event.window = hwnd;
    event.scale = scale;
    event.rect = rect;
    return event;
}

} // namespace

TEST_F(HeadlessTest, AChangedScaleMakesThePictureAnewAndPaintsIt)
{
    const HWND hwnd = MakeWindow(100, 100, 480, 300);
    const HWND child = MakeWindow(10, 10, 50, 20, WS_CHILD | WS_VISIBLE, hwnd);
    ASSERT_EQ(windows->WindowPixels(hwnd).width, 480);
    windows->UpdateWindow(hwnd);
    ClearLog();

    headless->Inject(ScaleChange(hwnd, 2.0, RECT{50, 50, 530, 350}));
    windows->DispatchPending();
    windows->UpdateWindow(hwnd);
    EXPECT_EQ(windows->WindowScale(hwnd), 2.0);
    EXPECT_EQ(windows->WindowScale(child), 2.0) << "a child has its top-level window's scale";
    const platform::PixelBuffer pixels = windows->WindowPixels(hwnd);
    EXPECT_EQ(pixels.width, 960);
    EXPECT_EQ(pixels.height, 600);
    RECT client{}, window{};
    windows->GetClientRect(hwnd, client);
    windows->GetWindowRect(hwnd, window);
    EXPECT_EQ(client.right, 480) << "the logical size stays";
    EXPECT_EQ(client.bottom, 300);
    EXPECT_EQ(window.left, 50) << "the rectangle the desktop gives, in logical pixels at the new scale";
    const std::vector<UINT> seen = Messages(hwnd);
    EXPECT_NE(std::find(seen.begin(), seen.end(), UINT(WM_PAINT)), seen.end()) << "painted anew";
    EXPECT_NE(std::find(seen.begin(), seen.end(), UINT(WM_MOVE)), seen.end());
    EXPECT_EQ(std::find(seen.begin(), seen.end(), UINT(WM_SIZE)), seen.end()) << "the logical size did not change";
}

TEST_F(HeadlessTest, AnAbsurdScaleFromTheDesktopIsMadeSaneAndChildrenAreLeftAlone)
{
    const HWND hwnd = MakeWindow(0, 0, 100, 50);
    const HWND child = MakeWindow(0, 0, 10, 10, WS_CHILD | WS_VISIBLE, hwnd);
    headless->Inject(ScaleChange(hwnd, std::numeric_limits<double>::quiet_NaN(), RECT{0, 0, 100, 50}));
    windows->DispatchPending();
    EXPECT_EQ(windows->WindowScale(hwnd), 1.0);
    EXPECT_EQ(windows->WindowPixels(hwnd).width, 100);
    headless->Inject(ScaleChange(hwnd, 1000.0, RECT{0, 0, 100, 50}));
    windows->DispatchPending();
    EXPECT_EQ(windows->WindowScale(hwnd), 8.0) << "kept within the limits";
    EXPECT_EQ(windows->WindowPixels(hwnd).width, 800);
    // A child has no scale of its own to change.
    headless->Inject(ScaleChange(child, 2.0, RECT{0, 0, 10, 10}));
    windows->DispatchPending();
    EXPECT_EQ(windows->WindowScale(child), 8.0);
    // A window that is gone by the time the change arrives is no fault.
    windows->DestroyWindow(hwnd);
    headless->Inject(ScaleChange(hwnd, 2.0, RECT{0, 0, 100, 50}));
    windows->DispatchPending();
}
