// Private fonts over GDI: font data from memory through AddFontMemResourceEx (GDI keeps its own
// copy), font files through AddFontResourceExW with FR_PRIVATE, both seen by this process only.
// GDI does not tell which families it added, so they are read from the font's 'name' table.
#include "platform/PrivateFonts.h"

#include <atomic>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>

#include "platform/gdi/FontNames.h"
#include "platform/gdi/GdiShared.h"

namespace platform {

namespace {

struct Entry
{
    HANDLE memory = nullptr; // from AddFontMemResourceEx
    std::wstring path;       // from AddFontResourceExW
    std::vector<std::u16string> families;
};

struct Registry
{
    std::mutex mutex;
    std::map<FontResource, Entry> entries;
    FontResource next = 1;
};

Registry& GetRegistry()
{
    static Registry registry;
    return registry;
}

void Release(const Entry& entry)
{
    if (entry.memory)
        ::RemoveFontMemResourceEx(entry.memory);
    else
        ::RemoveFontResourceExW(entry.path.c_str(), FR_PRIVATE, nullptr);
}

std::atomic<unsigned> g_generation{0};

// After the font list changed, fonts asked for must be matched anew. Some implementations of GDI
// (Wine's) hand a new font the face matched for an earlier font of the same description, whether
// that one is still in use or only kept in a cache, so a face added privately would not be found
// under a name asked for before it was added, and a removed one would still be. Fonts made after
// the change differ from those before in their output precision (FontListGeneration), which no
// cached match shares; and matching a run of other descriptions pushes unused matches out of the
// cache.
void ForgetMatchedFonts()
{
    ++g_generation;
    HDC dc = gdi::MeasuringDc();
    if (!dc)
        return;
    for (int i = 0; i < 24; ++i) {
        LOGFONTW lf{};
        lf.lfHeight = -(1000 + i);
        lf.lfCharSet = DEFAULT_CHARSET;
        HFONT font = ::CreateFontIndirectW(&lf);
        if (!font)
            continue;
        {
            const gdi::Selection selected(dc, font);
            TEXTMETRICW metrics;
            ::GetTextMetricsW(dc, &metrics); // matched only when used
        }
        ::DeleteObject(font);
    }
}

FontResource Keep(Entry entry)
{
    ForgetMatchedFonts();
    Registry& registry = GetRegistry();
    std::lock_guard lock(registry.mutex);
    const FontResource id = registry.next++;
    registry.entries.emplace(id, std::move(entry));
    return id;
}

} // namespace

unsigned gdi::FontListGeneration()
{
    return g_generation.load();
}

FontResource AddPrivateFontFile(const std::filesystem::path& path)
{
    // The names come from the file's bytes; GDI opens the file by its UTF-16 name itself.
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return 0;
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    Entry entry;
    entry.families = gdi::FontFamilyNames(bytes.data(), bytes.size());
    if (entry.families.empty())
        return 0;
    entry.path = path.wstring();
    if (::AddFontResourceExW(entry.path.c_str(), FR_PRIVATE, nullptr) == 0)
        return 0;
    return Keep(std::move(entry));
}

FontResource AddPrivateFontData(const void* data, std::size_t size)
{
    if (!data || size == 0 || size > MAXDWORD)
        return 0;
    Entry entry;
    entry.families = gdi::FontFamilyNames(static_cast<const std::uint8_t*>(data), size);
    if (entry.families.empty())
        return 0;
    DWORD fonts = 0;
    entry.memory = ::AddFontMemResourceEx(const_cast<void*>(data), DWORD(size), nullptr, &fonts);
    if (!entry.memory)
        return 0;
    if (fonts == 0) {
        ::RemoveFontMemResourceEx(entry.memory);
        return 0;
    }
    return Keep(std::move(entry));
}

bool RemovePrivateFont(FontResource resource)
{
    Registry& registry = GetRegistry();
    std::lock_guard lock(registry.mutex);
    auto it = registry.entries.find(resource);
    if (it == registry.entries.end())
        return false;
    Release(it->second);
    registry.entries.erase(it);
    ForgetMatchedFonts();
    return true;
}

void RemoveAllPrivateFonts()
{
    Registry& registry = GetRegistry();
    std::lock_guard lock(registry.mutex);
    for (const auto& [id, entry] : registry.entries)
        Release(entry);
    const bool any = !registry.entries.empty();
    registry.entries.clear();
    if (any)
        ForgetMatchedFonts();
}

std::vector<std::u16string> PrivateFontFamilies(FontResource resource)
{
    Registry& registry = GetRegistry();
    std::lock_guard lock(registry.mutex);
    auto it = registry.entries.find(resource);
    return it == registry.entries.end() ? std::vector<std::u16string>{} : it->second.families;
}

} // namespace platform
