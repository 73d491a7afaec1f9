// The blending fallback: premultiplied source-over with a constant alpha done pixel by pixel in
// memory, for drawing layers without a blend operation of their own.
#include "ui/render/SoftBlend.h"

#include "platform/DeviceContext.h"
#include "platform/Surface.h"

namespace ui {

std::uint32_t SoftBlendPixel(std::uint32_t source, std::uint32_t destination, std::uint8_t constantAlpha)
{
    // The source is premultiplied, so its colour is scaled by the constant alpha alone; the
    // destination keeps what the combined coverage leaves of it. The alpha byte follows the same
    // rule, so that blending onto a translucent surface leaves it correctly translucent.
    const double scale = constantAlpha / 255.0;
    double coverage = double(source >> 24) * constantAlpha / 255.0 / 255.0;
    if (coverage < 0)
        coverage = 0;
    std::uint32_t out = 0;
    for (int shift = 0; shift <= 24; shift += 8) {
        const double s = double((source >> shift) & 0xFF);
        const double d = double((destination >> shift) & 0xFF);
        double v = s * scale + d * (1.0 - coverage);
        if (v > 255)
            v = 255;
        out |= std::uint32_t(v) << shift;
    }
    return out;
}

bool SoftAlphaBlend(platform::DeviceContext* dc, const CUIRect& dest, const platform::PixelBuffer& source,
                    const CUIRect& sourceRect, std::uint8_t constantAlpha)
{
    if (!dc || !dc->IsValid())
        return false;
    const int width = dest.Width();
    const int height = dest.Height();
    platform::Surface stretched = platform::Surface::Create(width, height);
    platform::Surface under = platform::Surface::Create(width, height);
    if (!stretched.IsValid() || !under.IsValid())
        return false;
    {
        platform::DeviceContext sdc(stretched);
        sdc.StretchBlt({0, 0, width, height}, source,
                       {sourceRect.left, sourceRect.top, sourceRect.right, sourceRect.bottom});
        platform::DeviceContext udc(under);
        udc.BitBlt(0, 0, width, height, dc->Pixels(), dest.left, dest.top);
    }
    const platform::PixelBuffer s = stretched.Pixels();
    const platform::PixelBuffer d = under.Pixels();
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* srow = s.Row(y);
        std::uint32_t* drow = d.Row(y);
        for (int x = 0; x < width; ++x)
            drow[x] = SoftBlendPixel(srow[x], drow[x], constantAlpha);
    }
    dc->BitBlt(dest.left, dest.top, width, height, d, 0, 0);
    return true;
}

} // namespace ui
