// Private fonts are fontconfig application fonts. Fontconfig only adds fonts from files, so font
// data from memory is written to a private temporary folder first; fontconfig cannot drop a single
// application font either, so removing one clears them all and adds the others back.
#include "platform/PrivateFonts.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>

namespace platform {

namespace {

struct Entry
{
    std::string path;
    bool temporary = false; // written by us from memory; deleted on removal
    std::vector<std::u16string> families;
};

struct Registry
{
    std::mutex mutex;
    std::map<FontResource, Entry> entries;
    FontResource next = 1;
    std::string folder; // created on first use for fonts from memory

    ~Registry()
    {
        // Fonts from memory must not outlive the process on disk.
        for (auto& [id, entry] : entries)
            if (entry.temporary)
                unlink(entry.path.c_str());
        if (!folder.empty())
            rmdir(folder.c_str());
    }
};

Registry& GetRegistry()
{
    static Registry registry;
    return registry;
}

std::u16string Widen(const char* utf8)
{
    // Family names: decode UTF-8 to UTF-16.
    std::u16string out;
    const auto* p = reinterpret_cast<const unsigned char*>(utf8);
    while (*p) {
        char32_t cp = *p;
        int extra = cp >= 0xF0 ? 3 : cp >= 0xE0 ? 2 : cp >= 0xC0 ? 1 : 0;
        cp = extra == 3 ? cp & 0x07 : extra == 2 ? cp & 0x0F : extra == 1 ? cp & 0x1F : cp;
        ++p;
        for (; extra > 0 && (*p & 0xC0) == 0x80; --extra, ++p)
            cp = (cp << 6) | (*p & 0x3F);
        if (cp >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

// The families of every face in the file; empty when fontconfig does not read it as a font.
std::vector<std::u16string> QueryFamilies(const std::string& path)
{
    std::vector<std::u16string> families;
    int faces = 1;
    for (int index = 0; index < faces; ++index) {
        FcPattern* pattern = FcFreeTypeQuery(reinterpret_cast<const FcChar8*>(path.c_str()),
                                             static_cast<unsigned>(index), nullptr, &faces);
        if (!pattern)
            break;
        FcChar8* family = nullptr;
        if (FcPatternGetString(pattern, FC_FAMILY, 0, &family) == FcResultMatch && family) {
            std::u16string name = Widen(reinterpret_cast<const char*>(family));
            bool known = false;
            for (const auto& f : families)
                known = known || f == name;
            if (!known)
                families.push_back(std::move(name));
        }
        FcPatternDestroy(pattern);
    }
    return families;
}

// Pango caches the font list per font map; tell this thread's map that the list changed.
void NotifyPango()
{
    PangoFontMap* map = pango_cairo_font_map_get_default();
    if (PANGO_IS_FC_FONT_MAP(map))
        pango_fc_font_map_config_changed(PANGO_FC_FONT_MAP(map));
}

FontResource AddLocked(Registry& registry, const std::string& path, bool temporary)
{
    std::vector<std::u16string> families = QueryFamilies(path);
    if (families.empty())
        return 0;
    if (!FcConfigAppFontAddFile(nullptr, reinterpret_cast<const FcChar8*>(path.c_str())))
        return 0;
    const FontResource id = registry.next++;
    registry.entries[id] = Entry{path, temporary, std::move(families)};
    NotifyPango();
    return id;
}

} // namespace

FontResource AddPrivateFontFile(const std::filesystem::path& path)
{
    // fontconfig takes UTF-8 file names.
    const std::u8string name = path.u8string();
    Registry& registry = GetRegistry();
    std::lock_guard lock(registry.mutex);
    return AddLocked(registry, std::string(name.begin(), name.end()), false);
}

FontResource AddPrivateFontData(const void* data, std::size_t size)
{
    if (!data || size == 0)
        return 0;
    Registry& registry = GetRegistry();
    std::lock_guard lock(registry.mutex);
    if (registry.folder.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tvu-fonts-XXXXXX";
        if (!mkdtemp(pattern.data()))
            return 0;
        registry.folder = pattern;
    }
    const std::string path = registry.folder + "/font-" + std::to_string(registry.next) + ".bin";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    const bool written = std::fwrite(data, 1, size, file) == size;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        unlink(path.c_str());
        return 0;
    }
    const FontResource id = AddLocked(registry, path, true);
    if (!id)
        unlink(path.c_str());
    return id;
}

bool RemovePrivateFont(FontResource resource)
{
    Registry& registry = GetRegistry();
    std::lock_guard lock(registry.mutex);
    auto it = registry.entries.find(resource);
    if (it == registry.entries.end())
        return false;
    if (it->second.temporary)
        unlink(it->second.path.c_str());
    registry.entries.erase(it);
    FcConfigAppFontClear(nullptr);
    for (const auto& [id, entry] : registry.entries)
        FcConfigAppFontAddFile(nullptr, reinterpret_cast<const FcChar8*>(entry.path.c_str()));
    NotifyPango();
    return true;
}

void RemoveAllPrivateFonts()
{
    Registry& registry = GetRegistry();
    std::lock_guard lock(registry.mutex);
    for (const auto& [id, entry] : registry.entries)
        if (entry.temporary)
            unlink(entry.path.c_str());
    const bool any = !registry.entries.empty();
    registry.entries.clear();
    if (any) {
        FcConfigAppFontClear(nullptr);
        NotifyPango();
    }
}

std::vector<std::u16string> PrivateFontFamilies(FontResource resource)
{
    Registry& registry = GetRegistry();
    std::lock_guard lock(registry.mutex);
    auto it = registry.entries.find(resource);
    return it == registry.entries.end() ? std::vector<std::u16string>{} : it->second.families;
}

} // namespace platform
