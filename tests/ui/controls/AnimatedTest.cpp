// The spinner and the rotating image: tables and frames, timer 100 following visibility, other
// timers as notifications, and the rotation's start, stop, reset and fixed-angle rules.
#include "WidgetTestSupport.h"

#include "ui/controls/ChrysanthemumLoading.h"
#include "ui/controls/RotateImage.h"

#include <cmath>

using namespace ui;
using tvtest::Canvas;
using tvtest::MakeEvent;
using widgettest::Near;
using widgettest::SolidPng;

namespace {

class AnimatedTest : public tvtest::ControlTest
{
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        CWindowManagerUI::SetSkinArchive(u"", ArchiveMode::OpenPerLoad, nullptr);
        CWindowManagerUI::SetSkinFolder(u"");
        manager->AddNotifyListener(&notes);
        root = AttachRoot();
    }
    void TearDown() override
    {
        manager->RemoveNotifyListener(&notes);
        ControlTest::TearDown();
    }
    // Adds a control to the live tree (which initialises it) and places it.
    template <class T>
    T* Add(CUIRect rect, std::initializer_list<std::pair<const char16_t*, const char16_t*>> attributes = {})
    {
        T* control = new T;
        for (const auto& [name, value] : attributes)
            control->SetAttribute(name, value);
        root->Add(control);
        control->SetPosition(rect, false);
        return control;
    }
    void Tick(CControlUI* control, WPARAM key = 100)
    {
        TUIEvent event = MakeEvent(EVT_TIMER, control, {}, key);
        control->Event(event);
    }
    bool Running(CControlUI* control) { return widgettest::TimerRunning(*manager, control, 100); }

    CContainerUI* root = nullptr;
    widgettest::NotifyRecorder notes;
};

} // namespace

TEST_F(AnimatedTest, SpinnerTablesRunFromTheHeadSpokeToTheFaintest)
{
    CChrysanthemumLoadingUI spinner;
    spinner.SetAttribute(u"spokecolor", u" #FF336699");
    ASSERT_EQ(spinner.GetColors().size(), 10u);
    EXPECT_EQ(spinner.GetColors()[0], 0xFF336699u);
    EXPECT_EQ(spinner.GetColors()[1], 0x19336699u); // 255 / 10 = 25
    EXPECT_EQ(spinner.GetColors()[9], 0xE1336699u); // 9 * 25
    EXPECT_DOUBLE_EQ(spinner.GetAngles()[0], 36.0);
    EXPECT_DOUBLE_EQ(spinner.GetAngles()[9], 360.0);

    spinner.SetAttribute(u"spokenum", u"0");
    EXPECT_EQ(spinner.GetSpokeCount(), 10);
    spinner.SetAttribute(u"spokenum", u"4");
    EXPECT_EQ(spinner.GetColors()[1] >> 24, 63u);

    spinner.SetAttribute(u"align", u"right");
    spinner.SetAttribute(u"valign", u"bottom");
    spinner.SetAttribute(u"multiline", u"true");
    EXPECT_EQ(spinner.GetTextStyle(), 0x2u | 0x8u | 0x10u);
    spinner.SetAttribute(u"align", u"middle");
    EXPECT_EQ(spinner.GetTextStyle() & 0x3u, 0x2u);
}

TEST_F(AnimatedTest, SpinnerFirstFrameHasStartIndexOneAndTicksAdvanceIt)
{
    auto* spinner = Add<CChrysanthemumLoadingUI>({0, 0, 0, 0});
    // Initialisation built the tables and so rendered the first frame.
    EXPECT_EQ(spinner->GetStartIndex(), 2); // one more for the placement
    EXPECT_TRUE(Running(spinner));

    CChrysanthemumLoadingUI fresh;
    fresh.SetManager(manager.get(), root, false);
    fresh.Init();
    EXPECT_EQ(fresh.GetStartIndex(), 1);
    Tick(&fresh);
    EXPECT_EQ(fresh.GetStartIndex(), 2);
    for (int i = 0; i < 8; ++i)
        Tick(&fresh);
    EXPECT_EQ(fresh.GetStartIndex(), 0);
}

