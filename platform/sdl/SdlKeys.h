// Mapping of SDL key codes to Win32 virtual-key codes.
#pragma once

#include "platform/Win32Defs.h"

#include <SDL.h>

namespace platform {

// 0 for keys without a virtual-key code.
UINT VirtualKeyFromSdl(SDL_Keycode key);

} // namespace platform
