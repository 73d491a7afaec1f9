// Reference pictures: small scenes of controls built by hand (image descriptors with corners,
// holes, tiling, fade and masks; background gradients; every border form; plain text alignments
// and ellipsis; markup text with every tag), drawn headless and compared with the PNG committed
// under refs/. Set TVU_UPDATE_REFS=1 to write the pictures instead, then look at each one.
#include "RenderTestSupport.h"

#include "ui/controls/Control.h"

#include "platform/PngFile.h"

#include <cstdlib>
#include <filesystem>
#include <string>

using namespace ui;
using tvtest::Canvas;
using tvtest::RenderTest;

namespace {

// Differences from anti-aliasing only: a few levels per channel.
constexpr int kTolerance = 6;

std::string RefPath(const std::string& name)
{
    return std::string(TVU_SOURCE_DIR) + "/tests/ui/render/refs/" + name + ".png";
}

void CheckReference(const Canvas& canvas, const std::string& name)
{
    const std::string path = RefPath(name);
    if (std::getenv("TVU_UPDATE_REFS")) {
        ASSERT_TRUE(platform::WritePng(canvas.surface.Pixels(), path)) << path;
        return;
    }
    const platform::Surface expected = platform::ReadPng(path);
    ASSERT_TRUE(expected.IsValid()) << "missing reference " << path;
    const platform::PixelDiff diff = platform::ComparePixels(canvas.surface.Pixels(), expected.Pixels(), kTolerance);
    EXPECT_TRUE(diff.Matches()) << name << ": " << diff.Describe() << "; actual picture in "
                                << tvtest::DumpCanvas(canvas, "actual_" + name);
}

// An image whose corners, edges and centre have their own colours, with a dark outline.
void AddFrameImage(CWindowManagerUI& manager, const char16_t* name, int size, int corner)
{
    HBITMAP bitmap = CreateBitmap32(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const bool edgeX = x < corner || x >= size - corner;
            const bool edgeY = y < corner || y >= size - corner;
            std::uint32_t c = edgeX && edgeY ? 0xFF2050C0u : edgeX || edgeY ? 0xFF40A060u : 0xFFF0E0A0u;
            if (x == 0 || y == 0 || x == size - 1 || y == size - 1)
                c = 0xFF202020u;
            bitmap->pixels[y * size + x] = c;
        }
    }
    manager.RegisterBitmap(name, bitmap, size, size, false);
}

// A 10 x 10 tile with a diagonal, so that stretching and tiling look different.
void AddTileImage(CWindowManagerUI& manager, const char16_t* name)
{
    HBITMAP bitmap = CreateBitmap32(10, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            bitmap->pixels[y * 10 + x] = x == y ? 0xFFC03030u : ((x / 5 + y / 5) % 2 ? 0xFFE0E0F0u : 0xFF8090C0u);
    manager.RegisterBitmap(name, bitmap, 10, 10, false);
}

class ReferencePicture : public RenderTest
{
protected:
    // Paints one hand-built control with the given attributes into `rect`.
    void PaintControl(Canvas& canvas, CUIRect rect, const char16_t* attributes)
    {
        auto* control = new CControlUI;
        control->SetManager(manager.get(), nullptr, false);
        control->ApplyAttributeList(attributes);
        control->SetPosition(rect, false);
        control->Paint(canvas.dc.get(), rect, nullptr);
        control->DeleteSelf();
    }
};

} // namespace

TEST_F(ReferencePicture, NineSliceCornersAndHole)
{
    AddFrameImage(*manager, u"frame", 24, 8);
    Canvas canvas(200, 100, 0xFFFFFFFF);
    PaintControl(canvas, {10, 10, 110, 60}, u"bkimage=\"file='frame' corner='8,8,8,8'\"");
    PaintControl(canvas, {120, 10, 190, 90}, u"bkimage=\"file='frame' corner='8,8,8,8' hole='true'\"");
    // Smaller than its corners: the four corners overlap, nothing else is drawn.
    PaintControl(canvas, {70, 70, 82, 82}, u"bkimage=\"file='frame' corner='8,8,8,8'\"");
    // Plain stretch, a source part and a destination offset.
    PaintControl(canvas, {10, 70, 50, 95}, u"bkimage=\"frame\"");
    PaintControl(canvas, {90, 65, 115, 95}, u"bkimage=\"file='frame' source='0,0,12,12' dest='2,2,20,20'\"");
    CheckReference(canvas, "nineslice");
}