TEST_F(AnimatedTest, SpinnerDrawsRoundCappedSpokesWithTheHeadMovingClockwise)
{
    auto* spinner = Add<CChrysanthemumLoadingUI>({20, 20, 80, 80}, {{u"outradius", u"25"},
                                                                    {u"innerradius", u"10"},
                                                                    {u"spokenum", u"4"},
                                                                    {u"thickness", u"6"},
                                                                    {u"bkcolor", u"#FFFFFFFF"}});
    // The spoke count, the initialisation and the placement each rendered a frame: the head spoke
    // stands at position 3, 360 degrees.
    ASSERT_EQ(spinner->GetStartIndex(), 3);
    Canvas canvas(100, 100);
    spinner->Paint(canvas.dc.get(), {0, 0, 100, 100}, nullptr);
    // The head spoke (opaque black) points along +x from the centre (50, 50).
    EXPECT_TRUE(Near(canvas.Pixel(70, 50), 0xFF000000u)) << std::hex << canvas.Pixel(70, 50);
    EXPECT_TRUE(Near(canvas.Pixel(21, 21), 0xFFFFFFFFu));
    // The next tick moves the head a quarter turn clockwise: down on screen.
    Tick(spinner);
    spinner->Paint(canvas.dc.get(), {0, 0, 100, 100}, nullptr);
    EXPECT_TRUE(Near(canvas.Pixel(50, 70), 0xFF000000u)) << std::hex << canvas.Pixel(50, 70);
    EXPECT_FALSE(Near(canvas.Pixel(70, 50), 0xFF000000u));
}

TEST_F(AnimatedTest, SpinnerTimerFollowsVisibilityAndInterval)
{
    auto* spinner = Add<CChrysanthemumLoadingUI>({0, 0, 40, 40});
    ASSERT_TRUE(Running(spinner));
    // Stop the window's timer behind the control's back: the same interval leaves it alone, a new
    // one starts it again.
    windows->KillTimer(hwnd, manager->ControlTimerId(spinner, 100));
    spinner->SetAttribute(u"timeinterval", u"40");
    EXPECT_FALSE(Running(spinner));
    spinner->SetAttribute(u"timeinterval", u"50");
    EXPECT_TRUE(Running(spinner));
    spinner->SetVisible(false);
    EXPECT_FALSE(Running(spinner));
    spinner->SetVisible(true);
    EXPECT_TRUE(Running(spinner));

    // Other timer keys reach listeners.
    Tick(spinner, 7);
    ASSERT_EQ(notes.Count(u"timer", spinner), 1);
    EXPECT_EQ(notes.seen.back().wParam, 7u);

    root->Remove(spinner);
    EXPECT_EQ(manager->ControlTimerId(spinner, 100), 0u);
}

TEST_F(AnimatedTest, RotationStepsAndStopsByTheRules)
{
    auto* image = Add<CRotateImageUI>({0, 0, 40, 40}, {{u"eachtimeangle", u"0"}, {u"fixangle", u"30"}});
    EXPECT_EQ(image->GetStepAngle(), 1);
    image->SetAttribute(u"eachtimeangle", u"-5");
    EXPECT_EQ(image->GetStepAngle(), 1);
    image->SetAttribute(u"eachtimeangle", u"100");
    EXPECT_TRUE(image->IsRunning());
    EXPECT_TRUE(Running(image));
    EXPECT_EQ(image->GetCurrentAngle(), 30);
    for (int i = 0; i < 4; ++i)
        Tick(image);
    EXPECT_EQ(image->GetCurrentAngle(), 70); // 430 mod 360

    // A new fixed angle while rotating waits for the reset.
    image->SetAttribute(u"fixangle", u"90");
    EXPECT_EQ(image->GetCurrentAngle(), 70);
    image->StopAndReset();
    EXPECT_FALSE(image->IsRunning());
    EXPECT_FALSE(Running(image));
    EXPECT_EQ(image->GetCurrentAngle(), 90);
    image->SetAttribute(u"fixangle", u"45");
    EXPECT_EQ(image->GetCurrentAngle(), 45);
    image->SetAttribute(u"fixangle", u"-1");
    EXPECT_EQ(image->GetFixedAngle(), 45);

    // Showing resumes from where it stood; hiding stops.
    image->SetVisible(false);
    image->SetVisible(true);
    EXPECT_TRUE(image->IsRunning());
    Tick(image);
    EXPECT_EQ(image->GetCurrentAngle(), 145);
    image->SetVisible(false);
    EXPECT_FALSE(image->IsRunning());
    EXPECT_FALSE(Running(image));
    image->SetVisible(true);
    image->StopRotate();
    image->SetVisible(true);
    EXPECT_FALSE(image->IsRunning());
}

