// Markup byte decoding: a UTF-8 decoder with an ASCII fast path, Windows-1252 and UTF-16 LE/BE.
#include "ui/skin/MarkupDecoder.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace ui {

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F. The five unassigned codes map to the C1
// controls of the same value, as the platform's own conversion does.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr char16_t kReplacement = 0xFFFD;

// Writes at most one UTF-16 unit per input byte, so size + 1 units always suffice.
std::size_t DecodeUtf8(const unsigned char* s, const unsigned char* end, char16_t* out)
{
    char16_t* d = out;
    while (s < end) {
#if defined(__SSE2__)
        // Runs of ASCII, 16 bytes at a time, widened by interleaving with zero bytes.
        while (end - s >= 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
            if (_mm_movemask_epi8(bytes) != 0) {
                break;
            }
            const __m128i zero = _mm_setzero_si128();
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_unpacklo_epi8(bytes, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 8), _mm_unpackhi_epi8(bytes, zero));
            s += 16;
            d += 16;
        }
#endif
        while (end - s >= 8) {
            std::uint64_t block;
            std::memcpy(&block, s, 8);
            if ((block & 0x8080808080808080ULL) != 0) {
                break;
            }
            for (int i = 0; i < 8; ++i) {
                d[i] = s[i];
            }
            s += 8;
            d += 8;
        }
        if (s >= end) {
            break;
        }
        const unsigned char lead = *s;
        if (lead < 0x80) {
            *d++ = lead;
            ++s;
            continue;
        }
        int need;
        std::uint32_t cp;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            need = 1;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            need = 2;
            cp = lead & 0x0F;
            low = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
            high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            need = 3;
            cp = lead & 0x07;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF; // nothing above U+10FFFF
        } else {
            *d++ = kReplacement;
            ++s;
            continue;
        }
        ++s;
        bool complete = true;
        for (int i = 0; i < need; ++i) {
            if (s >= end || *s < low || *s > high) {
                complete = false;
                break;
            }
            cp = (cp << 6) | (*s & 0x3F);
            ++s;
            low = 0x80;
            high = 0xBF;
        }
        if (!complete) {
            *d++ = kReplacement;
        } else if (cp >= 0x10000) {
            cp -= 0x10000;
            *d++ = static_cast<char16_t>(0xD800 + (cp >> 10));
            *d++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            *d++ = static_cast<char16_t>(cp);
        }
    }
    return static_cast<std::size_t>(d - out);
}

} // namespace

std::unique_ptr<char16_t[]> AllocateMarkupText(std::size_t capacity)
{
    return std::make_unique_for_overwrite<char16_t[]>(capacity + 1 + kMarkupTextPadding);
}

TDecodedText DecodeMarkup(const void* bytes, std::size_t size, MarkupEncoding encoding)
{
    TDecodedText result;
    const auto* s = static_cast<const unsigned char*>(bytes);
    if (s == nullptr) {
        size = 0;
    }
    switch (encoding) {
    case MarkupEncoding::Utf8: {
        if (size > 2 && s[0] == 0xEF && s[1] == 0xBB && s[2] == 0xBF) {
            s += 3;
            size -= 3;
        }
        result.text = AllocateMarkupText(size);
        result.length = size == 0 ? 0 : DecodeUtf8(s, s + size, result.text.get());
        break;
    }
    case MarkupEncoding::Ansi: {
        result.text = AllocateMarkupText(size);
        for (std::size_t i = 0; i < size; ++i) {
            const unsigned char c = s[i];
            result.text[i] = (c >= 0x80 && c < 0xA0) ? kCp1252High[c - 0x80] : c;
        }
        result.length = size;
        break;
    }
    case MarkupEncoding::Utf16: {
        if (size < 2) {
            return result;
        }
        const bool little = s[0] == 0xFF && s[1] == 0xFE;
        const bool big = s[0] == 0xFE && s[1] == 0xFF;
        if (!little && !big) {
            return result;
        }
        const std::size_t n = size / 2 - 1;
        result.text = AllocateMarkupText(n);
        const unsigned char* unit = s + 2;
        for (std::size_t i = 0; i < n; ++i, unit += 2) {
            result.text[i] = little ? static_cast<char16_t>(unit[0] | (unit[1] << 8))
                                    : static_cast<char16_t>((unit[0] << 8) | unit[1]);
        }
        result.length = n;
        break;
    }
    default:
        return result;
    }
    std::fill_n(result.text.get() + result.length, 1 + kMarkupTextPadding, char16_t(0));
    return result;
}

} // namespace ui
