// Tests of the skintool program, run as a real process: reproducible packing that Info-ZIP's unzip
// reads back byte for byte, listing, cat, and the exit codes and messages of failures.
#include "tests/tools/SkintoolProcess.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace {

using namespace ziptest;
using namespace skintooltest;

struct Outcome
{
    int exitCode;
    std::string out;
    std::string err;
};

class SkintoolTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_files = {
            {"main.xml", TextBytes(1500)},
            {"img/close.png", NoiseBytes(70000, 3)},
            {"img/btn/Hover.png", TextBytes(200000)},
            {"lang/empty.txt", {}},
            {"z.txt", TextBytes(10)},
        };
        for (const auto& [name, data] : m_files)
            WriteFile(m_dir / ("skin/" + name), data);
    }

    Outcome Skintool(const std::string& args)
    {
        const fs::path out = m_dir / "stdout", err = m_dir / "stderr";
        int code = RunShell(Quote(kSkintool) + " " + args + " >" + Quote(out) + " 2>" + Quote(err) + " </dev/null");
        return {code, ReadText(out), ReadText(err)};
    }

    std::string Path(const std::string& name) { return Quote(m_dir / name); }

    TempDir m_dir;
    std::map<std::string, std::vector<std::uint8_t>> m_files;
};

TEST_F(SkintoolTest, PackIsReproducibleAndUnzipReadsItBack)
{
    ASSERT_EQ(Skintool("pack " + Path("skin") + " " + Path("a.zip") + " --password QwPlrTvK").exitCode, 0);
    // File times must not matter.
    fs::last_write_time(m_dir / "skin/main.xml", fs::file_time_type::clock::now() - std::chrono::hours(50));
    ASSERT_EQ(Skintool("pack " + Path("skin") + " " + Path("b.zip") + " --password=QwPlrTvK").exitCode, 0);
    EXPECT_TRUE(ReadFile(m_dir / "a.zip") == ReadFile(m_dir / "b.zip"));

    ASSERT_EQ(RunShell("unzip -q -P QwPlrTvK " + Path("a.zip") + " -d " + Path("out")), 0);
    for (const auto& [name, data] : m_files) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(ReadFile(m_dir / ("out/" + name)) == data);
    }
    // An archive written into the packed folder leaves itself out.
    ASSERT_EQ(Skintool("pack " + Path("skin") + " " + Path("skin/self.zip") + " --password QwPlrTvK").exitCode, 0);
    ASSERT_EQ(Skintool("pack " + Path("skin") + " " + Path("skin/self.zip") + " --password QwPlrTvK").exitCode, 0);
    EXPECT_TRUE(ReadFile(m_dir / "skin/self.zip") == ReadFile(m_dir / "a.zip"));

    // Without the password unzip gets nothing.
    EXPECT_NE(RunShell("unzip -q -P wrong " + Path("a.zip") + " -d " + Path("bad") + " >/dev/null 2>&1"), 0);
}

TEST_F(SkintoolTest, PackWithoutPasswordIsPlain)
{
    ASSERT_EQ(Skintool("pack " + Path("skin") + " " + Path("plain.zip")).exitCode, 0);
    ASSERT_EQ(RunShell("unzip -q " + Path("plain.zip") + " -d " + Path("out") + " </dev/null"), 0);
    EXPECT_TRUE(ReadFile(m_dir / "out/img/close.png") == m_files["img/close.png"]);
}

TEST_F(SkintoolTest, ListShowsSortedNamesAndSizes)
{
    ASSERT_EQ(Skintool("pack " + Path("skin") + " " + Path("a.zip") + " --password pw").exitCode, 0);
    Outcome list = Skintool("list " + Path("a.zip"));
    ASSERT_EQ(list.exitCode, 0);
    std::istringstream lines(list.out);
    std::string name, previous;
    std::int64_t compressed = 0, uncompressed = 0;
    std::size_t count = 0;
    while (lines >> name >> compressed >> uncompressed) {
        SCOPED_TRACE(name);
        EXPECT_LT(previous, name);
        ASSERT_TRUE(m_files.count(name));
        EXPECT_EQ(uncompressed, std::int64_t(m_files[name].size()));
        previous = name;
        ++count;
    }
    EXPECT_EQ(count, m_files.size());
    // Noise does not deflate: stored, plus the 12-byte encryption header. Text shrinks a lot.
    EXPECT_NE(list.out.find("img/close.png\t70012\t70000\n"), std::string::npos);
    EXPECT_NE(list.out.find("img/btn/Hover.png\t"), std::string::npos);
}

