// Choosing the window backend: the one TVU_PLATFORM names, else the first of the table that is
// available here and starts.
#include "platform/WindowBackends.h"

#include "platform/WindowSystem.h"

#include <cstdlib>

namespace platform {

std::unique_ptr<IWindowBackend> ChooseWindowBackend(std::span<const WindowBackendEntry> table,
                                                    std::string_view requested)
{
    const WindowBackendEntry* tried = nullptr;
    for (const WindowBackendEntry& entry : table) {
        if (!requested.empty() && requested == entry.name) {
            if (auto backend = entry.create())
                return backend;
            tried = &entry;
        }
    }
    for (const WindowBackendEntry& entry : table) {
        if (&entry == tried || !entry.available())
            continue;
        if (auto backend = entry.create())
            return backend;
    }
    return nullptr;
}

std::unique_ptr<IWindowBackend> WindowSystem::CreateDefaultBackend()
{
    const char* requested = std::getenv("TVU_PLATFORM");
    return ChooseWindowBackend(WindowBackends(), requested != nullptr ? requested : "");
}

} // namespace platform
