// Draws the pictures of the product's skin and its window icon, and writes them as PNG files:
//   skin-artwork OUTPUT_DIR
// background.png, logo.png, progress.png and close.png go into the skin, each with its @2x picture
// for scaled desktops (twice the size, drawn from the same shapes, not enlarged); icon.png is the
// window icon. Shapes are sampled 4x4 per pixel so that every edge is anti-aliased.
#include "platform/PixelBuffer.h"
#include "platform/PngFile.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Rgba
{
    double r = 0, g = 0, b = 0, a = 0; // straight colour, 0..1
};

Rgba FromArgb(std::uint32_t argb, double alphaScale = 1.0)
{
    return {((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0, (argb & 0xFF) / 255.0,
            ((argb >> 24) & 0xFF) / 255.0 * alphaScale};
}

Rgba Mix(const Rgba& a, const Rgba& b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

using Shape = std::function<bool(double x, double y)>;
using Paint = std::function<Rgba(double x, double y)>;

// A picture kept as premultiplied floating-point colour while it is composed.
// Shapes and paints are given in the picture's logical pixels; the canvas has `scale` pixels for
// each of them.
class Canvas
{
public:
    Canvas(int width, int height, int scale = 1)
        : m_width(width * scale), m_height(height * scale), m_scale(scale), m_pixels(std::size_t(m_width) * m_height)
    {
    }

    // Source-over of paint, weighted by how much of each pixel the shape covers.
    void Fill(const Shape& inside, const Paint& paint)
    {
        constexpr int kSamples = 4;
        for (int y = 0; y < m_height; ++y) {
            for (int x = 0; x < m_width; ++x) {
                int hits = 0;
                for (int sy = 0; sy < kSamples; ++sy) {
                    for (int sx = 0; sx < kSamples; ++sx) {
                        if (inside((x + (sx + 0.5) / kSamples) / m_scale, (y + (sy + 0.5) / kSamples) / m_scale))
                            ++hits;
                    }
                }
                if (hits == 0)
                    continue;
                const Rgba c = paint((x + 0.5) / m_scale, (y + 0.5) / m_scale);
                const double a = c.a * hits / double(kSamples * kSamples);
                Rgba& d = m_pixels[std::size_t(y) * m_width + x];
                d.r = c.r * a + d.r * (1 - a);
                d.g = c.g * a + d.g * (1 - a);
                d.b = c.b * a + d.b * (1 - a);
                d.a = a + d.a * (1 - a);
            }
        }
    }

    // Writes dir/name.png, or dir/name@2x.png for a canvas of scale 2 (the only other scale drawn).
    bool Write(const std::string& dir, const std::string& name) const
    {
        std::string path = dir + "/" + name;
        if (m_scale != 1)
            path += "@2x";
        return WriteFile(path + ".png");
    }

    bool WriteFile(const std::string& path) const
    {
        std::vector<std::uint32_t> out(m_pixels.size());
        const auto channel = [](double v) { return std::uint32_t(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); };
        for (std::size_t i = 0; i < out.size(); ++i) {
            const Rgba& p = m_pixels[i];
            out[i] = channel(p.a) << 24 | channel(p.r) << 16 | channel(p.g) << 8 | channel(p.b);
        }
        const platform::PixelBuffer buffer{out.data(), m_width, m_height, m_width * 4};
        return platform::WritePng(buffer, path);
    }

private:
    int m_width, m_height, m_scale;
    std::vector<Rgba> m_pixels; // premultiplied
};

Shape RoundRect(double left, double top, double right, double bottom, double radius)
{
    return [=](double x, double y) {
        if (x < left || x >= right || y < top || y >= bottom)
            return false;
        const double cx = std::clamp(x, left + radius, right - radius);
        const double cy = std::clamp(y, top + radius, bottom - radius);
        return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
    };
}

Shape Ring(Shape outer, Shape inner)
{
    return [=](double x, double y) { return outer(x, y) && !inner(x, y); };
}

Shape Circle(double cx, double cy, double radius)
{
    return [=](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius; };
}

// A stroke between two points with round ends.
Shape Segment(double x1, double y1, double x2, double y2, double halfWidth)
{
    return [=](double x, double y) {
        const double dx = x2 - x1, dy = y2 - y1;
        const double t = std::clamp(((x - x1) * dx + (y - y1) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        const double px = x1 + t * dx - x, py = y1 + t * dy - y;
        return px * px + py * py <= halfWidth * halfWidth;
    };
}

Shape Union(Shape a, Shape b)
{
    return [=](double x, double y) { return a(x, y) || b(x, y); };
}

// The product's shield: straight shoulders with rounded corners, sides that curve in to a point.
Shape Shield(double cx, double top, double width, double height)
{
    return [=](double x, double y) {
        const double half = width / 2, shoulder = top + height * 0.38;
        if (y < top || y > top + height)
            return false;
        if (y <= shoulder) {
            const double r = width * 0.16;
            return RoundRect(cx - half, top, cx + half, shoulder + r + 1, r)(x, y);
        }
        const double t = (y - shoulder) / (top + height - shoulder);
        return std::abs(x - cx) <= half * std::sqrt(std::max(0.0, 1 - t * t));
    };
}

Paint Solid(std::uint32_t argb, double alphaScale = 1.0)
{
    const Rgba c = FromArgb(argb, alphaScale);
    return [c](double, double) { return c; };
}

Paint Linear(double x1, double y1, double x2, double y2, std::uint32_t from, std::uint32_t to)
{
    const Rgba a = FromArgb(from), b = FromArgb(to);
    return [=](double x, double y) {
        const double dx = x2 - x1, dy = y2 - y1;
        return Mix(a, b, ((x - x1) * dx + (y - y1) * dy) / (dx * dx + dy * dy));
    };
}

constexpr std::uint32_t kIndigo = 0xFF1D2B6F;
constexpr std::uint32_t kTeal = 0xFF0A93A6;
constexpr std::uint32_t kBlue = 0xFF2F6FE4;
constexpr std::uint32_t kCyan = 0xFF19B7C8;

constexpr int kWidth = 480, kHeight = 300, kCaption = 96, kCorner = 10;
// The progress track; main.xml places "pro_unins_lab" over it.
constexpr int kTrackLeft = 40, kTrackTop = 214, kTrackWidth = 400, kTrackHeight = 8;

void DrawCheck(Canvas& canvas, double cx, double cy, double size, const Paint& paint)
{
    const double w = size * 0.075;
    canvas.Fill(Union(Segment(cx - size * 0.22, cy, cx - size * 0.06, cy + size * 0.16, w),
                      Segment(cx - size * 0.06, cy + size * 0.16, cx + size * 0.24, cy - size * 0.16, w)),
                paint);
}

bool Background(const std::string& dir, int scale)
{
    Canvas c(kWidth, kHeight, scale);
    const Shape window = RoundRect(0, 0, kWidth, kHeight, kCorner);
    c.Fill(window, Solid(0xFFFFFFFF));
    // Caption band: a diagonal brand gradient with faint rings like a signal spreading out.
    const Shape band = [&](double x, double y) { return y < kCaption && window(x, y); };
    c.Fill(band, Linear(0, 0, kWidth, kCaption * 1.6, kIndigo, kTeal));
    for (int i = 0; i < 4; ++i) {
        const double r = 60.0 + i * 34;
        c.Fill([&, r](double x,
                      double y) { return band(x, y) && Ring(Circle(430, 110, r), Circle(430, 110, r - 1.5))(x, y); },
               Solid(0xFFFFFFFF, 0.10 - i * 0.018));
    }
    c.Fill([&](double x, double y) { return band(x, y) && y >= kCaption - 3; }, Solid(0xFF000000, 0.06));
    // Footer strip with a hairline above it.
    c.Fill([&](double x, double y) { return window(x, y) && y >= 254; }, Solid(0xFFF3F5F9));
    c.Fill([&](double x, double y) { return window(x, y) && y >= 254 && y < 255; }, Solid(0xFFE3E7EE));
    // The empty progress track.
    c.Fill(RoundRect(kTrackLeft, kTrackTop, kTrackLeft + kTrackWidth, kTrackTop + kTrackHeight, kTrackHeight / 2.0),
           Solid(0xFFE4E9F0));
    // A hairline border, since the window has no frame of its own.
    c.Fill(Ring(window, RoundRect(1, 1, kWidth - 1, kHeight - 1, kCorner - 1)), Solid(0xFF0E1A44, 0.28));
    return c.Write(dir, "background");
}

bool Logo(const std::string& dir, int scale)
{
    Canvas c(44, 44, scale);
    c.Fill(Shield(22, 2, 34, 40), Solid(0xFFFFFFFF));
    c.Fill(Shield(22, 6, 26, 32), Linear(0, 6, 0, 38, kBlue, kTeal));
    DrawCheck(c, 22, 19, 26, Solid(0xFFFFFFFF));
    return c.Write(dir, "logo");
}

bool Progress(const std::string& dir, int scale)
{
    Canvas c(kTrackWidth, kTrackHeight, scale);
    const Shape pill = RoundRect(0, 0, kTrackWidth, kTrackHeight, kTrackHeight / 2.0);
    c.Fill(pill, Linear(0, 0, kTrackWidth, 0, kCyan, kBlue));
    c.Fill([&](double x, double y) { return pill(x, y) && y < 3; }, Solid(0xFFFFFFFF, 0.22));
    return c.Write(dir, "progress");
}

// Three 28x28 states side by side: normal, hot, pushed.
bool CloseButton(const std::string& dir, int scale)
{
    constexpr int kCell = 28;
    Canvas c(kCell * 3, kCell, scale);
    for (int state = 0; state < 3; ++state) {
        const double cx = state * kCell + kCell / 2.0, cy = kCell / 2.0, arm = 5.0;
        if (state == 1)
            c.Fill(Circle(cx, cy, 13), Solid(0xFFFFFFFF, 0.20));
        if (state == 2)
            c.Fill(Circle(cx, cy, 13), Solid(0xFF000000, 0.22));
        c.Fill(Union(Segment(cx - arm, cy - arm, cx + arm, cy + arm, 0.9),
                     Segment(cx - arm, cy + arm, cx + arm, cy - arm, 0.9)),
               Solid(0xFFFFFFFF, state == 0 ? 0.82 : 1.0));
    }
    return c.Write(dir, "close");
}

bool Icon(const std::string& dir)
{
    Canvas c(64, 64);
    c.Fill(RoundRect(2, 2, 62, 62, 14), Linear(0, 0, 64, 64, kIndigo, kTeal));
    c.Fill(Shield(32, 12, 32, 40), Solid(0xFFFFFFFF));
    DrawCheck(c, 32, 27, 30, Linear(0, 14, 0, 44, kBlue, kTeal));
    return c.Write(dir, "icon");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: skin-artwork OUTPUT_DIR\n", stderr);
        return 2;
    }
    const std::string dir = argv[1];
    for (const int scale : {1, 2}) {
        if (!Background(dir, scale) || !Logo(dir, scale) || !Progress(dir, scale) || !CloseButton(dir, scale)) {
            std::fprintf(stderr, "skin-artwork: cannot write into %s\n", dir.c_str());
            return 1;
        }
    }
    if (!Icon(dir)) {
        std::fprintf(stderr, "skin-artwork: cannot write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
