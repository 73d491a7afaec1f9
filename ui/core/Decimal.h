// Integers written in decimal, as "%d" writes them, without printf: fonts are looked up by their
// id as text on every paint, and the progress percentage is written a hundred times a second.
#pragma once

namespace ui {

// The longest text WriteDecimal writes: "-2147483648".
inline constexpr int kDecimalMaxLength = 11;

// Writes `value` into the characters just before `end` and returns where the text begins. The
// caller leaves room for kDecimalMaxLength characters and terminates the text itself.
inline char16_t* WriteDecimal(int value, char16_t* end)
{
    unsigned magnitude = value < 0 ? 0u - unsigned(value) : unsigned(value);
    do {
        *--end = char16_t(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        *--end = u'-';
    return end;
}

} // namespace ui
