// Headless services: scripted message boxes, PNG frames, window pictures, regions, activation,
// the minimised state, monitors, tooltips and icons.
#include "HeadlessTestSupport.h"

#include "platform/PngFile.h"
#include "platform/WindowRegion.h"
#include "tests/ScopedEnvironmentVariable.h"
#include "tests/TempFolder.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <utility>

using platform::HeadlessBackend;
using platform::PaintInfo;
using platform::WindowRegion;
using tvtest::HeadlessTest;
using tvtest::TempFolder;

namespace {

void Fill(const platform::PixelBuffer& px, std::uint32_t color)
{
    for (int y = 0; y < px.height; ++y)
        for (int x = 0; x < px.width; ++x)
            px.Row(y)[x] = color;
}

// A window handler that answers WM_PAINT by letting draw fill the window's picture.
std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT&)>
PaintHandler(std::function<void(HWND, const platform::PixelBuffer&)> draw)
{
    return [draw = std::move(draw)](HWND h, UINT message, WPARAM, LPARAM, LRESULT& result) {
        if (message != WM_PAINT)
            return false;
        PaintInfo paint;
        platform::Windows().BeginPaint(h, paint);
        draw(h, paint.pixels);
        platform::Windows().EndPaint(h, paint);
        result = 0;
        return true;
    };
}

// A pixel of a written frame, read back through the platform's PNG decoder.
std::uint32_t PngPixel(const std::filesystem::path& file, int x, int y)
{
    const platform::Surface picture = platform::ReadPng(file.string());
    return picture.IsValid() ? picture.GetPixel(x, y) : 0xDEADBEEF;
}

} // namespace

