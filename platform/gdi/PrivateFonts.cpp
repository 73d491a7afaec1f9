// Private fonts over GDI: font data from memory through AddFontMemResourceEx (GDI keeps its own
// copy), font files through AddFontResourceExW with FR_PRIVATE, both seen by this process only.
// GDI does not tell which families it added, so they are read from the font's 'name' table.
#include "platform/PrivateFontBackend.h"

#include <atomic>
#include <fstream>
#include <iterator>

#include "platform/FontNames.h"
#include "platform/gdi/GdiShared.h"

namespace platform {

namespace {

class GdiPrivateFont final : public LoadedPrivateFont
{
public:
    GdiPrivateFont() = default;
    GdiPrivateFont(const GdiPrivateFont&) = delete;
    GdiPrivateFont& operator=(const GdiPrivateFont&) = delete;
    ~GdiPrivateFont() override
    {
        if (memory)
            ::RemoveFontMemResourceEx(memory);
        else if (!path.empty())
            ::RemoveFontResourceExW(path.c_str(), FR_PRIVATE, nullptr);
    }

    // Set once GDI has added the font, so that only an added font is removed.
    HANDLE memory = nullptr; // from AddFontMemResourceEx
    std::wstring path;       // from AddFontResourceExW
};

std::atomic<unsigned> g_generation{0};

} // namespace

unsigned gdi::FontListGeneration()
{
    return g_generation.load();
}

std::unique_ptr<LoadedPrivateFont> LoadPrivateFontFile(const std::filesystem::path& path)
{
    // The names come from the file's bytes; GDI opens the file by its UTF-16 name itself.
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return nullptr;
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    auto font = std::make_unique<GdiPrivateFont>();
    font->families = FontFamilyNames(bytes.data(), bytes.size());
    if (font->families.empty())
        return nullptr;
    const std::wstring name = path.wstring();
    if (::AddFontResourceExW(name.c_str(), FR_PRIVATE, nullptr) == 0)
        return nullptr;
    font->path = name;
    return font;
}

std::unique_ptr<LoadedPrivateFont> LoadPrivateFontData(const void* data, std::size_t size)
{
    if (size > MAXDWORD)
        return nullptr;
    auto font = std::make_unique<GdiPrivateFont>();
    font->families = FontFamilyNames(static_cast<const std::uint8_t*>(data), size);
    if (font->families.empty())
        return nullptr;
    DWORD fonts = 0;
    font->memory = ::AddFontMemResourceEx(const_cast<void*>(data), DWORD(size), nullptr, &fonts);
    if (!font->memory || fonts == 0)
        return nullptr; // an added resource without fonts is removed with the record
    return font;
}

// After the font list changed, fonts asked for must be matched anew. Some implementations of GDI
// (Wine's) hand a new font the face matched for an earlier font of the same description, whether
// that one is still in use or only kept in a cache, so a face added privately would not be found
// under a name asked for before it was added, and a removed one would still be. Fonts made after
// the change differ from those before in their output precision (FontListGeneration), which no
// cached match shares; and matching a run of other descriptions pushes unused matches out of the
// cache.
void ForgetPrivateFontMatches(std::span<const LoadedPrivateFont* const>, bool)
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

} // namespace platform
