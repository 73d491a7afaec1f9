// skintool render, run as a real process: the painted colours of a skin file and of a skin
// archive's main.xml come out in the PNG, and a markup error exits 1 with the parser's message.
#include "tests/ui/skin/ZipTestSupport.h"

#include "platform/PngFile.h"
#include "platform/WindowRegion.h"

#include <gtest/gtest.h>

namespace {

using namespace ziptest;

const std::string kSkintool = TVU_BINARY_DIR "/tools/skintool/skintool";

struct Outcome
{
    int exitCode;
    std::string err;
};

void WriteText(const fs::path& path, const std::string& text)
{
    WriteFile(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

// A red window 300x200 by its own size, a 40-pixel green band at the top with a blue square 20 wide
// at its left, and a tile grid of grey cells below.
const char* const kSkin = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                          "<Window size=\"300,200\">\n"
                          "  <Default name=\"Control\" value=\"bkcolor=&quot;#FF0000FF&quot;\"/>\n"
                          "  <VerticalLayout bkcolor=\"#FFFF0000\">\n"
                          "    <HorizontalLayout height=\"40\" bkcolor=\"#FF00FF00\">\n"
                          "      <Control width=\"20\"/>\n"
                          "    </HorizontalLayout>\n"
                          "    <TileLayout itemsize=\"30,30\"><Control bkcolor=\"#FF808080\"/></TileLayout>\n"
                          "  </VerticalLayout>\n"
                          "</Window>\n";

class SkintoolRender : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WriteText(m_dir / "skin/main.xml", kSkin);
        WriteText(m_dir / "skin/broken.xml", "<Window>\n  <Control width='3'/>\n</Window>\n");
        ASSERT_EQ(Skintool("pack " + Path("skin") + " " + Path("skin.zip") + " --password pw").exitCode, 0);
    }

    Outcome Skintool(const std::string& args)
    {
        const fs::path err = m_dir / "stderr";
        int code = RunShell(Quote(kSkintool) + " " + args + " >/dev/null 2>" + Quote(err) + " </dev/null");
        return {code, ReadText(err)};
    }

    std::string Path(const std::string& name) { return Quote(m_dir / name); }

    void ExpectPainted(const fs::path& png, int width, int height)
    {
        platform::Surface picture = platform::ReadPng(png.string());
        ASSERT_TRUE(picture.IsValid());
        EXPECT_EQ(picture.Width(), width);
        EXPECT_EQ(picture.Height(), height);
        EXPECT_EQ(picture.GetPixel(5, 5), 0xFF0000FFu);                  // the blue square
        EXPECT_EQ(picture.GetPixel(25, 5), 0xFF00FF00u);                 // the green band
        EXPECT_EQ(picture.GetPixel(5, 45), 0xFF808080u);                 // the first tile
        EXPECT_EQ(picture.GetPixel(width - 1, height - 1), 0xFFFF0000u); // the red layout
    }

    TempDir m_dir;
};

} // namespace

TEST_F(SkintoolRender, SkinFileIsPaintedAtTheAskedSize)
{
    Outcome r = Skintool("render " + Path("skin/main.xml") + " --size 120x90 --out " + Path("file.png"));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ExpectPainted(m_dir / "file.png", 120, 90);
}

TEST_F(SkintoolRender, RoundCornersAreCutAsTheWindowCutsThem)
{
    WriteText(m_dir / "round.xml",
              "<Window size=\"100,80\" roundcorner=\"20,20\"><Control bkcolor=\"#FF00FF00\"/></Window>");
    Outcome r = Skintool("render " + Path("round.xml") + " --size 100x80 --out " + Path("round.png"));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    platform::Surface picture = platform::ReadPng((m_dir / "round.png").string());
    ASSERT_TRUE(picture.IsValid());
    const auto region = platform::WindowRegion::RoundRect(RECT{0, 0, 101, 81}, 20, 20);
    int cut = 0;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 100; ++x) {
            const bool inside = region.Contains(x, y);
            cut += !inside;
            ASSERT_EQ(picture.GetPixel(x, y), inside ? 0xFF00FF00u : 0u) << x << "," << y;
        }
    EXPECT_GT(cut, 4 * 20) << "each corner loses the pixels outside a radius of 10";
    EXPECT_EQ(picture.GetPixel(0, 0), 0u);
    EXPECT_EQ(picture.GetPixel(50, 0), 0xFF00FF00u);
}

TEST_F(SkintoolRender, ArchiveMainXmlIsPainted)
{
    Outcome r = Skintool("render " + Path("skin.zip") + " --password pw --size=64x50 --out=" + Path("zip.png"));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ExpectPainted(m_dir / "zip.png", 64, 50);

    Outcome wrong = Skintool("render " + Path("skin.zip") + " --password nope --size 64x50 --out " + Path("w.png"));
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_FALSE(fs::exists(m_dir / "w.png"));
}

TEST_F(SkintoolRender, MarkupErrorExitsOneWithTheParsersMessage)
{
    Outcome r = Skintool("render " + Path("skin/broken.xml") + " --size 10x10 --out " + Path("b.png"));
    EXPECT_EQ(r.exitCode, 1);
    // The first line: sanitizer builds may report after it.
    EXPECT_EQ(r.err.substr(0, r.err.find('\n') + 1), "Expected attribute value at \"'3'/>\\n</Window>\\n\"\n");
    EXPECT_FALSE(fs::exists(m_dir / "b.png"));
}

TEST_F(SkintoolRender, BadCommandLinesPrintTheUsage)
{
    EXPECT_EQ(Skintool("render " + Path("skin/main.xml") + " --out " + Path("x.png")).exitCode, 2);
    EXPECT_EQ(Skintool("render " + Path("skin/main.xml") + " --size 0x5 --out " + Path("x.png")).exitCode, 2);
    EXPECT_EQ(Skintool("render " + Path("skin/main.xml") + " --size 5x5").exitCode, 2);
    EXPECT_EQ(Skintool("render " + Path("nothing.xml") + " --size 5x5 --out " + Path("x.png")).exitCode, 1);
}
