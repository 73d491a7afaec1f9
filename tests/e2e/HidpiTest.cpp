// The uninstaller on a scaled desktop. Headless with TVU_SCALE=2: every frame is 960x600, the same
// picture as at scale 1 at doubled coordinates, the progress still counting logical pixels (219,
// 315, 400) and the text drawn sharp. On a private Xvfb screen whose Xft.dpi resource says 192:
// the real window is 960x600 and its confirmation box twice its usual size; the screenshot is kept
// as e2e-window-scale2.png in the build tree.
#include "FrameProbes.h"
#include "XDisplay.h"

#include <algorithm>

namespace e2e {
namespace {

// Runs the whole removal headless at `scale` and returns its frames.
std::vector<fs::path> RunHeadless(Sandbox& box, const std::string& scale)
{
    const int first = box.Spawn(box.InstalledUninstaller().string(), {},
                                box.HeadlessEnv("ok", {{"TVU_SCALE", scale}, {"TVU_FRAMES_MAX", "5000"}}));
    EXPECT_EQ(box.WaitExit(first, 10s), 0);
    const int copy = WaitForRelaunchedCopy(box);
    if (copy > 0) {
        EXPECT_EQ(box.WaitExit(copy, 30s), 0);
    }
    return FramesOf(box.Frames());
}

// 2x2 cells holding ink (differing from the white body) of which not all four pixels agree.
std::pair<int, int> MixedCells(const platform::Surface& s, int left, int top, int right, int bottom)
{
    int inked = 0, mixed = 0;
    for (int y = top; y < bottom; y += 2)
        for (int x = left; x < right; x += 2) {
            const std::uint32_t p[4] = {s.GetPixel(x, y), s.GetPixel(x + 1, y), s.GetPixel(x, y + 1),
                                        s.GetPixel(x + 1, y + 1)};
            if (std::all_of(p, p + 4, [](std::uint32_t v) { return v == 0xFFFFFFFFu; }))
                continue;
            ++inked;
            mixed += !std::all_of(p, p + 4, [&](std::uint32_t v) { return v == p[0]; });
        }
    return {inked, mixed};
}

int Channel(std::uint32_t p, int shift)
{
    return int((p >> shift) & 0xFF);
}

TEST(HidpiHeadless, FramesAtScaleTwoAreTheScaleOnePictureAtDoubleResolution)
{
    Sandbox one, two;
    ASSERT_NO_FATAL_FAILURE(one.Stage());
    ASSERT_NO_FATAL_FAILURE(two.Stage());
    const std::vector<fs::path> framesOne = RunHeadless(one, "1");
    const std::vector<fs::path> framesTwo = RunHeadless(two, "2");
    ASSERT_FALSE(framesOne.empty());
    ASSERT_FALSE(framesTwo.empty());
    EXPECT_FALSE(fs::exists(two.Install())) << "the scaled run removed everything too";

    // The progress arithmetic is unchanged: logical widths, each covering two device columns.
    std::vector<int> widths;
    for (const fs::path& frame : framesTwo) {
        const int device = FillWidth(frame, 2);
        EXPECT_EQ(device % 2, 0) << frame << ": a fill of " << device << " device pixels";
        widths.push_back(device / 2);
    }
    EXPECT_TRUE(std::is_sorted(widths.begin(), widths.end()));
    EXPECT_NE(std::find(widths.begin(), widths.end(), 219), widths.end());
    EXPECT_NE(std::find(widths.begin(), widths.end(), 315), widths.end());
    EXPECT_EQ(widths.back(), 400);
    // At 54 % (219 of 400) the fill ends at device column 2 × (40 + 219) - 1, and the label says so.
    const auto at219 = std::find(widths.begin(), widths.end(), 219);
    ASSERT_NE(at219 + 1, widths.end());
    const fs::path frame54 = framesTwo[std::size_t(at219 - widths.begin()) + 1];
    EXPECT_TRUE(ShowsPercent(frame54, u"54%", 2));
    EXPECT_FALSE(ShowsPercent(frame54, u"78%", 2)) << "the comparison tells texts apart";
    const platform::Surface shot = platform::ReadPng(frame54.string());
    ASSERT_TRUE(shot.IsValid());
    EXPECT_EQ(shot.Width(), 960);
    EXPECT_EQ(shot.Height(), 600);
    EXPECT_GT(Channel(shot.GetPixel(2 * 259 - 1, 437), 0), 0x80) << "the fill reaches device column 517";
    EXPECT_LT(Channel(shot.GetPixel(2 * 259 + 1, 437), 0), 0xF8) << "the track, not the fill, after it";
    EXPECT_LT(Channel(shot.GetPixel(2 * 259 + 1, 437), 16), Channel(shot.GetPixel(2 * 259 + 1, 437), 0) + 8);

    // The same layout: where the last scale-1 frame is flat, the 2x2 block at doubled coordinates
    // has its colour (the @2x artwork is drawn from the same shapes).
    const platform::Surface small = platform::ReadPng(framesOne.back().string());
    const platform::Surface large = platform::ReadPng(framesTwo.back().string());
    ASSERT_EQ(small.Width(), 480);
    ASSERT_EQ(large.Width(), 960);
    int compared = 0, differing = 0;
    for (int y = 1; y < 299; y += 3)
        for (int x = 1; x < 479; x += 3) {
            const std::uint32_t c = small.GetPixel(x, y);
            bool flat = true;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    flat &= small.GetPixel(x + dx, y + dy) == c;
            if (!flat)
                continue;
            ++compared;
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx) {
                    const std::uint32_t d = large.GetPixel(2 * x + dx, 2 * y + dy);
                    bool near = true;
                    for (int shift = 0; shift <= 24; shift += 8)
                        near &= std::abs(Channel(d, shift) - Channel(c, shift)) <= 12;
                    differing += !near;
                }
        }
    EXPECT_GT(compared, 5000);
    EXPECT_LT(differing, compared / 100) << differing << " of " << 4 * compared << " device pixels differ";

