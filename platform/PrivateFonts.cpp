// The registry of private fonts that every drawing backend shares: ids, family names, removal of
// one or all. Loading, withdrawing and forgetting matched fonts are the backend's
// (PrivateFontBackend.h).
#include "platform/PrivateFonts.h"

#include <map>
#include <memory>
#include <mutex>

#include "platform/PrivateFontBackend.h"

namespace platform {

namespace {

struct Registry
{
    std::mutex mutex;
    std::map<FontResource, std::unique_ptr<LoadedPrivateFont>> fonts;
    FontResource next = 1;
};

Registry& GetRegistry()
{
    // Destroyed at exit, which withdraws what is still added (fonts the backend keeps on disk).
    static Registry registry;
    return registry;
}

void Changed(const Registry& registry, bool withdrawn)
{
    std::vector<const LoadedPrivateFont*> remaining;
    remaining.reserve(registry.fonts.size());
    for (const auto& [id, font] : registry.fonts)
        remaining.push_back(font.get());
    ForgetPrivateFontMatches(remaining, withdrawn);
}

FontResource Keep(Registry& registry, std::unique_ptr<LoadedPrivateFont> font)
{
    if (!font || font->families.empty())
        return 0;
    const FontResource id = registry.next++;
    registry.fonts.emplace(id, std::move(font));
    Changed(registry, false);
    return id;
}

} // namespace

FontResource AddPrivateFontFile(const std::filesystem::path& path)
{
    Registry& registry = GetRegistry();
    std::lock_guard lock(registry.mutex);
    return Keep(registry, LoadPrivateFontFile(path));
}

FontResource AddPrivateFontData(const void* data, std::size_t size)
{
    if (!data || size == 0)
        return 0;
    Registry& registry = GetRegistry();
    std::lock_guard lock(registry.mutex);
    return Keep(registry, LoadPrivateFontData(data, size));
}

bool RemovePrivateFont(FontResource resource)
{
    Registry& registry = GetRegistry();
    std::lock_guard lock(registry.mutex);
    auto it = registry.fonts.find(resource);
    if (it == registry.fonts.end())
        return false;
    registry.fonts.erase(it);
    Changed(registry, true);
    return true;
}

void RemoveAllPrivateFonts()
{
    Registry& registry = GetRegistry();
    std::lock_guard lock(registry.mutex);
    if (registry.fonts.empty())
        return;
    registry.fonts.clear();
    Changed(registry, true);
}

std::vector<std::u16string> PrivateFontFamilies(FontResource resource)
{
    Registry& registry = GetRegistry();
    std::lock_guard lock(registry.mutex);
    auto it = registry.fonts.find(resource);
    return it == registry.fonts.end() ? std::vector<std::u16string>{} : it->second->families;
}

} // namespace platform
