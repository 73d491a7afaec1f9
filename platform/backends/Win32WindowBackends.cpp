// The window backends of a Windows build: real top-level windows when the process has a desktop
// to show them on (or TVU_PLATFORM=win32 asks for them), else windows in memory.
#include "platform/WindowBackends.h"

#include "platform/headless/HeadlessBackend.h"
#include "platform/win32/Win32WindowBackend.h"

namespace platform {

namespace {

bool Always()
{
    return true;
}

std::unique_ptr<IWindowBackend> CreateWin32()
{
    return CreateWin32WindowBackend();
}

std::unique_ptr<IWindowBackend> CreateHeadless()
{
    return std::make_unique<HeadlessBackend>();
}

const WindowBackendEntry kBackends[] = {
    {"win32", HaveWin32Desktop, CreateWin32},
    {"headless", Always, CreateHeadless},
};

} // namespace

std::span<const WindowBackendEntry> WindowBackends()
{
    return kBackends;
}

} // namespace platform
