// The image codecs. PNG and JPEG go to the libraries written and maintained for exactly those
// formats (libpng, libjpeg-turbo, both fuzzed continuously upstream); BMP, a format simple enough
// to check completely, goes to the small BMP decoder of stb_image, built with no other format in
// it, and only once its header has been checked here.
#include "platform/ImageCodecs.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <string_view>

#include <jpeglib.h>
#include <png.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_ONLY_BMP
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 8192
#include <stb_image.h>
#pragma GCC diagnostic pop

namespace platform::codecs {

static_assert(STBI_MAX_DIMENSIONS == kMaxImageSide);

namespace {

std::uint32_t ReadLe32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

std::uint16_t ReadLe16(const std::uint8_t* p)
{
    return std::uint16_t(p[0] | p[1] << 8);
}

bool Allocate(std::vector<std::uint8_t>& rgba, int width, int height)
{
    try {
        rgba.assign(std::size_t(width) * std::size_t(height) * 4, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

// ---- JPEG: errors leave the library by a jump back to the decoding call ---------------------------

struct JpegError
{
    jpeg_error_mgr manager;
    std::jmp_buf back;
};

[[noreturn]] void OnJpegError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegError*>(info->err)->back, 1);
}

void OnJpegMessage(j_common_ptr, int) {}

// The part of DecodeJpeg that may be left by the jump: only plain locals and the caller's vector,
// whose storage is sized before the first row is read.
bool ReadJpeg(jpeg_decompress_struct& info, JpegError& error, const std::uint8_t* data, std::size_t size,
              std::vector<std::uint8_t>& rgba, int& width, int& height)
{
    if (setjmp(error.back) != 0)
        return false;
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK)
        return false;
    if (!AcceptableSize(info.image_width, info.image_height))
        return false;
    // The library's own working memory (coefficient buffers of progressive files) is bounded too.
    info.mem->max_memory_to_use = 256L << 20;
    info.out_color_space = JCS_EXT_RGBA;
    if (!jpeg_start_decompress(&info))
        return false;
    width = int(info.output_width);
    height = int(info.output_height);
    if (!AcceptableSize(width, height) || info.output_components != 4 || !Allocate(rgba, width, height))
        return false;
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = rgba.data() + std::size_t(info.output_scanline) * std::size_t(width) * 4;
        if (jpeg_read_scanlines(&info, &row, 1) != 1)
            return false;
    }
    jpeg_finish_decompress(&info);
    return true;
}

} // namespace

ImageFormat Sniff(const std::uint8_t* data, std::size_t size)
{
    static constexpr std::uint8_t kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (data == nullptr)
        return ImageFormat::Unknown;
    if (size >= 8 && std::memcmp(data, kPng, 8) == 0)
        return ImageFormat::Png;
    if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF)
        return ImageFormat::Jpeg;
    if (size >= 2 && data[0] == 'B' && data[1] == 'M')
        return ImageFormat::Bmp;
    return ImageFormat::Unknown;
}

bool AcceptableSize(long long width, long long height)
{
    return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
           width * height <= kMaxImagePixels;
}

bool DecodePng(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& rgba, int& width, int& height)
{
    if (Sniff(data, size) != ImageFormat::Png)
        return false;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size))
        return false;
    bool ok = AcceptableSize(image.width, image.height);
    if (ok) {
        image.format = PNG_FORMAT_RGBA;
        width = int(image.width);
        height = int(image.height);
        ok = Allocate(rgba, width, height) &&
             png_image_finish_read(&image, nullptr, rgba.data(), png_int_32(width) * 4, nullptr) != 0;
    }
    png_image_free(&image);
    return ok;
}

bool EncodePng(const std::uint8_t* rgba, int width, int height, std::size_t stride, const char* path, bool fast)
{
    if (rgba == nullptr || path == nullptr || width <= 0 || height <= 0 || stride < std::size_t(width) * 4 ||
        stride > INT32_MAX)
        return false;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    image.format = PNG_FORMAT_RGBA;
    if (fast)
        image.flags |= PNG_IMAGE_FLAG_FAST;
    // Encoded in memory first, then written through the C++ library with the name read as UTF-8,
    // so that a name outside the ANSI code page opens on Windows too; the C library's fopen, which
    // libpng's own file writer uses, reads it in that code page there. The buffer has the largest
    // size the image can take, so the pixels are compressed once: asking libpng for the size first
    // compresses them twice, which doubled the cost of every frame a headless run records.
    std::vector<std::uint8_t> bytes;
    try {
        bytes.resize(PNG_IMAGE_PNG_SIZE_MAX(image));
    } catch (const std::bad_alloc&) {
        png_image_free(&image);
        return false;
    }
    png_alloc_size_t size = bytes.size();
    const bool ok = png_image_write_to_memory(&image, bytes.data(), &size, 0, rgba, png_int_32(stride), nullptr) != 0;
    png_image_free(&image);
    if (!ok)
        return false;
    const std::string_view name(path);
    std::ofstream file(std::filesystem::path(std::u8string(name.begin(), name.end())), std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(size));
    file.close();
    return bool(file);
}

bool DecodeJpeg(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& rgba, int& width, int& height)
{
    if (Sniff(data, size) != ImageFormat::Jpeg)
        return false;
    jpeg_decompress_struct info;
    JpegError error;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = OnJpegError;
    error.manager.emit_message = OnJpegMessage;
    const bool ok = ReadJpeg(info, error, data, size, rgba, width, height);
    jpeg_destroy_decompress(&info);
    return ok;
}

bool DecodeBmp(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& rgba, int& width, int& height)
{
    // The file header (14 bytes) and at least the size fields of the info header.
    if (Sniff(data, size) != ImageFormat::Bmp || size < 26 || size > std::size_t(INT32_MAX))
        return false;
    const std::uint32_t headerSize = ReadLe32(data + 14);
    long long w = 0, h = 0;
    if (headerSize == 12) {
        w = ReadLe16(data + 18);
        h = ReadLe16(data + 20);
    } else if (headerSize >= 40 && size >= 30) {
        w = std::int32_t(ReadLe32(data + 18));
        h = std::int32_t(ReadLe32(data + 22));
    } else {
        return false;
    }
    if (h < 0)
        h = -h; // top-down rows
    if (!AcceptableSize(w, h))
        return false;
    int channels = 0;
    stbi_uc* decoded = stbi_load_from_memory(data, int(size), &width, &height, &channels, 4);
    if (decoded == nullptr)
        return false;
    const bool ok = width == w && height == h && Allocate(rgba, width, height);
    if (ok)
        std::memcpy(rgba.data(), decoded, rgba.size());
    stbi_image_free(decoded);
    return ok;
}

} // namespace platform::codecs
