// The message box this program draws itself, the same on every desktop: its buttons by box type,
// where text, icon and buttons go, its picture over a DeviceContext, and what its keys and clicks do.
// The backends give it a window and an event loop (platform/sdl, platform/win32).
//
// Focus and the default button move together, as in the desktop's own dialogs: the button with the
// focus ring is the one Enter answers, so what the user sees highlighted is what Enter confirms.
#pragma once

#include "platform/Win32Defs.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class DeviceContext;

struct MessageBoxButton
{
    int id;
    const char* label;
};

// The buttons of an MB_* box type, in order, with the one Enter answers and the answer that Escape
// or closing the box gives. Both SDL's box and the drawn one are built from this.
struct MessageBoxChoices
{
    std::vector<MessageBoxButton> buttons;
    std::size_t defaultIndex = 0;
    int dismissId = IDCANCEL;
};

MessageBoxChoices MessageBoxChoicesFor(UINT type);

enum class MessageBoxIcon
{
    None,
    Error,
    Warning,
};

MessageBoxIcon MessageBoxIconFor(UINT type);

struct DrawnMessageBox
{
    std::string title; // UTF-8, used as is for the window title
    std::string text;  // UTF-8
    MessageBoxIcon icon = MessageBoxIcon::None;
    MessageBoxChoices choices;
    double scale = 1.0; // device pixels per logical pixel of the layout below
};

// Where everything goes in the box's window, in logical window pixels (the window and its picture
// are round(size × scale) device pixels large).
struct MessageBoxLayout
{
    int width = 0, height = 0;
    struct Box
    {
        int x = 0, y = 0, width = 0, height = 0;
        bool Contains(int px, int py) const { return px >= x && py >= y && px < x + width && py < y + height; }
    };
    Box icon; // empty without an icon
    Box text; // the wrapped message
    int footerTop = 0;
    std::vector<Box> buttons; // one per choice, same order

    // The button under a logical point.
    std::optional<std::size_t> ButtonAt(int x, int y) const;
};

// Measures the box's text with the system sans face and places icon, text and buttons.
MessageBoxLayout LayOutMessageBox(const DrawnMessageBox& box);

// The keys the box acts on, whatever the desktop calls them.
enum class MessageBoxKey
{
    Enter,    // Return, keypad Enter, Space: the focused button
    Escape,   // the dismiss answer
    Next,     // Tab, Right
    Previous, // Shift+Tab, Left
};

// What the user has done to the box so far: focus, hover and a pressed button.
struct MessageBoxState
{
    std::size_t focus = 0;
    std::optional<std::size_t> hover;
    std::optional<std::size_t> pressed;

    static MessageBoxState Initial(const MessageBoxChoices& choices);
    // A key: the answer it gives, or none when it only moves the focus (or does nothing).
    std::optional<int> Press(MessageBoxKey key, const MessageBoxChoices& choices);
    // The left button pressed and released at logical points: a click counts only when released over
    // the button it was pressed on. Return whether the picture changed / the answer.
    bool PointerDown(const MessageBoxLayout& layout, int x, int y);
    std::optional<int> PointerUp(const MessageBoxLayout& layout, const MessageBoxChoices& choices, int x, int y);
    // The pointer moved to a logical point (or left the box: nullopt); whether the picture changed.
    bool PointerAt(const MessageBoxLayout& layout, std::optional<std::pair<int, int>> at);
};

// Paints the whole box into a context whose logical size is the layout's (its scale set to the
// box's). The text goes straight into the context's pixels in the system sans face.
void PaintMessageBox(DeviceContext& dc, const DrawnMessageBox& box, const MessageBoxLayout& layout,
                     const MessageBoxState& state);

} // namespace platform