TEST_F(ReferencePicture, Tiling)
{
    AddTileImage(*manager, u"tile");
    Canvas canvas(200, 80, 0xFFFFFFFF);
    PaintControl(canvas, {10, 10, 95, 35}, u"bkimage=\"file='tile' xtiled='true'\"");
    PaintControl(canvas, {105, 10, 130, 75}, u"bkimage=\"file='tile' ytiled='true'\"");
    PaintControl(canvas, {140, 10, 195, 75}, u"bkimage=\"file='tile' xtiled='true' ytiled='true'\"");
    PaintControl(canvas, {10, 45, 95, 75}, u"bkimage=\"tile\"");
    CheckReference(canvas, "tiling");
}

TEST_F(ReferencePicture, FadeAndMask)
{
    AddFrameImage(*manager, u"frame", 24, 8);
    // A magenta-keyed image written as a file, so that the loader applies the mask.
    const std::filesystem::path dir = std::filesystem::path(TVU_BINARY_DIR) / "render_refs";
    std::filesystem::create_directories(dir);
    platform::Surface keyed = platform::Surface::Create(16, 16);
    keyed.Clear(0xFFFF00FF);
    for (int i = 0; i < 16; ++i) {
        keyed.SetPixel(i, i, 0xFF204080);
        keyed.SetPixel(15 - i, i, 0xFF204080);
        keyed.SetPixel(i, 8, 0xFFE08020);
    }
    const std::string keyedPath = (dir / "keyed.png").string();
    ASSERT_TRUE(platform::WritePng(keyed.Pixels(), keyedPath));
    const std::u16string keyedName(keyedPath.begin(), keyedPath.end());

    Canvas canvas(200, 60, 0xFFFFFFFF);
    for (int x = 0; x < 200; x += 10)
        canvas.dc->FillSolid({x, 0, x + 5, 60}, 0xFF303030);
    PaintControl(canvas, {10, 10, 60, 50}, u"bkimage=\"file='frame' corner='8,8,8,8' fade='128'\"");
    PaintControl(canvas, {70, 10, 120, 50}, u"bkimage=\"file='frame' corner='8,8,8,8' fade='40'\"");
    const std::u16string masked = u"bkimage=\"file='" + keyedName + u"' mask='#FFFF00FF'\"";
    PaintControl(canvas, {130, 10, 170, 50}, masked.c_str());
    CheckReference(canvas, "fade_mask");
}

TEST_F(ReferencePicture, BackgroundColoursAndGradients)
{
    Canvas canvas(200, 70, 0xFFFFFFFF);
    PaintControl(canvas, {5, 5, 45, 65}, u"bkcolor=\"#FFFF0000\" bkcolor2=\"#FF0000FF\"");
    PaintControl(canvas, {50, 5, 90, 65}, u"bkcolor=\"#FFFFFFFF\" bkcolor2=\"#FF20A040\" bkcolor3=\"#FF000000\"");
    PaintControl(canvas, {95, 5, 135, 65}, u"bkcolor=\"#80FF8000\" bkcolor2=\"#800080FF\"");
    PaintControl(canvas, {140, 5, 195, 30}, u"bkcolor=\"#FF3060C0\"");
    PaintControl(canvas, {140, 35, 195, 65}, u"bkcolor=\"#403060C0\"");
    CRenderKit::FillGradient(canvas.dc.get(), {140, 55, 195, 65}, 0xFFFFFF00, 0xFF00FFFF, false, 64);
    CheckReference(canvas, "gradients");
}

TEST_F(ReferencePicture, EveryBorderForm)
{
    Canvas canvas(220, 80, 0xFFFFFFFF);
    PaintControl(canvas, {5, 5, 45, 35}, u"bordersize=\"1\" bordercolor=\"#FF000000\"");
    PaintControl(canvas, {50, 5, 90, 35}, u"bordersize=\"3\" bordercolor=\"#FFC02020\"");
    PaintControl(canvas, {95, 5, 135, 35}, u"bordersize=\"1,2,3,4\" bordercolor=\"#FF2040C0\"");
    PaintControl(canvas, {140, 5, 180, 35}, u"bordersize=\"1\" bordercolor=\"#FF000000\" borderstyle=\"1\"");
    PaintControl(canvas, {185, 5, 215, 35}, u"bordersize=\"1\" bordercolor=\"#FF000000\" borderstyle=\"2\"");
    PaintControl(canvas, {5, 40, 55, 75}, u"bordersize=\"2\" bordercolor=\"#FF208040\" borderround=\"12,12\"");
    PaintControl(canvas, {60, 40, 110, 75},
                 u"bkcolor=\"#FFE0C040\" bordersize=\"1\" bordercolor=\"#FF604000\" borderround=\"16,16\"");
    PaintControl(canvas, {115, 40, 160, 75}, u"bordersize=\"1\" bordercolor=\"#FF000000\" borderstyle=\"3\"");
    PaintControl(canvas, {165, 40, 215, 75}, u"bordersize=\"4\" bordercolor=\"#80000000\" borderstyle=\"4\"");
    CheckReference(canvas, "borders");
}

