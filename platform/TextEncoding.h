// Conversions between the UTF-16 text of the program's interfaces and the UTF-8 of files,
// paths and the registry store.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Invalid or truncated sequences become U+FFFD, one per bad byte, as the Windows converter does.
std::u16string Utf8ToUtf16(std::string_view text);
// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// True when the text is well-formed UTF-8, that is when converting it to UTF-16 and back gives it
// unchanged.
bool IsValidUtf8(std::string_view text);

} // namespace platform
