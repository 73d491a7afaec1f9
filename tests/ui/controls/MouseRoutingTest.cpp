// Mouse events over a control that takes no mouse input: the container, the button and the text
// each hand them to their parent unprocessed, and keep the events that are not the mouse's.
#include "ControlTestSupport.h"

#include "ui/controls/Button.h"
#include "ui/controls/Text.h"

using namespace ui;
using tvtest::Canvas;
using tvtest::CRecordingContainerUI;
using tvtest::CStackUI;
using tvtest::MakeEvent;

namespace {

class MouseRoutingTest : public tvtest::ControlTest
{
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        CWindowManagerUI::SetSkinArchive(u"", ArchiveMode::OpenPerLoad, nullptr);
        parent = new CRecordingContainerUI;
        AttachRoot(parent);
    }

    CRecordingContainerUI* parent = nullptr;
};

// The container's own use of the wheel is scrolling; passed through, the parent gets the wheel
// and the content stays where it was.
TEST_F(MouseRoutingTest, TheWheelOverAContainerThatIgnoresTheMouseReachesTheParentUnscrolled)
{
    auto* stack = new CStackUI;
    parent->Add(stack);
    stack->EnableScrollBar(true, false);
    for (int i = 0; i < 5; ++i) {
        auto* row = new CControlUI;
        row->SetFixedHeight(100);
        stack->Add(row);
    }
    stack->SetPosition({0, 0, kWidth, kHeight});
    ASSERT_TRUE(stack->GetVerticalScrollBar()->IsVisible());

    TUIEvent wheel = MakeEvent(EVT_SCROLL_WHEEL, stack, {10, 10}, 1);
    stack->Event(wheel);
    ASSERT_GT(stack->GetScrollPos().cy, 0) << "a mouse-enabled container scrolls on the wheel";
    EXPECT_TRUE(parent->kinds.empty());
    stack->SetScrollPos({0, 0});

    stack->SetMouseEnabled(false);
    stack->Event(wheel);
    EXPECT_EQ(stack->GetScrollPos(), CUISize(0, 0)) << "the container scrolled itself";
    EXPECT_EQ(parent->kinds, std::vector<int>{EVT_SCROLL_WHEEL});

    // Keys are not the mouse's: the container still pages with them.
    TUIEvent key = MakeEvent(EVT_KEY_DOWN, stack, {}, VK_NEXT);
    key.keyChar = VK_NEXT;
    stack->Event(key);
    EXPECT_GT(stack->GetScrollPos().cy, 0);
    EXPECT_EQ(parent->kinds.size(), 1u);
}

TEST_F(MouseRoutingTest, APressOnAButtonThatIgnoresTheMouseReachesTheParentAndPushesNothing)
{
    auto* button = new CButtonUI;
    parent->Add(button);
    button->SetPosition({0, 0, 100, 40}, false);
    button->SetMouseEnabled(false);
    for (int kind : {EVT_MOUSE_ENTER, EVT_BUTTON_DOWN, EVT_BUTTON_UP}) {
        TUIEvent event = MakeEvent(kind, button, {20, 20});
        button->Event(event);
    }
    EXPECT_EQ(button->GetButtonState(), 0u);
    EXPECT_EQ(parent->kinds, (std::vector<int>{EVT_MOUSE_ENTER, EVT_BUTTON_DOWN, EVT_BUTTON_UP}));
}

TEST_F(MouseRoutingTest, AMoveOverALinkOfATextThatIgnoresTheMouseHoversNothing)
{
    auto* text = new CTextUI;
    parent->Add(text);
    text->SetPosition({0, 0, 300, 60}, false);
    text->SetAttribute(u"showhtml", u"true");
    text->SetText(u"{a first}one{/a} and {a second}two{/a}");
    Canvas canvas(300, 60);
    text->Paint(canvas.dc.get(), {0, 0, 300, 60}, nullptr);
    ASSERT_EQ(text->GetLinkCount(), 2);
    const CUIRect link = text->GetLinkRect(0);
    const CUIPoint onLink{(link.left + link.right) / 2, (link.top + link.bottom) / 2};

    text->SetMouseEnabled(false);
    TUIEvent move = MakeEvent(EVT_MOUSE_MOVE, text, onLink);
    text->Event(move);
    EXPECT_EQ(text->GetHoverLink(), -1);
    EXPECT_EQ(parent->kinds, std::vector<int>{EVT_MOUSE_MOVE});

    text->SetMouseEnabled(true);
    text->Event(move);
    EXPECT_EQ(text->GetHoverLink(), 0) << "the link is under the point";
}

} // namespace
