// Character classes of the skin markup shared by the parser and the node handles.
#pragma once

namespace ui::markup {

// Whitespace is every code from 1 to 32 (control characters and the space); 0 ends the text.
inline bool IsWhitespace(char16_t ch)
{
    return static_cast<char16_t>(ch - 1) < 32;
}

// Advances while is(unit) holds, four units a round: the loop's exit, mispredicted once per run,
// costs the same, and long runs take a quarter of the taken branches. A unit is read only after
// the one before it passed, so never past the terminator, for which is() must be false.
template <typename Is> const char16_t* SkipWhile(const char16_t* p, Is is)
{
    for (;;) {
        if (!is(p[0])) {
            return p;
        }
        if (!is(p[1])) {
            return p + 1;
        }
        if (!is(p[2])) {
            return p + 2;
        }
        if (!is(p[3])) {
            return p + 3;
        }
        p += 4;
    }
}

template <typename Is> char16_t* SkipWhile(char16_t* p, Is is)
{
    return const_cast<char16_t*>(SkipWhile(static_cast<const char16_t*>(p), is));
}

inline const char16_t* SkipWhitespace(const char16_t* p)
{
    return SkipWhile(p, [](char16_t ch) { return IsWhitespace(ch); });
}

inline char16_t* SkipWhitespace(char16_t* p)
{
    return SkipWhile(p, [](char16_t ch) { return IsWhitespace(ch); });
}

// Letters and digits outside ASCII. Names in skins are ASCII in practice; beyond it, Latin-1
// letters and everything from U+0100 up count as letters except the general and CJK punctuation
// blocks, the surrogates, the byte-order mark and the private and special ranges, which is close to
// the platform's wide-character classification without depending on the C library's locale.
constexpr bool IsNonAsciiAlnum(char16_t ch)
{
    if (ch < 0x100) {
        if (ch >= 0xC0) {
            return ch != 0xD7 && ch != 0xF7;
        }
        return ch == 0xAA || ch == 0xB2 || ch == 0xB3 || ch == 0xB5 || ch == 0xB9 || ch == 0xBA;
    }
    if ((ch >= 0x2000 && ch <= 0x206F) || (ch >= 0x3000 && ch <= 0x303F)) {
        return false;
    }
    if (ch >= 0xD800 && ch <= 0xF8FF) {
        return false; // surrogates and private use
    }
    return ch != 0xFEFF && ch < 0xFFF0 && !(ch >= 0xFF00 && ch <= 0xFF0F);
}

// ASCII name characters by code: one load instead of a chain of range tests, in the parser's
// hottest loop.
struct TAsciiNameTable
{
    bool name[128];
    constexpr TAsciiNameTable() : name()
    {
        for (int c = 0; c < 128; ++c) {
            name[c] =
                (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == ':';
        }
    }
};

inline constexpr TAsciiNameTable kAsciiNames{};

// Name characters: letters, digits, '_' and ':'. '-' and '.' end a name.
constexpr bool IsNameChar(char16_t ch)
{
    if (ch < 0x80) {
        return kAsciiNames.name[ch];
    }
    return IsNonAsciiAlnum(ch);
}

} // namespace ui::markup
