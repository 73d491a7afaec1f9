// Tests of animated PNG loading: a file written by an independent encoder, the compose rules on
// byte streams built here, hostile streams that must give nothing, and the loader's directory check.
#include "ui/render/RenderKit.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <array>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

using ui::CRenderKit;
using ui::TAnimatedPng;
using Bytes = std::vector<std::uint8_t>;
using Rgba = std::array<std::uint8_t, 4>;
using Bgra = std::array<std::uint8_t, 4>;

constexpr Rgba kRed{255, 0, 0, 255}, kBlue{0, 0, 255, 255}, kClear{0, 0, 0, 0};

void Be32(Bytes& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(std::uint8_t(v >> shift));
}

// A minimal PNG writer: enough chunk kinds to build every animation the decoder must handle.
struct Writer
{
    Bytes bytes{137, 80, 78, 71, 13, 10, 26, 10};

    Writer& Chunk(const char* type, const Bytes& body)
    {
        Be32(bytes, std::uint32_t(body.size()));
        Bytes typed(type, type + 4);
        typed.insert(typed.end(), body.begin(), body.end());
        bytes.insert(bytes.end(), typed.begin(), typed.end());
        Be32(bytes, std::uint32_t(crc32(0, typed.data(), uInt(typed.size()))));
        return *this;
    }
    Writer& Header(std::uint32_t w, std::uint32_t h, std::uint8_t colorType = 6)
    {
        Bytes body;
        Be32(body, w);
        Be32(body, h);
        body.insert(body.end(), {8, colorType, 0, 0, 0});
        return Chunk("IHDR", body);
    }
    Writer& Control(std::uint32_t frames, std::uint32_t loops)
    {
        Bytes body;
        Be32(body, frames);
        Be32(body, loops);
        return Chunk("acTL", body);
    }
    Writer& Frame(std::uint32_t seq, std::uint32_t w, std::uint32_t h, std::uint32_t x, std::uint32_t y,
                  std::uint16_t num, std::uint16_t den, std::uint8_t dispose, std::uint8_t blend)
    {
        Bytes body;
        for (std::uint32_t v : {seq, w, h, x, y})
            Be32(body, v);
        body.insert(body.end(), {std::uint8_t(num >> 8), std::uint8_t(num), std::uint8_t(den >> 8), std::uint8_t(den),
                                 dispose, blend});
        return Chunk("fcTL", body);
    }
    Writer& Data(const Bytes& compressed) { return Chunk("IDAT", compressed); }
    Writer& FrameData(std::uint32_t seq, const Bytes& compressed)
    {
        Bytes body;
        Be32(body, seq);
        body.insert(body.end(), compressed.begin(), compressed.end());
        return Chunk("fdAT", body);
    }
    Bytes End() { return Chunk("IEND", {}).bytes; }
};

// Compressed scanlines (filter 0) of a w x h picture with `channels` bytes per pixel.
Bytes Scanlines(std::uint32_t w, std::uint32_t h, const Bytes& pixels, std::size_t channels = 4)
{
    Bytes raw;
    for (std::uint32_t y = 0; y < h; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), pixels.begin() + std::ptrdiff_t(y * w * channels),
                   pixels.begin() + std::ptrdiff_t((y + 1) * w * channels));
    }
    uLongf size = compressBound(uLong(raw.size()));
    Bytes out(size);
    EXPECT_EQ(compress(out.data(), &size, raw.data(), uLong(raw.size())), Z_OK);
    out.resize(size);
    return out;
}

Bytes Solid(std::uint32_t w, std::uint32_t h, Rgba c)
{
    Bytes pixels;
    for (std::uint32_t i = 0; i < w * h; ++i)
        for (std::uint8_t channel : c)
            pixels.push_back(channel);
    return Scanlines(w, h, pixels);
}

Bgra At(const TAnimatedPng& a, std::size_t frame, std::uint32_t x, std::uint32_t y)
{
    Bgra out;
    std::memcpy(out.data(), a.Pixels(frame) + (std::size_t(y) * a.frames[frame].width + x) * 4, 4);
    return out;
}

std::optional<TAnimatedPng> Load(const Bytes& bytes)
{
    return CRenderKit::LoadAnimatedPng(bytes.data(), bytes.size());
}

