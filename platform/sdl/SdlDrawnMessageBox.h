// The message box this program draws itself in an SDL window, the same on every X11 and Wayland
// desktop: the owner's icon, no minimise or maximise, centred on its owner, the keyboard on open,
// Tab and Shift+Tab between the buttons, Return for the focused one and Escape for dismissal.
#pragma once

#include "platform/Win32Defs.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

union SDL_Event;
struct SDL_Surface;
struct SDL_Window;

namespace platform {

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
    SDL_Surface* windowIcon = nullptr; // the title bar's icon (the owner's); not owned
    double scale = 1.0;                // device pixels per logical pixel of the layout below
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
};

// Measures the box's text with the system sans face and places icon, text and buttons.
MessageBoxLayout LayOutMessageBox(const DrawnMessageBox& box);

// Shows the box modally, above and centred on owner (the screen's centre without one), and runs its
// own event loop until it is answered. Events of other windows go to otherEvent, which must not hand
// their input on: the owner stays inert while the question is open. Returns the chosen button's id,
// or the dismiss answer when the window cannot be made.
int ShowDrawnMessageBox(const DrawnMessageBox& box, SDL_Window* owner,
                        const std::function<void(const SDL_Event&)>& otherEvent,
                        const std::function<void()>& whileOpen = {});

} // namespace platform
