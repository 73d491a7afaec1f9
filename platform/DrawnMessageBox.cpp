// The drawn message box's choices, layout, picture and behaviour, over the portable drawing layer.
#include "platform/DrawnMessageBox.h"

#include "platform/DeviceContext.h"
#include "platform/SystemText.h"
#include "platform/TextEncoding.h"

#include <algorithm>
#include <cmath>

namespace platform {

MessageBoxChoices MessageBoxChoicesFor(UINT type)
{
    MessageBoxChoices choices;
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        choices.buttons = {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
        break;
    case MB_ABORTRETRYIGNORE:
        choices.buttons = {{IDABORT, "Abort"}, {IDRETRY, "Retry"}, {IDIGNORE, "Ignore"}};
        break;
    case MB_YESNOCANCEL:
        choices.buttons = {{IDYES, "Yes"}, {IDNO, "No"}, {IDCANCEL, "Cancel"}};
        break;
    case MB_YESNO:
        choices.buttons = {{IDYES, "Yes"}, {IDNO, "No"}};
        break;
    case MB_RETRYCANCEL:
        choices.buttons = {{IDRETRY, "Retry"}, {IDCANCEL, "Cancel"}};
        break;
    default:
        choices.buttons = {{IDOK, "OK"}};
        break;
    }
    // Without a Cancel button, closing the box gives the last (most cautious) answer.
    const bool hasCancel = std::any_of(choices.buttons.begin(), choices.buttons.end(),
                                       [](const MessageBoxButton& b) { return b.id == IDCANCEL; });
    choices.dismissId = hasCancel ? IDCANCEL : choices.buttons.back().id;
    choices.defaultIndex = (type & MB_DEFBUTTON2) && choices.buttons.size() > 1 ? 1 : 0;
    return choices;
}

MessageBoxIcon MessageBoxIconFor(UINT type)
{
    switch (type & MB_ICONMASK) {
    case MB_ICONERROR:
        return MessageBoxIcon::Error;
    case MB_ICONWARNING:
        return MessageBoxIcon::Warning;
    default:
        return MessageBoxIcon::None;
    }
}

namespace {

constexpr int kWrapWidth = 400;
constexpr int kPadding = 20;
constexpr int kIconSize = 32;
constexpr int kIconGap = 14;
constexpr int kTextPixels = 13;
constexpr int kButtonHeight = 28;
constexpr int kButtonMinWidth = 84;
constexpr int kButtonTextPadding = 16;
constexpr int kButtonGap = 8;
constexpr int kFooterPadding = 12;
constexpr int kMinWidth = 260;
constexpr int kButtonCorner = 8; // ellipse size of the buttons' corners

constexpr std::uint32_t kBody = 0xFFFFFFFF;
constexpr std::uint32_t kFooter = 0xFFF0F0F0;
constexpr std::uint32_t kSeparator = 0xFFDEDEDE;
constexpr std::uint32_t kButtonFace = 0xFFFCFCFC;
constexpr std::uint32_t kButtonHover = 0xFFE6F2FC;
constexpr std::uint32_t kButtonPressed = 0xFFCCE3F7;
constexpr std::uint32_t kButtonBorder = 0xFFADADAD;
constexpr std::uint32_t kAccent = 0xFF0078D6;
constexpr std::uint32_t kErrorRed = 0xFFD12E29;
constexpr std::uint32_t kWarningAmber = 0xFFF5BA1A;
constexpr std::uint32_t kMarkDark = 0xFF262626;

SIZE TextSize(const std::string& text, int wrapWidth)
{
    return MeasureSystemText(Utf8ToUtf16(text), kTextPixels, wrapWidth);
}

// A dot of the given diameter: a round-capped line too short to see as one.
void Dot(DeviceContext& dc, double x, double y, double diameter, std::uint32_t argb)
{
    dc.DrawLineAA({x - 0.01, y}, {x + 0.01, y}, diameter, argb, LineCap::Round);
}

void PaintIcon(DeviceContext& dc, MessageBoxIcon icon, const MessageBoxLayout::Box& at)
{
    const double cx = at.x + at.width / 2.0, cy = at.y + at.height / 2.0, r = at.width / 2.0;
    if (icon == MessageBoxIcon::Error) {
        Dot(dc, cx, cy, 2 * r, kErrorRed);
        const double d = r * 0.38;
        dc.DrawLineAA({cx - d, cy - d}, {cx + d, cy + d}, 3, 0xFFFFFFFF, LineCap::Round);
        dc.DrawLineAA({cx + d, cy - d}, {cx - d, cy + d}, 3, 0xFFFFFFFF, LineCap::Round);
    } else if (icon == MessageBoxIcon::Warning) {
        // A triangle with rounded corners: its inside row by row, its edges as round-capped strokes
        // that cover the steps of the rows.
        const PointF top{cx, at.y + 2.0}, right{at.x + at.width - 2.0, at.y + at.height - 3.0},
            left{at.x + 2.0, at.y + at.height - 3.0};
        Region inside;
        for (int y = int(top.y); y < int(left.y); ++y) {
            const double t = (y + 0.5 - top.y) / (left.y - top.y), half = t * (right.x - left.x) / 2;
            inside = inside.Union(Rect{int(std::lround(cx - half)), y, int(std::lround(cx + half)), y + 1});
        }
        dc.FillRegion(inside, kWarningAmber);
        dc.DrawLineAA(top, right, 4, kWarningAmber, LineCap::Round);
        dc.DrawLineAA(right, left, 4, kWarningAmber, LineCap::Round);
        dc.DrawLineAA(left, top, 4, kWarningAmber, LineCap::Round);
        dc.DrawLineAA({cx, at.y + 11.0}, {cx, at.y + 20.0}, 3, kMarkDark, LineCap::Round);
        Dot(dc, cx, at.y + 25.5, 3.6, kMarkDark);
    }
}

Rect ToRect(const MessageBoxLayout::Box& b)
{
    return Rect{b.x, b.y, b.x + b.width, b.y + b.height};
}

} // namespace

std::optional<std::size_t> MessageBoxLayout::ButtonAt(int x, int y) const
{
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i].Contains(x, y))
            return i;
    return std::nullopt;
}

