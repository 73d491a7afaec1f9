// Decoders for the image formats a skin may hold: PNG (libpng), JPEG (libjpeg-turbo) and BMP. Each
// reads the picture's size first and refuses it, before allocating anything for pixels, when it
// passes the limits of ui/core/Limits.h. Other formats are not decoded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ui::codecs {

enum class ImageFormat
{
    Unknown,
    Png,
    Jpeg,
    Bmp,
};

// The format the leading bytes announce.
ImageFormat Sniff(const std::uint8_t* data, std::size_t size);

// True when a picture of this size may be decoded.
bool AcceptableSize(long long width, long long height);

// Decodes to 4-channel R, G, B, A rows without padding; false for broken, oversized or unknown bytes.
bool DecodePng(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& rgba, int& width, int& height);
bool DecodeJpeg(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& rgba, int& width, int& height);
bool DecodeBmp(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& rgba, int& width, int& height);

} // namespace ui::codecs
