// What needs painting as separate rectangles: small changes far apart are painted and presented
// one by one, touching or overlapping ones merge, and many are painted as their bounding box.
#include "HeadlessTestSupport.h"

#include <vector>

using platform::PaintInfo;
using tvtest::HeadlessTest;

namespace {

bool Same(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Invalidates `rects` in a painted window and returns what its next BeginPaint reports.
PaintInfo PaintAfter(platform::WindowSystem& windows, HWND hwnd, const std::vector<RECT>& rects)
{
    for (const RECT& r : rects)
        windows.InvalidateRect(hwnd, &r, false);
    PaintInfo paint;
    windows.BeginPaint(hwnd, paint);
    return paint;
}

} // namespace

TEST_F(HeadlessTest, ChangesFarApartArePaintedAndPresentedSeparately)
{
    HWND hwnd = MakeWindow(0, 0, 480, 300);
    Pump();
    const RECT label{340, 190, 440, 208}, bar{40, 214, 250, 222};
    windows->InvalidateRect(hwnd, &label, false);
    windows->InvalidateRect(hwnd, &bar, false);
    RECT update;
    ASSERT_TRUE(windows->GetUpdateRect(hwnd, update));
    EXPECT_TRUE(Same(update, RECT{40, 190, 440, 222})) << "the update rectangle stays the bounding box";

    PaintInfo paint;
    windows->BeginPaint(hwnd, paint);
    EXPECT_TRUE(Same(paint.dirty, RECT{40, 190, 440, 222}));
    ASSERT_EQ(paint.pieces.size(), 2u);
    EXPECT_TRUE(Same(paint.pieces[0], label));
    EXPECT_TRUE(Same(paint.pieces[1], bar));
    const int presents = headless->PresentCount();
    windows->EndPaint(hwnd, paint);
    EXPECT_EQ(headless->PresentCount(), presents + 2) << "one presentation per piece";
    EXPECT_FALSE(windows->GetUpdateRect(hwnd, update));

    // A paint that follows starts from nothing left over.
    const PaintInfo next = PaintAfter(*windows, hwnd, {RECT{0, 0, 5, 5}});
    EXPECT_TRUE(Same(next.dirty, RECT{0, 0, 5, 5}));
    EXPECT_TRUE(next.pieces.empty());
}

TEST_F(HeadlessTest, TouchingOrOverlappingChangesMergeAndABridgeJoinsPieces)
{
    HWND hwnd = MakeWindow(0, 0, 300, 200);
    Pump();
    // Overlapping and edge to edge: one rectangle, so no pieces.
    PaintInfo merged = PaintAfter(*windows, hwnd, {RECT{10, 10, 50, 20}, RECT{40, 15, 60, 30}, RECT{60, 10, 70, 12}});
    EXPECT_TRUE(Same(merged.dirty, RECT{10, 10, 70, 30}));
    EXPECT_TRUE(merged.pieces.empty());
    windows->EndPaint(hwnd, merged);

    // Two pieces, then a rectangle that reaches both: all three become one.
    PaintInfo bridged = PaintAfter(
        *windows, hwnd, {RECT{0, 0, 10, 10}, RECT{100, 0, 110, 10}, RECT{5, 5, 105, 8}, RECT{200, 150, 210, 160}});
    ASSERT_EQ(bridged.pieces.size(), 2u);
    EXPECT_TRUE(Same(bridged.pieces[0], RECT{0, 0, 110, 10}));
    EXPECT_TRUE(Same(bridged.pieces[1], RECT{200, 150, 210, 160}));
    windows->EndPaint(hwnd, bridged);

    // Parts outside the client area are cut off before they count.
    PaintInfo clipped = PaintAfter(*windows, hwnd, {RECT{-50, -50, 5, 5}, RECT{290, 190, 400, 400}});
    ASSERT_EQ(clipped.pieces.size(), 2u);
    EXPECT_TRUE(Same(clipped.pieces[0], RECT{0, 0, 5, 5}));
    EXPECT_TRUE(Same(clipped.pieces[1], RECT{290, 190, 300, 200}));
    windows->EndPaint(hwnd, clipped);
}

TEST_F(HeadlessTest, ManySeparateChangesArePaintedAsTheirBoundingBox)
{
    HWND hwnd = MakeWindow(0, 0, 300, 200);
    Pump();
    std::vector<RECT> scattered;
    for (int i = 0; i < 4; ++i)
        scattered.push_back(RECT{i * 50, i * 40, i * 50 + 5, i * 40 + 5});
    PaintInfo four = PaintAfter(*windows, hwnd, scattered);
    EXPECT_EQ(four.pieces.size(), 4u);
    windows->EndPaint(hwnd, four);

    scattered.push_back(RECT{250, 10, 260, 20});
    PaintInfo five = PaintAfter(*windows, hwnd, scattered);
    EXPECT_TRUE(Same(five.dirty, RECT{0, 0, 260, 125}));
    EXPECT_TRUE(five.pieces.empty()) << "painted as one box";
    const int presents = headless->PresentCount();
    windows->EndPaint(hwnd, five);
    EXPECT_EQ(headless->PresentCount(), presents + 1);
}

TEST_F(HeadlessTest, ValidatingTheWholeWindowDropsItsPieces)
{
    HWND hwnd = MakeWindow(0, 0, 300, 200);
    Pump();
    const RECT a{0, 0, 10, 10}, b{100, 100, 110, 110};
    windows->InvalidateRect(hwnd, &a, false);
    windows->InvalidateRect(hwnd, &b, false);
    windows->ValidateRect(hwnd, nullptr);
    RECT update;
    EXPECT_FALSE(windows->GetUpdateRect(hwnd, update));
    const PaintInfo next = PaintAfter(*windows, hwnd, {RECT{200, 0, 210, 10}});
    EXPECT_TRUE(Same(next.dirty, RECT{200, 0, 210, 10}));
    EXPECT_TRUE(next.pieces.empty()) << "no stale piece comes back";
}
