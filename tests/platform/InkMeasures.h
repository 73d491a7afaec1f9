// Measures of drawn text on a plain background, for tests that compare drawing at two scales:
// how far the ink reaches, and whether it was rasterised at the device size or enlarged.
#pragma once

#include "platform/Surface.h"

#include <algorithm>
#include <cstdint>

namespace ink_test {

// One past the rightmost column holding a pixel other than `background` (0 when there is none).
inline int InkRight(const platform::Surface& s, std::uint32_t background = 0xFFFFFFFFu)
{
    int right = 0;
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x)
            if (s.GetPixel(x, y) != background)
                right = std::max(right, x + 1);
    return right;
}

// The surface's 2x2 cells that hold ink (some pixel differs from the background), and among them
// those whose four pixels are not all equal. A picture enlarged twice from a smaller one is all
// cells of one colour; one drawn at the device size is not.
struct InkCells
{
    int inked = 0;
    int mixed = 0;
};

inline InkCells CountInkCells(const platform::Surface& s, std::uint32_t background = 0xFFFFFFFFu)
{
    InkCells c;
    for (int y = 0; y + 1 < s.Height(); y += 2)
        for (int x = 0; x + 1 < s.Width(); x += 2) {
            const std::uint32_t p[4] = {s.GetPixel(x, y), s.GetPixel(x + 1, y), s.GetPixel(x, y + 1),
                                        s.GetPixel(x + 1, y + 1)};
            bool ink = false, mixed = false;
            for (std::uint32_t v : p) {
                ink |= v != background;
                mixed |= v != p[0];
            }
            c.inked += ink;
            c.mixed += ink && mixed;
        }
    return c;
}

} // namespace ink_test