TEST(AnimatedPngTest, FileFromAnIndependentEncoderDecodesWithBlendAndDisposal)
{
    // 8x8, made with Pillow by data/make_three_frames.py: red; half-transparent green over the top
    // half (blend over, dispose previous); a blue 2x2 square at (2,2) (blend over).
    std::ifstream in(TVU_SOURCE_DIR "/tests/ui/render/data/three_frames.png", std::ios::binary);
    const Bytes file{std::istreambuf_iterator<char>(in), {}};
    ASSERT_FALSE(file.empty());
    const auto a = Load(file);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->frameCount, 3u);
    EXPECT_EQ(a->loopCount, 3u);
    EXPECT_EQ(a->flags, 1u);
    ASSERT_EQ(a->frames.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(a->frames[i].width, 8u);
        EXPECT_EQ(a->frames[i].height, 8u);
        EXPECT_EQ(a->frames[i].delayMs, 100u * (i + 1));
    }
    const Bgra red{0, 0, 255, 255}, blue{255, 0, 0, 255}, greenOverRed{0, 128, 127, 255};
    EXPECT_EQ(At(*a, 0, 0, 0), red);
    EXPECT_EQ(At(*a, 0, 7, 7), red);
    EXPECT_EQ(At(*a, 1, 0, 0), greenOverRed);
    EXPECT_EQ(At(*a, 1, 7, 3), greenOverRed);
    EXPECT_EQ(At(*a, 1, 0, 4), red);
    // The green was disposed back to red before the square was drawn.
    EXPECT_EQ(At(*a, 2, 0, 0), red);
    EXPECT_EQ(At(*a, 2, 2, 2), blue);
    EXPECT_EQ(At(*a, 2, 3, 3), blue);
    EXPECT_EQ(At(*a, 2, 4, 3), red);
}

TEST(AnimatedPngTest, SubRegionsComposeByDisposeAndBlendOps)
{
    const Rgba yellow{255, 255, 0, 255}, halfGreen{0, 255, 0, 128};
    Bytes corner; // 2x2: transparent top-left, yellow elsewhere
    for (const Rgba& c : {kClear, yellow, yellow, yellow})
        corner.insert(corner.end(), c.begin(), c.end());
    const Bytes file = Writer()
                           .Header(4, 4)
                           .Control(4, 0)
                           .Frame(0, 4, 4, 0, 0, 5, 0, 1, 0) // blue, then cleared to background
                           .Data(Solid(4, 4, kBlue))
                           .Frame(1, 2, 2, 1, 1, 0, 0, 0, 0) // red square stays
                           .FrameData(2, Solid(2, 2, kRed))
                           .Frame(3, 1, 1, 3, 3, 1, 3, 2, 1) // half green over nothing, then restored
                           .FrameData(4, Solid(1, 1, halfGreen))
                           .Frame(5, 2, 2, 0, 0, 7, 1000, 0, 0) // source blend replaces, transparency included
                           .FrameData(6, Scanlines(2, 2, corner))
                           .End();
    const auto a = Load(file);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->frameCount, 4u);
    EXPECT_EQ(a->loopCount, 0u);
    std::vector<std::uint32_t> delays;
    for (const auto& f : a->frames)
        delays.push_back(f.delayMs);
    EXPECT_EQ(delays, (std::vector<std::uint32_t>{50, 0, 333, 7}));
    const Bgra none{0, 0, 0, 0}, red{0, 0, 255, 255}, blue{255, 0, 0, 255}, yel{0, 255, 255, 255};
    EXPECT_EQ(At(*a, 0, 0, 0), blue);
    EXPECT_EQ(At(*a, 1, 0, 0), none);
    EXPECT_EQ(At(*a, 1, 1, 1), red);
    EXPECT_EQ(At(*a, 1, 2, 2), red);
    EXPECT_EQ(At(*a, 1, 3, 3), none);
    EXPECT_EQ(At(*a, 2, 3, 3), (Bgra{0, 128, 0, 128})); // premultiplied
    EXPECT_EQ(At(*a, 2, 2, 2), red);
    EXPECT_EQ(At(*a, 3, 3, 3), none);
    EXPECT_EQ(At(*a, 3, 0, 0), none);
    EXPECT_EQ(At(*a, 3, 1, 0), yel);
    EXPECT_EQ(At(*a, 3, 1, 1), yel);
    EXPECT_EQ(At(*a, 3, 2, 2), red);
}

