// Conversions between the framework's straight 0xAARRGGBB colours and the premultiplied pixels
// that surfaces hold (each colour byte scaled by alpha / 255, integer division).
#pragma once

#include <cstdint>

namespace platform {

constexpr std::uint32_t AlphaOf(std::uint32_t argb)
{
    return argb >> 24;
}
constexpr std::uint32_t RedOf(std::uint32_t argb)
{
    return (argb >> 16) & 0xFF;
}
constexpr std::uint32_t GreenOf(std::uint32_t argb)
{
    return (argb >> 8) & 0xFF;
}
constexpr std::uint32_t BlueOf(std::uint32_t argb)
{
    return argb & 0xFF;
}

constexpr std::uint32_t MakeArgb(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b)
{
    return (a << 24) | (r << 16) | (g << 8) | b;
}

// a × c / 255 rounded to nearest, in integers: one channel scaled by a coverage or an alpha.
constexpr std::uint32_t MultiplyChannel(std::uint32_t a, std::uint32_t c)
{
    const std::uint32_t t = a * c + 0x80;
    return (t + (t >> 8)) >> 8;
}

// A straight colour as a premultiplied pixel; opaque colours are unchanged.
constexpr std::uint32_t Premultiply(std::uint32_t argb)
{
    const std::uint32_t a = AlphaOf(argb);
    if (a == 255)
        return argb;
    return MakeArgb(a, RedOf(argb) * a / 255, GreenOf(argb) * a / 255, BlueOf(argb) * a / 255);
}

// A premultiplied pixel as a straight colour (rounded); fully transparent pixels become 0.
constexpr std::uint32_t Unpremultiply(std::uint32_t pixel)
{
    const std::uint32_t a = AlphaOf(pixel);
    if (a == 255)
        return pixel;
    if (a == 0)
        return 0;
    auto un = [a](std::uint32_t c) {
        const std::uint32_t v = (c * 255 + a / 2) / a;
        return v > 255 ? 255u : v;
    };
    return MakeArgb(a, un(RedOf(pixel)), un(GreenOf(pixel)), un(BlueOf(pixel)));
}

} // namespace platform