MessageBoxLayout LayOutMessageBox(const DrawnMessageBox& box)
{
    MessageBoxLayout layout;
    const SIZE text = TextSize(box.text, kWrapWidth);
    int textLeft = kPadding;
    int contentHeight = text.cy;
    if (box.icon != MessageBoxIcon::None) {
        layout.icon = {kPadding, kPadding, kIconSize, kIconSize};
        textLeft += kIconSize + kIconGap;
        contentHeight = std::max(contentHeight, kIconSize);
    }
    // Text shorter than the icon sits level with the icon's middle.
    layout.text = {textLeft, kPadding + (contentHeight - text.cy) / 2, text.cx, text.cy};

    std::vector<int> widths;
    int rowWidth = 0;
    for (const MessageBoxButton& button : box.choices.buttons) {
        const int labelWidth = TextSize(button.label, 0).cx;
        widths.push_back(std::max(kButtonMinWidth, labelWidth + 2 * kButtonTextPadding));
        rowWidth += widths.back() + (widths.size() > 1 ? kButtonGap : 0);
    }
    layout.footerTop = kPadding + contentHeight + kPadding;
    layout.width = std::max({kMinWidth, textLeft + int(text.cx) + kPadding, rowWidth + 2 * kPadding});
    layout.height = layout.footerTop + 2 * kFooterPadding + kButtonHeight;
    // Buttons sit at the right of the footer, in the order of the choices.
    int x = layout.width - kPadding - rowWidth;
    for (int width : widths) {
        layout.buttons.push_back({x, layout.footerTop + kFooterPadding, width, kButtonHeight});
        x += width + kButtonGap;
    }
    return layout;
}

MessageBoxState MessageBoxState::Initial(const MessageBoxChoices& choices)
{
    MessageBoxState state;
    state.focus = choices.buttons.empty() ? 0 : std::min(choices.defaultIndex, choices.buttons.size() - 1);
    return state;
}

