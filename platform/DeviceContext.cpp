// What every drawing backend's device context shares: saved state, the clip region, the selected
// font and text colour, transforms, and the pixel-exact fills and blits. Fills and blits write
// pixels directly (the integer results GDI code expects, and no resampling surprises), so they
// come out the same over every backend.
#include "platform/DeviceContext.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/Color.h"
#include "platform/DeviceContextState.h"

namespace platform {

// ---------------------------------------------------------------------------------------------
// Pixel arithmetic
// ---------------------------------------------------------------------------------------------

namespace {

// Two 8-bit lanes (0x00XX00XX) each multiplied by a / 255, rounded to nearest; exact, without
// division.
inline std::uint32_t ScaleLanes(std::uint32_t lanes, std::uint32_t a)
{
    std::uint32_t t = lanes * a + 0x00800080;
    return ((t + ((t >> 8) & 0x00FF00FF)) >> 8) & 0x00FF00FF;
}

// Every channel of a premultiplied pixel scaled by alpha / 255.
inline std::uint32_t Scale(std::uint32_t p, std::uint32_t alpha)
{
    if (alpha == 255)
        return p;
    return ScaleLanes(p & 0x00FF00FF, alpha) | (ScaleLanes((p >> 8) & 0x00FF00FF, alpha) << 8);
}

// Two lanes added, each saturating at 255 (a pixel whose colour exceeds its alpha must not carry
// into the next channel).
inline std::uint32_t AddLanes(std::uint32_t a, std::uint32_t b)
{
    const std::uint32_t sum = a + b;
    const std::uint32_t saturated = (0x01000100 - ((sum >> 8) & 0x00010001)) & 0x00FF00FF;
    return (sum | saturated) & 0x00FF00FF;
}

// Premultiplied source-over of one pixel.
inline std::uint32_t Over(std::uint32_t s, std::uint32_t d)
{
    const std::uint32_t inverse = 255 - (s >> 24);
    if (inverse == 0 || d == 0)
        return s;
    if (s == 0)
        return d;
    const std::uint32_t kept = Scale(d, inverse);
    return AddLanes(s & 0x00FF00FF, kept & 0x00FF00FF) |
           (AddLanes((s >> 8) & 0x00FF00FF, (kept >> 8) & 0x00FF00FF) << 8);
}

// A private copy of part of a source that shares memory with the target, so that reading and
// writing the same pixels in one blit cannot smear them.
struct SourceCopy
{
    std::vector<std::uint32_t> storage;
    PixelBuffer buffer;
    int dx = 0; // offset to add to source coordinates
    int dy = 0;

