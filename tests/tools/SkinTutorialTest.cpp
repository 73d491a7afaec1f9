// The skin tutorial (docs/skin-tutorial.md) run as it stands: its files are written, its commands
// run with the skintool of this build, and every output it shows must be what the tool prints. A
// tutorial that drifts from the tool fails here.
#include "tests/ui/skin/ZipTestSupport.h"

#include "platform/PngFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

using namespace ziptest;

struct TBlock
{
    std::string info; // what follows the opening fence ("xml file=myskin/main.xml", "sh", "console")
    std::vector<std::string> lines;
    int line = 0; // where the block starts in the document
};

std::vector<TBlock> FencedBlocks(const std::string& path)
{
    std::ifstream in(path);
    std::vector<TBlock> blocks;
    std::string line;
    bool inside = false;
    for (int number = 1; std::getline(in, line); ++number) {
        if (line.starts_with("```")) {
            if (!inside)
                blocks.push_back({line.substr(3), {}, number});
            inside = !inside;
        } else if (inside) {
            blocks.back().lines.push_back(line);
        }
    }
    return blocks;
}

} // namespace

TEST(SkinTutorial, EveryStepRunsAndPrintsWhatTheTutorialShows)
{
    const std::vector<TBlock> blocks = FencedBlocks(TVU_SOURCE_DIR "/docs/skin-tutorial.md");
    ASSERT_GT(blocks.size(), 10u);
    TempDir dir;
    const std::string prelude =
        "cd " + Quote(dir.Path()) + " && PATH=" + Quote(TVU_BINARY_DIR "/tools/skintool") + ":\"$PATH\" && ";
    int files = 0, commands = 0, outputs = 0;
    for (const TBlock& block : blocks) {
        SCOPED_TRACE("docs/skin-tutorial.md:" + std::to_string(block.line));
        if (block.info.starts_with("xml file=")) {
            std::string text;
            for (const std::string& l : block.lines)
                text += l + "\n";
            WriteFile(dir.Path() / block.info.substr(9), std::vector<std::uint8_t>(text.begin(), text.end()));
            ++files;
        } else if (block.info == "sh") {
            for (const std::string& command : block.lines) {
                EXPECT_EQ(RunShell(prelude + command + " </dev/null"), 0) << command;
                ++commands;
            }
        } else if (block.info == "console") {
            for (std::size_t i = 0; i < block.lines.size();) {
                ASSERT_TRUE(block.lines[i].starts_with("$ ")) << block.lines[i];
                const std::string command = block.lines[i].substr(2);
                std::string expected;
                for (++i; i < block.lines.size() && !block.lines[i].starts_with("$ "); ++i)
                    expected += block.lines[i] + "\n";
                const fs::path out = dir.Path() / "console.out";
                RunShell(prelude + command + " >" + Quote(out) + " 2>&1 </dev/null");
                EXPECT_EQ(ReadText(out), expected) << command;
                ++commands;
                ++outputs;
            }
        }
    }
    EXPECT_GE(files, 5);
    EXPECT_GE(commands, 12);
    EXPECT_GE(outputs, 6);

    // The pictures are what the text says: the art is the button's size, and the hot button looks
    // different from the normal one where the button is, and the same elsewhere.
    const platform::Surface art = platform::ReadPng((dir.Path() / "myskin/button_hot.png").string());
    ASSERT_TRUE(art.IsValid());
    EXPECT_EQ(art.Width(), 96);
    EXPECT_EQ(art.Height(), 32);
    const platform::Surface normal = platform::ReadPng((dir.Path() / "normal.png").string());
    const platform::Surface hot = platform::ReadPng((dir.Path() / "hot.png").string());
    const platform::Surface packed = platform::ReadPng((dir.Path() / "packed.png").string());
    ASSERT_TRUE(normal.IsValid() && hot.IsValid() && packed.IsValid());
    EXPECT_EQ(normal.Width(), 320);
    EXPECT_EQ(normal.Height(), 160);
    // The button: 96 wide at the right of the 16-pixel inset, in the last 32 pixels above it.
    const int x = 320 - 16 - 90, y = 160 - 16 - 16;
    EXPECT_NE(normal.GetPixel(x, y), hot.GetPixel(x, y));
    EXPECT_EQ(hot.GetPixel(x, y), packed.GetPixel(x, y));
    EXPECT_EQ(normal.GetPixel(20, 100), hot.GetPixel(20, 100));
    EXPECT_EQ(normal.GetPixel(0, 0), 0u) << "outside the round corner";
}
