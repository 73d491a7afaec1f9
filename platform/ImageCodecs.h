// The program's image codecs: decoders for the formats a skin or an icon may hold, PNG, JPEG and
// BMP, and the one PNG encoder. Each decoder reads the picture's size first and refuses it, before
// allocating anything for pixels, when it passes the limits below. Other formats are not decoded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform::codecs {

// Decoded images: each side and the pixel count, checked before any decoder allocates.
constexpr int kMaxImageSide = 8192;
constexpr std::int64_t kMaxImagePixels = std::int64_t(4096) * 4096;

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

// Writes 4-channel straight R, G, B, A rows (`stride` bytes apart) as an 8-bit PNG file named in
// UTF-8; false when the size is not positive or the file cannot be written. `fast` trades file size
// for speed (lighter filtering and compression; the pixels are the same).
bool EncodePng(const std::uint8_t* rgba, int width, int height, std::size_t stride, const char* path,
               bool fast = false);

} // namespace platform::codecs