    SourceCopy(const PixelBuffer& source, const PixelBuffer& target, const Rect& needed)
    {
        buffer = source;
        if (!BuffersOverlap(source, target))
            return;
        const Rect r = needed.Intersect({0, 0, source.width, source.height});
        if (r.IsEmpty())
            return;
        storage.resize(static_cast<size_t>(r.Width()) * r.Height());
        for (int y = 0; y < r.Height(); ++y)
            std::memcpy(&storage[static_cast<size_t>(y) * r.Width()], source.Row(r.top + y) + r.left,
                        static_cast<size_t>(r.Width()) * 4);
        buffer = {storage.data(), r.Width(), r.Height(), r.Width() * 4};
        dx = -r.left;
        dy = -r.top;
    }
};

#if defined(__SSE2__)
// Eight 16-bit channels each multiplied by a / 255, rounded to nearest: the same arithmetic as
// ScaleLanes (every intermediate fits 16 bits), so both paths give the same pixels.
inline __m128i ScaleChannels(__m128i channels, __m128i a)
{
    const __m128i t = _mm_add_epi16(_mm_mullo_epi16(channels, a), _mm_set1_epi16(0x80));
    return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
}

// The alpha channel of each of two pixels (as 16-bit channels) in all four of its channels.
inline __m128i SpreadAlpha(__m128i channels)
{
    return _mm_shufflehi_epi16(_mm_shufflelo_epi16(channels, 0xFF), 0xFF);
}
#endif

enum class BlendMode
{
    Copy,     // opaque source at full constant alpha
    Opaque,   // the source's alpha ignored, the constant alpha applied
    PerPixel, // the source's alpha and the constant alpha
};

// One row of a blit: n destination pixels from in[columns[i]], or from in[i] when `columns` is
// null (a source that is not stretched sideways). Four pixels at a time where the processor
// allows, with exactly the arithmetic of Scale and Over (source-over of premultiplied pixels,
// saturating): Over's shortcuts give what its general formula gives, so four wholly transparent
// source pixels leave the destination as it is and four opaque ones at full constant alpha
// replace it, without the arithmetic.
void BlendSpan(std::uint32_t* out, const std::uint32_t* in, const int* columns, int n, BlendMode mode,
               std::uint32_t constantAlpha)
{
    int i = 0;
    if (mode == BlendMode::Copy) {
        if (columns == nullptr) {
            std::memcpy(out, in, static_cast<size_t>(n) * 4);
            return;
        }
        for (; i < n; ++i)
            out[i] = in[columns[i]];
        return;
    }
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i full = _mm_set1_epi16(255);
    const __m128i constant = _mm_set1_epi16(static_cast<short>(constantAlpha));
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    for (; i + 4 <= n; i += 4) {
        __m128i s = columns == nullptr
                        ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i))
                        : _mm_set_epi32(static_cast<int>(in[columns[i + 3]]), static_cast<int>(in[columns[i + 2]]),
                                        static_cast<int>(in[columns[i + 1]]), static_cast<int>(in[columns[i]]));
        if (mode == BlendMode::Opaque)
            s = _mm_or_si128(s, opaque);
        auto* at = reinterpret_cast<__m128i*>(out + i);
        if (constantAlpha == 255) {
            const int alphaBits = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(s, opaque), opaque)) & 0x8888;
            if (alphaBits == 0x8888) {
                _mm_storeu_si128(at, s);
                continue;
            }
        }
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(s, zero)) == 0xFFFF)
            continue;
        __m128i sLow = _mm_unpacklo_epi8(s, zero);
        __m128i sHigh = _mm_unpackhi_epi8(s, zero);
        if (constantAlpha != 255) {
            sLow = ScaleChannels(sLow, constant);
            sHigh = ScaleChannels(sHigh, constant);
        }
        const __m128i d = _mm_loadu_si128(at);
        const __m128i kLow = ScaleChannels(_mm_unpacklo_epi8(d, zero), _mm_sub_epi16(full, SpreadAlpha(sLow)));
        const __m128i kHigh = ScaleChannels(_mm_unpackhi_epi8(d, zero), _mm_sub_epi16(full, SpreadAlpha(sHigh)));
        _mm_storeu_si128(at, _mm_adds_epu8(_mm_packus_epi16(sLow, sHigh), _mm_packus_epi16(kLow, kHigh)));
    }
#endif
    for (; i < n; ++i) {
        const std::uint32_t p = columns == nullptr ? in[i] : in[columns[i]];
        out[i] = Over(Scale(mode == BlendMode::Opaque ? p | 0xFF000000 : p, constantAlpha), out[i]);
    }
}

// The source index sampled for destination index i when n destination pixels show m source pixels:
// the source pixel under the destination pixel's centre.
inline int Sample(int i, int n, int m)
{
    return static_cast<int>((static_cast<long long>(2 * i + 1) * m) / (2LL * n));
}

} // namespace

int DeviceContext::Width() const
{
    return StateOf(*m_impl).bounds.Width();
}

int DeviceContext::Height() const
{
    return StateOf(*m_impl).bounds.Height();
}

void DeviceContext::SetScale(double scale)
{
    DeviceContextState& S = StateOf(*m_impl);
    S.scale = SaneScale(scale);
    S.ResetBounds();
}

double DeviceContext::Scale() const
{
    return StateOf(*m_impl).scale;
}

int DeviceContext::Save()
{
    DeviceContextState& S = StateOf(*m_impl);
    S.saved.push_back({S.clip, S.font, S.textColor, S.transform});
    return static_cast<int>(S.saved.size());
}

bool DeviceContext::Restore()
{
    DeviceContextState& S = StateOf(*m_impl);
    if (S.saved.empty())
        return false;
    DeviceContextState::Saved& s = S.saved.back();
    S.clip = std::move(s.clip);
    S.font = std::move(s.font);
    S.textColor = s.textColor;
    S.transform = s.transform;
    S.saved.pop_back();
    return true;
}

// ---------------------------------------------------------------------------------------------
// Clip region
// ---------------------------------------------------------------------------------------------

const Region& DeviceContext::GetClipRegion() const
{
    DeviceContextState& S = StateOf(*m_impl);
    return S.clip;
}

Rect DeviceContext::GetClipBox() const
{
    DeviceContextState& S = StateOf(*m_impl);
    return S.clip.Bounds();
}