TEST_F(SkintoolTest, CatFindsMembersLikeTheSkinLoaders)
{
    ASSERT_EQ(Skintool("pack " + Path("skin") + " " + Path("a.zip") + " --password QwPlrTvK").exitCode, 0);
    const std::pair<std::string, std::string> cases[] = {
        {"img/btn/Hover.png", "img/btn/Hover.png"},
        {"IMG\\\\BTN\\\\hover.PNG", "img/btn/Hover.png"},
        {"/img//close.png", "img/close.png"},
        {"lang/empty.txt", "lang/empty.txt"},
    };
    for (const auto& [asked, stored] : cases) {
        SCOPED_TRACE(asked);
        Outcome cat = Skintool("cat " + Path("a.zip") + " '" + asked + "' --password QwPlrTvK");
        ASSERT_EQ(cat.exitCode, 0) << cat.err;
        EXPECT_EQ(cat.out, std::string(m_files[stored].begin(), m_files[stored].end()));
    }
}

TEST_F(SkintoolTest, FailuresPrintTheReadersMessage)
{
    ASSERT_EQ(Skintool("pack " + Path("skin") + " " + Path("a.zip") + " --password QwPlrTvK").exitCode, 0);
    const std::pair<std::string, std::string> cases[] = {
        {"cat " + Path("missing.zip") + " main.xml", "Couldn't create/open file\n"},
        {"list " + Path("missing.zip"), "Couldn't create/open file\n"},
        {"cat " + Path("skin/main.xml") + " main.xml", "Zipfile is corrupt or not a zipfile\n"},
        {"list " + Path("skin/img/close.png"), "Zipfile is corrupt or not a zipfile\n"},
        {"cat " + Path("a.zip") + " main.xml --password qwplrtvk", "Correct password required\n"},
        {"cat " + Path("a.zip") + " main.xml", "Correct password required\n"},
        {"cat " + Path("a.zip") + " nothing.xml --password QwPlrTvK", "File not found in the zipfile\n"},
        {"pack " + Path("no-such-dir") + " " + Path("b.zip"), "Couldn't create/open file\n"},
        {"pack " + Path("skin") + " " + Path("no-such-dir/b.zip"), "Couldn't create/open file\n"},
    };
    for (const auto& [args, message] : cases) {
        SCOPED_TRACE(args);
        Outcome o = Skintool(args);
        EXPECT_EQ(o.exitCode, 1);
        EXPECT_EQ(o.err, message);
        EXPECT_EQ(o.out, "");
    }
}

TEST_F(SkintoolTest, UsageErrorsExitWithTwo)
{
    for (const std::string args : {"", "unpack x", "pack onlyone", "list", "cat a.zip", "list a.zip --password",
                                   "list a.zip --verbose", "cat a b c"}) {
        SCOPED_TRACE(args);
        Outcome o = Skintool(args);
        EXPECT_EQ(o.exitCode, 2);
        EXPECT_EQ(o.err.rfind("usage:\n", 0), 0u);
        EXPECT_NE(o.err.find("skintool pack DIR OUT.zip"), std::string::npos);
    }
}

} // namespace

TEST_F(SkintoolTest, PackLeavesOutHiddenFilesAndEditorLeftoversUnlessAskedToIncludeAll)
{
    const std::vector<std::string> leftovers = {"main.xml~",  ".DS_Store",         ".#main.xml",
                                                "#main.xml#", "img/.main.xml.swp", "img/close.png.bak",
                                                "Thumbs.db",  ".git/config",       ".hidden/deep/kept-out.png"};
    for (const std::string& name : leftovers)
        WriteFile(m_dir / ("skin/" + name), TextBytes(20));
    // A name merely containing the characters is kept.
    WriteFile(m_dir / "skin/img/a#b.png", TextBytes(20));
    ASSERT_EQ(Skintool("pack " + Path("skin") + " " + Path("clean.zip")).exitCode, 0);
    ASSERT_EQ(Skintool("pack " + Path("skin") + " " + Path("all.zip") + " --include-all").exitCode, 0);
    const std::string clean = Skintool("list " + Path("clean.zip")).out;
    const std::string all = Skintool("list " + Path("all.zip")).out;
    for (const std::string& name : leftovers) {
        EXPECT_EQ(clean.find(name + "\t"), std::string::npos) << name;
        EXPECT_NE(all.find(name + "\t"), std::string::npos) << name;
    }
    for (const auto& [name, data] : m_files)
        EXPECT_NE(clean.find(name + "\t"), std::string::npos) << name;
    EXPECT_NE(clean.find("img/a#b.png\t"), std::string::npos);
    EXPECT_EQ(Skintool("pack " + Path("skin") + " " + Path("x.zip") + " --include-everything").exitCode, 2);
}
