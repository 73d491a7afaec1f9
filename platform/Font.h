// Fonts by face, pixel size and style, found through fontconfig, with the GDI-style metrics that
// layout code asks for (height, ascent, descent, leadings, character widths and overhangs).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Geometry.h"

namespace platform {

// What a font is asked for by: the few fields of a GDI LOGFONT that the framework sets.
struct LogFont
{
    std::u16string face; // family name; empty means the default GUI face
    int pixelSize = 12;  // character (em) height in pixels; 0 or less means the default size
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    friend bool operator==(const LogFont&, const LogFont&) = default;
};

// The fields of a GDI TEXTMETRIC that the framework uses, in whole pixels.
struct TextMetrics
{
    int height = 0; // ascent + descent: the height of one line of text
    int ascent = 0;
    int descent = 0;
    int internalLeading = 0; // height minus the em size
    int externalLeading = 0; // extra space the font asks for between lines
    int averageCharWidth = 0;
    int maxCharWidth = 0;
    int overhang = 0; // extra width synthesised styles add to a string; always 0 for outline fonts
};

// The A, B and C widths of a character: the space before its ink, the ink, and the space after it
// (negative when the ink overhangs the advance, as italic letters do). A + B + C is the advance.
struct CharWidths
{
    int a = 0;
    int b = 0;
    int c = 0;
};

// A font handle. Copies share the same font; a default-constructed Font is null.
class Font
{
public:
    Font();
    ~Font();
    Font(const Font&);
    Font& operator=(const Font&);

    // The font closest to `logFont` that fontconfig finds; null only when no font can be loaded at all.
    static Font Create(const LogFont& logFont);
    // The default GUI font: a sans face at 12 pixels.
    static Font DefaultGui();
    static LogFont DefaultGuiLogFont();

    bool IsNull() const { return !m_impl; }
    explicit operator bool() const { return !IsNull(); }
    bool operator==(const Font& other) const { return m_impl == other.m_impl; }

    const LogFont& GetLogFont() const;
    // The family fontconfig actually picked for the face (for diagnostics).
    std::u16string ResolvedFamily() const;
    // Measured on first use and kept.
    const TextMetrics& Metrics() const;
    // The extent of a string on one line, as GetTextExtentPoint32 gives it: the advance width and the
    // font's line height. No prefix or line-break processing.
    Size Measure(const char16_t* text, int length) const;
    // The advance widths of every prefix of a string on one line from a single shaping: entry i is
    // the width of text[0..i], as GetTextExtentExPointW reports them (`length` entries, none for no
    // text). Characters shaped together (a base and its combining marks, the two
    // halves of a surrogate pair, a ligature) all get the width at the end of their group.
    std::vector<int> PrefixWidths(const char16_t* text, int length) const;
    CharWidths GetCharWidths(char32_t ch) const;

    struct Impl;
    Impl* GetImpl() const { return m_impl.get(); }

private:
    std::shared_ptr<Impl> m_impl;
};

} // namespace platform
