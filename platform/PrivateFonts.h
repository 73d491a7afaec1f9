// Fonts a program brings along (for example inside its skin), made available to this process by
// face name, the way AddFontMemResourceEx and AddFontResourceEx with FR_PRIVATE do it on Windows.
// Call these on the thread that draws text: Pango keeps its font caches per thread.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace platform {

// Identifies an added font file; 0 means none (adding failed).
using FontResource = int;

// Adds the fonts in a font file (TrueType, OpenType, ...). 0 when the file holds no font. The path
// carries its name as Unicode, so a name outside the ANSI code page opens on Windows too (build it
// from UTF-16 or from char8_t, not from a plain std::string).
FontResource AddPrivateFontFile(const std::filesystem::path& path);
// Adds fonts held in memory. The bytes are copied; 0 when they are not a font.
FontResource AddPrivateFontData(const void* data, std::size_t size);
// False when `resource` is not an added font (or was removed already).
bool RemovePrivateFont(FontResource resource);
void RemoveAllPrivateFonts();
// The family names an added font provides; empty for an unknown resource.
std::vector<std::u16string> PrivateFontFamilies(FontResource resource);

} // namespace platform
