// The real uninstall.exe under Wine on a scaled desktop, headless with TVU_SCALE=2: every frame is
// 960 x 600, the progress still counts logical pixels (219, 315, 400, each two device columns) and
// the percentage is the text drawn at the device resolution.
#include "Win32Sandbox.h"

#include "tests/e2e/FrameProbes.h"

namespace e2e_win32 {
namespace {

TEST(Win32Hidpi, HeadlessFramesAtScaleTwoAreTwiceTheSizeWithTheSameProgress)
{
    Sandbox box;
    ASSERT_NO_FATAL_FAILURE(box.Stage());
    const Process first =
        Sandbox::Spawn(box.InstalledUninstaller(), L"", box.HeadlessEnv(L"ok", {{L"TVU_SCALE", L"2"}}));
    ASSERT_TRUE(first);
    EXPECT_EQ(first.WaitExit(20s), 0);
    const Process copy = box.WaitForRelaunchedCopy();
    ASSERT_TRUE(copy) << "no copy was started from TEMP";
    ASSERT_EQ(copy.WaitExit(60s), 0);
    EXPECT_FALSE(Exists(box.Install())) << "the scaled run removed everything";

    const std::vector<e2e::fs::path> frames = e2e::FramesOf(e2e::fs::path(box.Frames()));
    ASSERT_FALSE(frames.empty());
    for (const e2e::fs::path& frame : {frames.front(), frames.back()}) {
        const platform::Surface picture = platform::ReadPng(frame.string());
        ASSERT_TRUE(picture.IsValid()) << frame;
        EXPECT_EQ(picture.Width(), 960) << frame;
        EXPECT_EQ(picture.Height(), 600) << frame;
    }
    std::vector<int> widths;
    for (const e2e::fs::path& frame : frames)
        widths.push_back(e2e::FillWidth(frame, 2));
    EXPECT_TRUE(std::is_sorted(widths.begin(), widths.end()));
    EXPECT_EQ(widths.back(), 800);
    EXPECT_NE(std::find(widths.begin(), widths.end(), 2 * 219), widths.end());
    EXPECT_NE(std::find(widths.begin(), widths.end(), 2 * 315), widths.end());
    EXPECT_TRUE(e2e::ShowsPercent(frames.back(), u"100%", 2));
    EXPECT_FALSE(e2e::ShowsPercent(frames.back(), u"54%", 2)) << "the comparison tells texts apart";
}

} // namespace
} // namespace e2e_win32
