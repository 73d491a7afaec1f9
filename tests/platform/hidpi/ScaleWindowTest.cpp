// Windows at a scale on the headless backend: records, client rectangles and messages stay logical,
// the picture, the paint context's surface and the written frames are at device resolution, and
// pointer input on device pixels arrives at logical coordinates.
#include "../headless/HeadlessTestSupport.h"

#include "platform/PaintContext.h"
#include "platform/PngFile.h"

#include <algorithm>
#include <filesystem>
#include <unistd.h>

using platform::kLeftButton;
using tvtest::HeadlessTest;

namespace fs = std::filesystem;

TEST_F(HeadlessTest, AScaledWindowIsLogicalOutsideAndDeviceSizedInside)
{
    headless->SetScale(2.0);
    const HWND hwnd = MakeWindow(100, 100, 480, 300);
    RECT client, window;
    ASSERT_TRUE(windows->GetClientRect(hwnd, client));
    ASSERT_TRUE(windows->GetWindowRect(hwnd, window));
    EXPECT_EQ(client.right, 480);
    EXPECT_EQ(client.bottom, 300);
    EXPECT_EQ(window.left, 100) << "positions stay logical";
    EXPECT_EQ(windows->WindowScale(hwnd), 2.0);
    platform::PixelBuffer pixels = windows->WindowPixels(hwnd);
    EXPECT_EQ(pixels.width, 960);
    EXPECT_EQ(pixels.height, 600);

    windows->SetWindowPos(hwnd, nullptr, 0, 0, 201, 101, SWP_NOMOVE | SWP_NOZORDER);
    pixels = windows->WindowPixels(hwnd);
    EXPECT_EQ(pixels.width, 402);
    EXPECT_EQ(pixels.height, 202);

    // Fractional: round(logical × scale), 721.5 rounding up.
    headless->SetScale(1.5);
    const HWND odd = MakeWindow(0, 0, 481, 300);
    EXPECT_EQ(windows->WindowPixels(odd).width, 722);
    EXPECT_EQ(windows->WindowPixels(odd).height, 450);
    EXPECT_EQ(windows->WindowScale(hwnd), 2.0) << "a window keeps the scale it was made with";

    // Unknown windows and absurd scales.
    EXPECT_EQ(windows->WindowScale(nullptr), 1.0);
    headless->SetScale(-3);
    EXPECT_EQ(headless->Scale(), 1.0);
}

TEST_F(HeadlessTest, PointerInputOnDevicePixelsArrivesInLogicalClientCoordinates)
{
    headless->SetScale(2.0);
    const HWND hwnd = MakeWindow(100, 100, 200, 100);
    Pump();
    ClearLog();
    // Device pixel (261, 301) is in logical pixel (130, 150): client (30, 50).
    headless->InjectButton(kLeftButton, true, 261, 301);
    headless->InjectButton(kLeftButton, false, 260, 300);
    Pump();
    ASSERT_EQ(Find(WM_LBUTTONDOWN).size(), 1u);
    EXPECT_EQ(Find(WM_LBUTTONDOWN)[0].lParam, MAKELPARAM(30, 50));
    ASSERT_EQ(Find(WM_LBUTTONUP).size(), 1u);
    EXPECT_EQ(Find(WM_LBUTTONUP)[0].lParam, MAKELPARAM(30, 50));
    EXPECT_EQ(Find(WM_LBUTTONUP)[0].hwnd, hwnd);
    POINT cursor;
    ASSERT_TRUE(windows->GetCursorPos(cursor));
    EXPECT_EQ(cursor.x, 130);
    EXPECT_EQ(cursor.y, 150);
    // The window's last device column (2 × 300 - 1) still hits it; the next one does not.
    ClearLog();
    headless->InjectMouseMove(599, 250);
    headless->InjectMouseMove(600, 250);
    Pump();
    const auto moves = Find(WM_MOUSEMOVE);
    ASSERT_GE(moves.size(), 1u);
    EXPECT_EQ(moves[0].lParam, MAKELPARAM(199, 25));
}

