// Short lines of digits and number punctuation (a percentage, a count, a time) drawn from glyphs
// shaped once per character and font, instead of itemizing, breaking and shaping every new string.
#pragma once

namespace platform {
class Font;
}

namespace platform::cairo {

// Whether lines that qualify take the cached glyphs (the default) or always the full layout. The
// switch exists so that the two can be compared pixel for pixel; it applies to the calling thread.
void SetGlyphRunsEnabled(bool enabled);
bool GlyphRunsEnabled();

// Whether `text` in `font` would be drawn and measured from cached glyphs on this thread.
bool HasGlyphRun(const Font& font, const char16_t* text, int length);

} // namespace platform::cairo
