// The drawn message box in an SDL window: the picture painted over the platform's DeviceContext
// and copied into the window's surface, and a modal event loop of its own.
#include "platform/sdl/SdlDrawnMessageBox.h"

#include "platform/DeviceContext.h"
#include "platform/Geometry.h"
#include "platform/Surface.h"
#include "platform/sdl/SdlX11.h"

#include <SDL.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

namespace platform {

namespace {

struct WindowFree
{
    void operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
};
using WindowPtr = std::unique_ptr<SDL_Window, WindowFree>;

// Copies the picture (native-endian ARGB, opaque) into whatever format the window surface has.
void Present(SDL_Window* window, const PixelBuffer& picture)
{
    SDL_Surface* target = SDL_GetWindowSurface(window);
    if (!target || picture.IsEmpty())
        return;
    const int width = std::min(picture.width, target->w);
    const int height = std::min(picture.height, target->h);
    SDL_LockSurface(target);
    SDL_ConvertPixels(width, height, SDL_PIXELFORMAT_ARGB8888, picture.pixels, picture.stride, target->format->format,
                      target->pixels, target->pitch);
    SDL_UnlockSurface(target);
    SDL_UpdateWindowSurface(window);
}

// The window an event belongs to, or 0 for events of no window.
Uint32 EventWindow(const SDL_Event& e)
{
    switch (e.type) {
    case SDL_WINDOWEVENT:
        return e.window.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        return e.key.windowID;
    case SDL_TEXTINPUT:
        return e.text.windowID;
    case SDL_TEXTEDITING:
        return e.edit.windowID;
    case SDL_MOUSEMOTION:
        return e.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        return e.button.windowID;
    case SDL_MOUSEWHEEL:
        return e.wheel.windowID;
    default:
        return 0;
    }
}

// Centred on the owner and kept on the owner's monitor, or centred on the screen without an owner.
SDL_Point Placement(SDL_Window* owner, int width, int height)
{
    if (!owner)
        return SDL_Point{int(SDL_WINDOWPOS_CENTERED), int(SDL_WINDOWPOS_CENTERED)};
    int ox = 0, oy = 0, ow = 0, oh = 0;
    SDL_GetWindowPosition(owner, &ox, &oy);
    SDL_GetWindowSize(owner, &ow, &oh);
    SDL_Point at{ox + (ow - width) / 2, oy + (oh - height) / 2};
    SDL_Rect usable;
    const int display = SDL_GetWindowDisplayIndex(owner);
    if (display >= 0 && SDL_GetDisplayUsableBounds(display, &usable) == 0) {
        at.x = std::clamp(at.x, usable.x, std::max(usable.x, usable.x + usable.w - width));
        at.y = std::clamp(at.y, usable.y, std::max(usable.y, usable.y + usable.h - height));
    }
    return at;
}

// Sleeps until the X server or another thread has news, or until the next timer is due. Not SDL's
// own wait: while SDL waits it may aim a wake-up message at the newest window, which is this box,
// from a second X connection. Destroyed the moment an answer arrives, the box can be gone before
// the X server delivers that message, and the resulting BadWindow error ends the whole process.
void SleepUntilNews(SDL_Window* window, const DrawnBoxSleep& sleep)
{
    const SdlX11Connection x11 = SdlX11ConnectionOf(window);
    if (x11.socket < 0) {
        SDL_Delay(5); // only SDL can tell when something comes
        return;
    }
    SdlX11SleepForNews(x11, sleep.wakeFd, sleep.millisecondsToNextTimer ? sleep.millisecondsToNextTimer() : -1);
}

} // namespace

int ShowDrawnMessageBox(const DrawnMessageBox& box, SDL_Surface* windowIcon, SDL_Window* owner,
                        const std::function<void(const SDL_Event&)>& otherEvent, const std::function<void()>& whileOpen,
                        const DrawnBoxSleep& sleep)
{
    const MessageBoxChoices& choices = box.choices;
    if (choices.buttons.empty())
        return choices.dismissId;
    const MessageBoxLayout layout = LayOutMessageBox(box);
    const double scale = SaneScale(box.scale);
    const int deviceWidth = ScaleEdge(layout.width, scale), deviceHeight = ScaleEdge(layout.height, scale);
    const SDL_Point at = Placement(owner, deviceWidth, deviceHeight);
    Surface picture = Surface::Create(deviceWidth, deviceHeight);
    DeviceContext dc(picture);
    if (!picture.IsValid() || !dc.IsValid())
        return choices.dismissId;
    // Drawn in logical pixels, sharp at the device resolution.
    dc.SetScale(scale);
    WindowPtr window(SDL_CreateWindow(box.title.c_str(), at.x, at.y, deviceWidth, deviceHeight, SDL_WINDOW_HIDDEN));
    if (!window)
        return choices.dismissId;
    if (owner)
        SDL_SetWindowModalFor(window.get(), owner);
    if (windowIcon)
        SDL_SetWindowIcon(window.get(), windowIcon);
    // Before it is mapped, so that the desktop decorates it as a dialog from the start.
    MarkSdlWindowAsDialog(window.get());
    SDL_ShowWindow(window.get());
    // Showing may rewrite the hints (SDL keeps its own idea of the border), so they are set again;
    // the desktop rereads them when they change.
    MarkSdlWindowAsDialog(window.get());
    SDL_RaiseWindow(window.get());
    // Where no window manager hands out the keyboard, the box takes it itself.
    SDL_SetWindowInputFocus(window.get());
    const Uint32 id = SDL_GetWindowID(window.get());

    MessageBoxState state = MessageBoxState::Initial(choices);
    const auto repaint = [&] {
        PaintMessageBox(dc, box, layout, state);
        Present(window.get(), dc.Pixels());
    };
    repaint();

    std::optional<int> answer;
    while (!answer) {
        // Polled, then slept on (see SleepUntilNews), never waited for through SDL.
        SDL_Event e;
        if (!SDL_PollEvent(&e)) {
            if (whileOpen)
                whileOpen();
            SleepUntilNews(window.get(), sleep);
            continue;
        }
        // Keys reach the box from any of our windows: without a window manager the keyboard may
        // still sit on the owner, and the owner must not act on them anyway.
        if (e.type == SDL_KEYDOWN) {
            // A key held down since before the box opened must not answer it by repeating.
            const bool fresh = e.key.repeat == 0;
            std::optional<MessageBoxKey> key;
            switch (e.key.keysym.sym) {
            case SDLK_RETURN:
            case SDLK_KP_ENTER:
            case SDLK_SPACE:
                if (fresh)
                    key = MessageBoxKey::Enter;
                break;
            case SDLK_ESCAPE:
                if (fresh)
                    key = MessageBoxKey::Escape;
                break;
            case SDLK_TAB:
                key = (e.key.keysym.mod & KMOD_SHIFT) ? MessageBoxKey::Previous : MessageBoxKey::Next;
                break;
            case SDLK_RIGHT:
                key = MessageBoxKey::Next;
                break;
            case SDLK_LEFT:
                key = MessageBoxKey::Previous;
                break;
            default:
                break;
            }
            if (key) {
                answer = state.Press(*key, choices);
                if (!answer)
                    repaint();
            }
            continue;
        }
        if (EventWindow(e) != id) {
            otherEvent(e);
            continue;
        }
        switch (e.type) {
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
                answer = choices.dismissId;
            } else if (e.window.event == SDL_WINDOWEVENT_LEAVE) {
                if (state.PointerAt(layout, std::nullopt))
                    repaint();
            } else if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SHOWN ||
                       e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                repaint();
            }
            break;
        case SDL_MOUSEMOTION:
            if (state.PointerAt(layout,
                                std::pair{UnscaleCoordinate(e.motion.x, scale), UnscaleCoordinate(e.motion.y, scale)}))
                repaint();
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (e.button.button == SDL_BUTTON_LEFT) {
                state.PointerDown(layout, UnscaleCoordinate(e.button.x, scale), UnscaleCoordinate(e.button.y, scale));
                repaint();
            }
            break;
        case SDL_MOUSEBUTTONUP:
            if (e.button.button == SDL_BUTTON_LEFT) {
                answer = state.PointerUp(layout, choices, UnscaleCoordinate(e.button.x, scale),
                                         UnscaleCoordinate(e.button.y, scale));
                repaint();
            }
            break;
        default:
            break;
        }
    }

    window.reset();
    // Input already queued for the box (the release of the answering key) must not land on the owner.
    SDL_PumpEvents();
    Uint32 gone = id;
    SDL_FilterEvents([](void* data, SDL_Event* e) { return EventWindow(*e) == *static_cast<Uint32*>(data) ? 0 : 1; },
                     &gone);
    if (owner && (SDL_GetWindowFlags(owner) & SDL_WINDOW_SHOWN))
        SDL_RaiseWindow(owner);
    return *answer;
}

} // namespace platform