TEST(AnimatedPngTest, DefaultImageOutsideTheAnimationIsSkippedAndPalettesTravel)
{
    // Palette picture: index 0 red, index 1 transparent blue. The fdAT frame only decodes right if
    // PLTE and tRNS were carried into it.
    const Bytes palette{255, 0, 0, 0, 0, 255}, alpha{255, 0};
    const Bytes idx{0, 1, 1, 0};
    const Bytes file = Writer()
                           .Header(2, 2, 3)
                           .Control(1, 1)
                           .Chunk("PLTE", palette)
                           .Chunk("tRNS", alpha)
                           .Data(Scanlines(2, 2, Bytes(4, 0), 1)) // all red: not shown
                           .Frame(0, 2, 2, 0, 0, 1, 10, 0, 0)
                           .FrameData(1, Scanlines(2, 2, idx, 1))
                           .End();
    const auto a = Load(file);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->frameCount, 1u);
    EXPECT_EQ(a->loopCount, 1u);
    EXPECT_EQ(a->flags, 0u);
    EXPECT_EQ(a->frames[0].delayMs, 100u);
    EXPECT_EQ(At(*a, 0, 0, 0), (Bgra{0, 0, 255, 255}));
    EXPECT_EQ(At(*a, 0, 1, 0), (Bgra{0, 0, 0, 0}));
}

TEST(AnimatedPngTest, PlainPngIsOneFrame)
{
    const auto a = Load(Writer().Header(3, 2).Data(Solid(3, 2, kBlue)).End());
    ASSERT_TRUE(a);
    EXPECT_EQ(a->frameCount, 1u);
    EXPECT_EQ(a->loopCount, 0u);
    EXPECT_EQ(a->flags, 1u);
    EXPECT_EQ(a->frames[0].width, 3u);
    EXPECT_EQ(a->frames[0].delayMs, 0u);
    EXPECT_EQ(At(*a, 0, 2, 1), (Bgra{255, 0, 0, 255}));
}

// A two-frame 4x4 animation whose pieces the hostile cases vary.
// The second frame's region is width, height, x, y.
Bytes TwoFrames(Writer w, std::uint32_t frames = 2, std::uint32_t seq1 = 1, std::uint32_t seq2 = 2,
                std::array<std::uint32_t, 4> region = {2, 2, 1, 1}, const Bytes& data = Solid(2, 2, kBlue))
{
    return w.Control(frames, 0)
        .Frame(0, 4, 4, 0, 0, 1, 1, 0, 0)
        .Data(Solid(4, 4, kRed))
        .Frame(seq1, region[0], region[1], region[2], region[3], 1, 1, 0, 0)
        .FrameData(seq2, data)
        .End();
}

