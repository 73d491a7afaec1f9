// Conversion of skin markup bytes (UTF-8, ANSI, UTF-16 with a byte-order mark) into the UTF-16
// text the markup parser works on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace ui {

// How the bytes given to CXmlDocument::LoadBytes / LoadFile are encoded.
enum class MarkupEncoding : std::int32_t
{
    Utf8 = 0,
    Utf16 = 1, // little- or big-endian, chosen by the byte-order mark
    Ansi = 2,  // the ANSI code page; Windows-1252 on this platform
};

// Zeroed code units kept after the terminator of every markup text, so that the parser may read a
// few units past any position up to the terminator (it scans several units at a time).
constexpr std::size_t kMarkupTextPadding = 16;

// A text buffer for at most capacity code units, the terminator and the padding.
std::unique_ptr<char16_t[]> AllocateMarkupText(std::size_t capacity);

struct TDecodedText
{
    std::unique_ptr<char16_t[]> text; // NUL-terminated and padded; null when the bytes could not be decoded
    std::size_t length = 0;           // code units before the terminator
};

// UTF-8 (a leading EF BB BF is skipped): malformed sequences become U+FFFD, as the platform's
// converter does. ANSI: Windows-1252. UTF-16: needs a byte-order mark (FF FE or FE FF); without one
// the result has no text.
TDecodedText DecodeMarkup(const void* bytes, std::size_t size, MarkupEncoding encoding);

} // namespace ui
