// Buttons, options and check boxes: mouse and keyboard activation, hot tracking, the cross-fade
// timer, state images, five-status images and option groups.
#include "WidgetTestSupport.h"

#include "ui/controls/Button.h"
#include "ui/controls/CheckBox.h"
#include "ui/controls/Option.h"

using namespace ui;
using tvtest::Canvas;
using tvtest::MakeEvent;
using widgettest::Near;
using widgettest::SolidPng;

namespace {

constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr std::uint32_t kBlue = 0xFF0000FF;

class ButtonTest : public tvtest::ControlTest
{
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        CWindowManagerUI::SetSkinArchive(u"", ArchiveMode::OpenPerLoad, nullptr);
        manager->AddNotifyListener(&notes);
        root = AttachRoot();
    }
    void TearDown() override
    {
        manager->RemoveNotifyListener(&notes);
        ControlTest::TearDown();
    }
    // A new control in the root at the rectangle.
    template <class T> T* Add(CUIRect rect)
    {
        T* control = new T;
        root->Add(control);
        control->SetPosition(rect, false);
        return control;
    }
    void Send(CControlUI* control, int kind, CUIPoint point, WPARAM wParam = 0)
    {
        TUIEvent event = MakeEvent(kind, control, point, wParam);
        event.keyChar = char16_t(wParam);
        control->Event(event);
    }
    std::uint32_t PaintedCentre(CControlUI* control)
    {
        Canvas canvas(kWidth, kHeight);
        control->Paint(canvas.dc.get(), {0, 0, kWidth, kHeight}, nullptr);
        const CUIRect& r = control->GetPosition();
        return canvas.Pixel((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }

    bool Running(CButtonUI* button) { return widgettest::TimerRunning(*manager, button, CButtonUI::kFadeTimer); }

    CContainerUI* root = nullptr;
    widgettest::NotifyRecorder notes;
};

} // namespace

TEST_F(ButtonTest, ReleaseOutsideGivesNoClickAndComingBackInDoes)
{
    auto* button = Add<CButtonUI>({10, 10, 60, 40});
    Send(button, EVT_BUTTON_DOWN, {20, 20});
    EXPECT_TRUE(button->GetButtonState() & UISTATE_PUSHED);
    Send(button, EVT_MOUSE_MOVE, {100, 100});
    EXPECT_FALSE(button->GetButtonState() & UISTATE_PUSHED);
    Send(button, EVT_BUTTON_UP, {100, 100});
    EXPECT_EQ(notes.Count(u"click"), 0);
    EXPECT_EQ(button->GetButtonState() & (UISTATE_PUSHED | UISTATE_CAPTURED), 0u);

    Send(button, EVT_BUTTON_DOWN, {20, 20});
    Send(button, EVT_MOUSE_MOVE, {100, 100});
    Send(button, EVT_MOUSE_MOVE, {30, 30});
    EXPECT_TRUE(button->GetButtonState() & UISTATE_PUSHED);
    Send(button, EVT_BUTTON_UP, {30, 30});
    EXPECT_EQ(notes.Count(u"click", button), 1);

    // A press outside the button does not capture it.
    Send(button, EVT_BUTTON_DOWN, {100, 100});
    Send(button, EVT_BUTTON_UP, {20, 20});
    EXPECT_EQ(notes.Count(u"click"), 1);
}

TEST_F(ButtonTest, SpaceAndEnterActivateOnlyAnEnabledButton)
{
    auto* button = Add<CButtonUI>({10, 10, 60, 40});
    Send(button, EVT_KEY_DOWN, {}, VK_SPACE);
    Send(button, EVT_KEY_DOWN, {}, VK_RETURN);
    Send(button, EVT_KEY_DOWN, {}, 'A');
    EXPECT_EQ(notes.Count(u"click"), 2);
    EXPECT_EQ(button->GetControlFlags(), CF_TABSTOP | CF_SETCURSOR);

    button->SetEnabled(false);
    EXPECT_EQ(button->GetButtonState(), 0u);
    EXPECT_EQ(button->GetControlFlags(), 0u);
    Send(button, EVT_KEY_DOWN, {}, VK_SPACE);
    Send(button, EVT_BUTTON_DOWN, {20, 20});
    Send(button, EVT_BUTTON_UP, {20, 20});
    EXPECT_EQ(notes.Count(u"click"), 2);

    button->SetEnabled(true);
    button->SetKeyboardEnabled(false);
    Send(button, EVT_KEY_DOWN, {}, VK_RETURN);
    EXPECT_EQ(notes.Count(u"click"), 2);
}

TEST_F(ButtonTest, HotTrackingNotificationsAndLeaveWhileStillInside)
{
    auto* button = Add<CButtonUI>({10, 10, 60, 40});
    Send(button, EVT_MOUSE_ENTER, {20, 20});
    EXPECT_TRUE(button->GetButtonState() & UISTATE_HOT);
    EXPECT_EQ(notes.Count(u"mouseenter"), 1);

    // The manager reports a leave although the point is on the button (a child took the hover).
    Send(button, EVT_MOUSE_LEAVE, {20, 20});
    EXPECT_TRUE(button->GetButtonState() & UISTATE_HOT);
    EXPECT_EQ(notes.Count(u"mouseleave"), 0);

    Send(button, EVT_MOUSE_LEAVE, {100, 100});
    EXPECT_FALSE(button->GetButtonState() & UISTATE_HOT);
    EXPECT_EQ(notes.Count(u"mouseleave"), 1);

    // The cursor: the hand unless the attribute asks for the arrow.
    auto cursorAfterSetCursor = [&] {
        Send(button, EVT_SET_CURSOR, {20, 20});
        return windows->SetCursor(nullptr);
    };
    ASSERT_NE(windows->LoadCursor(nullptr, IDC_HAND), windows->LoadCursor(nullptr, IDC_ARROW));
    EXPECT_EQ(cursorAfterSetCursor(), windows->LoadCursor(nullptr, IDC_HAND));
    button->SetAttribute(u"cursor", u"arrow");
    EXPECT_EQ(cursorAfterSetCursor(), windows->LoadCursor(nullptr, IDC_ARROW));
    button->SetAttribute(u"cursor", u"cross");
    EXPECT_EQ(cursorAfterSetCursor(), windows->LoadCursor(nullptr, IDC_HAND));

    button->SetContextMenuEnabled(true);
    Send(button, EVT_CONTEXT_MENU, {20, 20}, 7);
    ASSERT_EQ(notes.Count(u"menu"), 1);
    EXPECT_EQ(notes.seen.back().wParam, 7u);
}

TEST_F(ButtonTest, CrossFadeTakesFiveTicksWithDelta51)
{
    auto* button = Add<CButtonUI>({10, 10, 60, 40});
    button->SetAttribute(u"fadedelta", u"51");
    Send(button, EVT_MOUSE_ENTER, {20, 20});
    EXPECT_TRUE(Running(button));
    for (int tick = 1; tick <= 4; ++tick) {
        Send(button, EVT_TIMER, {}, CButtonUI::kFadeTimer);
        EXPECT_EQ(button->GetFadeAlpha(), 255 - 51 * tick);
    }
    EXPECT_TRUE(Running(button));
    Send(button, EVT_TIMER, {}, CButtonUI::kFadeTimer);
    EXPECT_EQ(button->GetFadeAlpha(), 0);
    EXPECT_FALSE(Running(button));

    // Leaving fades back the same way; a delta that does not divide 255 stops exactly at the end.
    Send(button, EVT_MOUSE_LEAVE, {100, 100});
    button->SetFadeDelta(100);
    for (int tick = 0; tick < 3; ++tick)
        Send(button, EVT_TIMER, {}, CButtonUI::kFadeTimer);
    EXPECT_EQ(button->GetFadeAlpha(), 255);
    EXPECT_FALSE(Running(button));

    // Other timers reach listeners.
    Send(button, EVT_TIMER, {}, 5);
    ASSERT_EQ(notes.Count(u"timer"), 1);
    EXPECT_EQ(notes.seen.back().wParam, 5u);
}

TEST_F(ButtonTest, WithoutFadeDeltaTheHotImageShowsAtOnce)
{
    const std::u16string red = SolidPng("red.png", 20, 20, {kRed});
    const std::u16string blue = SolidPng("blue.png", 20, 20, {kBlue});
    auto* button = Add<CButtonUI>({10, 10, 60, 40});
    button->SetNormalImage(red.c_str());
    button->SetHotImage(blue.c_str());
    EXPECT_EQ(PaintedCentre(button), kRed);
    Send(button, EVT_MOUSE_ENTER, {20, 20});
    EXPECT_FALSE(Running(button));
    EXPECT_EQ(PaintedCentre(button), kBlue);

    // Half-way through a fade both images show.
    button->SetFadeDelta(51);
    Send(button, EVT_MOUSE_LEAVE, {100, 100});
    Send(button, EVT_MOUSE_ENTER, {20, 20});
    Send(button, EVT_TIMER, {}, CButtonUI::kFadeTimer);
    Send(button, EVT_TIMER, {}, CButtonUI::kFadeTimer);
    const std::uint32_t mid = PaintedCentre(button);
    EXPECT_GT(platform::RedOf(mid), 60u);
    EXPECT_GT(platform::BlueOf(mid), 60u);
}

TEST_F(ButtonTest, MissingStateImagesFallBackToTheNormalImage)
{
    const std::u16string red = SolidPng("red.png", 20, 20, {kRed});
    auto* button = Add<CButtonUI>({10, 10, 60, 40});
    button->SetNormalImage(red.c_str());
    Send(button, EVT_MOUSE_ENTER, {20, 20});
    EXPECT_EQ(PaintedCentre(button), kRed);
    Send(button, EVT_BUTTON_DOWN, {20, 20});
    EXPECT_EQ(PaintedCentre(button), kRed);
    button->SetEnabled(false);
    EXPECT_EQ(PaintedCentre(button), kRed);
    button->SetDisabledImage(SolidPng("blue.png", 20, 20, {kBlue}).c_str());
    EXPECT_EQ(PaintedCentre(button), kBlue);
}

TEST_F(ButtonTest, StateColoursFollowTheState)
{
    auto* button = Add<CButtonUI>({10, 10, 60, 40});
    button->SetAttribute(u"bkcolor", u"#FF102030");
    button->SetAttribute(u"hotbkcolor", u"#FF00FF00");
    button->SetAttribute(u"focusedbkcolor", u"#FF0000FF");
    EXPECT_EQ(PaintedCentre(button), 0xFF102030u);
    Send(button, EVT_MOUSE_ENTER, {20, 20});
    EXPECT_EQ(PaintedCentre(button), 0xFF00FF00u);
    Send(button, EVT_SET_FOCUS, {});
    EXPECT_EQ(PaintedCentre(button), 0xFF0000FFu);

    button->SetAttribute(u"bordersize", u"2");
    button->SetAttribute(u"bordercolor", u"#FF111111");
    button->SetAttribute(u"hotbordercolor", u"#FFFF0000");
    Send(button, EVT_KILL_FOCUS, {});
    Canvas canvas(kWidth, kHeight);
    button->Paint(canvas.dc.get(), {0, 0, kWidth, kHeight}, nullptr);
    EXPECT_EQ(canvas.Pixel(10, 25), kRed);
}

TEST_F(ButtonTest, FiveStatusImageCutsFiveCells)
{
    const std::u16string strip =
        SolidPng("five.png", 250, 30, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF});
    auto* button = Add<CButtonUI>({0, 0, 50, 30});
    button->SetFloat(true);
    button->SetAttribute(u"fivestatusimage", strip.c_str());
    EXPECT_EQ(button->GetNormalImageDescriptor().source, CUIRect(0, 0, 50, 30));
    EXPECT_EQ(button->GetPushedImageDescriptor().source, CUIRect(50, 0, 100, 30));
    EXPECT_EQ(button->GetHotImageDescriptor().source, CUIRect(100, 0, 150, 30));
    EXPECT_EQ(button->GetFocusedImageDescriptor().source, CUIRect(150, 0, 200, 30));
    EXPECT_EQ(button->GetDisabledImageDescriptor().source, CUIRect(200, 0, 250, 30));
    EXPECT_EQ(button->GetFixedWidth(), 50);
    EXPECT_EQ(button->GetFixedHeight(), 30);
    EXPECT_EQ(PaintedCentre(button), 0xFFFF0000u);
    Send(button, EVT_MOUSE_ENTER, {20, 20});
    EXPECT_EQ(PaintedCentre(button), 0xFF0000FFu);
}

