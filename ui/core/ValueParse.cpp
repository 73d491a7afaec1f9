// Readers for the value forms of markup attributes (see ValueParse.h).
#include "ui/core/ValueParse.h"

#include "ui/core/Limits.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <string>

namespace ui::markup {

namespace {

// The C library's isspace in the C locale.
bool IsSpace(char16_t c)
{
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

int HexValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// Leading white space and an optional sign, as the C library's number readers take them.
const char16_t* SkipSpaceAndSign(const char16_t* p, bool& negative)
{
    while (IsSpace(*p))
        ++p;
    if (*p == u'+' || *p == u'-')
        negative = *p++ == u'-';
    return p;
}

// n numbers read by parse, each from the character after the one that ended the previous number;
// numbers missing at the end of the text read as 0.
template <class T, class Parse> void ParseList(const char16_t* text, T* out, int n, Parse parse)
{
    const char16_t* p = text;
    for (int i = 0; i < n; ++i) {
        if (!p || !*p) {
            out[i] = 0;
            p = nullptr;
            continue;
        }
        const char16_t* end = p;
        out[i] = parse(p, &end);
        // Exactly one separator follows a number; the terminator is never stepped over.
        p = *end ? end + 1 : end;
    }
}

thread_local IValueFormObserver* t_observer = nullptr;

void Observe(ValueForm form, const char16_t* text, int count = 1)
{
    if (t_observer != nullptr) [[unlikely]]
        t_observer->OnValueRead(form, text, count);
}

} // namespace

IValueFormObserver* ObserveValueForms(IValueFormObserver* observer)
{
    IValueFormObserver* previous = t_observer;
    t_observer = observer;
    return previous;
}

std::int32_t ParseInt(const char16_t* text, const char16_t** end)
{
    Observe(ValueForm::Integer, text);
    if (end)
        *end = text;
    if (!text)
        return 0;
    bool negative = false;
    const char16_t* p = SkipSpaceAndSign(text, negative);
    if (*p < u'0' || *p > u'9')
        return 0;
    std::int64_t value = 0;
    for (; *p >= u'0' && *p <= u'9'; ++p) {
        if (value <= std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1)
            value = value * 10 + (*p - u'0');
    }
    if (end)
        *end = p;
    if (negative)
        value = -value;
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return std::int32_t(value);
}

double ParseDouble(const char16_t* text, const char16_t** end)
{
    Observe(ValueForm::Real, text);
    if (end)
        *end = text;
    if (!text)
        return 0;
    bool negative = false;
    const char16_t* p = SkipSpaceAndSign(text, negative);
    // The characters a decimal real can hold, narrowed for the locale-independent reader.
    std::string ascii;
    const char16_t* q = p;
    for (; (*q >= u'0' && *q <= u'9') || *q == u'.' || *q == u'e' || *q == u'E' || *q == u'+' || *q == u'-'; ++q)
        ascii.push_back(char(*q));
    double value = 0;
    const auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (result.ec != std::errc() && result.ec != std::errc::result_out_of_range)
        return 0;
    if (end)
        *end = p + (result.ptr - ascii.data());
    return negative ? -value : value;
}

std::uint32_t ParseHex(const char16_t* text, const char16_t** end)
{
    if (end)
        *end = text;
    if (!text)
        return 0;
    const char16_t* p = text;
    while (IsSpace(*p))
        ++p;
    if (HexValue(*p) < 0)
        return 0;
    std::uint64_t value = 0;
    for (; HexValue(*p) >= 0; ++p) {
        if (value <= 0xFFFFFFFFull)
            value = value * 16 + std::uint64_t(HexValue(*p));
    }
    if (end)
        *end = p;
    return value > 0xFFFFFFFFull ? 0xFFFFFFFFu : std::uint32_t(value);
}

std::int32_t ParseCoordinate(const char16_t* text)
{
    return limits::ClampCoordinate(ParseInt(text));
}

void ParseIntList(const char16_t* text, std::int32_t* out, int n)
{
    ParseIntList(text, out, n, -limits::kMaxCoordinate, limits::kMaxCoordinate);
}

void ParseIntList(const char16_t* text, std::int32_t* out, int n, std::int32_t low, std::int32_t high)
{
    Observe(ValueForm::IntegerList, text, n);
    ParseList(text, out, n,
              [low, high](const char16_t* p, const char16_t** end) { return std::clamp(ParseInt(p, end), low, high); });
}

void ParseDoubleList(const char16_t* text, double* out, int n)
{
    Observe(ValueForm::RealList, text, n);
    ParseList(text, out, n, [](const char16_t* p, const char16_t** end) { return ParseDouble(p, end); });
}

CUIRect ParseRect(const char16_t* text)
{
    std::int32_t v[4];
    ParseIntList(text, v, 4);
    return {v[0], v[1], v[2], v[3]};
}

std::uint32_t ParseHexColor(const char16_t* text, THexColorForm form, const char16_t* end)
{
    if (end == nullptr)
        Observe(ValueForm::Color, text);
    if (!text)
        return 0;
    const char16_t* p = text;
    auto more = [end, &p] { return end != nullptr ? p < end : *p != 0; };
    if (form.lead == THexColorForm::Lead::Blanks) {
        while (more() && *p <= u' ')
            ++p;
    } else if (form.lead == THexColorForm::Lead::Spaces) {
        while (more() && *p == u' ')
            ++p;
    }
    if (more() && *p == u'#')
        ++p;
    if (form.spaceAfterHash) {
        while (more() && IsSpace(*p))
            ++p;
    }
    std::uint64_t value = 0;
    for (; more() && HexValue(*p) >= 0; ++p) {
        const auto digit = std::uint64_t(HexValue(*p));
        if (!form.saturate)
            value = ((value << 4) | digit) & 0xFFFFFFFFull;
        else if (value <= 0xFFFFFFFFull)
            value = value * 16 + digit;
    }
    return value > 0xFFFFFFFFull ? 0xFFFFFFFFu : std::uint32_t(value);
}

std::uint32_t ParseColor(const char16_t* text)
{
    return ParseHexColor(text, {THexColorForm::Lead::Blanks, true, true});
}

std::uint32_t ParseBorderColor(const char16_t* text)
{
    return ParseHexColor(text, {THexColorForm::Lead::None, true, true});
}

bool ParseBool(const char16_t* text)
{
    Observe(ValueForm::Boolean, text);
    return TextEquals(text, u"true");
}

bool ParseBoolNoCase(const char16_t* text)
{
    Observe(ValueForm::BooleanNoCase, text);
    return TextEqualsNoCase(text, u"true");
}

bool TextEquals(const char16_t* a, const char16_t* b)
{
    if (!a || !b)
        return a == b;
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

bool TextEqualsNoCase(const char16_t* a, const char16_t* b)
{
    if (!a || !b)
        return a == b;
    auto fold = [](char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; };
    while (*a && fold(*a) == fold(*b)) {
        ++a;
        ++b;
    }
    return fold(*a) == fold(*b);
}

bool TextHasChar(const char16_t* text, char16_t ch)
{
    if (!text)
        return false;
    for (; *text; ++text) {
        if (*text == ch)
            return true;
    }
    return false;
}

} // namespace ui::markup
