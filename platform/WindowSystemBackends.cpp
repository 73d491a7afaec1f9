// Choosing the window backend: TVU_PLATFORM = sdl or headless; without it SDL when a display is
// available, else headless. A requested SDL that cannot start falls back to headless.
#include "platform/WindowSystem.h"

#include "platform/headless/HeadlessBackend.h"
#include "platform/sdl/SdlBackend.h"

#include <cstdlib>
#include <string>

namespace platform {

std::unique_ptr<IWindowBackend> WindowSystem::CreateDefaultBackend()
{
    const char* env = std::getenv("TVU_PLATFORM");
    const std::string choice = env ? env : "";
    if (choice != "headless") {
        const char* display = std::getenv("DISPLAY");
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        const bool haveDisplay = (display && *display) || (wayland && *wayland);
        if (choice == "sdl" || haveDisplay) {
            if (auto sdl = CreateSdlBackend())
                return sdl;
        }
    }
    return std::make_unique<HeadlessBackend>();
}

} // namespace platform
