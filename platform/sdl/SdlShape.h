// Window shapes for SDL windows on X11 (the shape extension); other video drivers keep rectangles.
#pragma once

#include "platform/WindowRegion.h"

#include <optional>

struct SDL_Window;

namespace platform {

// Applies the region (window coordinates) to the window; nullopt restores the rectangle. False when
// the video driver cannot shape windows.
bool ApplySdlWindowShape(SDL_Window* window, const std::optional<WindowRegion>& region, int width, int height);

} // namespace platform