TEST_F(ButtonTest, OptionGroupKeepsExactlyOneSelected)
{
    COptionUI* options[3];
    for (int i = 0; i < 3; ++i) {
        options[i] = Add<COptionUI>({10 + 60 * i, 10, 60 + 60 * i, 40});
        options[i]->SetAttribute(u"group", u"g");
    }
    options[0]->SetAttribute(u"selected", u"true");
    auto selectedCount = [&] {
        int n = 0;
        for (COptionUI* o : options)
            n += o->IsSelected();
        return n;
    };
    notes.seen.clear();
    Send(options[1], EVT_BUTTON_DOWN, {80, 20});
    Send(options[1], EVT_BUTTON_UP, {80, 20});
    EXPECT_TRUE(options[1]->IsSelected());
    EXPECT_EQ(selectedCount(), 1);
    // Both the newly selected and the deselected option report the change.
    EXPECT_EQ(notes.Count(u"selectchanged", options[0]), 1);
    EXPECT_EQ(notes.Count(u"selectchanged", options[1]), 1);
    EXPECT_EQ(notes.Count(u"click", options[1]), 1);

    // Clicking the selected option keeps it selected and sends no change.
    Send(options[1], EVT_KEY_DOWN, {}, VK_SPACE);
    EXPECT_TRUE(options[1]->IsSelected());
    EXPECT_EQ(notes.Count(u"selectchanged"), 2);

    options[2]->Selected(true);
    EXPECT_EQ(selectedCount(), 1);

    // A destroyed option leaves its group.
    ASSERT_EQ(manager->OptionGroup(u"g")->GetSize(), 3);
    root->Remove(options[0]);
    EXPECT_EQ(manager->OptionGroup(u"g")->GetSize(), 2);
}

