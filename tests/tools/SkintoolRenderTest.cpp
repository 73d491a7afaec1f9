// skintool render, run as a real process: the painted colours of a skin file and of a skin
// archive's main.xml come out in the PNG, and a markup error exits 1 with the parser's message.
#include "tests/tools/SkintoolProcess.h"

#include "platform/PngFile.h"
#include "platform/WindowRegion.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

using namespace ziptest;
using namespace skintooltest;

struct Outcome
{
    int exitCode;
    std::string err;
};

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
    EXPECT_EQ(Skintool("render " + Path("skin/main.xml") + " --size 0x5 --out " + Path("x.png")).exitCode, 2);
    EXPECT_EQ(Skintool("render " + Path("skin/main.xml") + " --state b --out " + Path("x.png")).exitCode, 2);
    EXPECT_EQ(Skintool("render " + Path("skin/main.xml") + " --state b=warm --out " + Path("x.png")).exitCode, 2);
    EXPECT_EQ(Skintool("render " + Path("skin/main.xml") + " --size 5x5").exitCode, 2);
    EXPECT_EQ(Skintool("render " + Path("nothing.xml") + " --size 5x5 --out " + Path("x.png")).exitCode, 1);
}

TEST_F(SkintoolRender, ScaleGivesTheDevicePictureOfTheSameLayoutAndCutsItsCorners)
{
    // The layout of 120x90 logical pixels at device resolution: every probe at doubled coordinates.
    Outcome r = Skintool("render " + Path("skin/main.xml") + " --size 120x90 --scale 2 --out " + Path("two.png"));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    platform::Surface two = platform::ReadPng((m_dir / "two.png").string());
    ASSERT_TRUE(two.IsValid());
    EXPECT_EQ(two.Width(), 240);
    EXPECT_EQ(two.Height(), 180);
    EXPECT_EQ(two.GetPixel(39, 5), 0xFF0000FFu) << "the blue square is 40 device pixels wide";
    EXPECT_EQ(two.GetPixel(40, 5), 0xFF00FF00u);
    EXPECT_EQ(two.GetPixel(45, 79), 0xFF00FF00u) << "the band is 80 device pixels high";
    EXPECT_EQ(two.GetPixel(45, 80), 0xFF808080u);
    EXPECT_EQ(two.GetPixel(239, 179), 0xFFFF0000u);
    // 1.5: round(100 × 1.5) x round(81 × 1.5) = 150 x 122 (121.5 rounded up).
    WriteText(m_dir / "round.xml",
              "<Window size=\"100,81\" roundcorner=\"20,20\"><Control bkcolor=\"#FF00FF00\"/></Window>");
    r = Skintool("render " + Path("round.xml") + " --scale=1.5 --out " + Path("round.png"));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    platform::Surface round = platform::ReadPng((m_dir / "round.png").string());
    ASSERT_TRUE(round.IsValid());
    EXPECT_EQ(round.Width(), 150);
    EXPECT_EQ(round.Height(), 122);
    EXPECT_EQ(round.GetPixel(0, 0), 0u) << "the corner is cut at the device resolution";
    EXPECT_EQ(round.GetPixel(75, 0), 0xFF00FF00u);
    EXPECT_EQ(round.GetPixel(75, 121), 0xFF00FF00u) << "no row is left unpainted at the bottom";
    EXPECT_EQ(round.GetPixel(149, 60), 0xFF00FF00u) << "no column is left unpainted at the right";

    for (const char* bad : {"0", "-1", "abc", "9", "2x"})
        EXPECT_EQ(Skintool("render " + Path("skin/main.xml") + " --scale " + bad + " --out " + Path("x.png")).exitCode,
                  2)
            << bad;
}

TEST_F(SkintoolRender, WithoutSizeTheSkinsWindowSizeIsUsed)
{
    Outcome r = Skintool("render " + Path("skin/main.xml") + " --out " + Path("own.png"));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ExpectPainted(m_dir / "own.png", 300, 200);

    WriteText(m_dir / "nosize.xml", "<Window><Control bkcolor=\"#FF00FF00\"/></Window>");
    Outcome none = Skintool("render " + Path("nosize.xml") + " --out " + Path("none.png"));
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_NE(none.err.find("--size"), std::string::npos) << none.err;
    EXPECT_FALSE(fs::exists(m_dir / "none.png"));
}

TEST_F(SkintoolRender, WithoutPasswordTheArchiveSaysWhatCheckSays)
{
    Outcome r = Skintool("render " + Path("skin.zip") + " --out " + Path("np.png"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "Correct password required\n");
    const fs::path err = m_dir / "check.err";
    RunShell(Quote(kSkintool) + " check " + Path("skin.zip") + " main.xml 2>" + Quote(err));
    EXPECT_EQ(ReadText(err), r.err);
}

// Buttons and an option whose every state has a fill of its own: the picture shows the state each
// was put in, and a control left alone keeps its normal look. The first tab stop has the focus when
// a window first paints, as on screen, so the focus is asked of the last button.
TEST_F(SkintoolRender, StatesArePaintedAsTheUserWouldSeeThem)
{
    WriteText(m_dir / "states.xml",
              "<Window size=\"60,20\"><HorizontalLayout>\n"
              "  <Button name=\"b\" width=\"20\" bkcolor=\"#FFFF0000\" hotbkcolor=\"#FF00FF00\"\n"
              "          disabledbkcolor=\"#FF808080\" pushedimage=\"color='#FFFFFF00'\"/>\n"
              "  <Option name=\"o\" width=\"20\" bkcolor=\"#FFFF0000\" selectedbkcolor=\"#FF00FFFF\"/>\n"
              "  <Button name=\"f\" bkcolor=\"#FF101010\" focusedbkcolor=\"#FF0000FF\"/>\n"
              "</HorizontalLayout></Window>");
    const auto render = [&](const std::string& states) {
        const fs::path png = m_dir / "states.png";
        fs::remove(png);
        Outcome r = Skintool("render " + Path("states.xml") + " " + states + " --out " + Quote(png));
        EXPECT_EQ(r.exitCode, 0) << states << ": " << r.err;
        platform::Surface picture = platform::ReadPng(png.string());
        EXPECT_TRUE(picture.IsValid());
        return std::tuple(picture.GetPixel(10, 10), picture.GetPixel(30, 10), picture.GetPixel(50, 10));
    };
    EXPECT_EQ(render(""), std::tuple(0xFFFF0000u, 0xFFFF0000u, 0xFF101010u));
    EXPECT_EQ(std::get<0>(render("--state b=hot")), 0xFF00FF00u);
    EXPECT_EQ(std::get<0>(render("--state b=pushed")), 0xFFFFFF00u);
    EXPECT_EQ(std::get<2>(render("--state f=focused")), 0xFF0000FFu);
    EXPECT_EQ(std::get<0>(render("--state b=disabled")), 0xFF808080u);
    EXPECT_EQ(render("--state o=selected --state=b=hot"), std::tuple(0xFF00FF00u, 0xFF00FFFFu, 0xFF101010u));

    Outcome unknown = Skintool("render " + Path("states.xml") + " --state x=hot --out " + Path("u.png"));
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_NE(unknown.err.find("\"x\""), std::string::npos) << unknown.err;
    Outcome notOption = Skintool("render " + Path("states.xml") + " --state f=selected --out " + Path("u.png"));
    EXPECT_EQ(notOption.exitCode, 1);
    EXPECT_FALSE(fs::exists(m_dir / "u.png"));
}
