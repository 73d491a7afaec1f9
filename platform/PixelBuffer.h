// A view of 32-bit premultiplied ARGB pixels (0xAARRGGBB in memory order B, G, R, A, rows top-down):
// the common pixel layout of window backing stores, drawing surfaces and image records.
#pragma once

#include <cstdint>

namespace platform {

struct PixelBuffer
{
    std::uint32_t* pixels = nullptr; // first pixel of the top row; not owned
    int width = 0;
    int height = 0;
    int stride = 0; // bytes from one row to the next

    std::uint32_t* Row(int y) const
    {
        return reinterpret_cast<std::uint32_t*>(reinterpret_cast<std::uint8_t*>(pixels) + std::intptr_t(y) * stride);
    }
    bool IsEmpty() const { return pixels == nullptr || width <= 0 || height <= 0; }
};

} // namespace platform
