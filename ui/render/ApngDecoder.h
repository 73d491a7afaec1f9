// The animated-PNG decoder behind CRenderKit::LoadAnimatedPng: splits the chunk stream into frames,
// decodes each frame as a standalone PNG and composes the frames onto the canvas, so every frame it
// hands out is a complete picture ready to show. The block layout is described in docs/rendering.md.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace ui {

// The decoder's whole output: one heap block with every frame's pixels (canvas-sized, B, G, R, A,
// premultiplied) followed by the directory that describes them.
struct TApngBlock
{
    std::unique_ptr<std::uint8_t[]> block;
    std::size_t size = 0;
    std::size_t directoryOffset = 0;
};

namespace apng {

// Largest canvas side accepted; larger claims are hostile or a mistake, never a skin picture.
constexpr std::uint32_t kMaxCanvasSide = 16384;
// Largest block (pixels and directory) one animation may take.
constexpr std::size_t kMaxBlockBytes = std::size_t(256) << 20;

constexpr std::uint8_t kDirectoryMagic[4] = {'A', 'P', 'N', 'G'};
constexpr std::size_t kDirectoryHeaderBytes = 16;
constexpr std::size_t kFrameRecordBytes = 16;
// Bit in the directory's flags: the default image is the first frame of the animation.
constexpr std::uint32_t kFlagDefaultImageIsFrame = 1;

// Decodes every frame of an animated PNG (a plain PNG is a one-frame animation). An empty block
// when the bytes are not a PNG, the animation is malformed in any way, a frame does not decode or
// the result would exceed the limits above.
TApngBlock Decode(const std::uint8_t* data, std::size_t size);

} // namespace apng
} // namespace ui
