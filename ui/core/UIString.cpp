// CUIString: inline/heap storage decisions, searching, replacing and the short formatter.
#include "ui/core/UIString.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <utility>

namespace ui {

namespace {

// The string operations have no failure channel; running out of memory for a few dozen bytes
// leaves nothing sensible to do.
char16_t* ReallocChars(char16_t* block, int chars)
{
    void* p = std::realloc(block, static_cast<std::size_t>(chars) * sizeof(char16_t));
    if (p == nullptr) {
        std::abort();
    }
    return static_cast<char16_t*>(p);
}

char16_t FoldAscii(char16_t ch)
{
    return (ch >= u'A' && ch <= u'Z') ? static_cast<char16_t>(ch - u'A' + u'a') : ch;
}

} // namespace

int TextLength(const char16_t* text)
{
    if (text == nullptr) {
        return 0;
    }
    const char16_t* p = text;
    while (*p != 0) {
        ++p;
    }
    return static_cast<int>(p - text);
}

// ---------------------------------------------------------------------------------------------
// Construction and assignment
// ---------------------------------------------------------------------------------------------

CUIString::CUIString() : m_data(m_inline)
{
    m_inline[0] = 0;
}

CUIString::CUIString(char16_t ch) : m_data(m_inline)
{
    m_inline[0] = ch;
    m_inline[1] = 0;
}

CUIString::CUIString(const CUIString& other) : m_data(m_inline)
{
    m_inline[0] = 0;
    Assign(other.m_data);
}

CUIString::CUIString(CUIString&& other) noexcept : m_data(m_inline)
{
    if (other.IsInline()) {
        std::memcpy(m_inline, other.m_inline, sizeof(m_inline));
    } else {
        m_data = other.m_data;
        other.m_data = other.m_inline;
    }
    other.m_inline[0] = 0;
}

CUIString::CUIString(const char16_t* text, int n) : m_data(m_inline)
{
    m_inline[0] = 0;
    Assign(text, n);
}

CUIString::~CUIString()
{
    FreeHeap();
}

CUIString& CUIString::operator=(const CUIString& other)
{
    if (this != &other) {
        Assign(other.m_data);
    }
    return *this;
}

CUIString& CUIString::operator=(CUIString&& other) noexcept
{
    if (this != &other) {
        FreeHeap();
        if (other.IsInline()) {
            std::memcpy(m_inline, other.m_inline, sizeof(m_inline));
        } else {
            m_data = other.m_data;
            other.m_data = other.m_inline;
        }
        other.m_inline[0] = 0;
    }
    return *this;
}

CUIString& CUIString::operator=(const char16_t* text)
{
    Assign(text);
    return *this;
}

CUIString& CUIString::operator=(char16_t ch)
{
    FreeHeap();
    m_inline[0] = ch;
    m_inline[1] = 0;
    return *this;
}

void CUIString::FreeHeap()
{
    if (!IsInline()) {
        std::free(m_data);
        m_data = m_inline;
    }
}

void CUIString::Assign(const char16_t* text, int n)
{
    if (text == nullptr) {
        text = u"";
    }
    // A text inside our own block may be freed or moved below; work from a copy.
    if (!IsInline() && text >= m_data && text <= m_data + Length()) {
        CUIString copy(text, n);
        *this = std::move(copy);
        return;
    }
    if (n < 0) {
        n = TextLength(text);
    }
    if (n <= kInlineLimit) {
        FreeHeap();
    } else if (IsInline()) {
        m_data = ReallocChars(nullptr, n + 1);
    } else if (Length() < n) {
        m_data = ReallocChars(m_data, n + 1);
    }
    // Copy at most n characters, padding with terminators after a shorter text.
    int i = 0;
    for (; i < n && text[i] != 0; ++i) {
        m_data[i] = text[i];
    }
    for (; i < n; ++i) {
        m_data[i] = 0;
    }
    m_data[n] = 0;
}

void CUIString::Append(const char16_t* text)
{
    if (text == nullptr) {
        return;
    }
    if (text >= m_data && text <= m_data + Length()) {
        CUIString copy(text);
        Append(copy.m_data);
        return;
    }
    const int length = Length();
    const int added = TextLength(text);
    const int newLength = length + added;
    if (newLength > kInlineLimit) {
        if (IsInline()) {
            char16_t* block = ReallocChars(nullptr, newLength + 1);
            std::memcpy(block, m_inline, static_cast<std::size_t>(length + 1) * sizeof(char16_t));
            m_data = block;
        } else {
            m_data = ReallocChars(m_data, newLength + 1);
        }
    } else if (!IsInline()) {
        // A heap string that was shortened in place returns to the inline buffer.
        std::memcpy(m_inline, m_data, static_cast<std::size_t>(length + 1) * sizeof(char16_t));
        FreeHeap();
    }
    std::memcpy(m_data + length, text, static_cast<std::size_t>(added + 1) * sizeof(char16_t));
}

void CUIString::Append(char16_t ch)
{
    const char16_t text[2] = {ch, 0};
    Append(text);
}

CUIString& CUIString::operator+=(const CUIString& other)
{
    Append(other.m_data);
    return *this;
}

CUIString& CUIString::operator+=(const char16_t* text)
{
    Append(text);
    return *this;
}

CUIString& CUIString::operator+=(char16_t ch)
{
    Append(ch);
    return *this;
}

CUIString CUIString::operator+(const CUIString& other) const
{
    CUIString result(*this);
    result.Append(other.m_data);
    return result;
}

CUIString CUIString::operator+(const char16_t* text) const
{
    CUIString result(*this);
    result.Append(text);
    return result;
}

CUIString CUIString::operator+(char16_t ch) const
{
    CUIString result(*this);
    result.Append(ch);
    return result;
}

int CUIString::Length() const
{
    return TextLength(m_data);
}

void CUIString::Clear()
{
    FreeHeap();
    m_inline[0] = 0;
}

// ---------------------------------------------------------------------------------------------
// Comparison and case
// ---------------------------------------------------------------------------------------------

int CUIString::Compare(const char16_t* text) const
{
    if (text == nullptr) {
        text = u"";
    }
    const char16_t* a = m_data;
    while (*a != 0 && *a == *text) {
        ++a;
        ++text;
    }
    return static_cast<int>(*a) - static_cast<int>(*text);
}

int CUIString::CompareNoCase(const char16_t* text) const
{
    if (text == nullptr) {
        text = u"";
    }
    const char16_t* a = m_data;
    while (*a != 0 && FoldAscii(*a) == FoldAscii(*text)) {
        ++a;
        ++text;
    }
    return static_cast<int>(FoldAscii(*a)) - static_cast<int>(FoldAscii(*text));
}

void CUIString::ToUpper()
{
    for (char16_t* p = m_data; *p != 0; ++p) {
        if (*p >= u'a' && *p <= u'z') {
            *p = static_cast<char16_t>(*p - u'a' + u'A');
        }
    }
}

void CUIString::ToLower()
{
    for (char16_t* p = m_data; *p != 0; ++p) {
        *p = FoldAscii(*p);
    }
}

// ---------------------------------------------------------------------------------------------
// Substrings and searching
// ---------------------------------------------------------------------------------------------

CUIString CUIString::Left(int n) const
{
    const int length = Length();
    if (n < 0) {
        n = 0;
    }
    if (n > length) {
        n = length;
    }
    return CUIString(m_data, n);
}

CUIString CUIString::Mid(int start, int n) const
{
    const int length = Length();
    // Callers never pass a start outside the string; clamp rather than read outside it.
    if (start < 0) {
        start = 0;
    }
    if (start > length) {
        start = length;
    }
    if (n < 0 || start + n > length) {
        n = length - start;
    }
    if (n <= 0) {
        return CUIString();
    }
    return CUIString(m_data + start, n);
}

CUIString CUIString::Right(int n) const
{
    const int length = Length();
    if (n <= 0) {
        return CUIString();
    }
    if (n > length) {
        n = length;
    }
    return CUIString(m_data + length - n, n);
}

int CUIString::FindChar(char16_t ch, int start) const
{
    const int length = Length();
    if (start != 0 && (start < 0 || start >= length)) {
        return -1;
    }
    for (int i = start; i < length; ++i) {
        if (m_data[i] == ch) {
            return i;
        }
    }
    return -1;
}

int CUIString::FindText(const char16_t* text, int start) const
{
    const int length = Length();
    if (start != 0 && (start < 0 || start > length)) {
        return -1;
    }
    const int textLength = TextLength(text);
    for (int i = start; i + textLength <= length; ++i) {
        if (std::memcmp(m_data + i, text, static_cast<std::size_t>(textLength) * sizeof(char16_t)) == 0) {
            return i;
        }
    }
    return -1;
}

int CUIString::FindLastChar(char16_t ch) const
{
    for (int i = Length() - 1; i >= 0; --i) {
        if (m_data[i] == ch) {
            return i;
        }
    }
    return -1;
}

int CUIString::ReplaceAll(const char16_t* from, const char16_t* to)
{
    const int fromLength = TextLength(from);
    // An empty search text would match forever.
    if (fromLength == 0) {
        return 0;
    }
    const CUIString replacement(to);
    const int toLength = replacement.Length();
    int count = 0;
    int pos = FindText(from, 0);
    while (pos >= 0) {
        CUIString result = Left(pos);
        result.Append(replacement.m_data);
        result.Append(m_data + pos + fromLength);
        *this = std::move(result);
        ++count;
        pos = FindText(from, pos + toLength);
    }
    return count;
}

// ---------------------------------------------------------------------------------------------
// FormatShort
// ---------------------------------------------------------------------------------------------

namespace {

// Writes into a fixed buffer and silently drops what does not fit (one slot kept for the terminator).
class ShortWriter
{
public:
    ShortWriter(char16_t* buffer, int capacity) : m_buffer(buffer), m_capacity(capacity) {}
    void Put(char16_t ch)
    {
        if (m_count < m_capacity - 1) {
            m_buffer[m_count++] = ch;
        }
    }
    void Repeat(char16_t ch, int n)
    {
        for (int i = 0; i < n; ++i) {
            Put(ch);
        }
    }
    int Count() const { return m_count; }

private:
    char16_t* m_buffer;
    int m_capacity;
    int m_count = 0;
};

struct TConversion
{
    bool leftAlign = false;
    bool alternate = false;
    bool zeroPad = false;
    int width = 0;
    int precision = -1;
};

void PutPadded(ShortWriter& out, const TConversion& conv, const char16_t* body, int bodyLength, const char16_t* prefix)
{
    const int prefixLength = TextLength(prefix);
    const int padding = conv.width > bodyLength + prefixLength ? conv.width - bodyLength - prefixLength : 0;
    if (!conv.leftAlign && !conv.zeroPad) {
        out.Repeat(u' ', padding);
    }
    for (int i = 0; i < prefixLength; ++i) {
        out.Put(prefix[i]);
    }
    if (!conv.leftAlign && conv.zeroPad) {
        out.Repeat(u'0', padding);
    }
    for (int i = 0; i < bodyLength; ++i) {
        out.Put(body[i]);
    }
    if (conv.leftAlign) {
        out.Repeat(u' ', padding);
    }
}

void PutInteger(ShortWriter& out, TConversion conv, std::uint64_t magnitude, bool negative, unsigned base, bool upper,
                bool hexPrefix)
{
    char16_t digits[32];
    int n = 0;
    const char* alphabet = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    while (magnitude != 0) {
        digits[n++] = static_cast<char16_t>(alphabet[magnitude % base]);
        magnitude /= base;
    }
    int minDigits = conv.precision >= 0 ? conv.precision : 1;
    if (minDigits > 24) {
        minDigits = 24;
    }
    while (n < minDigits) {
        digits[n++] = u'0';
    }
    char16_t body[32];
    for (int i = 0; i < n; ++i) {
        body[i] = digits[n - 1 - i];
    }
    if (conv.precision >= 0) {
        conv.zeroPad = false;
    }
    const char16_t* prefix = negative ? u"-" : (hexPrefix ? (upper ? u"0X" : u"0x") : u"");
    PutPadded(out, conv, body, n, prefix);
}

template <typename Char> void PutText(ShortWriter& out, const TConversion& conv, const Char* text)
{
    static const char16_t kNull[] = u"(null)";
    char16_t body[64];
    int n = 0;
    const int limit = conv.precision >= 0 && conv.precision < 64 ? conv.precision : 64;
    if (text == nullptr) {
        for (; n < limit && kNull[n] != 0; ++n) {
            body[n] = kNull[n];
        }
    } else {
        // Narrow text is taken as Latin-1 here; format strings in this system are ASCII.
        for (; n < limit && text[n] != 0; ++n) {
            body[n] = static_cast<char16_t>(static_cast<std::make_unsigned_t<Char>>(text[n]));
        }
    }
    PutPadded(out, conv, body, n, u"");
}

} // namespace

int CUIString::FormatShort(const char16_t* format, ...)
{
    va_list args;
    va_start(args, format);
    const int written = FormatShortV(format, args);
    va_end(args);
    return written;
}

int CUIString::FormatShortV(const char16_t* format, va_list args)
{
    char16_t buffer[kInlineSize] = {};
    ShortWriter out(buffer, kInlineSize);
    const char16_t* p = format != nullptr ? format : u"";
    while (*p != 0) {
        if (*p != u'%') {
            out.Put(*p++);
            continue;
        }
        ++p;
        if (*p == u'%') {
            out.Put(*p++);
            continue;
        }
        TConversion conv;
        for (;; ++p) {
            if (*p == u'-') {
                conv.leftAlign = true;
            } else if (*p == u'#') {
                conv.alternate = true;
            } else if (*p == u'0') {
                conv.zeroPad = true;
            } else {
                break;
            }
        }
        while (*p >= u'0' && *p <= u'9') {
            conv.width = conv.width * 10 + (*p++ - u'0');
            if (conv.width > 64) {
                conv.width = 64;
            }
        }
        if (*p == u'.') {
            ++p;
            conv.precision = 0;
            while (*p >= u'0' && *p <= u'9') {
                conv.precision = conv.precision * 10 + (*p++ - u'0');
                if (conv.precision > 64) {
                    conv.precision = 64;
                }
            }
        }
        enum class Size
        {
            Default,
            Short,
            Long,
            Wide64
        } size = Size::Default;
        bool narrow = false;
        bool wide = false;
        if (*p == u'h') {
            size = Size::Short;
            narrow = true;
            ++p;
        } else if (*p == u'l' || *p == u'w') {
            size = Size::Long;
            wide = true;
            ++p;
            if (*p == u'l') {
                size = Size::Wide64;
                ++p;
            }
        } else if (p[0] == u'I' && p[1] == u'6' && p[2] == u'4') {
            size = Size::Wide64;
            p += 3;
        }
        const char16_t type = *p;
        if (type == 0) {
            break;
        }
        ++p;
        switch (type) {
        case u'd':
        case u'i': {
            std::int64_t value = size == Size::Wide64 ? va_arg(args, long long) : va_arg(args, int);
            if (size == Size::Short) {
                value = static_cast<short>(value);
            }
            const bool negative = value < 0;
            const std::uint64_t magnitude =
                negative ? static_cast<std::uint64_t>(0) - static_cast<std::uint64_t>(value) : std::uint64_t(value);
            PutInteger(out, conv, magnitude, negative, 10, false, false);
            break;
        }
        case u'u':
        case u'x':
        case u'X': {
            std::uint64_t value = size == Size::Wide64 ? va_arg(args, unsigned long long) : va_arg(args, unsigned int);
            if (size == Size::Short) {
                value = static_cast<unsigned short>(value);
            }
            const unsigned base = type == u'u' ? 10 : 16;
            PutInteger(out, conv, value, false, base, type == u'X', conv.alternate && base == 16 && value != 0);
            break;
        }
        case u'p': {
            TConversion pointerConv;
            pointerConv.precision = static_cast<int>(2 * sizeof(void*));
            PutInteger(out, pointerConv, reinterpret_cast<std::uintptr_t>(va_arg(args, void*)), false, 16, true, false);
            break;
        }
        case u'c':
        case u'C': {
            // In the UTF-16 form %c is a UTF-16 unit and %C a narrow character; h and l force either.
            const bool isNarrow = narrow || (type == u'C' && !wide);
            const int raw = va_arg(args, int);
            const char16_t ch =
                isNarrow ? static_cast<char16_t>(static_cast<unsigned char>(raw)) : static_cast<char16_t>(raw);
            PutPadded(out, conv, &ch, 1, u"");
            break;
        }
        case u's':
        case u'S': {
            const bool isNarrow = narrow || (type == u'S' && !wide);
            if (isNarrow) {
                PutText(out, conv, va_arg(args, const char*));
            } else {
                PutText(out, conv, va_arg(args, const char16_t*));
            }
            break;
        }
        default:
            // An unknown conversion is copied as it stands.
            out.Put(type);
            break;
        }
    }
    Assign(buffer);
    return out.Count();
}

} // namespace ui
