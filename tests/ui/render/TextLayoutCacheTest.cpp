// Plain text drawn through the layout cache: the same pixels and measurements as laying the text
// out anew, for a text drawn again, after the font or the box changed, and past the cache's size.
#include "RenderTestSupport.h"

#include "platform/Font.h"
#include "ui/render/RenderKit.h"
#include "ui/render/TextLayoutCache.h"

#include <string>

namespace {

using tvtest::Canvas;
using ui::CRenderKit;
using ui::CUIRect;

class TextLayoutCacheTest : public tvtest::RenderTest
{
protected:
    // The text drawn straight by the drawing layer, without any cache.
    void DrawDirect(Canvas& canvas, const platform::Font& font, CUIRect rect, const char16_t* text, unsigned style)
    {
        canvas.dc->SelectFont(font);
        canvas.dc->SetTextColor(0xFF202020);
        platform::Rect r{rect.left, rect.top, rect.right, rect.bottom};
        canvas.dc->DrawText(text, int(std::char_traits<char16_t>::length(text)), r, style | DT_NOPREFIX);
    }
};

TEST_F(TextLayoutCacheTest, RepeatedAndChangedTextsDrawAsWithoutTheCache)
{
    const platform::Font font = manager->LookupFont(-1);
    const struct
    {
        CUIRect rect;
        unsigned style;
        const char16_t* text;
    } cases[] = {
        {{5, 5, 105, 25}, DT_SINGLELINE | DT_RIGHT | DT_VCENTER, u"54%"},
        {{5, 5, 105, 25}, DT_SINGLELINE | DT_RIGHT | DT_VCENTER, u"55%"},
        {{5, 5, 105, 25}, DT_SINGLELINE | DT_RIGHT | DT_VCENTER, u"54%"},  // again, from the cache
        {{5, 5, 60, 25}, DT_SINGLELINE | DT_RIGHT | DT_VCENTER, u"54%"},   // narrower box
        {{5, 5, 105, 25}, DT_SINGLELINE | DT_CENTER | DT_VCENTER, u"54%"}, // other format
        {{5, 30, 105, 95}, DT_WORDBREAK, u"Words wrap onto the next line at blanks"},
        {{5, 30, 105, 95}, DT_WORDBREAK, u"Words wrap onto the next line at blanks"},
        {{5, 30, 105, 95}, DT_SINGLELINE | DT_END_ELLIPSIS, u"A line far too long for its box"},
    };
    for (const auto& c : cases) {
        Canvas cached(120, 100, 0xFFFFFFFF), direct(120, 100, 0xFFFFFFFF);
        CUIRect rect = c.rect;
        CRenderKit::DrawPlainText(cached.dc.get(), manager.get(), rect, c.text, 0xFF202020, -1, c.style);
        DrawDirect(direct, font, c.rect, c.text, c.style);
        EXPECT_TRUE(cached.SameAs(direct)) << std::string(c.text, c.text + 3);
        EXPECT_GT(cached.CountNear(0xFF202020), 0);

        CUIRect measured = c.rect;
        CRenderKit::DrawPlainText(cached.dc.get(), manager.get(), measured, c.text, 0xFF202020, -1,
                                  c.style | DT_CALCRECT);
        platform::Rect expected{c.rect.left, c.rect.top, c.rect.right, c.rect.bottom};
        direct.dc->SelectFont(font);
        direct.dc->DrawText(c.text, int(std::char_traits<char16_t>::length(c.text)), expected,
                            c.style | DT_NOPREFIX | DT_CALCRECT);
        EXPECT_EQ(measured, CUIRect(expected.left, expected.top, expected.right, expected.bottom));
    }
}

TEST_F(TextLayoutCacheTest, AnotherFontIsNeverGivenTheLayoutOfTheFirst)
{
    const int bigId = 77;
    ASSERT_TRUE(manager->RegisterFont(bigId, u"DejaVu Sans", 30, false, false, false, false));
    const CUIRect box(0, 0, 200, 60);
    Canvas small(200, 60, 0xFFFFFFFF), large(200, 60, 0xFFFFFFFF), direct(200, 60, 0xFFFFFFFF);
    CUIRect r = box;
    CRenderKit::DrawPlainText(small.dc.get(), manager.get(), r, u"Tarvion", 0xFF202020, -1, DT_SINGLELINE);
    r = box;
    CRenderKit::DrawPlainText(large.dc.get(), manager.get(), r, u"Tarvion", 0xFF202020, bigId, DT_SINGLELINE);
    DrawDirect(direct, manager->LookupFont(bigId), box, u"Tarvion", DT_SINGLELINE);
    EXPECT_TRUE(large.SameAs(direct));
    EXPECT_FALSE(large.SameAs(small));
    EXPECT_GT(large.Ink(0xFFFFFFFF).Width(), small.Ink(0xFFFFFFFF).Width());
}

TEST_F(TextLayoutCacheTest, StaysWithinItsSizeAndStillDrawsEvictedTexts)
{
    ui::CTextLayoutCache& cache = ui::CTextLayoutCache::ForThisThread();
    const platform::Font font = manager->LookupFont(-1);
    for (int i = 0; i < int(ui::CTextLayoutCache::kCapacity) * 2; ++i) {
        const std::u16string text =
            u"line " + std::u16string(std::size_t(i % 7 + 1), u'x') + char16_t(u'A' + i % 26) + char16_t(u'a' + i / 26);
        Canvas canvas(120, 30, 0xFFFFFFFF);
        CUIRect rect(0, 0, 120, 30);
        CRenderKit::DrawPlainText(canvas.dc.get(), manager.get(), rect, text.c_str(), 0xFF202020, -1, DT_SINGLELINE);
        EXPECT_LE(cache.Size(), ui::CTextLayoutCache::kCapacity);
        if (i == 0 || i == int(ui::CTextLayoutCache::kCapacity) * 2 - 1) {
            Canvas direct(120, 30, 0xFFFFFFFF);
            DrawDirect(direct, font, rect, text.c_str(), DT_SINGLELINE);
            EXPECT_TRUE(canvas.SameAs(direct)) << i;
        }
    }
    // The first text was evicted long ago; drawn again it is laid out anew, not mixed up.
    Canvas again(120, 30, 0xFFFFFFFF), direct(120, 30, 0xFFFFFFFF);
    CUIRect rect(0, 0, 120, 30);
    CRenderKit::DrawPlainText(again.dc.get(), manager.get(), rect, u"line xAa", 0xFF202020, -1, DT_SINGLELINE);
    DrawDirect(direct, font, rect, u"line xAa", DT_SINGLELINE);
    EXPECT_TRUE(again.SameAs(direct));
}

} // namespace
