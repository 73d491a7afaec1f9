// The window backends of a Linux build: real windows through SDL when a display is there (or
// TVU_PLATFORM=sdl asks for them), else windows in memory.
#include "platform/WindowBackends.h"

#include "platform/headless/HeadlessBackend.h"
#include "platform/sdl/SdlBackend.h"

namespace platform {

namespace {

std::unique_ptr<IWindowBackend> CreateSdl()
{
    return CreateSdlBackend();
}

bool Always()
{
    return true;
}

std::unique_ptr<IWindowBackend> CreateHeadless()
{
    return std::make_unique<HeadlessBackend>();
}

const WindowBackendEntry kBackends[] = {
    {"sdl", HaveSdlDisplay, CreateSdl},
    {"headless", Always, CreateHeadless},
};

} // namespace

std::span<const WindowBackendEntry> WindowBackends()
{
    return kBackends;
}

} // namespace platform