void DeviceContext::SetClipRegion(const Region& region)
{
    DeviceContextState& S = StateOf(*m_impl);
    S.clip = region.Intersect(S.bounds);
}

void DeviceContext::SetClipRect(const Rect& rect)
{
    DeviceContextState& S = StateOf(*m_impl);
    S.clip = Region(rect.Intersect(S.bounds));
}

void DeviceContext::ResetClip()
{
    DeviceContextState& S = StateOf(*m_impl);
    S.clip = Region(S.bounds);
}

void DeviceContext::IntersectClipRect(const Rect& rect)
{
    DeviceContextState& S = StateOf(*m_impl);
    S.clip = S.clip.Intersect(rect);
}

void DeviceContext::IntersectClipRoundRect(const Rect& rect, int ellipseWidth, int ellipseHeight)
{
    DeviceContextState& S = StateOf(*m_impl);
    S.clip = S.clip.Intersect(Region::FromRoundRect(rect, ellipseWidth, ellipseHeight));
}

void DeviceContext::IntersectClipRegion(const Region& region)
{
    DeviceContextState& S = StateOf(*m_impl);
    S.clip = S.clip.Intersect(region);
}

void DeviceContext::ExcludeClipRect(const Rect& rect)
{
    DeviceContextState& S = StateOf(*m_impl);
    S.clip = S.clip.Subtract(rect);
}

// ---------------------------------------------------------------------------------------------
// Fills
// ---------------------------------------------------------------------------------------------

void DeviceContext::FillSolid(const Rect& rect, std::uint32_t argb)
{
    FillRegion(Region(Normalized(rect)), argb);
}

void DeviceContext::FillRegion(const Region& region, std::uint32_t argb)
{
    DeviceContextState& S = StateOf(*m_impl);
    if (S.bounds.IsEmpty())
        return;
    const PixelBuffer pb = S.BeginPixels();
    const std::uint32_t value = Premultiply(argb);
    auto fill = [&](const Rect& r) {
        for (int y = r.top; y < r.bottom; ++y)
            std::fill(pb.Row(y) + r.left, pb.Row(y) + r.right, value);
    };
    const Region area = S.clip.Intersect(region);
    if (S.scale == 1.0)
        area.ForEachRect(fill);
    else
        area.Scaled(S.scale).Intersect(S.deviceBounds).ForEachRect(fill);
    S.EndPixels();
}

void DeviceContext::BlendSolid(const Rect& rect, std::uint32_t argb)
{
    DeviceContextState& S = StateOf(*m_impl);
    if (S.bounds.IsEmpty() || AlphaOf(argb) == 0)
        return;
    const PixelBuffer pb = S.BeginPixels();
    const std::uint32_t value = Premultiply(argb);
    auto blend = [&](const Rect& r) {
        for (int y = r.top; y < r.bottom; ++y) {
            std::uint32_t* row = pb.Row(y);
            for (int x = r.left; x < r.right; ++x)
                row[x] = Over(value, row[x]);
        }
    };
    if (S.scale == 1.0)
        S.clip.ForEachRectWithin(Normalized(rect), blend);
    else
        S.clip.Intersect(Normalized(rect)).Scaled(S.scale).Intersect(S.deviceBounds).ForEachRect(blend);
    S.EndPixels();
}

void DeviceContext::FillGradient(const Rect& logicalRect, std::uint32_t first, std::uint32_t second,
                                 GradientDirection direction)
{
    DeviceContextState& S = StateOf(*m_impl);
    if (S.bounds.IsEmpty() || logicalRect.IsEmpty())
        return;
    // At a scale the gradient runs over the device pixels, one colour step per device row or column.
    const Rect rect = S.scale == 1.0 ? logicalRect : ScaleRect(logicalRect, S.scale);
    const Region& clip = S.DeviceClip();
    // Colours are worked out only for the visible steps: the rectangle may be far larger than the
    // surface.
    const Rect visible = rect.Intersect(clip.Bounds());
    if (visible.IsEmpty())
        return;
    const bool vertical = direction == GradientDirection::Vertical;
    const long long steps =
        vertical ? static_cast<long long>(rect.bottom) - rect.top : static_cast<long long>(rect.right) - rect.left;
    const int from = vertical ? visible.top - rect.top : visible.left - rect.left;
    const int count = vertical ? visible.Height() : visible.Width();
    // Colour of step k: the ends are exactly the two colours.
    const long long n = std::max(steps - 1, 1LL);
    std::vector<std::uint32_t> colors(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const long long k = from + i;
        auto mix = [&](std::uint32_t a, std::uint32_t b) {
            return static_cast<std::uint32_t>((a * (n - k) + b * k + n / 2) / n);
        };
        colors[i] = Premultiply(MakeArgb(mix(AlphaOf(first), AlphaOf(second)), mix(RedOf(first), RedOf(second)),
                                         mix(GreenOf(first), GreenOf(second)), mix(BlueOf(first), BlueOf(second))));
    }
    const PixelBuffer pb = S.BeginPixels();
    clip.ForEachRectWithin(visible, [&](const Rect& r) {
        for (int y = r.top; y < r.bottom; ++y) {
            std::uint32_t* row = pb.Row(y);
            if (vertical)
                std::fill(row + r.left, row + r.right, colors[y - visible.top]);
            else
                std::copy(colors.begin() + (r.left - visible.left), colors.begin() + (r.right - visible.left),
                          row + r.left);
        }
    });
    S.EndPixels();
}