TEST(AnimatedPngTest, MalformedOrHostileStreamsGiveNothing)
{
    const Bytes good = TwoFrames(Writer().Header(4, 4));
    ASSERT_TRUE(Load(good));
    const Bytes red4 = Solid(4, 4, kRed), blue2 = Solid(2, 2, kBlue);
    auto Start = [] { return Writer().Header(4, 4); };
    std::vector<std::pair<std::string, Bytes>> cases = {
        {"empty", {}},
        {"not a png", Bytes(64, 'x')},
        {"fewer frames than acTL says", TwoFrames(Start(), 3)},
        {"more frames than acTL says", TwoFrames(Start(), 1)},
        {"no frames", Start().Control(0, 0).Data(red4).End()},
        {"sequence out of order", TwoFrames(Start(), 2, 2, 1)},
        {"sequence gap", TwoFrames(Start(), 2, 1, 3)},
        {"canvas too wide", TwoFrames(Writer().Header(16385, 4))},
        {"output over the cap", Writer().Header(8192, 8192).Data(red4).End()},
        {"region past the right edge", TwoFrames(Start(), 2, 1, 2, {2, 2, 3, 0})},
        {"offset that wraps", TwoFrames(Start(), 2, 1, 2, {2, 2, 0xFFFFFFFF, 0})},
        {"zero-sized frame", TwoFrames(Start(), 2, 1, 2, {0, 2, 0, 0})},
        {"first frame not the canvas", Start().Control(1, 0).Frame(0, 2, 2, 0, 0, 1, 1, 0, 0).Data(red4).End()},
        {"frame without data",
         Start().Control(2, 0).Frame(0, 4, 4, 0, 0, 1, 1, 0, 0).Data(red4).Frame(1, 2, 2, 0, 0, 1, 1, 0, 0).End()},
        {"frame data the decoder refuses", TwoFrames(Start(), 2, 1, 2, {2, 2, 0, 0}, Bytes(9, 0xAB))},
        {"fdAT for the default image",
         Start().Control(1, 0).Frame(0, 4, 4, 0, 0, 1, 1, 0, 0).FrameData(1, red4).Data(red4).End()},
        {"unknown dispose op", Start().Control(1, 0).Frame(0, 4, 4, 0, 0, 1, 1, 3, 0).Data(red4).End()},
        {"acTL after the image data", Start().Data(red4).Control(1, 0).End()},
        {"no image data", Start().End()},
    };
    // A chunk length running past the end of the file.
    Bytes longChunk = good;
    const std::size_t fdat = good.size() - 12 - 4 - blue2.size() - 12; // the fdAT's length field
    ASSERT_EQ(std::memcmp(&good[fdat + 4], "fdAT", 4), 0);
    for (std::uint32_t length : {0x7FFFFFF0u, 0xFFFFFFFFu}) {
        for (int i = 0; i < 4; ++i)
            longChunk[fdat + std::size_t(i)] = std::uint8_t(length >> (24 - 8 * i));
        cases.emplace_back("chunk past the end", longChunk);
    }
    // Every truncation, IEND included.
    for (std::size_t n = 0; n < good.size(); ++n)
        cases.emplace_back("truncated to " + std::to_string(n), Bytes(good.begin(), good.begin() + std::ptrdiff_t(n)));
    for (const auto& [name, bytes] : cases)
        EXPECT_FALSE(Load(bytes)) << name;
    EXPECT_FALSE(CRenderKit::LoadAnimatedPng(nullptr, 100));
}

TEST(AnimatedPngTest, RandomDamageNeverReadsOutOfBounds)
{
    // Results may go either way; the sanitizer build is what watches these.
    const Bytes good = TwoFrames(Writer().Header(4, 4));
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        Bytes damaged = good;
        for (int hits = 1 + int(random() % 4); hits > 0; --hits)
            damaged[random() % damaged.size()] = std::uint8_t(random());
        if (const auto a = Load(damaged)) {
            EXPECT_EQ(a->frames.size(), a->frameCount);
        }
    }
}

TEST(AnimatedPngTest, LoaderRefusesADirectoryWithoutItsMagicOrOutsideItsBlock)
{
    ui::TApngBlock decoded = ui::apng::Decode(TwoFrames(Writer().Header(4, 4)).data(), 0);
    EXPECT_FALSE(decoded.block);
    const Bytes good = TwoFrames(Writer().Header(4, 4));
    auto Fresh = [&] { return ui::apng::Decode(good.data(), good.size()); };

    decoded = Fresh();
    ASSERT_TRUE(decoded.block);
    decoded.block[decoded.directoryOffset + 3] = 'X';
    testing::internal::CaptureStderr();
    EXPECT_FALSE(CRenderKit::ReadAnimatedPng(std::move(decoded)));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "invalid apng directory\n");

    decoded = Fresh();
    decoded.directoryOffset = decoded.size - 8; // the header would run past the block
    testing::internal::CaptureStderr();
    EXPECT_FALSE(CRenderKit::ReadAnimatedPng(std::move(decoded)));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "invalid apng directory\n");

    decoded = Fresh();
    decoded.block[decoded.directoryOffset + 16 + 16 + 3] = 1; // second frame's pixels past the directory
    testing::internal::CaptureStderr();
    EXPECT_FALSE(CRenderKit::ReadAnimatedPng(std::move(decoded)));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "invalid apng directory\n");

    testing::internal::CaptureStderr();
    const auto a = CRenderKit::ReadAnimatedPng(Fresh());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->frames[1].offset, 4u * 4 * 4);
    EXPECT_EQ(At(*a, 1, 1, 1), (Bgra{255, 0, 0, 255}));
    EXPECT_EQ(At(*a, 1, 0, 0), (Bgra{0, 0, 255, 255}));
}

} // namespace
