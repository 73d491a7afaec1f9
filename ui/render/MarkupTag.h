// The tokens of markup text: tags written with angle brackets or braces, the four bracket escapes
// and the end of a raw section. Scanning only; what a tag does is the renderer's business.
#pragma once

namespace ui {

// One tag as it stands in the text. The argument points into the text and is not terminated.
struct TMarkupTag
{
    bool closing = false;
    char16_t letter = 0;
    const char16_t* argument = nullptr;
    int argumentLength = 0;
    int length = 0; // source characters from the opening bracket through the closing one
};

// True when `p` starts a tag: "<" or "{", an optional "/", one letter (lower case for opening tags),
// then (opening tags) a space or the closing bracket, an argument and a closing ">" or "}". The
// closing bracket may be of the other kind. A bracket that starts no tag is ordinary text.
bool ParseMarkupTag(const char16_t* p, TMarkupTag& tag);

// True when `p` starts one of the escapes "<{>", "<}>", "{<}" and "{>}"; `printed` receives the
// bracket it stands for. An escape is always three characters long.
bool ParseMarkupEscape(const char16_t* p, char16_t& printed);
constexpr int kMarkupEscapeLength = 3;

// The length of the closing r tag at `p` (any bracket kinds), or 0 when there is none.
int RawSectionEndAt(const char16_t* p);

// True when `p` starts a tag or an escape, i.e. where a run of ordinary text must stop.
bool IsMarkupTokenStart(const char16_t* p);

} // namespace ui