// ---------------------------------------------------------------------------------------------
// Blits
// ---------------------------------------------------------------------------------------------

namespace {

// A blit in device pixels: `sourceRect` stretched onto `dest`, of which the part `visible` (and the
// clip) is drawn.
void BlendDevice(const DeviceContextState& impl, const Rect& visible, const Rect& dest, const PixelBuffer& source,
                 const Rect& sourceRect, std::uint8_t constantAlpha, SourceAlpha sourceAlpha)
{
    if (visible.IsEmpty() || dest.IsEmpty() || sourceRect.IsEmpty())
        return;
    const bool copy = sourceAlpha == SourceAlpha::Ignore && constantAlpha == 255;
    if (sourceAlpha == SourceAlpha::Ignore && constantAlpha == 0)
        return;
    const int dw = dest.Width(), dh = dest.Height();
    const int sw = sourceRect.Width(), sh = sourceRect.Height();
    const PixelBuffer pb = impl.BeginPixels();
    const SourceCopy src(source, pb, sourceRect);

    const BlendMode mode = copy                                 ? BlendMode::Copy
                           : sourceAlpha == SourceAlpha::Ignore ? BlendMode::Opaque
                                                                : BlendMode::PerPixel;
    // A source as wide as its destination is read straight along its rows: the sample under
    // destination column x is then sourceRect.left + (x - dest.left).
    const bool oneToOne = sw == dw;
    // Kept per thread: a stretched blit runs every frame of an animation.
    thread_local std::vector<int> columns;
    impl.DeviceClip().ForEachRectWithin(visible, [&](const Rect& r) {
        // Source columns of this piece, as indices into the (possibly copied) source rows. They
        // grow with x, so the samples inside the source form one run; the rest are skipped.
        int first = 0, last = 0;
        int offset = 0; // where the run starts in a source row, when read straight
        if (oneToOne) {
            const int srcLeft = sourceRect.left + (r.left - dest.left);
            first = std::clamp(-srcLeft, 0, r.Width());
            last = std::clamp(source.width - srcLeft, 0, r.Width());
            offset = srcLeft + first + src.dx;
        } else {
            columns.resize(static_cast<size_t>(r.Width()));
            for (int x = r.left; x < r.right; ++x) {
                const int srcX = sourceRect.left + Sample(x - dest.left, dw, sw);
                if (srcX < 0)
                    first = x - r.left + 1;
                else if (srcX < source.width)
                    last = x - r.left + 1;
                columns[x - r.left] = srcX + src.dx;
            }
        }
        if (last <= first)
            return;
        for (int y = r.top; y < r.bottom; ++y) {
            const int srcY = sourceRect.top + Sample(y - dest.top, dh, sh);
            if (srcY < 0 || srcY >= source.height)
                continue;
            const std::uint32_t* row = src.buffer.Row(srcY + src.dy);
            if (oneToOne)
                BlendSpan(pb.Row(y) + r.left + first, row + offset, nullptr, last - first, mode, constantAlpha);
            else
                BlendSpan(pb.Row(y) + r.left + first, row, columns.data() + first, last - first, mode, constantAlpha);
        }
    });
    impl.EndPixels();
}

} // namespace

