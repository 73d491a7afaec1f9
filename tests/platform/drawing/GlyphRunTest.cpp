// Text drawn from per-character cached glyphs must be the text the full layout draws, pixel for
// pixel and in measured width, in every test face and at device scales 1 and 2; text the cache
// cannot vouch for must keep taking the full layout.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/DeviceContext.h"
#include "platform/Font.h"
#include "platform/Surface.h"
#include "platform/cairo/GlyphRuns.h"

using namespace platform;

namespace {

struct EnabledGuard
{
    ~EnabledGuard() { cairo::SetGlyphRunsEnabled(true); }
};

std::vector<LogFont> Faces()
{
    std::vector<LogFont> faces;
    for (const char16_t* face : {u"Sans", u"Serif", u"Monospace"})
        for (int size : {12, 17})
            for (int style = 0; style < 4; ++style)
                faces.push_back({face, size, (style & 1) != 0, (style & 2) != 0});
    return faces;
}

std::vector<std::u16string> Strings()
{
    std::vector<std::u16string> strings;
    for (int p = 0; p <= 100; ++p) {
        const std::string s = std::to_string(p) + "%";
        strings.emplace_back(s.begin(), s.end());
    }
    std::mt19937 random(20261210);
    const std::u16string digits = u"0123456789";
    const std::u16string more = u"0123456789%.,:-+/";
    for (int i = 0; i < 40; ++i) {
        const std::u16string& pool = i % 2 ? more : digits;
        std::u16string s(1 + random() % 12, u'0');
        for (char16_t& c : s)
            c = pool[random() % pool.size()];
        strings.push_back(s);
    }
    strings.push_back(u"..."); // an ellipsis is three periods
    return strings;
}

// `text` drawn by DrawText centred on one line (as a percentage label is) on an opaque
// background, at `scale`, with the cache on or off; and the width measured the same way.
struct Drawn
{
    std::vector<std::uint32_t> pixels;
    int width = 0;
};

Drawn Draw(const Font& font, const std::u16string& text, double scale, bool cached)
{
    cairo::SetGlyphRunsEnabled(cached);
    const int w = 90, h = 30;
    Surface s = Surface::Create(static_cast<int>(w * scale), static_cast<int>(h * scale));
    s.Clear(0xFFF4F0E8);
    Drawn out;
    {
        DeviceContext dc(s);
        dc.SetScale(scale);
        dc.SelectFont(font);
        dc.SetTextColor(0xFF203040);
        Rect r{3, 2, w - 2, h - 1};
        dc.DrawText(text.data(), static_cast<int>(text.size()), r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
        out.width = font.Measure(text.data(), static_cast<int>(text.size())).width;
    }
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x)
            out.pixels.push_back(s.GetPixel(x, y));
    return out;
}

std::string Narrow(const std::u16string& s)
{
    return std::string(s.begin(), s.end());
}

TEST(GlyphRunTest, CachedGlyphsDrawAndMeasureWhatTheFullLayoutDoesInEveryFaceAtScalesOneAndTwo)
{
    EnabledGuard guard;
    int cachedFaces = 0;
    for (const LogFont& logFont : Faces()) {
        const Font font = Font::Create(logFont);
        ASSERT_FALSE(font.IsNull());
        const std::string name = Narrow(logFont.face) + " " + std::to_string(logFont.pixelSize) +
                                 (logFont.bold ? " bold" : "") + (logFont.italic ? " italic" : "");
        cairo::SetGlyphRunsEnabled(true);
        const bool cached = cairo::HasGlyphRun(font, u"0123456789%", 11);
        cachedFaces += cached;
        for (double scale : {1.0, 2.0}) {
            for (const std::u16string& text : Strings()) {
                const Drawn full = Draw(font, text, scale, false);
                const Drawn fast = Draw(font, text, scale, true);
                ASSERT_EQ(fast.width, full.width) << name << " \"" << Narrow(text) << "\"";
                ASSERT_TRUE(fast.pixels == full.pixels)
                    << name << " at scale " << scale << ": \"" << Narrow(text) << "\" differs";
            }
        }
    }
    // The test faces have no kerning or ligatures between digits: unless the cache serves them the
    // comparison above proves nothing.
    EXPECT_EQ(cachedFaces, static_cast<int>(Faces().size()));
}

TEST(GlyphRunTest, CachedGlyphsKeepToTheClipAndComposeOverWhatIsThere)
{
    // Cached glyphs are composited into the pixels without the drawing library: the clip (here cut
    // through the glyphs and holed), a background that is partly transparent and a fractional
    // scale must give what the full layout gives.
    EnabledGuard guard;
    const auto draw = [](const Font& font, const std::u16string& text, double scale, bool cached) {
        cairo::SetGlyphRunsEnabled(cached);
        const int w = 60, h = 24;
        Surface s = Surface::Create(static_cast<int>(w * scale), static_cast<int>(h * scale));
        for (int y = 0; y < s.Height(); ++y)
            for (int x = 0; x < s.Width(); ++x)
                s.SetPixel(x, y, x % 3 == 0 ? 0u : (y % 2 ? 0xFF80C0E0u : 0x80402010u));
        {
            DeviceContext dc(s);
            dc.SetScale(scale);
            dc.SelectFont(font);
            dc.SetTextColor(0x80C02030); // the alpha byte is ignored, as for all text
            dc.SetClipRect({4, 5, 41, 20});
            dc.ExcludeClipRect({14, 9, 19, 14});
            Rect r{2, 1, w - 2, h - 1};
            dc.DrawText(text.data(), static_cast<int>(text.size()), r, DT_SINGLELINE | DT_LEFT | DT_VCENTER);
        }
        std::vector<std::uint32_t> pixels;
        for (int y = 0; y < s.Height(); ++y)
            for (int x = 0; x < s.Width(); ++x)
                pixels.push_back(s.GetPixel(x, y));
        return pixels;
    };
    for (const LogFont& logFont : Faces()) {
        const Font font = Font::Create(logFont);
        for (double scale : {1.0, 1.5, 2.0}) {
            for (const std::u16string text : {u"100%", u"47%", u"8:05/1,3"}) {
                ASSERT_TRUE(draw(font, text, scale, true) == draw(font, text, scale, false))
                    << Narrow(logFont.face) << " " << logFont.pixelSize << " at scale " << scale << ": \""
                    << Narrow(text) << "\" differs";
            }
        }
    }
}

TEST(GlyphRunTest, TextTheCacheCannotVouchForTakesTheFullLayout)
{
    EnabledGuard guard;
    cairo::SetGlyphRunsEnabled(true);
    const Font plain = Font::Create({u"Sans", 12});
    EXPECT_TRUE(cairo::HasGlyphRun(plain, u"42%", 3));
    EXPECT_FALSE(cairo::HasGlyphRun(plain, u"42 %", 4)) << "spaces break and justify";
    EXPECT_FALSE(cairo::HasGlyphRun(plain, u"AV", 2)) << "letters kern";
    EXPECT_FALSE(cairo::HasGlyphRun(plain, u"4\t2", 3)) << "tabs expand";
    EXPECT_FALSE(cairo::HasGlyphRun(plain, u"\u0664\u0662", 2)) << "digits of other scripts";
    EXPECT_FALSE(cairo::HasGlyphRun(plain, u"4\u03012", 3)) << "combining marks";
    EXPECT_FALSE(cairo::HasGlyphRun(plain, u"", 0));
    const std::u16string longText(33, u'7');
    EXPECT_FALSE(cairo::HasGlyphRun(plain, longText.data(), 33));
    EXPECT_FALSE(cairo::HasGlyphRun(Font::Create({u"Sans", 12, false, false, true}), u"42%", 3))
        << "underlines are drawn by the layout";
    EXPECT_FALSE(cairo::HasGlyphRun(Font::Create({u"Sans", 12, false, false, false, true}), u"42%", 3));
    cairo::SetGlyphRunsEnabled(false);
    EXPECT_FALSE(cairo::HasGlyphRun(plain, u"42%", 3));
}

} // namespace