std::optional<int> MessageBoxState::Press(MessageBoxKey key, const MessageBoxChoices& choices)
{
    const std::size_t count = choices.buttons.size();
    if (count == 0)
        return choices.dismissId;
    switch (key) {
    case MessageBoxKey::Enter:
        return choices.buttons[std::min(focus, count - 1)].id;
    case MessageBoxKey::Escape:
        return choices.dismissId;
    case MessageBoxKey::Next:
        focus = (focus + 1) % count;
        break;
    case MessageBoxKey::Previous:
        focus = (focus + count - 1) % count;
        break;
    }
    return std::nullopt;
}

bool MessageBoxState::PointerDown(const MessageBoxLayout& layout, int x, int y)
{
    hover = pressed = layout.ButtonAt(x, y);
    if (pressed)
        focus = *pressed;
    return true;
}

std::optional<int> MessageBoxState::PointerUp(const MessageBoxLayout& layout, const MessageBoxChoices& choices, int x,
                                              int y)
{
    std::optional<int> answer;
    if (pressed && layout.ButtonAt(x, y) == pressed && *pressed < choices.buttons.size())
        answer = choices.buttons[*pressed].id;
    pressed.reset();
    return answer;
}

bool MessageBoxState::PointerAt(const MessageBoxLayout& layout, std::optional<std::pair<int, int>> at)
{
    const std::optional<std::size_t> now = at ? layout.ButtonAt(at->first, at->second) : std::nullopt;
    if (now == hover)
        return false;
    hover = now;
    return true;
}

void PaintMessageBox(DeviceContext& dc, const DrawnMessageBox& box, const MessageBoxLayout& layout,
                     const MessageBoxState& state)
{
    dc.ResetClip();
    dc.FillSolid(Rect{0, 0, layout.width, layout.height}, kBody);
    dc.FillSolid(Rect{0, layout.footerTop, layout.width, layout.height}, kFooter);
    dc.FillSolid(Rect{0, layout.footerTop, layout.width, layout.footerTop + 1}, kSeparator);
    PaintIcon(dc, box.icon, layout.icon);

    for (std::size_t i = 0; i < layout.buttons.size(); ++i) {
        const Rect b = ToRect(layout.buttons[i]);
        const bool focused = i == state.focus;
        const std::uint32_t face = state.pressed == i && state.hover == i ? kButtonPressed
                                   : state.hover == i                     ? kButtonHover
                                                                          : kButtonFace;
        dc.FillRegion(
            Region::FromRoundRect(Rect{b.left, b.top, b.right + 1, b.bottom + 1}, kButtonCorner, kButtonCorner), face);
        const Pen border{PS_SOLID, 1, focused ? kAccent : kButtonBorder};
        dc.DrawRoundRect(Rect{b.left, b.top, b.right - 1, b.bottom - 1}, kButtonCorner, kButtonCorner, border);
        if (focused) {
            // The focus ring doubles the border inside, so it stays visible on any background.
            dc.DrawRoundRect(Rect{b.left + 1, b.top + 1, b.right - 2, b.bottom - 2}, kButtonCorner - 2,
                             kButtonCorner - 2, border);
        }
    }

    // The text in device pixels, at the size the scale gives, so that it is as sharp as the shapes.
    const double scale = dc.Scale();
    const PixelBuffer pixels = dc.Pixels();
    const int size = std::max(1, int(std::lround(kTextPixels * scale)));
    DrawSystemText(pixels, Utf8ToUtf16(box.text), size, ScaleEdge(kWrapWidth, scale),
                   POINT{ScaleEdge(layout.text.x, scale), ScaleEdge(layout.text.y, scale)});
    for (std::size_t i = 0; i < layout.buttons.size() && i < box.choices.buttons.size(); ++i) {
        const std::u16string label = Utf8ToUtf16(box.choices.buttons[i].label);
        const SIZE measured = MeasureSystemText(label, size, 0);
        const Rect b = ScaleRect(ToRect(layout.buttons[i]), scale);
        DrawSystemText(pixels, label, size, 0,
                       POINT{b.left + (b.Width() - measured.cx) / 2, b.top + (b.Height() - measured.cy) / 2});
    }
}

} // namespace platform