TEST_F(ButtonTest, UngroupedOptionAndCheckBoxToggle)
{
    auto* option = Add<COptionUI>({10, 10, 60, 40});
    Send(option, EVT_KEY_DOWN, {}, VK_SPACE);
    EXPECT_TRUE(option->IsSelected());
    Send(option, EVT_KEY_DOWN, {}, VK_SPACE);
    EXPECT_FALSE(option->IsSelected());

    auto* check = Add<CCheckBoxUI>({70, 10, 120, 40});
    check->SetAttribute(u"group", u"checks");
    Send(check, EVT_BUTTON_DOWN, {80, 20});
    Send(check, EVT_BUTTON_UP, {80, 20});
    EXPECT_TRUE(check->GetCheck());
    Send(check, EVT_BUTTON_DOWN, {80, 20});
    Send(check, EVT_BUTTON_UP, {80, 20});
    EXPECT_FALSE(check->GetCheck());
    EXPECT_EQ(notes.Count(u"selectchanged", check), 2);
    EXPECT_NE(check->CastTo(u"Option"), nullptr);
    EXPECT_EQ(std::u16string(check->GetClassName()), u"CheckBox");
}

TEST_F(ButtonTest, SelectedOptionPaintsItsSelectedLook)
{
    const std::u16string red = SolidPng("red.png", 20, 20, {kRed});
    const std::u16string blue = SolidPng("blue.png", 20, 20, {kBlue});
    auto* option = Add<COptionUI>({10, 10, 60, 40});
    option->SetNormalImage(red.c_str());
    option->SetSelectedImage(blue.c_str());
    EXPECT_EQ(PaintedCentre(option), kRed);
    option->Selected(true);
    EXPECT_EQ(PaintedCentre(option), kBlue);

    auto* colored = Add<COptionUI>({70, 10, 120, 40});
    colored->SetAttribute(u"selectedbkcolor", u"#FF00FF00");
    colored->Selected(true);
    EXPECT_EQ(PaintedCentre(colored), 0xFF00FF00u);
}

