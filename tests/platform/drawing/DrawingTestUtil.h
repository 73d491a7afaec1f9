// Small helpers for the drawing tests: pixel reads with readable failure output.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/Surface.h"

namespace drawingtest {

inline std::string Hex(std::uint32_t v)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", v);
    return text;
}

// Counts pixels inside [x0, x1) x [y0, y1) equal to `value`.
inline int CountEqual(const platform::Surface& s, int x0, int y0, int x1, int y1, std::uint32_t value)
{
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            n += s.GetPixel(x, y) == value;
    return n;
}

} // namespace drawingtest

#define EXPECT_PIXEL(surface, x, y, value)                                                                             \
    EXPECT_EQ(drawingtest::Hex((surface).GetPixel((x), (y))), drawingtest::Hex(value))                                 \
        << "at (" << (x) << ", " << (y) << ")"
