// The native window's input messages as the window system's raw input events.
#pragma once

#include "platform/WindowBackend.h"

#include <optional>

namespace platform::win32_impl {

// What the translation keeps between messages of one native window.
struct InputState
{
    bool trackingLeave = false;   // TrackMouseEvent(TME_LEAVE) asked for since the pointer came in
    bool trackingNcLeave = false; // the same over the caption and borders (TME_NONCLIENT)
    char16_t highSurrogate = 0;   // the first half of a character that comes in two WM_CHARs
};

// The event a mouse, key or character message of the native window `hwnd` stands for, reported
// for the window system's window `model`; nullopt for other messages and for those that carry
// nothing the window system takes (control characters, which it makes from the keys itself).
std::optional<InputEvent> TranslateInput(HWND model, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                         InputState& state);

// Whether a WM_NCHITTEST answer is one the desktop moves or sizes the window for.
bool IsDesktopDragHit(LRESULT hit);

} // namespace platform::win32_impl
