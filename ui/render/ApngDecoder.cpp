// Animated PNG decoding. The chunk stream is read once into frame descriptions; nothing is decoded
// until the whole file has been found consistent, so a malformed animation costs no pixel work and
// never yields a half-built result. Each frame is then rebuilt as a standalone PNG (its own IHDR, the
// colour chunks every frame shares, its image data, IEND) and handed to the still-image decoder.
#include "ui/render/ApngDecoder.h"

#include "ui/render/ImageLoader.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <string_view>
#include <vector>

namespace ui::apng {

namespace {

constexpr std::uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

enum : std::uint8_t
{
    kDisposeNone = 0,
    kDisposeBackground = 1,
    kDisposePrevious = 2
};
enum : std::uint8_t
{
    kBlendSource = 0,
    kBlendOver = 1
};

std::uint32_t ReadBe32(const std::uint8_t* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

std::uint16_t ReadBe16(const std::uint8_t* p)
{
    return std::uint16_t((p[0] << 8) | p[1]);
}

void AppendBe32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    const std::uint8_t bytes[4] = {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)};
    out.insert(out.end(), bytes, bytes + 4);
}

void StoreLe32(std::uint8_t* p, std::uint32_t v)
{
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
    p[2] = std::uint8_t(v >> 16);
    p[3] = std::uint8_t(v >> 24);
}

// A byte range of the input.
struct TSpan
{
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

struct TChunk
{
    char type[4];
    TSpan body;
};

struct TFrame
{
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    std::uint16_t delayNum = 0;
    std::uint16_t delayDen = 0;
    std::uint8_t dispose = kDisposeNone;
    std::uint8_t blend = kBlendSource;
    // The compressed image data, in order: IDAT bodies, or fdAT bodies minus their sequence number.
    std::vector<TSpan> data;
};

// What the chunk stream says, before any pixel is decoded.
struct TLayout
{
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    TSpan ihdr;
    // Chunks that change how the image data are read or coloured; each frame must carry them.
    std::vector<TChunk> shared;
    bool animated = false;
    std::uint32_t declaredFrames = 0;
    std::uint32_t loops = 0;
    bool defaultIsFrame = false;
    std::vector<TFrame> frames;
};

bool IsType(const TChunk& chunk, const char* type)
{
    return std::memcmp(chunk.type, type, 4) == 0;
}

// Ancillary chunks that affect the pixels and therefore belong with every frame. Text, time and
// other metadata are left out: each frame would copy them for nothing.
bool TravelsWithFrames(const TChunk& chunk)
{
    static constexpr const char* kShared[] = {"PLTE", "tRNS", "gAMA", "cHRM", "sRGB", "iCCP", "sBIT"};
    for (const char* type : kShared)
        if (IsType(chunk, type))
            return true;
    return false;
}

bool ParseFrameControl(const TChunk& chunk, TFrame& frame)
{
    if (chunk.body.size != 26)
        return false;
    const std::uint8_t* p = chunk.body.data + 4; // after the sequence number
    frame.width = ReadBe32(p);
    frame.height = ReadBe32(p + 4);
    frame.x = ReadBe32(p + 8);
    frame.y = ReadBe32(p + 12);
    frame.delayNum = ReadBe16(p + 16);
    frame.delayDen = ReadBe16(p + 18);
    frame.dispose = p[20];
    frame.blend = p[21];
    return frame.dispose <= kDisposePrevious && frame.blend <= kBlendOver;
}

// Walks the chunk stream and checks everything that can be checked without decoding. False for
// anything malformed: a viewer may forgive some of it, but a half-understood animation would show
// wrong pictures, which is worse than showing none.
bool ReadLayout(const std::uint8_t* data, std::size_t size, TLayout& layout)
{
    if (data == nullptr || size < sizeof kSignature || std::memcmp(data, kSignature, sizeof kSignature) != 0)
        return false;
    std::size_t pos = sizeof kSignature;
    bool first = true, ended = false;
    bool idatSeen = false;   // some IDAT has been read
    bool idatClosed = false; // a chunk other than IDAT followed the IDAT run
    bool defaultData = false;
    std::uint32_t sequence = 0;
    std::vector<TSpan> defaultImage;
    while (!ended) {
        if (size - pos < 12)
            return false; // truncated: no room for another chunk header and CRC
        const std::uint32_t length = ReadBe32(data + pos);
        if (length > 0x7FFFFFFFu || length > size - pos - 12)
            return false;
        TChunk chunk;
        std::memcpy(chunk.type, data + pos + 4, 4);
        chunk.body = {data + pos + 8, length};
        pos += std::size_t(length) + 12;

        if (first) {
            if (!IsType(chunk, "IHDR") || length != 13)
                return false;
            layout.ihdr = chunk.body;
            layout.width = ReadBe32(chunk.body.data);
            layout.height = ReadBe32(chunk.body.data + 4);
            if (layout.width == 0 || layout.height == 0 || layout.width > kMaxCanvasSide ||
                layout.height > kMaxCanvasSide)
                return false;
            first = false;
            continue;
        }
        if (idatSeen && !IsType(chunk, "IDAT"))
            idatClosed = true;

        if (IsType(chunk, "IEND")) {
            ended = true;
        } else if (IsType(chunk, "IDAT")) {
            // One run of IDAT chunks, as PNG requires; the default image is the first frame when its
            // frame control came before it.
            if (idatClosed)
                return false;
            if (!idatSeen) {
                if (layout.frames.size() > 1)
                    return false;
                layout.defaultIsFrame = layout.frames.size() == 1;
                idatSeen = true;
            }
            if (layout.defaultIsFrame)
                layout.frames.back().data.push_back(chunk.body);
            else
                defaultImage.push_back(chunk.body);
            defaultData = true;
        } else if (IsType(chunk, "acTL")) {
            if (layout.animated || idatSeen || !layout.frames.empty() || length != 8)
                return false;
            layout.animated = true;
            layout.declaredFrames = ReadBe32(chunk.body.data);
            layout.loops = ReadBe32(chunk.body.data + 4);
        } else if ((IsType(chunk, "fcTL") || IsType(chunk, "fdAT")) && !layout.animated) {
            // Without acTL these are unknown ancillary chunks to any PNG reader: the file is a still.
        } else if (IsType(chunk, "fcTL")) {
            if (length != 26 || ReadBe32(chunk.body.data) != sequence++)
                return false;
            // The frame before this one must have had image data.
            if (!layout.frames.empty() && layout.frames.back().data.empty())
                return false;
            TFrame frame;
            if (!ParseFrameControl(chunk, frame))
                return false;
            layout.frames.push_back(std::move(frame));
        } else if (IsType(chunk, "fdAT")) {
            if (length < 4 || ReadBe32(chunk.body.data) != sequence++)
                return false;
            // Frame data belong to a frame announced after the default image, never to the default one.
            if (!idatSeen || layout.frames.empty() || (layout.defaultIsFrame && layout.frames.size() == 1))
                return false;
            layout.frames.back().data.push_back({chunk.body.data + 4, chunk.body.size - 4});
        } else if (IsType(chunk, "IHDR")) {
            return false;
        } else if (TravelsWithFrames(chunk)) {
            // After the image data these would change nothing for a plain decoder; PLTE there is an error.
            if (idatSeen) {
                if (IsType(chunk, "PLTE"))
                    return false;
            } else {
                layout.shared.push_back(chunk);
            }
        } else if ((chunk.type[0] & 0x20) == 0) {
            // A critical chunk we do not know: PNG says such a file cannot be shown correctly.
            return false;
        }
    }
    if (!defaultData)
        return false;
    if (!layout.animated) {
        TFrame only;
        only.width = layout.width;
        only.height = layout.height;
        only.data = std::move(defaultImage);
        layout.frames.clear();
        layout.frames.push_back(std::move(only));
        layout.defaultIsFrame = true;
        return true;
    }
    if (layout.frames.empty() || layout.declaredFrames != layout.frames.size() || layout.frames.back().data.empty())
        return false;
    // The first frame covers the canvas; every other one must lie inside it.
    const TFrame& head = layout.frames.front();
    if (head.x != 0 || head.y != 0 || head.width != layout.width || head.height != layout.height)
        return false;
    for (const TFrame& frame : layout.frames) {
        if (frame.width == 0 || frame.height == 0 || frame.x >= layout.width || frame.y >= layout.height ||
            frame.width > layout.width - frame.x || frame.height > layout.height - frame.y)
            return false;
    }
    return true;
}

void AppendChunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<TSpan>& pieces)
{
    std::size_t length = 0;
    for (const TSpan& piece : pieces)
        length += piece.size;
    AppendBe32(out, std::uint32_t(length));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    for (const TSpan& piece : pieces)
        out.insert(out.end(), piece.data, piece.data + piece.size);
    // The CRC covers the type and the body. crc32 takes at most UINT_MAX bytes at a time.
    uLong crc = crc32(0L, Z_NULL, 0);
    for (std::size_t at = typeAt; at < out.size();) {
        const std::size_t step = std::min<std::size_t>(out.size() - at, UINT_MAX);
        crc = crc32(crc, out.data() + at, uInt(step));
        at += step;
    }
    AppendBe32(out, std::uint32_t(crc));
}

// The frame as a PNG of its own, so that the still-image decoder can read it unchanged.
bool BuildFramePng(const TLayout& layout, const TFrame& frame, std::vector<std::uint8_t>& out)
{
    std::size_t dataSize = 0;
    for (const TSpan& piece : frame.data)
        dataSize += piece.size;
    // The data of one frame travel as one IDAT chunk, whose length field is limited to 2^31 - 1.
    if (dataSize > 0x7FFFFFFFu)
        return false;
    try {
        out.clear();
        out.insert(out.end(), kSignature, kSignature + sizeof kSignature);
        std::uint8_t header[13];
        std::memcpy(header, layout.ihdr.data, 13);
        const std::uint8_t size[8] = {std::uint8_t(frame.width >> 24),  std::uint8_t(frame.width >> 16),
                                      std::uint8_t(frame.width >> 8),   std::uint8_t(frame.width),
                                      std::uint8_t(frame.height >> 24), std::uint8_t(frame.height >> 16),
                                      std::uint8_t(frame.height >> 8),  std::uint8_t(frame.height)};
        std::memcpy(header, size, 8);
        AppendChunk(out, "IHDR", {{header, 13}});
        for (const TChunk& chunk : layout.shared)
            AppendChunk(out, chunk.type, {chunk.body});
        AppendChunk(out, "IDAT", frame.data);
        AppendChunk(out, "IEND", {});
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

// Straight (not premultiplied) alpha compositing of one pixel over another, as PNG's "over" blend
// defines it; rounded to the nearest level.
void BlendOver(const std::uint8_t* src, std::uint8_t* dst)
{
    const std::uint32_t sa = src[3];
    if (sa == 255) {
        std::memcpy(dst, src, 4);
        return;
    }
    if (sa == 0)
        return;
    const std::uint32_t da = dst[3];
    // Both weights scaled by 255: the source's and what shows of the destination through it.
    const std::uint32_t ws = sa * 255;
    const std::uint32_t wd = da * (255 - sa);
    const std::uint32_t total = ws + wd; // = out alpha * 255
    for (int c = 0; c < 3; ++c)
        dst[c] = std::uint8_t((src[c] * ws + dst[c] * wd + total / 2) / total);
    dst[3] = std::uint8_t((total + 127) / 255);
}

std::uint32_t DelayMilliseconds(const TFrame& frame)
{
    // A zero denominator means hundredths of a second.
    const std::uint32_t den = frame.delayDen == 0 ? 100 : frame.delayDen;
    return (std::uint32_t(frame.delayNum) * 1000 + den / 2) / den;
}

} // namespace

TApngBlock Decode(const std::uint8_t* data, std::size_t size)
{
    TLayout layout;
    try {
        if (!ReadLayout(data, size, layout))
            return {};
    } catch (const std::bad_alloc&) {
        return {};
    }
    const std::size_t pixelCount = std::size_t(layout.width) * layout.height;
    const std::size_t frameBytes = pixelCount * 4;
    const std::size_t count = layout.frames.size();
    const std::size_t directoryBytes = kDirectoryHeaderBytes + count * kFrameRecordBytes;
    if (count > (kMaxBlockBytes - kDirectoryHeaderBytes) / (frameBytes + kFrameRecordBytes))
        return {};
    const std::size_t directoryOffset = count * frameBytes;

    TApngBlock result;
    std::vector<std::uint8_t> canvas, saved, png, decoded;
    std::vector<std::uint32_t> converted;
    try {
        result.block = std::make_unique_for_overwrite<std::uint8_t[]>(directoryOffset + directoryBytes);
        canvas.assign(frameBytes, 0);
        converted.resize(pixelCount);
    } catch (const std::bad_alloc&) {
        return {};
    }
    std::uint8_t* directory = result.block.get() + directoryOffset;
    std::memcpy(directory, kDirectoryMagic, 4);
    StoreLe32(directory + 4, std::uint32_t(count));
    StoreLe32(directory + 8, layout.animated ? layout.loops : 0);
    StoreLe32(directory + 12, layout.defaultIsFrame ? kFlagDefaultImageIsFrame : 0);

    const std::size_t canvasStride = std::size_t(layout.width) * 4;
    for (std::size_t index = 0; index < count; ++index) {
        const TFrame& frame = layout.frames[index];
        int width = 0, height = 0;
        if (!BuildFramePng(layout, frame, png) ||
            !CImageLoader::DecodeImage(png.data(), png.size(), decoded, width, height) ||
            std::uint32_t(width) != frame.width || std::uint32_t(height) != frame.height)
            return {};
        const std::size_t rowBytes = std::size_t(frame.width) * 4;
        const std::size_t regionAt = std::size_t(frame.y) * canvasStride + std::size_t(frame.x) * 4;
        // Nothing before the first frame can be restored, so there "previous" means "background".
        const std::uint8_t dispose =
            index == 0 && frame.dispose == kDisposePrevious ? std::uint8_t(kDisposeBackground) : frame.dispose;
        try {
            if (dispose == kDisposePrevious) {
                saved.resize(rowBytes * frame.height);
                for (std::uint32_t row = 0; row < frame.height; ++row)
                    std::memcpy(saved.data() + row * rowBytes, canvas.data() + regionAt + row * canvasStride, rowBytes);
            }
        } catch (const std::bad_alloc&) {
            return {};
        }
        for (std::uint32_t row = 0; row < frame.height; ++row) {
            std::uint8_t* target = canvas.data() + regionAt + row * canvasStride;
            const std::uint8_t* source = decoded.data() + row * rowBytes;
            if (frame.blend == kBlendSource) {
                std::memcpy(target, source, rowBytes);
            } else {
                for (std::uint32_t x = 0; x < frame.width; ++x)
                    BlendOver(source + x * 4, target + x * 4);
            }
        }

        CImageLoader::PremultiplyPixels(canvas.data(), pixelCount, true, 0, converted.data());
        std::memcpy(result.block.get() + index * frameBytes, converted.data(), frameBytes);
        std::uint8_t* record = directory + kDirectoryHeaderBytes + index * kFrameRecordBytes;
        StoreLe32(record, std::uint32_t(index * frameBytes));
        StoreLe32(record + 4, layout.width);
        StoreLe32(record + 8, layout.height);
        StoreLe32(record + 12, DelayMilliseconds(frame));

        // What the next frame is drawn over.
        for (std::uint32_t row = 0; row < frame.height; ++row) {
            std::uint8_t* target = canvas.data() + regionAt + row * canvasStride;
            if (dispose == kDisposeBackground)
                std::memset(target, 0, rowBytes);
            else if (dispose == kDisposePrevious)
                std::memcpy(target, saved.data() + row * rowBytes, rowBytes);
        }
    }
    result.size = directoryOffset + directoryBytes;
    result.directoryOffset = directoryOffset;
    return result;
}

} // namespace ui::apng
