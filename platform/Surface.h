// A 32-bit premultiplied ARGB drawing surface: either owning its pixels or wrapping a
// PixelBuffer that someone else owns (a window's backing store, an image record).
#pragma once

#include <cstdint>
#include <memory>

#include "platform/PixelBuffer.h"

namespace platform {

class Surface
{
public:
    Surface();
    ~Surface();
    Surface(Surface&& other) noexcept;
    Surface& operator=(Surface&& other) noexcept;
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    // A transparent surface of the given size; an invalid surface when the size is not positive
    // or memory runs out.
    static Surface Create(int width, int height);
    // A surface drawing straight into `pixels`, which must outlive it. An empty buffer, or one
    // whose stride cannot hold a row, gives an invalid surface.
    static Surface Wrap(const PixelBuffer& pixels);

    bool IsValid() const;
    int Width() const;
    int Height() const;

    // The pixels, with any pending drawing finished first.
    PixelBuffer Pixels() const;
    // The premultiplied pixel at (x, y); 0 outside the surface.
    std::uint32_t GetPixel(int x, int y) const;
    void SetPixel(int x, int y, std::uint32_t premultiplied);
    // Sets every pixel to the straight colour `argb` (premultiplied on the way).
    void Clear(std::uint32_t argb = 0);
    // A new owning surface with the same pixels.
    Surface Clone() const;

    struct Impl;
    Impl* GetImpl() const { return m_impl.get(); }

private:
    // Tells the drawing backend that the pixels were changed behind its back (the backend's part;
    // the pixel-level members above are shared by every backend).
    void PixelsChanged() const;

    std::unique_ptr<Impl> m_impl;
};

} // namespace platform