void DeviceContext::BitBlt(int x, int y, int width, int height, const PixelBuffer& source, int sx, int sy)
{
    DeviceContextState& S = StateOf(*m_impl);
    if (S.bounds.IsEmpty() || source.IsEmpty() || width <= 0 || height <= 0)
        return;
    // Only the part that exists in the source is copied.
    Rect from = Rect{sx, sy, sx + width, sy + height}.Intersect({0, 0, source.width, source.height});
    if (from.IsEmpty())
        return;
    const Rect dest = from.Offset(x - sx, y - sy);
    if (S.scale != 1.0) {
        // The context's own pixels are at device resolution; any other source is stretched onto the
        // device pixels of the destination.
        const bool own = BuffersOverlap(source, Pixels());
        const Rect sourceRect = own ? ScaleRect(from, S.scale).Intersect({0, 0, source.width, source.height}) : from;
        BlendDevice(S, S.ToDevice(dest), ScaleRect(dest, S.scale), source, sourceRect, 255, SourceAlpha::Ignore);
        return;
    }
    const PixelBuffer pb = S.BeginPixels();
    const SourceCopy src(source, pb, from);
    S.clip.ForEachRectWithin(dest, [&](const Rect& r) {
        const int srcX = r.left - x + sx + src.dx;
        for (int row = r.top; row < r.bottom; ++row) {
            const std::uint32_t* in = src.buffer.Row(row - y + sy + src.dy) + srcX;
            std::memmove(pb.Row(row) + r.left, in, static_cast<size_t>(r.Width()) * 4);
        }
    });
    S.EndPixels();
}

void DeviceContext::StretchBlt(const Rect& dest, const PixelBuffer& source, const Rect& sourceRect)
{
    AlphaBlend(dest, source, sourceRect, 255, SourceAlpha::Ignore);
}

void DeviceContext::AlphaBlend(const Rect& dest, const PixelBuffer& source, const Rect& sourceRect,
                               std::uint8_t constantAlpha, SourceAlpha sourceAlpha)
{
    DeviceContextState& S = StateOf(*m_impl);
    if (S.bounds.IsEmpty() || source.IsEmpty() || dest.IsEmpty() || sourceRect.IsEmpty())
        return;
    if (S.scale != 1.0) {
        const Rect full = ScaleRect(dest, S.scale);
        BlendDevice(S, full.Intersect(S.deviceBounds), full, source, sourceRect, constantAlpha, sourceAlpha);
        return;
    }
    BlendDevice(S, dest, dest, source, sourceRect, constantAlpha, sourceAlpha);
}

void DeviceContext::AlphaBlendSmooth(const Rect& dest, const PixelBuffer& source, const Rect& sourceRect,
                                     std::uint8_t constantAlpha, SourceAlpha sourceAlpha)
{
    if (!IsValid() || source.IsEmpty() || dest.IsEmpty() || sourceRect.IsEmpty() || constantAlpha == 0)
        return;
    // A source rectangle reaching outside the source is AlphaBlend's case (it skips those samples).
    if (!(sourceRect.Intersect({0, 0, source.width, source.height}) == sourceRect)) {
        AlphaBlend(dest, source, sourceRect, constantAlpha, sourceAlpha);
        return;
    }
    // The destination covers exactly the device pixels of its logical rectangle, as the other
    // blits do, so neighbours meet at any scale.
    const DeviceContextState& S = StateOf(*m_impl);
    const Rect device = ScaleRect(dest, S.scale);
    const Region clip = S.DeviceClip().Intersect(device.Intersect(S.deviceBounds));
    if (clip.IsEmpty())
        return;
    // The part is copied out: it must not change while it is drawn (a blit from the surface onto
    // itself), and a source whose alpha is ignored is made opaque first.
    const int w = sourceRect.Width(), h = sourceRect.Height();
    std::vector<std::uint32_t> part(static_cast<size_t>(w) * static_cast<size_t>(h));
    const bool opaque = sourceAlpha == SourceAlpha::Ignore;
    const std::uint32_t opaqueBits = opaque ? 0xFF000000u : 0u;
    for (int y = 0; y < h; ++y) {
        const std::uint32_t* in = source.Row(sourceRect.top + y) + sourceRect.left;
        std::uint32_t* out = &part[static_cast<size_t>(y) * static_cast<size_t>(w)];
        for (int x = 0; x < w; ++x)
            out[x] = in[x] | opaqueBits;
    }
    S.BlendSmooth(PixelBuffer{part.data(), w, h, w * 4}, device, clip, constantAlpha, opaque);
}

