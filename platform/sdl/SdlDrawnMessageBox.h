// The drawn message box (platform/DrawnMessageBox.h) in an SDL window, the same on every X11 and
// Wayland desktop: the owner's icon, no minimise or maximise, centred on its owner, the keyboard on
// open, Tab and Shift+Tab between the buttons, Return for the focused one and Escape for dismissal.
#pragma once

#include "platform/DrawnMessageBox.h"

#include <functional>

union SDL_Event;
struct SDL_Surface;
struct SDL_Window;

namespace platform {

// How the box's loop sleeps when no event waits. On X11 it sleeps on the server's socket and on
// wakeFd (readable once another thread has posted; drained here) for at most
// millisecondsToNextTimer() (-1: no limit), the time until whileOpen has work again. Elsewhere it
// looks for events every 5 ms.
struct DrawnBoxSleep
{
    std::function<int()> millisecondsToNextTimer;
    int wakeFd = -1;
};

// Shows the box modally, above and centred on owner (the screen's centre without one), and runs its
// own event loop until it is answered. Events of other windows go to otherEvent, which must not hand
// their input on: the owner stays inert while the question is open. windowIcon (the owner's, not
// owned) goes into the title bar. Returns the chosen button's id, or the dismiss answer when the
// window cannot be made.
int ShowDrawnMessageBox(const DrawnMessageBox& box, SDL_Surface* windowIcon, SDL_Window* owner,
                        const std::function<void(const SDL_Event&)>& otherEvent,
                        const std::function<void()>& whileOpen = {}, const DrawnBoxSleep& sleep = {});

} // namespace platform