    // Text is drawn at the device resolution, not enlarged: cells of ink mostly hold several colours.
    const auto [inked, mixed] = MixedCells(large, 80, 232, 880, 360);
    ASSERT_GT(inked, 500);
    EXPECT_GT(mixed * 2, inked) << mixed << " of " << inked << " cells of text hold more than one colour";
}

// A 3840x2160 screen whose resource database says what `xrdb -merge` leaves on a 192 dpi desktop.
class HidpiDisplay : public RealDisplayTest
{
protected:
    HidpiDisplay() : RealDisplayTest("3840x2160x24") {}
    void SetUp() override
    {
        RealDisplayTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        const std::string resources = "Xft.dpi:\t192\n";
        XChangeProperty(display, DefaultRootWindow(display), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(resources.data()), int(resources.size()));
        XSync(display, False);
    }
};

TEST_F(HidpiDisplay, AWindowOnA192DpiScreenIsTwiceItsLogicalSize)
{
    ASSERT_NO_FATAL_FAILURE(box.Stage(3000));
    // Only the X resource tells the scale here.
    Env env = SdlEnv(box, server.Name());
    env["TVU_SCALE"] = "";
    env["GDK_SCALE"] = "";
    env["GDK_DPI_SCALE"] = "";
    EXPECT_EQ(box.WaitExit(box.Spawn(box.InstalledUninstaller().string(), {}, env), 10s), 0);

    Placed main, dialog;
    ASSERT_TRUE(WaitFor(
        [&] {
            std::vector<Placed> windows;
            FindTitled(display, DefaultRootWindow(display), windows);
            for (const Placed& w : windows)
                (w.width == 960 && w.height == 600 ? main : dialog) = w;
            return main.window != 0 && dialog.window != 0;
        },
        15s))
        << "no 960x600 window with its confirmation (main " << main.width << "x" << main.height << ", box "
        << dialog.width << "x" << dialog.height << ")";
    // The drawn box is laid out in logical pixels (387x100 on an ordinary desktop) and made twice as large.
    EXPECT_GT(dialog.width, 700);
    EXPECT_GT(dialog.height, 180);
    EXPECT_NEAR(dialog.x + dialog.width / 2, main.x + main.width / 2, 8) << "not centred on its owner";

    std::this_thread::sleep_for(300ms);
    XSetInputFocus(display, dialog.window, RevertToParent, CurrentTime);
    XSync(display, False);
    fake.Press(display, XK_Return);

    // The fill grows over the track at device row 437.
    platform::Surface shot;
    const int fill = WaitForProgressFill(display, main, 2, 60, shot);
    ASSERT_TRUE(shot.IsValid());
    platform::WritePng(shot.Pixels(), BuiltPath("tests/e2e/e2e-window-scale2.png"));
    EXPECT_GE(fill, 120) << "the progress did not run";
    const std::uint32_t band = shot.GetPixel(300, 120), body = shot.GetPixel(480, 220);
    EXPECT_GT(Channel(band, 0), Channel(band, 16) + 40) << "the caption band is the brand's blue";
    EXPECT_GT(Channel(body, 16), 0xF0) << "the body is white";
    EXPECT_EQ(shot.GetPixel(0, 0) & 0xFFFFFF, 0u) << "the rounded corner leaves the screen behind showing";
    EXPECT_EQ(shot.GetPixel(3, 3) & 0xFFFFFF, 0u) << "the corner is cut at device resolution";
    const auto [inked, mixed] = MixedCells(shot, 80, 232, 880, 360);
    EXPECT_GT(mixed * 2, inked) << "the text is not drawn at the device resolution";

    const auto copies = Sandbox::ProcessesRunning(box.TempCopy());
    if (!copies.empty()) {
        EXPECT_EQ(box.WaitExit(copies.front(), 60s), 0);
    }
    EXPECT_TRUE(WaitFor([&] { return !fs::exists(box.Install()); }, 10s));
}

} // namespace
} // namespace e2e