TEST_F(ReferencePicture, PlainTextAlignmentsAndEllipsis)
{
    Canvas canvas(220, 120, 0xFFFFFFFF);
    const struct
    {
        CUIRect rect;
        unsigned style;
        const char16_t* text;
    } cases[] = {
        {{5, 5, 105, 25}, DT_SINGLELINE | DT_LEFT | DT_VCENTER, u"Left & centre"},
        {{110, 5, 215, 25}, DT_SINGLELINE | DT_CENTER | DT_VCENTER, u"Centred"},
        {{5, 30, 105, 55}, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM, u"Right bottom"},
        {{110, 30, 215, 55}, DT_SINGLELINE | DT_END_ELLIPSIS, u"A line far too long for its box"},
        {{5, 60, 105, 115}, DT_WORDBREAK, u"Words wrap onto the next line at blanks"},
        {{110, 60, 215, 115}, DT_WORDBREAK | DT_CENTER, u"Centred lines of wrapped words"},
    };
    for (const auto& c : cases) {
        canvas.dc->FillSolid({c.rect.left, c.rect.top, c.rect.right, c.rect.bottom}, 0xFFF0F0F0);
        CUIRect rect = c.rect;
        CRenderKit::DrawPlainText(canvas.dc.get(), manager.get(), rect, c.text, 0xFF202020, -1, c.style);
    }
    CheckReference(canvas, "plaintext");
}

TEST_F(ReferencePicture, MarkupTextWithEveryTag)
{
    AddFrameImage(*manager, u"icon", 12, 4);
    AddTileImage(*manager, u"cells");
    manager->SetSelectedColor(0xFFBAE4FF);
    Canvas canvas(260, 190, 0xFFFFFFFF);
    const char16_t* text = u"{b}bold{/b} {i}italic{/i} {u}underline{/u} <c #FFC02020>red</c> {a go}link{/a}\n"
                           u"{f Serif 16 bold}Serif 16{/f} {f Sans 9 italic strikeout}small{/f} {s}selected{/s}\n"
                           u"{i icon} image {i cells 2 1} cell {v center}{i frame}{f Sans 20}Big{/f}{/v} x{x 20}y\n"
                           u"{r}{b}raw{/b}{/r} a{<}b{>}c <{>d<}> {y 24}tall line\n"
                           u"{p 6}A paragraph with extra spacing that wraps over two lines{/p}"
                           u"{n}{v top}{f Sans 20}T{/f}top{/v} end";
    AddFrameImage(*manager, u"frame", 20, 6);
    CUIRect rects[4];
    CUIString texts[4];
    int count = 4;
    CUIRect rect(5, 5, 255, 185);
    CMarkupText::Draw(canvas.dc.get(), manager.get(), rect, text, 0xFF000000, rects, texts, count, -1, DT_WORDBREAK);
    EXPECT_EQ(count, 1);
    CheckReference(canvas, "markup");

    // Alignment of a whole single-line block, and the ellipsis.
    Canvas line(260, 60, 0xFFFFFFFF);
    CUIRect centred(5, 5, 255, 30);
    CMarkupText::Draw(line.dc.get(), manager.get(), centred, u"{b}centred{/b} block", 0xFF000000, nullptr, nullptr,
                      count, -1, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    CUIRect cut(5, 32, 120, 55);
    CMarkupText::Draw(line.dc.get(), manager.get(), cut, u"{c #FF2060C0}a long markup line{/c} that is cut", 0xFF000000,
                      nullptr, nullptr, count, -1, DT_SINGLELINE | DT_END_ELLIPSIS);
    CheckReference(line, "markup_align");
}
