// Reference pictures. The skins in refs/skins/ (nine slices with corners and hole, tiling, fade and
// masks, gradients, every border form) are rendered headless by `skintool render` and compared with
// the PNG beside each. Text has no skin control to show it yet, so plain text alignments and
// ellipsis and markup text with every tag are drawn by hand and compared with refs/*.png.
// Set TVU_UPDATE_REFS=1 to write the pictures instead, then look at each one.
#include "tests/JoinedText.h"
#include "RenderTestSupport.h"

#include "platform/PngFile.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

using namespace ui;
using tvtest::Canvas;
using tvtest::RenderTest;

namespace {

// Differences from anti-aliasing only: a few levels per channel.
constexpr int kTolerance = 6;

std::string RefPath(const std::string& name)
{
    return tvtest::Joined(TVU_SOURCE_DIR, "/tests/ui/render/refs/", name, ".png");
}

// Compares a picture with the reference at `path`, or writes it there when updating.
void CheckPicture(const platform::PixelBuffer& actual, const std::string& path, const std::string& name)
{
    if (std::getenv("TVU_UPDATE_REFS")) {
        ASSERT_TRUE(platform::WritePng(actual, path)) << path;
        return;
    }
    const platform::Surface expected = platform::ReadPng(path);
    ASSERT_TRUE(expected.IsValid()) << "missing reference " << path;
    const platform::PixelDiff diff = platform::ComparePixels(actual, expected.Pixels(), kTolerance);
    const std::string dump = tvtest::Joined(TVU_BINARY_DIR, "/actual_", name, ".png");
    if (!diff.Matches())
        platform::WritePng(actual, dump);
    EXPECT_TRUE(diff.Matches()) << name << ": " << diff.Describe() << "; actual picture in " << dump;
}

void CheckReference(const Canvas& canvas, const std::string& name)
{
    CheckPicture(canvas.surface.Pixels(), RefPath(name), name);
}

// The window size a skin asks for: the first size="W,H" in the file.
bool SkinSize(const std::filesystem::path& skin, int& width, int& height)
{
    std::ifstream in(skin);
    std::stringstream text;
    text << in.rdbuf();
    const std::string s = text.str();
    const std::size_t at = s.find("size=\"");
    return at != std::string::npos && std::sscanf(s.c_str() + at, "size=\"%d,%d\"", &width, &height) == 2;
}

std::string Quote(const std::string& text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
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
};

} // namespace

TEST(SkinReference, EverySkinRendersAsItsPicture)
{
    const std::filesystem::path skins = std::filesystem::path(TVU_SOURCE_DIR) / "tests/ui/render/refs/skins";
    const std::string skintool = tvtest::Joined(TVU_BINARY_DIR, "/tools/skintool/skintool");
    ASSERT_TRUE(std::filesystem::exists(skintool)) << skintool;
    int rendered = 0;
    for (const auto& entry : std::filesystem::directory_iterator(skins)) {
        if (entry.path().extension() != ".xml")
            continue;
        const std::string name = entry.path().stem().string();
        int width = 0, height = 0;
        ASSERT_TRUE(SkinSize(entry.path(), width, height)) << name;
        const std::string out = tvtest::Joined(TVU_BINARY_DIR, "/skin_", name, ".png");
        const std::string command = Quote(skintool) + " render " + Quote(entry.path().string()) + " --size " +
                                    std::to_string(width) + "x" + std::to_string(height) + " --out " + Quote(out);
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        const platform::Surface picture = platform::ReadPng(out);
        ASSERT_TRUE(picture.IsValid()) << out;
        CheckPicture(picture.Pixels(), (skins / (name + ".png")).string(), name);
        ++rendered;
    }
    EXPECT_GE(rendered, 5);
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
