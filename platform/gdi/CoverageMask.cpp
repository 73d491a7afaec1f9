// Coverage masks: a DIB section of the box in a memory device context of its own. GDI anti-aliases
// text in grey (the fonts ask for it), so the three channels carry one coverage; pens are aliased
// and cover a pixel fully or not at all.
#include "platform/Color.h"
#include "platform/Geometry.h"
#include "platform/gdi/GdiShared.h"

namespace platform::gdi {

CoverageMask::CoverageMask(const Rect& logicalBox, double scale) : m_box(ScaleRect(logicalBox, scale))
{
    const Rect& box = m_box;
    if (box.IsEmpty())
        return;
    m_dc = ::CreateCompatibleDC(nullptr);
    if (!m_dc)
        return;
    m_bitmap = CreateDib(box.Width(), box.Height(), &m_bits);
    if (!m_bitmap) {
        m_bits = nullptr;
        return;
    }
    m_previous = ::SelectObject(m_dc, m_bitmap);
    if (scale == 1.0) {
        ::SetViewportOrgEx(m_dc, -box.left, -box.top, nullptr);
    } else {
        ::SetGraphicsMode(m_dc, GM_ADVANCED);
        const XFORM toDevice{FLOAT(scale), 0, 0, FLOAT(scale), FLOAT(-box.left), FLOAT(-box.top)};
        ::SetWorldTransform(m_dc, &toDevice);
    }
    ::SetBkMode(m_dc, TRANSPARENT);
    ::SetTextColor(m_dc, RGB(255, 255, 255));
}

CoverageMask::~CoverageMask()
{
    if (m_dc) {
        if (m_previous)
            ::SelectObject(m_dc, m_previous);
        ::DeleteDC(m_dc);
    }
    if (m_bitmap)
        ::DeleteObject(m_bitmap);
}

void CoverageMask::ComposeInto(const PixelBuffer& target, const Region& clip, std::uint32_t color) const
{
    if (!IsValid() || target.IsEmpty())
        return;
    ::GdiFlush();
    const std::uint32_t red = RedOf(color), green = GreenOf(color), blue = BlueOf(color);
    const Rect within = m_box.Intersect({0, 0, target.width, target.height});
    for (const Rect& r : clip.RectsWithin(within)) {
        for (int y = r.top; y < r.bottom; ++y) {
            const std::uint32_t* coverageRow = m_bits + std::size_t(y - m_box.top) * std::size_t(m_box.Width());
            std::uint32_t* row = target.Row(y);
            for (int x = r.left; x < r.right; ++x) {
                const std::uint32_t m = coverageRow[x - m_box.left];
                const std::uint32_t coverage = (((m >> 16) & 0xFF) + ((m >> 8) & 0xFF) + (m & 0xFF) + 1) / 3;
                if (coverage == 0)
                    continue;
                if (coverage == 255) {
                    row[x] = 0xFF000000 | red << 16 | green << 8 | blue;
                    continue;
                }
                // The colour at `coverage` over the premultiplied pixel (source-over).
                const std::uint32_t keep = 255 - coverage, p = row[x];
                row[x] = (coverage + MultiplyChannel(keep, p >> 24)) << 24 |
                         (MultiplyChannel(coverage, red) + MultiplyChannel(keep, (p >> 16) & 0xFF)) << 16 |
                         (MultiplyChannel(coverage, green) + MultiplyChannel(keep, (p >> 8) & 0xFF)) << 8 |
                         (MultiplyChannel(coverage, blue) + MultiplyChannel(keep, p & 0xFF));
            }
        }
    }
}

} // namespace platform::gdi
