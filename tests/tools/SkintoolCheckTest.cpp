// skintool check, run as a real process: element counts of good markup, the parser's error on one
// line for bad markup, and the archive reader's messages for archive failures.
#include "tests/tools/SkintoolProcess.h"

#include <gtest/gtest.h>

namespace {

using namespace ziptest;
using namespace skintooltest;

struct Outcome
{
    int exitCode;
    std::string out;
    std::string err;
};

class SkintoolCheck : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WriteText(m_dir / "skin/main.xml", "<?xml version=\"1.0\"?>\n<Window>\n  <Button text=\"a &amp; b\"/>\n"
                                           "  <Label/>\n</Window>\n");
        WriteText(m_dir / "skin/broken.xml", "<Window>\n  <Button text='x'/>\n</Window>\n");
        WriteText(m_dir / "skin/empty.xml", "");
        ASSERT_EQ(Skintool("pack " + Path("skin") + " " + Path("skin.zip") + " --password pw").exitCode, 0);
    }

    Outcome Skintool(const std::string& args)
    {
        const fs::path out = m_dir / "stdout", err = m_dir / "stderr";
        int code = RunShell(Quote(kSkintool) + " " + args + " >" + Quote(out) + " 2>" + Quote(err) + " </dev/null");
        return {code, ReadText(out), ReadText(err)};
    }

    std::string Path(const std::string& name) { return Quote(m_dir / name); }

    TempDir m_dir;
};

} // namespace

TEST_F(SkintoolCheck, GoodMarkupPrintsTheElementCount)
{
    Outcome file = Skintool("check " + Path("skin/main.xml"));
    EXPECT_EQ(file.exitCode, 0);
    EXPECT_EQ(file.out, "3\n");
    Outcome member = Skintool("check " + Path("skin.zip") + " MAIN.XML --password pw");
    EXPECT_EQ(member.exitCode, 0) << member.err;
    EXPECT_EQ(member.out, "3\n");
}

TEST_F(SkintoolCheck, BadMarkupPrintsMessageAndLocationOnOneLine)
{
    Outcome file = Skintool("check " + Path("skin/broken.xml"));
    EXPECT_EQ(file.exitCode, 1);
    // The parser's own message, at the line and column where it stopped.
    const std::string message = "2:16: error: Expected attribute value at \"'x'/>\\n</Window>\\n\"\n";
    EXPECT_EQ(file.err, (m_dir / "skin/broken.xml").string() + ":" + message);
    Outcome member = Skintool("check " + Path("skin.zip") + " broken.xml --password pw");
    EXPECT_EQ(member.exitCode, 1);
    EXPECT_EQ(member.err, (m_dir / "skin.zip").string() + ":broken.xml:" + message);
    EXPECT_EQ(Skintool("check " + Path("skin/empty.xml")).err,
              (m_dir / "skin/empty.xml").string() + ": error: File is empty\n");
    EXPECT_EQ(Skintool("check " + Path("skin/none.xml")).err,
              (m_dir / "skin/none.xml").string() + ": error: Error opening file\n");
    EXPECT_EQ(Skintool("check " + Path("skin.zip") + " empty.xml --password pw").err,
              (m_dir / "skin.zip").string() + ":empty.xml: error: File is empty\n");
}

TEST_F(SkintoolCheck, ArchiveFailuresPrintTheReadersMessage)
{
    const Outcome missingArchive = Skintool("check " + Path("none.zip") + " main.xml");
    EXPECT_EQ(missingArchive.exitCode, 1);
    const Outcome notArchive = Skintool("check " + Path("skin/main.xml") + " main.xml");
    EXPECT_EQ(notArchive.exitCode, 1);
    const Outcome wrongPassword = Skintool("check " + Path("skin.zip") + " main.xml --password nope");
    EXPECT_EQ(wrongPassword.exitCode, 1);
    const Outcome missingMember = Skintool("check " + Path("skin.zip") + " other.xml --password pw");
    EXPECT_EQ(missingMember.exitCode, 1);
    // The same messages as the other commands print for the same failures.
    EXPECT_EQ(missingArchive.err, Skintool("list " + Path("none.zip")).err);
    EXPECT_EQ(notArchive.err, Skintool("list " + Path("skin/main.xml")).err);
    EXPECT_EQ(wrongPassword.err, Skintool("cat " + Path("skin.zip") + " main.xml --password nope").err);
    EXPECT_EQ(missingMember.err, Skintool("cat " + Path("skin.zip") + " other.xml --password pw").err);
    for (const Outcome* o : {&missingArchive, &notArchive, &wrongPassword, &missingMember}) {
        EXPECT_FALSE(o->err.empty());
        EXPECT_EQ(o->err.find('\n'), o->err.size() - 1) << o->err;
    }
    EXPECT_EQ(Skintool("check").exitCode, 2);
    EXPECT_EQ(Skintool("check " + Path("skin/main.xml") + " --password pw").exitCode, 2);
    // Without a password the encrypted archive says what a password is needed for, as render does.
    const Outcome noPassword = Skintool("check " + Path("skin.zip") + " main.xml");
    EXPECT_EQ(noPassword.exitCode, 1);
    EXPECT_EQ(noPassword.err, "Correct password required\n");
}
