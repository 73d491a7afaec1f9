// The window backends of a Windows build. Real top-level windows come with the Win32 window
// backend, which will go first in this table; until then windows live in memory.
#include "platform/WindowBackends.h"

#include "platform/headless/HeadlessBackend.h"

namespace platform {

namespace {

bool Always()
{
    return true;
}

std::unique_ptr<IWindowBackend> CreateHeadless()
{
    return std::make_unique<HeadlessBackend>();
}

const WindowBackendEntry kBackends[] = {
    {"headless", Always, CreateHeadless},
};

} // namespace

std::span<const WindowBackendEntry> WindowBackends()
{
    return kBackends;
}

} // namespace platform
