// What a drawing backend does for the private fonts (PrivateFonts.h): make a font file or font data
// available to this process, withdraw it again, and drop what it matched against an older font
// list. The list of added fonts, their ids and their family names are kept by the portable core.
// The core calls these with its lock held, on the thread that adds or removes the fonts.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace platform {

// A font the backend has added; destroying it withdraws the font from the backend.
class LoadedPrivateFont
{
public:
    virtual ~LoadedPrivateFont() = default;

    // Every family its faces provide, each once; never empty for a font the backend returned.
    std::vector<std::u16string> families;
};

// Null when the file or the bytes hold no font the backend can add. The bytes are the caller's:
// a backend that needs them later copies them.
std::unique_ptr<LoadedPrivateFont> LoadPrivateFontFile(const std::filesystem::path& path);
std::unique_ptr<LoadedPrivateFont> LoadPrivateFontData(const void* data, std::size_t size);

// Called after fonts were added or (`withdrawn`) destroyed; `remaining` is every font still added.
void ForgetPrivateFontMatches(std::span<const LoadedPrivateFont* const> remaining, bool withdrawn);

} // namespace platform