TEST_F(ButtonTest, ForeImageCoversEveryStateLookUntilCleared)
{
    const std::u16string red = SolidPng("red.png", 20, 20, {kRed});
    const std::u16string blue = SolidPng("blue.png", 20, 20, {kBlue});
    auto* button = Add<CButtonUI>({10, 10, 60, 40});
    button->SetNormalImage(red.c_str());
    EXPECT_EQ(PaintedCentre(button), kRed);
    button->SetForeImage(blue.c_str());
    EXPECT_EQ(PaintedCentre(button), kBlue);
    Send(button, EVT_MOUSE_ENTER, {20, 20});
    EXPECT_EQ(PaintedCentre(button), kBlue);
    Send(button, EVT_BUTTON_DOWN, {20, 20});
    EXPECT_EQ(PaintedCentre(button), kBlue);
    button->SetForeImage(u"");
    EXPECT_EQ(button->GetForeImage()[0], 0);
    EXPECT_EQ(PaintedCentre(button), kRed);

    // A selected option draws the fore image over its selected look as well.
    auto* option = Add<COptionUI>({70, 10, 120, 40});
    option->SetSelectedImage(red.c_str());
    option->Selected(true);
    EXPECT_EQ(PaintedCentre(option), kRed);
    option->SetForeImage(blue.c_str());
    EXPECT_EQ(PaintedCentre(option), kBlue);
}

TEST_F(ButtonTest, BackImageOfAPlainControlShowsAndGoesAway)
{
    const std::u16string red = SolidPng("red.png", 20, 20, {kRed});
    auto* plain = Add<CControlUI>({10, 10, 60, 40});
    EXPECT_EQ(plain->GetBackImageDescriptor().image, nullptr);
    plain->SetBackImage(u"");
    EXPECT_EQ(PaintedCentre(plain), 0u);
    plain->SetBackImage(red.c_str());
    EXPECT_NE(plain->GetBackImageDescriptor().image, nullptr);
    EXPECT_EQ(PaintedCentre(plain), kRed);
    plain->SetBackImage(nullptr);
    EXPECT_EQ(plain->GetBackImageDescriptor().image, nullptr);
    EXPECT_EQ(PaintedCentre(plain), 0u);
}
