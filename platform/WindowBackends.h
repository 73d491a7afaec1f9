// The table of window backends a build has, and the choice among them. Each operating system's
// build supplies its table (platform/backends/); the core only chooses from it, so it names no
// backend itself.
#pragma once

#include "platform/WindowBackend.h"

#include <memory>
#include <span>
#include <string_view>

namespace platform {

struct WindowBackendEntry
{
    const char* name;
    // Whether the backend can work here when nobody asked for it by name (a display is there).
    bool (*available)();
    // A started backend, or null when it cannot start.
    std::unique_ptr<IWindowBackend> (*create)();
};

// This build's window backends, in order of preference; the last one should always start.
std::span<const WindowBackendEntry> WindowBackends();

// The backend `requested` names is tried first, whether or not it reports itself available; then
// every available one in table order. The first that starts wins; null when none does.
std::unique_ptr<IWindowBackend> ChooseWindowBackend(std::span<const WindowBackendEntry> table,
                                                    std::string_view requested);

} // namespace platform
