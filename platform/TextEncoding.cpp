// UTF-8 <-> UTF-16 conversion by hand, so that malformed input has one defined outcome.
#include "platform/TextEncoding.h"

namespace platform {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf16(std::u16string& out, char32_t cp)
{
    if (cp < 0x10000) {
        out.push_back(char16_t(cp));
    } else {
        cp -= 0x10000;
        out.push_back(char16_t(0xD800 + (cp >> 10)));
        out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
    }
}

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out.push_back(char(cp));
    } else if (cp < 0x800) {
        out.push_back(char(0xC0 | (cp >> 6)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(char(0xE0 | (cp >> 12)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (cp >> 18)));
        out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    }
}

// One decoded UTF-8 sequence: the code point (valid) or, when malformed, how many bytes the lead byte
// and the continuation bytes that followed it span.
struct TDecoded
{
    bool valid = false;
    char32_t cp = 0;
    std::size_t length = 1;
};

TDecoded DecodeAt(const unsigned char* p, std::size_t n, std::size_t i)
{
    const unsigned char b = p[i];
    if (b < 0x80)
        return {true, b, 1};
    std::size_t extra = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if ((b & 0xE0) == 0xC0)
        extra = 1, cp = b & 0x1F, minimum = 0x80;
    else if ((b & 0xF0) == 0xE0)
        extra = 2, cp = b & 0x0F, minimum = 0x800;
    else if ((b & 0xF8) == 0xF0)
        extra = 3, cp = b & 0x07, minimum = 0x10000;
    else
        return {false, 0, 1};
    std::size_t k = 1;
    for (; k <= extra && i + k < n && (p[i + k] & 0xC0) == 0x80; ++k)
        cp = (cp << 6) | (p[i + k] & 0x3F);
    if (k <= extra || cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return {false, 0, k};
    return {true, cp, k};
}

} // namespace

std::u16string Utf8ToUtf16(std::string_view text, MalformedUtf8 malformed)
{
    std::u16string out;
    out.reserve(text.size());
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        const TDecoded d = DecodeAt(p, n, i);
        if (d.valid) {
            AppendUtf16(out, d.cp);
            i += d.length;
        } else {
            out.push_back(char16_t(kReplacement));
            i += malformed == MalformedUtf8::ReplaceSequence ? d.length : 1;
        }
    }
    return out;
}

bool IsValidUtf8(std::string_view text)
{
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        const TDecoded d = DecodeAt(p, n, i);
        if (!d.valid)
            return false;
        i += d.length;
    }
    return true;
}

bool AppendUtf16AsUtf8(std::u16string_view text, std::string& out, UnpairedSurrogate unpaired,
                       std::vector<int>* offsets)
{
    out.reserve(out.size() + text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (offsets)
            (*offsets)[i] = static_cast<int>(out.size());
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
            if (offsets)
                (*offsets)[i] = (*offsets)[i - 1];
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            if (unpaired == UnpairedSurrogate::Reject)
                return false;
            c = kReplacement;
        }
        AppendUtf8(out, c);
    }
    return true;
}

std::string Utf16ToUtf8(std::u16string_view text)
{
    std::string out;
    AppendUtf16AsUtf8(text, out, UnpairedSurrogate::Replace);
    return out;
}

} // namespace platform