TEST_F(AnimatedTest, RotationRefusesToStartWithoutAPositiveStepOrWithoutAutoStart)
{
    auto* idle = Add<CRotateImageUI>({0, 0, 40, 40}, {{u"autostart", u"false"}});
    EXPECT_FALSE(idle->IsRunning());
    idle->SetAttribute(u"timeinterval", u"0");
    EXPECT_EQ(idle->GetTimeInterval(), 40);
    idle->StartRotate();
    EXPECT_TRUE(idle->IsRunning());
    idle->SetAttribute(u"timeinterval", u"80");
    EXPECT_EQ(idle->GetTimeInterval(), 80);
    EXPECT_TRUE(Running(idle));

    CRotateImageUI detached;
    detached.StartRotate();
    EXPECT_FALSE(detached.IsRunning());

    Tick(idle, 9);
    EXPECT_EQ(notes.Count(u"timer", idle), 1);
}

TEST_F(AnimatedTest, RotatedImageLoadsFromThePlainPathAndTurnsAboutTheCentre)
{
    // Left half red, right half blue.
    const std::u16string path = SolidPng("halves.png", 40, 40, {0xFFFF0000, 0xFF0000FF});
    CWindowManagerUI::SetSkinFolder(u"/nonexistent-skin-folder/");
    auto* image = Add<CRotateImageUI>({30, 30, 70, 70}, {{u"bkimage", path.c_str()}, {u"autostart", u"false"}});
    ASSERT_TRUE(image->HasImage());
    EXPECT_EQ(image->GetImageWidth(), 40);

    Canvas canvas(100, 100);
    image->Paint(canvas.dc.get(), {0, 0, 100, 100}, nullptr);
    EXPECT_TRUE(Near(canvas.Pixel(35, 50), 0xFFFF0000u));
    EXPECT_TRUE(Near(canvas.Pixel(65, 50), 0xFF0000FFu));

    // A quarter turn clockwise puts the red half on top.
    image->SetAttribute(u"fixangle", u"90");
    Canvas turned(100, 100);
    image->Paint(turned.dc.get(), {0, 0, 100, 100}, nullptr);
    EXPECT_TRUE(Near(turned.Pixel(50, 35), 0xFFFF0000u)) << std::hex << turned.Pixel(50, 35);
    EXPECT_TRUE(Near(turned.Pixel(50, 65), 0xFF0000FFu));

    image->SetImageFile(u"no-such-image.png");
    EXPECT_FALSE(image->HasImage());
    CWindowManagerUI::SetSkinFolder(u"");
}

TEST_F(AnimatedTest, SpinnerLargerThanItsWindowRendersOnlyTheVisiblePartAndLooksTheSame)
{
    const std::initializer_list<std::pair<const char16_t*, const char16_t*>> look = {{u"outradius", u"150"},
                                                                                     {u"innerradius", u"40"},
                                                                                     {u"spokenum", u"8"},
                                                                                     {u"thickness", u"30"},
                                                                                     {u"bkcolor", u"#FFFFFFFF"}};
    // Sticks out of the 400 x 300 window at the top and left; its centre (100, 100) is inside.
    const CUIRect rect{-100, -100, 300, 300};
    auto* shown = Add<CChrysanthemumLoadingUI>(rect, look);
    ASSERT_NE(shown->GetFrame(), nullptr);
    EXPECT_EQ(shown->GetFrame()->Width(), 300);
    EXPECT_EQ(shown->GetFrame()->Height(), 300);

    // The same spinner outside any window draws its whole 400 x 400 frame; anti-aliasing over a
    // differently sized surface may round a pixel differently.
    CChrysanthemumLoadingUI whole;
    for (const auto& [name, value] : look)
        whole.SetAttribute(name, value);
    for (int i = 0; i < 8 && whole.GetStartIndex() != shown->GetStartIndex(); ++i)
        whole.SetPosition(rect, false);
    ASSERT_EQ(whole.GetStartIndex(), shown->GetStartIndex());
    ASSERT_EQ(whole.GetFrame()->Width(), 400);

    Canvas a(kWidth, kHeight), b(kWidth, kHeight);
    shown->Paint(a.dc.get(), {0, 0, kWidth, kHeight}, nullptr);
    whole.Paint(b.dc.get(), {0, 0, kWidth, kHeight}, nullptr);
    const platform::PixelDiff diff = platform::ComparePixels(a.surface.Pixels(), b.surface.Pixels(), 2);
    EXPECT_TRUE(diff.Matches()) << diff.Describe();
    // The head spoke is drawn, not just the background.
    int dark = 0;
    for (int y = 0; y < kHeight; y += 4)
        for (int x = 0; x < kWidth; x += 4)
            dark += (a.Pixel(x, y) & 0xFF) < 0x40;
    EXPECT_GT(dark, 20);

    // A spinner wholly outside the window keeps no frame at all.
    auto* hidden = Add<CChrysanthemumLoadingUI>({kWidth + 10, 0, kWidth + 4000, 4000}, look);
    EXPECT_EQ(hidden->GetFrame(), nullptr);
}
