// Label and text controls: attributes, colours, the measurement cache, shadow offsets, the effect
// pipeline's pixels, and clickable links.
#include "WidgetTestSupport.h"

#include "ui/controls/Label.h"
#include "ui/controls/Text.h"

using namespace ui;
using tvtest::Canvas;
using tvtest::MakeEvent;
using widgettest::CountPixels;
using widgettest::Near;

namespace {

class LabelTest : public tvtest::ControlTest
{
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        manager->RegisterFont(1, u"DejaVu Sans", 24, true, false, false, false);
        manager->AddNotifyListener(&notes);
    }
    void TearDown() override
    {
        manager->RemoveNotifyListener(&notes);
        ControlTest::TearDown();
    }
    // A label attached to the manager and placed at the rectangle.
    template <class T> void Place(T& control, CUIRect rect)
    {
        control.SetManager(manager.get(), nullptr, false);
        control.SetPosition(rect, false);
    }
    widgettest::NotifyRecorder notes;
};

// Exposes the text without the setter, to show when a measurement comes from the cache.
class CPeekLabelUI : public CLabelUI
{
public:
    void ReplaceTextSilently(const char16_t* text) { m_text = text; }
};

} // namespace

TEST_F(LabelTest, TextColourWithoutAlphaIsOpaqueAndZeroFallsBackToTheManagerColour)
{
    CLabelUI label;
    Place(label, {0, 0, 120, 40});
    label.SetAttribute(u"font", u"1");
    label.SetAttribute(u"text", u"HHHH");
    label.SetAttribute(u"textcolor", u"#FF0000");
    EXPECT_EQ(label.GetTextColor(), 0xFFFF0000u);
    Canvas red(120, 40);
    label.Paint(red.dc.get(), {0, 0, 120, 40}, nullptr);
    EXPECT_GT(CountPixels(red, {0, 0, 120, 40}, [](std::uint32_t p) { return Near(p, 0xFFFF0000u); }), 20);

    manager->SetFontColor(0xFF00C000);
    label.SetAttribute(u"textcolor", u"#00000000");
    Canvas green(120, 40);
    label.Paint(green.dc.get(), {0, 0, 120, 40}, nullptr);
    EXPECT_EQ(label.GetTextColor(), 0xFF00C000u);
    EXPECT_GT(CountPixels(green, {0, 0, 120, 40}, [](std::uint32_t p) { return Near(p, 0xFF00C000u); }), 20);
}

TEST_F(LabelTest, AlignWordsApplyInOrderAndStyleAttributesSetTheirBits)
{
    CLabelUI label;
    EXPECT_EQ(label.GetTextStyle(), DT_VCENTER | DT_SINGLELINE);
    label.SetAttribute(u"align", u"centerright");
    EXPECT_EQ(label.GetTextStyle() & (DT_CENTER | DT_RIGHT), DT_RIGHT);
    label.SetAttribute(u"align", u"center");
    EXPECT_EQ(label.GetTextStyle() & (DT_CENTER | DT_RIGHT), DT_CENTER);
    label.SetAttribute(u"valign", u"bottom");
    EXPECT_EQ(label.GetTextStyle() & (DT_VCENTER | DT_BOTTOM), DT_BOTTOM);
    label.SetAttribute(u"endellipsis", u"true");
    EXPECT_TRUE(label.GetTextStyle() & DT_END_ELLIPSIS);
    label.SetAttribute(u"multiline", u"true");
    EXPECT_TRUE(label.IsMultiLine());
    EXPECT_TRUE(label.GetTextStyle() & DT_WORDBREAK);
    label.SetAttribute(u"AutoCalWidth", u"TRUE");
    EXPECT_TRUE(label.IsAutoWidth());
    label.SetAttribute(u"luminousfuzzy", u"0.00001");
    EXPECT_FLOAT_EQ(label.GetLuminousFuzzy(), 3.0f);
    label.SetAttribute(u"textpadding", u"1,2,3,4");
    EXPECT_EQ(label.GetTextPadding(), CUIRect(1, 2, 3, 4));

    CTextUI text;
    EXPECT_EQ(text.GetTextStyle(), DT_WORDBREAK);
    EXPECT_EQ(text.GetTextPadding(), CUIRect(2, 0, 2, 0));
    EXPECT_EQ(text.CastTo(u"Label"), static_cast<CLabelUI*>(&text));
    EXPECT_EQ(label.CastTo(u"Text"), nullptr);
}

TEST_F(LabelTest, SingleLineMeasurement)
{
    CLabelUI fixed;
    Place(fixed, {0, 0, 10, 10});
    fixed.SetText(u"some text");
    fixed.SetFixedWidth(100);
    EXPECT_EQ(fixed.MeasureSize({300, 300}), CUISize(100, 0));

    CLabelUI free;
    Place(free, {0, 0, 10, 10});
    free.SetText(u"some text");
    free.SetTextPadding({1, 3, 2, 5});
    const int fontHeight = manager->LookupFontInfo(-1)->metrics.height;
    ASSERT_GT(fontHeight, 0);
    const CUISize size = free.MeasureSize({300, 300});
    EXPECT_EQ(size.cy, fontHeight + 8 + 3 + 5);
    EXPECT_GT(size.cx, 3);

    // Effects widen the measurement a little.
    free.SetEffectEnabled(true);
    EXPECT_EQ(free.MeasureSize({300, 300}).cx, int(size.cx * 1.03));
}