void DeviceContextState::BlendSmooth(const PixelBuffer& part, const Rect& device, const Region& clip,
                                     std::uint8_t constantAlpha, bool /*opaque*/) const
{
    // Bilinear sampling computed here rather than left to a drawing library: implementations
    // differ in where they sample.
    const int w = part.width, h = part.height;
    const double stepX = double(w) / device.Width(), stepY = double(h) / device.Height();
    const auto sample = [&](double u, double v) {
        u = std::clamp(u, 0.0, double(w - 1));
        v = std::clamp(v, 0.0, double(h - 1));
        const int x0 = int(u), y0 = int(v), x1 = std::min(x0 + 1, w - 1), y1 = std::min(y0 + 1, h - 1);
        const double fx = u - x0, fy = v - y0;
        const std::uint32_t* upper = part.Row(y0);
        const std::uint32_t* lower = part.Row(y1);
        std::uint32_t out = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            const auto c = [shift](std::uint32_t p) { return double((p >> shift) & 0xFF); };
            const double top = c(upper[x0]) * (1 - fx) + c(upper[x1]) * fx;
            const double bottom = c(lower[x0]) * (1 - fx) + c(lower[x1]) * fx;
            out |= std::uint32_t(std::lround(top * (1 - fy) + bottom * fy)) << shift;
        }
        return out;
    };
    const PixelBuffer target = BeginPixels();
    for (const Rect& r : clip.Rects()) {
        for (int y = r.top; y < r.bottom; ++y) {
            std::uint32_t* row = target.Row(y);
            const double v = (y + 0.5 - device.top) * stepY - 0.5;
            for (int x = r.left; x < r.right; ++x)
                row[x] = Over(Scale(sample((x + 0.5 - device.left) * stepX - 0.5, v), constantAlpha), row[x]);
        }
    }
    EndPixels();
}

// ---------------------------------------------------------------------------------------------
// Transforms
// ---------------------------------------------------------------------------------------------

Transform Transform::Rotation(double degrees)
{
    const double r = degrees * 3.14159265358979323846 / 180.0;
    const double c = std::cos(r), s = std::sin(r);
    return {c, s, -s, c, 0, 0};
}

Transform Transform::RotationAbout(double cx, double cy, double degrees)
{
    return Translation(cx, cy).After(Rotation(degrees).After(Translation(-cx, -cy)));
}

Transform Transform::After(const Transform& f) const
{
    // (this ∘ f)(p) = this(f(p))
    return {xx * f.xx + xy * f.yx, yx * f.xx + yy * f.yx,      xx * f.xy + xy * f.yy,
            yx * f.xy + yy * f.yy, xx * f.x0 + xy * f.y0 + x0, yx * f.x0 + yy * f.y0 + y0};
}

void DeviceContext::SetTransform(const Transform& transform)
{
    DeviceContextState& S = StateOf(*m_impl);
    S.transform = transform;
}

const Transform& DeviceContext::GetTransform() const
{
    DeviceContextState& S = StateOf(*m_impl);
    return S.transform;
}

// ---------------------------------------------------------------------------------------------
// Text state
// ---------------------------------------------------------------------------------------------

void DeviceContext::SelectFont(const Font& font)
{
    DeviceContextState& S = StateOf(*m_impl);
    S.font = font.IsNull() ? Font::DefaultGui() : font;
}

const Font& DeviceContext::GetFont() const
{
    DeviceContextState& S = StateOf(*m_impl);
    return S.font;
}

void DeviceContext::SetTextColor(std::uint32_t argb)
{
    DeviceContextState& S = StateOf(*m_impl);
    S.textColor = argb;
}

std::uint32_t DeviceContext::GetTextColor() const
{
    DeviceContextState& S = StateOf(*m_impl);
    return S.textColor;
}

const TextMetrics& DeviceContext::GetTextMetrics() const
{
    DeviceContextState& S = StateOf(*m_impl);
    return S.font.Metrics();
}

Size DeviceContext::MeasureString(const char16_t* text, int length) const
{
    DeviceContextState& S = StateOf(*m_impl);
    return S.font.Measure(text, length);
}

int DeviceContext::DrawText(const char16_t* text, int length, Rect& rect, UINT format)
{
    DeviceContextState& S = StateOf(*m_impl);
    const TextLayout layout(S.font, text, length, rect, format);
    if (format & DT_CALCRECT) {
        rect = layout.CalcRect();
        return layout.Height();
    }
    DrawTextLayout(layout);
    return layout.Height();
}

} // namespace platform