TEST_F(HeadlessTest, PaintingAndFramesAreAtDeviceResolution)
{
    const fs::path frames = fs::temp_directory_path() / ("tvu-hidpi-frames-" + std::to_string(getpid()));
    fs::remove_all(frames);
    headless->SetFrames(frames.string(), 5);
    headless->SetScale(2.0);
    s_handler = [](HWND hwnd, UINT message, WPARAM, LPARAM, LRESULT& result) {
        if (message != WM_PAINT)
            return false;
        platform::PaintInfo paint;
        platform::Windows().BeginPaint(hwnd, paint);
        {
            platform::PaintContext dc(paint);
            EXPECT_EQ(dc.Width(), 480);
            EXPECT_EQ(dc.Scale(), 2.0);
            dc.FillSolid({0, 0, 480, 300}, 0xFFFFFFFF);
            dc.FillSolid({40, 214, 40 + 216, 222}, 0xFF2F6FE4);
        }
        platform::Windows().EndPaint(hwnd, paint);
        result = 0;
        return true;
    };
    const HWND hwnd = MakeWindow(0, 0, 480, 300);
    windows->InvalidateRect(hwnd, nullptr, false);
    windows->UpdateWindow(hwnd);
    ASSERT_GE(headless->FramesWritten(), 1);
    const platform::Surface frame = platform::ReadPng((frames / "000001.png").string());
    ASSERT_TRUE(frame.IsValid());
    EXPECT_EQ(frame.Width(), 960);
    EXPECT_EQ(frame.Height(), 600);
    // The fill of 216 logical pixels from 40 ends at device column 2 × 256.
    EXPECT_EQ(frame.GetPixel(80, 428), 0xFF2F6FE4u);
    EXPECT_EQ(frame.GetPixel(511, 443), 0xFF2F6FE4u);
    EXPECT_EQ(frame.GetPixel(512, 443), 0xFFFFFFFFu);
    EXPECT_EQ(frame.GetPixel(511, 444), 0xFFFFFFFFu);
    fs::remove_all(frames);
}

TEST_F(HeadlessTest, ARoundedRegionCutsTheFrameAtTheDevicePixelsOfItsCorners)
{
    const fs::path frames = fs::temp_directory_path() / ("tvu-hidpi-region-" + std::to_string(getpid()));
    fs::remove_all(frames);
    headless->SetFrames(frames.string(), 5);
    headless->SetScale(2.0);
    const HWND hwnd = MakeWindow(0, 0, 100, 60);
    windows->SetWindowRegion(hwnd, platform::WindowRegion::RoundRect(RECT{0, 0, 101, 61}, 20, 20), false);
    const platform::PixelBuffer pixels = windows->WindowPixels(hwnd);
    ASSERT_EQ(pixels.width, 200);
    for (int y = 0; y < pixels.height; ++y)
        std::fill(pixels.Row(y), pixels.Row(y) + pixels.width, 0xFFFFFFFFu);
    windows->PresentWindow(hwnd);
    const platform::Surface frame = platform::ReadPng((frames / "000001.png").string());
    ASSERT_TRUE(frame.IsValid());
    ASSERT_EQ(frame.Width(), 200);
    // The logical corner pixel (0, 0) is outside: all four of its device pixels are cut; the
    // logical pixel (10, 0) at the top edge and the middle are inside.
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(frame.GetPixel(x, y) >> 24, 0u);
    EXPECT_EQ(frame.GetPixel(20, 0), 0xFFFFFFFFu);
    EXPECT_EQ(frame.GetPixel(21, 1), 0xFFFFFFFFu);
    EXPECT_EQ(frame.GetPixel(100, 60), 0xFFFFFFFFu);
    // The corner's curve is as wide in device pixels as twice the logical one.
    int cutLogical = 0, cutDevice = 0;
    const auto region = windows->GetWindowRegion(hwnd);
    ASSERT_TRUE(region.has_value());
    for (int x = 0; x < 100; ++x)
        cutLogical += !region->Contains(x, 0);
    for (int x = 0; x < 200; ++x)
        cutDevice += frame.GetPixel(x, 0) == 0u;
    EXPECT_EQ(cutDevice, 2 * cutLogical);
    fs::remove_all(frames);
}