TEST_F(LabelTest, MultiLineMeasurementIsCachedPerAvailableSize)
{
    CPeekLabelUI label;
    Place(label, {0, 0, 10, 10});
    label.SetMultiLine(true);
    label.SetText(u"one");
    const CUISize first = label.MeasureSize({200, 300});
    EXPECT_FALSE(label.IsMeasureNeeded());

    // Same width: the cached size comes back, whatever the text is now.
    label.ReplaceTextSilently(u"one two three four five six seven eight nine ten eleven twelve");
    EXPECT_EQ(label.MeasureSize({200, 300}), first);
    // A new width measures again and sees the longer text.
    const CUISize second = label.MeasureSize({150, 300});
    EXPECT_GT(second.cy, first.cy);
    EXPECT_GT(second.cx, first.cx);
}

TEST_F(LabelTest, SettingTextMarksTheMeasurementInvalidatesAndRepaints)
{
    CLabelUI label;
    AttachRoot()->Add(&label);
    label.SetPosition({10, 10, 110, 40}, false);
    label.SetAttribute(u"font", u"1");
    label.SetText(u"12%");
    label.MeasureSize({100, 30});
    Canvas before(120, 50);
    label.Paint(before.dc.get(), {0, 0, 120, 50}, nullptr);
    ClearDirty();

    label.SetText(u"45%");
    EXPECT_TRUE(label.IsMeasureNeeded());
    EXPECT_EQ(Dirty(), CUIRect(10, 10, 110, 40));
    Canvas after(120, 50);
    label.Paint(after.dc.get(), {0, 0, 120, 50}, nullptr);
    EXPECT_FALSE(platform::ComparePixels(after.surface.Pixels(), before.surface.Pixels(), 0).Matches());
    static_cast<CContainerUI*>(manager->Root())->Remove(&label, true);
}

TEST_F(LabelTest, ShadowOffsetFromDistanceAndAngle)
{
    struct Case
    {
        const char16_t* value;
        float x, y;
    };
    const Case cases[] = {
        {u"2,45", -2, -2}, {u"2,135", -2, 2}, {u"2,-90", 2, 0}, {u"3,0", -3, -3}, {u"3,180", -3, 3}, {u"3,-180", 0, 3},
    };
    for (const Case& c : cases) {
        CLabelUI label;
        label.SetAttribute(u"shadowoffset", c.value);
        EXPECT_EQ(label.GetShadowOffsetX(), c.x) << "case " << (&c - cases);
        EXPECT_EQ(label.GetShadowOffsetY(), c.y);
    }
    // Angles outside -180..180 leave the offset alone; a placed label gets the same offset as one
    // configured from markup.
    CLabelUI label;
    Place(label, {50, 70, 150, 100});
    label.SetShadowOffset(2, 200);
    EXPECT_EQ(label.GetShadowOffsetX(), 0);
    label.SetShadowOffset(2, 45);
    EXPECT_EQ(label.GetShadowOffsetX(), -2);
    EXPECT_EQ(label.GetShadowOffsetY(), -2);
}

TEST_F(LabelTest, EffectsDrawOutlineShadowGradientAndGlow)
{
    const CUIRect rect{0, 0, 160, 50};
    auto paint = [&](const std::initializer_list<std::pair<const char16_t*, const char16_t*>>& attributes) {
        CLabelUI label;
        Place(label, rect);
        label.SetAttribute(u"font", u"1");
        label.SetAttribute(u"text", u"HHHH");
        label.SetAttribute(u"textcolor", u"#FFFF0000");
        label.SetAttribute(u"enabledeffect", u"true");
        for (const auto& [name, value] : attributes)
            label.SetAttribute(name, value);
        auto canvas = std::make_unique<Canvas>(rect.right, rect.bottom);
        label.Paint(canvas->dc.get(), rect, nullptr);
        return canvas;
    };
    auto count = [&](const Canvas& c, std::uint32_t color) {
        return CountPixels(c, rect, [color](std::uint32_t p) { return Near(p, color); });
    };

    const auto plain = paint({});
    EXPECT_GT(count(*plain, 0xFFFF0000u), 50);
    EXPECT_EQ(count(*plain, 0xFF0000FFu), 0);

    const auto outlined = paint({{u"enabledstroke", u"true"}, {u"strokecolor", u"#FF0000FF"}});
    EXPECT_GT(count(*outlined, 0xFF0000FFu), 20);
    EXPECT_GT(count(*outlined, 0xFFFF0000u), 20);

    const auto shadowed =
        paint({{u"enabledshadow", u"true"}, {u"textshadowcolora", u"#FF00FF00"}, {u"shadowoffset", u"3,-90"}});
    EXPECT_GT(count(*shadowed, 0xFF00FF00u), 20);

    // Red at the top of the text area to blue at its bottom.
    const auto gradient = paint({{u"textcolor1", u"#FF0000FF"}});
    int redTop = 0, blueBottom = 0;
    for (int x = 0; x < rect.right; ++x) {
        for (int y = 0; y < rect.bottom; ++y) {
            const std::uint32_t p = gradient->Pixel(x, y);
            if ((p >> 24) < 200)
                continue;
            if (y < 22 && platform::RedOf(p) > platform::BlueOf(p))
                ++redTop;
            if (y > 28 && platform::BlueOf(p) > platform::RedOf(p))
                ++blueBottom;
        }
    }
    EXPECT_GT(redTop, 10);
    EXPECT_GT(blueBottom, 10);

    // The glow spreads translucent colour beyond the glyphs.
    auto translucent = [](std::uint32_t p) { return (p >> 24) > 0 && (p >> 24) < 200; };
    const auto glowing = paint({{u"enabledluminous", u"true"}, {u"luminousfuzzy", u"4"}});
    EXPECT_GT(CountPixels(*glowing, rect, translucent), CountPixels(*plain, rect, translucent) + 50);
}

