// Readers for the value forms of markup attributes: decimal integers as the C library reads them,
// lists of integers with one separator character between numbers, hexadecimal colours, fractions,
// booleans. Every layer that reads these forms reads them here.
#pragma once

#include "ui/core/UIRect.h"

#include <cstdint>

namespace ui::markup {

// Leading white space and a sign allowed; stops at the first non-digit; no digits give 0 (and *end
// is the start of the text). Values beyond 32 bits are clamped.
std::int32_t ParseInt(const char16_t* text, const char16_t** end = nullptr);
// As ParseInt for a real number in the C locale's form.
double ParseDouble(const char16_t* text, const char16_t** end = nullptr);
// Hexadecimal after optional white space; stops at the first non-hexadecimal character; clamped to
// 32 bits.
std::uint32_t ParseHex(const char16_t* text, const char16_t** end = nullptr);

// As ParseInt, clamped to the coordinate range of ui/core/Limits.h: for sizes, offsets and paddings.
std::int32_t ParseCoordinate(const char16_t* text);
// n integers, each parsed from the character after the one that ended the previous number; numbers
// missing at the end of the text read as 0. Every number is clamped to the coordinate range (lists
// hold rectangles, sizes and offsets).
void ParseIntList(const char16_t* text, std::int32_t* out, int n);
// As ParseIntList with every number clamped into [low, high] instead of the coordinate range.
void ParseIntList(const char16_t* text, std::int32_t* out, int n, std::int32_t low, std::int32_t high);
void ParseDoubleList(const char16_t* text, double* out, int n);
CUIRect ParseRect(const char16_t* text);

// A hexadecimal colour, "#AARRGGBB" or "AARRGGBB" (with fewer digits the value is just smaller:
// "#RRGGBB" has alpha 0). The forms of the skin agree on that and differ only in what may stand
// before the digits and in what more than eight digits give, which the form states.
struct THexColorForm
{
    enum class Lead
    {
        None,   // the text starts with the '#' or the digits
        Blanks, // every character up to and including space is skipped
        Spaces, // spaces only are skipped
    };
    Lead lead = Lead::None;
    // White space (as the C library's isspace) after the optional '#' is skipped.
    bool spaceAfterHash = false;
    // Beyond 32 bits the value is 0xFFFFFFFF; otherwise only the last eight digits count.
    bool saturate = false;
};
// Stops at the first character that is not a hexadecimal digit, or at end when one is given (the
// text then need not be terminated). No digits give 0; so does a null text.
std::uint32_t ParseHexColor(const char16_t* text, THexColorForm form, const char16_t* end = nullptr);

// Background form: characters up to space skipped, one optional '#', then hexadecimal.
std::uint32_t ParseColor(const char16_t* text);
// Border form: a '#' skipped only as the very first character, then hexadecimal.
std::uint32_t ParseBorderColor(const char16_t* text);

// Exactly "true".
bool ParseBool(const char16_t* text);
// "true" in any letter case.
bool ParseBoolNoCase(const char16_t* text);

// The form a reader was asked to read, for tools that want to know how an attribute's value is
// taken (a skin checker validates the text strictly in that form).
enum class ValueForm
{
    Integer,
    Real,
    IntegerList, // count numbers
    RealList,    // count numbers
    Color,
    Boolean,       // exactly "true"
    BooleanNoCase, // "true" in any letter case
};

// Told of every read on the thread it is installed on, before the value is read. Readers that read
// through other readers (a list through the integer reader) report their own form first.
class IValueFormObserver
{
public:
    virtual void OnValueRead(ValueForm form, const char16_t* text, int count) = 0;

protected:
    ~IValueFormObserver() = default;
};

// Installs observer for the calling thread (null removes it) and returns the one installed before.
IValueFormObserver* ObserveValueForms(IValueFormObserver* observer);

bool TextEquals(const char16_t* a, const char16_t* b);
bool TextEqualsNoCase(const char16_t* a, const char16_t* b);
// True when ch occurs in text.
bool TextHasChar(const char16_t* text, char16_t ch);

} // namespace ui::markup
