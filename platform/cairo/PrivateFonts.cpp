// Private fonts are fontconfig application fonts. Fontconfig only adds fonts from files, so font
// data from memory is written to a private temporary folder first; fontconfig cannot drop a single
// application font either, so removing one clears them all and adds the others back.
#include "platform/PrivateFontBackend.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {

// The folder fonts from memory are written to; removed when the last of them is gone.
class TemporaryFolder
{
public:
    explicit TemporaryFolder(std::string path) : path(std::move(path)) {}
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    ~TemporaryFolder() { rmdir(path.c_str()); }

    // The folder in use, or a new one; null when none can be made. Called under the core's lock.
    static std::shared_ptr<TemporaryFolder> Shared()
    {
        static std::weak_ptr<TemporaryFolder> current;
        if (auto folder = current.lock())
            return folder;
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tvu-fonts-XXXXXX";
        if (!mkdtemp(pattern.data()))
            return nullptr;
        auto folder = std::make_shared<TemporaryFolder>(std::move(pattern));
        current = folder;
        return folder;
    }

    const std::string path;
};

class FontconfigFont final : public LoadedPrivateFont
{
public:
    FontconfigFont(std::string path, std::shared_ptr<TemporaryFolder> folder)
        : path(std::move(path)), m_folder(std::move(folder))
    {
    }
    FontconfigFont(const FontconfigFont&) = delete;
    FontconfigFont& operator=(const FontconfigFont&) = delete;
    // Fonts from memory must not outlive the process on disk. Fontconfig keeps the file listed
    // until ForgetPrivateFontMatches rebuilds its list.
    ~FontconfigFont() override
    {
        if (m_folder)
            unlink(path.c_str());
    }

    const std::string path;

private:
    std::shared_ptr<TemporaryFolder> m_folder; // set for a file written from memory
};

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

std::unique_ptr<LoadedPrivateFont> Load(std::string path, std::shared_ptr<TemporaryFolder> folder)
{
    auto font = std::make_unique<FontconfigFont>(std::move(path), std::move(folder));
    font->families = QueryFamilies(font->path);
    if (font->families.empty())
        return nullptr;
    if (!FcConfigAppFontAddFile(nullptr, reinterpret_cast<const FcChar8*>(font->path.c_str())))
        return nullptr;
    return font;
}

} // namespace

std::unique_ptr<LoadedPrivateFont> LoadPrivateFontFile(const std::filesystem::path& path)
{
    // fontconfig takes UTF-8 file names.
    const std::u8string name = path.u8string();
    return Load(std::string(name.begin(), name.end()), nullptr);
}

std::unique_ptr<LoadedPrivateFont> LoadPrivateFontData(const void* data, std::size_t size)
{
    std::shared_ptr<TemporaryFolder> folder = TemporaryFolder::Shared();
    if (!folder)
        return nullptr;
    static unsigned written = 0; // names the files; the core's lock is held
    const std::string path = folder->path + "/font-" + std::to_string(++written) + ".bin";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return nullptr;
    const bool complete = std::fwrite(data, 1, size, file) == size;
    const bool closed = std::fclose(file) == 0;
    if (!complete || !closed) {
        unlink(path.c_str());
        return nullptr;
    }
    return Load(path, std::move(folder)); // a refused file is deleted with its record
}

void ForgetPrivateFontMatches(std::span<const LoadedPrivateFont* const> remaining, bool withdrawn)
{
    if (withdrawn) {
        FcConfigAppFontClear(nullptr);
        for (const LoadedPrivateFont* font : remaining)
            FcConfigAppFontAddFile(
                nullptr, reinterpret_cast<const FcChar8*>(static_cast<const FontconfigFont*>(font)->path.c_str()));
    }
    // Pango caches the font list per font map; tell this thread's map that the list changed.
    PangoFontMap* map = pango_cairo_font_map_get_default();
    if (PANGO_IS_FC_FONT_MAP(map))
        pango_fc_font_map_config_changed(PANGO_FC_FONT_MAP(map));
}

} // namespace platform