TEST_F(LabelTest, EffectColoursNeverDrawPureBlack)
{
    const CUIRect rect{0, 0, 160, 50};
    auto paint = [&](const char16_t* second) {
        CLabelUI label;
        Place(label, rect);
        label.SetAttribute(u"font", u"1");
        label.SetAttribute(u"text", u"HHHH");
        label.SetAttribute(u"textcolor", u"#FF000000");
        label.SetAttribute(u"enabledeffect", u"true");
        label.SetAttribute(u"enabledstroke", u"true");
        label.SetAttribute(u"strokecolor", u"#FF000000");
        if (second)
            label.SetAttribute(u"textcolor1", second);
        auto canvas = std::make_unique<Canvas>(rect.right, rect.bottom);
        label.Paint(canvas->dc.get(), rect, nullptr);
        return canvas;
    };
    auto exact = [&](const Canvas& c, std::uint32_t color) {
        return CountPixels(c, rect, [color](std::uint32_t p) { return p == color; });
    };
    // A solid text colour, and a gradient that starts in black.
    for (const char16_t* second : {static_cast<const char16_t*>(nullptr), u"#FFFFFFFE"}) {
        const auto canvas = paint(second);
        EXPECT_EQ(exact(*canvas, 0xFF000000u), 0);
        EXPECT_GT(exact(*canvas, 0xFF000001u), 20);
    }
}

TEST_F(LabelTest, TextLinksAreReportedHoveredAndClicked)
{
    CTextUI text;
    Place(text, {0, 0, 300, 60});
    text.SetAttribute(u"showhtml", u"true");
    text.SetText(u"{a first}one{/a} and {a second}two{/a}");
    EXPECT_EQ(text.GetControlFlags(), 0u);
    Canvas canvas(300, 60);
    text.Paint(canvas.dc.get(), {0, 0, 300, 60}, nullptr);
    ASSERT_EQ(text.GetLinkCount(), 2);
    EXPECT_EQ(*text.GetLinkText(1), u"second");
    EXPECT_EQ(text.GetLinkText(2), nullptr);
    EXPECT_EQ(text.GetControlFlags(), CF_SETCURSOR);

    const CUIRect second = text.GetLinkRect(1);
    const CUIPoint inSecond{(second.left + second.right) / 2, (second.top + second.bottom) / 2};
    TUIEvent move = MakeEvent(EVT_MOUSE_MOVE, &text, inSecond);
    text.Event(move);
    EXPECT_EQ(text.GetHoverLink(), 1);

    // Leaving while the point is still on the link keeps the hover; a real leave clears it.
    TUIEvent leaveInside = MakeEvent(EVT_MOUSE_LEAVE, &text, inSecond);
    text.Event(leaveInside);
    EXPECT_EQ(text.GetHoverLink(), 1);
    TUIEvent leave = MakeEvent(EVT_MOUSE_LEAVE, &text, {299, 59});
    text.Event(leave);
    EXPECT_EQ(text.GetHoverLink(), -1);

    TUIEvent cursor = MakeEvent(EVT_SET_CURSOR, &text, inSecond);
    text.Event(cursor);
    EXPECT_EQ(windows->SetCursor(nullptr), windows->LoadCursor(nullptr, IDC_HAND));

    TUIEvent up = MakeEvent(EVT_BUTTON_UP, &text, inSecond);
    text.Event(up);
    ASSERT_EQ(notes.Count(u"link"), 1);
    EXPECT_EQ(notes.seen.back().wParam, 1u);

    // Plain text has no links; a disabled control sends nothing.
    text.SetEnabled(false);
    text.Event(up);
    EXPECT_EQ(notes.Count(u"link"), 1);
    text.SetShowHtml(false);
    text.Paint(canvas.dc.get(), {0, 0, 300, 60}, nullptr);
    EXPECT_EQ(text.GetLinkCount(), 0);
}