TEST_F(HeadlessTest, MessageBoxesAnswerFromTheScriptThenCancel)
{
    const TempFolder folder("msgbox");
    const auto log = folder / "boxes.txt";
    std::optional<HeadlessBackend> made;
    {
        // The backend reads the script when it is made; the variables go right after.
        const ScopedEnvironmentVariable script("TVU_MSGBOX", "ok, Cancel,yes");
        const ScopedEnvironmentVariable scriptLog("TVU_MSGBOX_LOG", log.string());
        made.emplace();
    }
    HeadlessBackend& backend = *made;
    EXPECT_EQ(backend.ShowMessageBox(nullptr, u"first", u"Caption", MB_OKCANCEL), IDOK);
    EXPECT_EQ(backend.ShowMessageBox(nullptr, u"second", u"Caption", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(backend.ShowMessageBox(nullptr, u"third", u"Caption", MB_YESNO), IDYES);
    EXPECT_EQ(backend.ShowMessageBox(nullptr, u"fourth", u"Caption", MB_OKCANCEL), IDCANCEL) << "script used up";
    EXPECT_EQ(backend.ShowMessageBox(nullptr, u"fifth", u"Caption", MB_OK), IDOK) << "an OK-only box";
    ASSERT_EQ(backend.MessageBoxes().size(), 5u);
    EXPECT_EQ(backend.MessageBoxes()[1].text, u"second");
    std::ifstream in(log);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "Caption\tfirst\tok");

    // Through the window system, with the owner recorded.
    HWND owner = MakeWindow(0, 0, 10, 10);
    EXPECT_EQ(windows->MessageBox(owner, u"Are you sure?", u"Title", MB_OKCANCEL), IDCANCEL);
    ASSERT_EQ(headless->MessageBoxes().size(), 1u);
    EXPECT_EQ(headless->MessageBoxes()[0].owner, owner);
}

TEST_F(HeadlessTest, PresentedFramesAreWrittenUpToTheCapKeepingTheLast)
{
    const TempFolder folder("frames");
    headless->SetFrames(folder.Path().string(), 3);
    HWND hwnd = MakeWindow(0, 0, 8, 4);
    Pump(); // the first paint presents one frame
    const std::uint32_t colors[] = {0xFF000010, 0xFF000020, 0xFF000030, 0xFF000040};
    for (std::uint32_t color : colors) {
        windows->InvalidateRect(hwnd, nullptr, false);
        s_handler = PaintHandler([&](HWND, const platform::PixelBuffer& pixels) { Fill(pixels, color); });
        Pump();
    }
    EXPECT_EQ(headless->FramesWritten(), 5);
    EXPECT_TRUE(std::filesystem::exists(folder / "000001.png"));
    EXPECT_TRUE(std::filesystem::exists(folder / "000002.png"));
    EXPECT_FALSE(std::filesystem::exists(folder / "000004.png"));
    EXPECT_EQ(PngPixel(folder / "000002.png", 3, 2), 0xFF000010u);
    EXPECT_EQ(PngPixel(folder / "000003.png", 3, 2), 0xFF000040u) << "the last slot holds the latest frame";
}

TEST_F(HeadlessTest, PaintingFillsTheWindowPictureAndChildrenPaintIntoTheirParent)
{
    HWND parent = MakeWindow(50, 50, 40, 30);
    HWND child = MakeWindow(10, 5, 8, 6, WS_CHILD | WS_VISIBLE, parent);
    s_handler = PaintHandler(
        [&](HWND h, const platform::PixelBuffer& pixels) { Fill(pixels, h == child ? 0xFF00FF00 : 0xFFFF0000); });
    Pump();
    const platform::PixelBuffer px = windows->WindowPixels(parent);
    ASSERT_EQ(px.width, 40);
    ASSERT_EQ(px.height, 30);
    EXPECT_EQ(px.Row(0)[0], 0xFFFF0000u);
    EXPECT_EQ(px.Row(5)[10], 0xFF00FF00u);
    EXPECT_EQ(px.Row(10)[17], 0xFF00FF00u);
    EXPECT_EQ(px.Row(11)[17], 0xFFFF0000u);
    EXPECT_EQ(px.Row(10)[18], 0xFFFF0000u);
    EXPECT_GE(headless->PresentCount(), 2);
    // Nothing is left to paint, and invalidating part of it asks for that part only.
    MSG msg;
    EXPECT_FALSE(windows->PeekMessage(msg));
    RECT part{1, 2, 3, 4};
    windows->InvalidateRect(parent, &part, false);
    RECT update;
    EXPECT_TRUE(windows->GetUpdateRect(parent, update));
    EXPECT_EQ(update.left, 1);
    EXPECT_EQ(update.bottom, 4);
    // Resizing gives a picture of the new size and a full repaint.
    windows->SetWindowPos(parent, nullptr, 0, 0, 60, 20, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(windows->WindowPixels(parent).width, 60);
    EXPECT_TRUE(windows->GetUpdateRect(parent, update));
    EXPECT_EQ(update.right, 60);
}

TEST_F(HeadlessTest, RoundedRegionsCutTheCornersOutOfHitTestingAndFrames)
{
    const WindowRegion region = WindowRegion::RoundRect(RECT{0, 0, 101, 101}, 20, 20);
    EXPECT_FALSE(region.Contains(0, 0));
    EXPECT_FALSE(region.Contains(99, 99 - 0) && region.Contains(100, 100));
    EXPECT_TRUE(region.Contains(50, 0));
    EXPECT_TRUE(region.Contains(0, 50));
    EXPECT_TRUE(region.Contains(99, 50));
    EXPECT_FALSE(region.Contains(100, 50)) << "the last column lies outside, as in GDI";
    EXPECT_TRUE(region.Contains(10, 10));
    EXPECT_FALSE(region.Contains(1, 1));
    EXPECT_TRUE(WindowRegion::RoundRect(RECT{0, 0, 11, 11}, 0, 0).Contains(0, 0));

    HWND hwnd = MakeWindow(100, 100, 100, 100);
    windows->SetWindowRegion(hwnd, region, true);
    EXPECT_EQ(windows->WindowFromPoint(POINT{100, 100}), nullptr);
    EXPECT_EQ(windows->WindowFromPoint(POINT{150, 100}), hwnd);
    windows->SetWindowRegion(hwnd, std::nullopt, true);
    EXPECT_EQ(windows->WindowFromPoint(POINT{100, 100}), hwnd);
}

// A frame shows what the desktop would: the window's pixels inside its region, nothing outside,
// at every scale the region's logical pixels are mapped through; and the straight alpha written
// for opaque, clear and partly covered pixels reads back as the premultiplied pixels painted.
TEST_F(HeadlessTest, FramesCutTheRegionOutAtEveryScaleAndKeepTheColours)
{
    const std::uint32_t colors[] = {0xFF3070B0, 0x80402010, 0x00000000};
    for (const double scale : {1.0, 1.5, 2.0}) {
        SCOPED_TRACE(scale);
        const TempFolder folder("region-frames");
        headless->SetFrames(folder.Path().string(), 10);
        headless->SetScale(scale);
        HWND hwnd = MakeWindow(0, 0, 41, 23);
        const WindowRegion region = WindowRegion::RoundRect(RECT{0, 0, 41, 23}, 16, 12);
        windows->SetWindowRegion(hwnd, region, true);
        s_handler = PaintHandler([&](HWND, const platform::PixelBuffer& pixels) {
            for (int y = 0; y < pixels.height; ++y)
                for (int x = 0; x < pixels.width; ++x)
                    pixels.Row(y)[x] = colors[(x / 3 + y) % 3];
        });
        windows->InvalidateRect(hwnd, nullptr, false);
        Pump();
        s_handler = nullptr;
        const int written = headless->FramesWritten();
        ASSERT_GT(written, 0);
        char name[32];
        std::snprintf(name, sizeof name, "%06d.png", std::min(written, 10));
        const platform::Surface frame = platform::ReadPng((folder / name).string());
        ASSERT_TRUE(frame.IsValid());
        const platform::PixelBuffer painted = windows->WindowPixels(hwnd);
        ASSERT_EQ(frame.Width(), painted.width);
        ASSERT_EQ(frame.Height(), painted.height);
        EXPECT_EQ(frame.Width(), int(std::lround(41 * scale)));
        int outside = 0, wrong = 0;
        for (int y = 0; y < frame.Height(); ++y)
            for (int x = 0; x < frame.Width(); ++x) {
                const bool in =
                    region.Contains(platform::UnscaleCoordinate(x, scale), platform::UnscaleCoordinate(y, scale));
                outside += !in;
                const std::uint32_t expected = in ? painted.Row(y)[x] : 0u;
                const std::uint32_t actual = frame.GetPixel(x, y);
                // Straight alpha at 8 bits loses at most a step per channel of a half-covered pixel.
                bool matches = true;
                for (int shift = 0; shift < 32; shift += 8)
                    matches &= std::abs(int((actual >> shift) & 0xFF) - int((expected >> shift) & 0xFF)) <= 1;
                wrong += !matches || (expected >> 24 == 0xFF && actual != expected);
            }
        EXPECT_GT(outside, 40) << "the rounded corners and the last row and column are cut away";
        EXPECT_EQ(wrong, 0);
        windows->DestroyWindow(hwnd);
    }
    headless->SetScale(1.0);
}

TEST_F(HeadlessTest, ShowingActivatesAndHidingHandsActivationBackToTheOwner)
{
    HWND owner = MakeWindow(0, 0, 100, 100);
    EXPECT_EQ(windows->GetActiveWindow(), owner);
    HWND popup = windows->CreateWindowEx(0, u"TestWnd", u"", WS_POPUP, 0, 0, 50, 50, owner, nullptr, nullptr, nullptr);
    ClearLog();
    EXPECT_FALSE(windows->ShowWindow(popup, SW_SHOWNOACTIVATE));
    EXPECT_EQ(windows->GetActiveWindow(), owner);
    EXPECT_TRUE(windows->ShowWindow(popup, SW_SHOWNORMAL));
    EXPECT_EQ(windows->GetActiveWindow(), popup);
    EXPECT_EQ(windows->GetFocus(), popup);
    ASSERT_FALSE(Find(WM_KILLFOCUS).empty());
    EXPECT_EQ(Find(WM_KILLFOCUS)[0].hwnd, owner);
    windows->ShowWindow(popup, SW_HIDE);
    EXPECT_EQ(windows->GetActiveWindow(), owner);
    EXPECT_EQ(windows->GetFocus(), owner);

    // Topmost and back, the way a program brings itself to the front.
    windows->SetWindowPos(owner, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_TRUE(windows->GetWindowLongPtr(owner, GWL_EXSTYLE) & WS_EX_TOPMOST);
    windows->SetWindowPos(owner, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_FALSE(windows->GetWindowLongPtr(owner, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(HeadlessTest, MinimisingReportsSizeMinimizedAndRestoringTheOldRectangle)
{
    HWND hwnd = MakeWindow(10, 10, 100, 80);
    ClearLog();
    windows->ShowWindow(hwnd, SW_MINIMIZE);
    EXPECT_TRUE(windows->IsIconic(hwnd));
    ASSERT_EQ(Find(WM_SIZE).size(), 1u);
    EXPECT_EQ(Find(WM_SIZE)[0].wParam, SIZE_MINIMIZED);
    Pump();
    EXPECT_TRUE(Find(WM_PAINT).empty()) << "a minimised window is not painted";
    windows->ShowWindow(hwnd, SW_RESTORE);
    EXPECT_FALSE(windows->IsIconic(hwnd));
    EXPECT_EQ(Find(WM_SIZE).back().wParam, SIZE_RESTORED);
    RECT r;
    windows->GetWindowRect(hwnd, r);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.right, 110);
}

TEST_F(HeadlessTest, MonitorWorkAreaAndSystemMetricsComeFromTheBackend)
{
    headless->SetScreen(RECT{0, 0, 1000, 800}, RECT{0, 0, 1000, 760});
    headless->SetSystemMetric(SM_CXSMICON, 20);
    HWND hwnd = MakeWindow(5000, 5000, 10, 10, WS_POPUP);
    MONITORINFO info;
    ASSERT_TRUE(windows->GetMonitorInfo(windows->MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), info));
    EXPECT_EQ(info.rcWork.bottom, 760);
    EXPECT_EQ(info.rcMonitor.bottom, 800);
    EXPECT_EQ(windows->MonitorFromWindow(hwnd, MONITOR_DEFAULTTONULL), nullptr);
    EXPECT_EQ(windows->GetSystemMetrics(SM_CXSMICON), 20);
    EXPECT_EQ(windows->GetSystemMetrics(SM_CXICON), 32);
}

TEST_F(HeadlessTest, TooltipsAreSmallTopmostPopupsThatIgnoreTheMouse)
{
    HWND owner = MakeWindow(0, 0, 300, 300);
    HWND tip =
        windows->CreateWindowEx(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, nullptr, nullptr);
    ASSERT_NE(tip, nullptr);
    TOOLINFOW tool;
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = owner;
    std::u16string text = u"Remove everything"; // windows.h types the field as writable
    tool.lpszText = platform::Win32Text(text.data());
    EXPECT_TRUE(windows->SendMessage(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)));
    EXPECT_EQ(windows->SendMessage(tip, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 500);
    windows->SendMessage(tip, TTM_TRACKPOSITION, 0, MAKELPARAM(40, 60));
    windows->SendMessage(tip, TTM_TRACKACTIVATE, 1, reinterpret_cast<LPARAM>(&tool));
    EXPECT_TRUE(windows->IsWindowVisible(tip));
    EXPECT_EQ(windows->GetActiveWindow(), owner) << "showing a tip does not activate it";
    RECT r;
    windows->GetWindowRect(tip, r);
    EXPECT_EQ(r.left, 40);
    EXPECT_GT(r.top, 60);
    EXPECT_GT(r.right - r.left, 17 * 4) << "sized to its text";
    EXPECT_TRUE(windows->GetWindowLongPtr(tip, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(windows->WindowFromPoint(POINT{r.left + 2, r.top + 2}), owner) << "the mouse passes through";
    Pump();
    const platform::PixelBuffer px = windows->WindowPixels(tip);
    EXPECT_EQ(px.Row(0)[0], 0xFF767676u);
    int dark = 0;
    for (int y = 1; y < px.height - 1; ++y)
        for (int x = 1; x < px.width - 1; ++x)
            dark += (px.Row(y)[x] & 0xFF) < 0x60;
    EXPECT_GT(dark, 20) << "the text is drawn";
    windows->SendMessage(tip, TTM_TRACKACTIVATE, 0, reinterpret_cast<LPARAM>(&tool));
    EXPECT_FALSE(windows->IsWindowVisible(tip));
}

TEST_F(HeadlessTest, IconsLoadFromEmbeddedPngAtTheAskedSize)
{
    // A 4 x 4 opaque blue PNG.
    const TempFolder folder("icon");
    platform::Surface blue = platform::Surface::Create(4, 4);
    blue.Clear(0xFF0000FF);
    ASSERT_TRUE(platform::WritePng(blue.Pixels(), (folder / "blue.png").string()));
    std::ifstream file(folder / "blue.png", std::ios::binary);
    const std::vector<std::uint8_t> png{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};

    windows->SetIconSource([&](int id) { return id == 101 ? png : std::vector<std::uint8_t>{}; });
    HICON icon = windows->LoadIconResource(nullptr, 101, 32, 32);
    ASSERT_NE(icon, nullptr);
    const platform::PixelBuffer px = windows->IconPixels(icon);
    EXPECT_EQ(px.width, 32);
    EXPECT_EQ(px.Row(16)[16], 0xFF0000FFu);
    EXPECT_EQ(windows->LoadIconResource(nullptr, 102, 32, 32), nullptr);

    HWND hwnd = MakeWindow(0, 0, 10, 10);
    EXPECT_EQ(windows->SendMessage(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon)), 0);
    EXPECT_EQ(windows->SendMessage(hwnd, WM_GETICON, ICON_BIG, 0), reinterpret_cast<LRESULT>(icon));
    EXPECT_TRUE(windows->DestroyIcon(icon));
}

TEST_F(HeadlessTest, MaximisingFillsTheWorkAreaAndRestoringGoesBack)
{
    headless->SetScreen(RECT{0, 0, 1000, 800}, RECT{0, 0, 1000, 760});
    HWND hwnd = MakeWindow(10, 20, 100, 80, WS_POPUP | WS_VISIBLE | WS_MAXIMIZEBOX);
    ClearLog();
    windows->SendMessage(hwnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    EXPECT_TRUE(windows->IsZoomed(hwnd));
    RECT r;
    windows->GetWindowRect(hwnd, r);
    EXPECT_EQ(r.right, 1000);
    EXPECT_EQ(r.bottom, 760);
    EXPECT_EQ(Find(WM_SIZE).back().wParam, SIZE_MAXIMIZED);

    // Minimised and restored, it comes back maximised; restored once more, it has its old place.
    windows->ShowWindow(hwnd, SW_MINIMIZE);
    windows->ShowWindow(hwnd, SW_RESTORE);
    EXPECT_TRUE(windows->IsZoomed(hwnd));
    windows->GetWindowRect(hwnd, r);
    EXPECT_EQ(r.bottom, 760);
    windows->ShowWindow(hwnd, SW_RESTORE);
    EXPECT_FALSE(windows->IsZoomed(hwnd));
    windows->GetWindowRect(hwnd, r);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.bottom, 100);

    // A double click on a caption toggles it.
    s_handler = [](HWND, UINT message, WPARAM, LPARAM, LRESULT& result) {
        if (message != WM_NCHITTEST)
            return false;
        result = HTCAPTION;
        return true;
    };
    for (int i = 0; i < 2; ++i) {
        headless->InjectButton(platform::kLeftButton, true, 50, 30);
        headless->InjectButton(platform::kLeftButton, false, 50, 30);
        clock.Advance(50);
        Pump();
    }
    EXPECT_TRUE(windows->IsZoomed(hwnd));
}
