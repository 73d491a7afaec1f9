// The members of Surface that work on its pixels alone, the same over every drawing backend; the
// backend provides the pixels (Pixels) and hears of changes made here (PixelsChanged).
#include "platform/Surface.h"

#include <cstring>

#include "platform/Color.h"

namespace platform {

std::uint32_t Surface::GetPixel(int x, int y) const
{
    const PixelBuffer pb = Pixels();
    if (pb.IsEmpty() || x < 0 || y < 0 || x >= pb.width || y >= pb.height)
        return 0;
    return pb.Row(y)[x];
}

void Surface::SetPixel(int x, int y, std::uint32_t premultiplied)
{
    const PixelBuffer pb = Pixels();
    if (pb.IsEmpty() || x < 0 || y < 0 || x >= pb.width || y >= pb.height)
        return;
    pb.Row(y)[x] = premultiplied;
    PixelsChanged();
}

void Surface::Clear(std::uint32_t argb)
{
    const PixelBuffer pb = Pixels();
    if (pb.IsEmpty())
        return;
    const std::uint32_t value = Premultiply(argb);
    for (int y = 0; y < pb.height; ++y) {
        std::uint32_t* row = pb.Row(y);
        for (int x = 0; x < pb.width; ++x)
            row[x] = value;
    }
    PixelsChanged();
}

Surface Surface::Clone() const
{
    const PixelBuffer src = Pixels();
    Surface copy = Create(src.width, src.height);
    if (!copy.IsValid())
        return copy;
    const PixelBuffer dst = copy.Pixels();
    for (int y = 0; y < src.height; ++y)
        std::memcpy(dst.Row(y), src.Row(y), static_cast<size_t>(src.width) * 4);
    copy.PixelsChanged();
    return copy;
}

} // namespace platform
