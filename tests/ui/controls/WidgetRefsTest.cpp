// Reference pictures of the standard and animated controls. Skins under refs/ are painted headless,
// the static ones by `skintool render` as a separate process and the ones whose states need events
// in this process, and compared with the committed PNGs allowing for anti-aliasing differences.
// Run with TVU_UPDATE_REFS=1 to write the pictures instead (then look at every one before committing).
#include "WidgetTestSupport.h"

#include "ui/controls/Button.h"
#include "ui/controls/ChrysanthemumLoading.h"
#include "ui/builder/SkinBuilder.h"

#include <cstdlib>
#include <filesystem>

#include "tests/DrawingDifferences.h"

using namespace ui;
using tvtest::MakeEvent;

namespace {

const std::string kRefs = TVU_SOURCE_DIR "/tests/ui/controls/refs/";
const std::string kSkintool = TVU_BINARY_DIR "/tools/skintool/skintool";
const std::filesystem::path kOut = std::filesystem::path(TVU_BINARY_DIR) / "test_widgets_refs";

// Channels may differ by this much (glyph edges); beyond it, at most one pixel in 500 may differ on
// Linux (tests/DrawingDifferences.h: more where the system draws text or shapes its own way).
constexpr int kTolerance = 40;

bool Updating()
{
    const char* value = std::getenv("TVU_UPDATE_REFS");
    return value != nullptr && value[0] == '1';
}

// Compares a painted picture with refs/<name>.png, or writes it there when updating.
void CheckPicture(const platform::PixelBuffer& actual, const std::string& name,
                  tvutest::PictureContent content = tvutest::PictureContent::Text)
{
    const std::string refPath = kRefs + name + ".png";
    if (Updating()) {
        ASSERT_TRUE(platform::WritePng(actual, refPath));
        return;
    }
    platform::Surface expected = platform::ReadPng(refPath);
    ASSERT_TRUE(expected.IsValid()) << "missing reference " << refPath;
    const platform::PixelDiff diff = platform::ComparePixels(actual, expected.Pixels(), kTolerance);
    const bool close =
        diff.sameSize && diff.count <= actual.width * actual.height / tvutest::PictureDifferenceShare(content);
    if (!close) {
        std::filesystem::create_directories(kOut);
        platform::WritePng(actual, (kOut / (name + ".png")).string());
    }
    EXPECT_TRUE(close) << name << ": " << diff.Describe() << " (picture written to " << kOut.string() << ")";
}

class WidgetRefs : public tvtest::ControlTest
{
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        const std::u16string folder(kRefs.begin(), kRefs.end());
        CWindowManagerUI::SetSkinFolder(folder.c_str());
        CWindowManagerUI::SetSkinArchive(u"", ArchiveMode::OpenPerLoad, nullptr);
    }
    void TearDown() override
    {
        CWindowManagerUI::SetSkinFolder(u"");
        ControlTest::TearDown();
    }

    // Builds refs/<skin>.xml in the test window resized to width x height and paints it.
    void Build(const char16_t* skin, int width, int height)
    {
        CSkinBuilder builder;
        CControlUI* root = builder.Create(skin, nullptr, nullptr, manager.get(), nullptr);
        ASSERT_NE(root, nullptr);
        manager->AttachRoot(root);
        windows->SetWindowPos(hwnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        Repaint();
    }
    platform::PixelBuffer Repaint()
    {
        windows->InvalidateRect(hwnd, nullptr, false);
        windows->UpdateWindow(hwnd);
        return windows->WindowPixels(hwnd);
    }
    void Send(const char16_t* name, int kind, WPARAM wParam = 0)
    {
        CControlUI* control = manager->ControlByName(name);
        ASSERT_NE(control, nullptr);
        const CUIRect& r = control->GetPosition();
        TUIEvent event = MakeEvent(kind, control, {(r.left + r.right) / 2, (r.top + r.bottom) / 2}, wParam);
        control->Event(event);
    }
};

struct StaticSkin
{
    const char* name;
    const char* size;
};

// Skins that show everything from their markup, painted by the skin tool.
const StaticSkin kStaticSkins[] = {
    {"label_align", "300x200"},
    {"label_effects", "300x200"},
    {"options", "240x120"},
    {"rotate", "240x60"},
};

} // namespace

TEST(WidgetRefsStatic, SkinToolPaintsLabelsOptionsAndRotatedImagesAsReferenced)
{
    if (!std::filesystem::exists(kSkintool))
        GTEST_SKIP() << "skintool is not built: " << kSkintool;
    std::filesystem::create_directories(kOut);
    for (const StaticSkin& skin : kStaticSkins) {
        SCOPED_TRACE(skin.name);
        const std::string out = (kOut / (std::string(skin.name) + ".rendered.png")).string();
        const std::string command = "'" + kSkintool + "' render '" + kRefs + skin.name + ".xml' --size " + skin.size +
                                    " --out '" + out + "' >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        platform::Surface picture = platform::ReadPng(out);
        ASSERT_TRUE(picture.IsValid());
        CheckPicture(picture.Pixels(), skin.name);
    }
}

TEST_F(WidgetRefs, ButtonStatesAndMidFade)
{
    Build(u"buttons.xml", 400, 48);
    Send(u"hot", EVT_MOUSE_ENTER);
    Send(u"pushed", EVT_BUTTON_DOWN);
    manager->ControlByName(u"focused")->SetFocus();
    Send(u"fade", EVT_MOUSE_ENTER);
    Send(u"fade", EVT_TIMER, CButtonUI::kFadeTimer);
    Send(u"fade", EVT_TIMER, CButtonUI::kFadeTimer);
    ASSERT_EQ(static_cast<CButtonUI*>(manager->ControlByName(u"fade"))->GetFadeAlpha(), 153);
    CheckPicture(Repaint(), "buttons");
}

TEST_F(WidgetRefs, SpinnerFramesOneAndTwo)
{
    Build(u"spinner.xml", 200, 100);
    CheckPicture(Repaint(), "spinner_frame1", tvutest::PictureContent::VectorShapes);
    Send(u"thin", EVT_TIMER, CChrysanthemumLoadingUI::kAnimationTimer);
    Send(u"thick", EVT_TIMER, CChrysanthemumLoadingUI::kAnimationTimer);
    CheckPicture(Repaint(), "spinner_frame2", tvutest::PictureContent::VectorShapes);
}
