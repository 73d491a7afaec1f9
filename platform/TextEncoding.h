// Conversions between the UTF-16 text of the program's interfaces and the UTF-8 of files,
// paths, window titles and the registry store. Every UTF-8 <-> UTF-16 conversion goes through here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// What the UTF-8 decoder writes for a malformed or truncated sequence.
enum class MalformedUtf8
{
    ReplaceEachByte, // one U+FFFD per bad byte, as the Windows converter does
    ReplaceSequence  // one U+FFFD for the lead byte and the continuation bytes that followed it
};

// What the UTF-16 encoder does with a surrogate that has no partner.
enum class UnpairedSurrogate
{
    Replace, // writes U+FFFD
    Reject   // stops and reports failure
};

// Invalid, overlong or truncated sequences, encoded surrogates and values above U+10FFFF become
// U+FFFD, as `malformed` says.
std::u16string Utf8ToUtf16(std::string_view text, MalformedUtf8 malformed = MalformedUtf8::ReplaceEachByte);
// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// Appends the UTF-8 of `text` to `out`. False only with UnpairedSurrogate::Reject, when an unpaired
// surrogate is met (`out` then holds what came before it). When `offsets` is given, entry i is set to
// the offset in `out` at which UTF-16 index i starts (both units of a pair get the pair's start), for
// every index of `text`; the vector must hold at least text.size() entries.
bool AppendUtf16AsUtf8(std::u16string_view text, std::string& out, UnpairedSurrogate unpaired,
                       std::vector<int>* offsets = nullptr);

// True when the text is well-formed UTF-8, that is when converting it to UTF-16 and back gives it
// unchanged.
bool IsValidUtf8(std::string_view text);

} // namespace platform
