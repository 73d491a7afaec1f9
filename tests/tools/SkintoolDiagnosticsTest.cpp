// skintool check on skins with deliberate mistakes, run as a real process: each mistake is reported
// at its own line and column with the severity that decides the exit code, and a clean skin with
// the same constructs passes.
#include "tests/tools/SkintoolProcess.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using namespace ziptest;
using namespace skintooltest;

struct Outcome
{
    int exitCode;
    std::string out;
    std::vector<std::string> lines; // stderr, one diagnostic a line
};

// A one-pixel PNG is all an image reference needs to exist.
const std::vector<std::uint8_t> kPng = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

class SkintoolDiagnostics : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WriteFile(m_dir / "skin/button.png", kPng);
        WriteFile(m_dir / "skin/button_hot.png", kPng);
    }

    Outcome Check(const std::string& markup, const std::string& options = "")
    {
        WriteText(m_dir / "skin/main.xml", markup);
        const fs::path out = m_dir / "stdout", err = m_dir / "stderr";
        const int code = RunShell(Quote(kSkintool) + " check " + Quote(m_dir / "skin/main.xml") + " " + options + " >" +
                                  Quote(out) + " 2>" + Quote(err) + " </dev/null");
        Outcome o{code, ReadText(out), {}};
        std::istringstream lines(ReadText(err));
        const std::string prefix = (m_dir / "skin").string() + "/";
        for (std::string line; std::getline(lines, line);) {
            o.lines.push_back(line.starts_with(prefix) ? line.substr(prefix.size()) : line);
        }
        return o;
    }

    // The diagnostic that starts with place ("main.xml:4:12: error"), or empty.
    static std::string At(const Outcome& o, const std::string& place)
    {
        for (const std::string& line : o.lines) {
            if (line.starts_with(place)) {
                return line;
            }
        }
        return {};
    }

    TempDir m_dir;
};

// Every construct the mistakes below break, written correctly.
const char* const kCleanSkin = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                               "<Window size=\"320,200\" roundcorner=\"6,6\" caption=\"0,0,0,30\">\n"
                               "  <Font id=\"0\" name=\"Sans\" size=\"12\" bold=\"true\"/>\n"
                               "  <Image name=\"button.png\"/>\n"
                               "  <Default name=\"Button\" value=\"textcolor=&quot;#FF202020&quot;\"/>\n"
                               "  <VerticalLayout bkcolor=\"#FFFFFFFF\" padding=\"4,4,4,4\">\n"
                               "    <Label text=\"{b}Title{/b}\" showhtml=\"true\" font=\"0\"/>\n"
                               "    <Button name=\"ok\" normalimage=\"button.png\"\n"
                               "            hotimage=\"file='button_hot.png' corner='2,2,2,2'\" width=\"80\"/>\n"
                               "    <CheckBox visible=\"false\" pos=\"0,0,10,10\"/>\n"
                               "  </VerticalLayout>\n"
                               "</Window>\n";

} // namespace

TEST_F(SkintoolDiagnostics, CleanSkinPassesEvenWhenStrict)
{
    const Outcome o = Check(kCleanSkin, "--strict");
    EXPECT_EQ(o.exitCode, 0);
    EXPECT_TRUE(o.lines.empty()) << o.lines.front();
    EXPECT_EQ(o.out, "8\n");
}

TEST_F(SkintoolDiagnostics, UnclosedElementIsPlacedAtTheEndTagWithANoteAtTheElement)
{
    const Outcome o = Check("<Window>\n"
                            "  <VerticalLayout>\n"
                            "    <Label text=\"a\">\n"
                            "    <Button/>\n"
                            "  </VerticalLayout>\n"
                            "</Window>\n");
    EXPECT_EQ(o.exitCode, 1);
    ASSERT_EQ(o.lines.size(), 2u);
    EXPECT_TRUE(o.lines[0].starts_with("main.xml:5:5: error: Unmatched closing tag at ")) << o.lines[0];
    EXPECT_TRUE(o.lines[1].starts_with("main.xml:3:5: note: ")) << o.lines[1];
    EXPECT_NE(o.lines[1].find("<Label>"), std::string::npos);
}

TEST_F(SkintoolDiagnostics, MisspelledClassesAndAttributesAreErrorsWithSuggestions)
{
    const Outcome o = Check("<Window>\n"
                            "  <VerticalLayout>\n"
                            "    <HorizontalLayuot height=\"30\">\n"
                            "      <Label text=\"skipped with its parent\"/>\n"
                            "    </HorizontalLayuot>\n"
                            "    <Label textcolour=\"#FF000000\"/>\n"
                            "    <Button normalimgae=\"button.png\"/>\n"
                            "    <button text=\"case\"/>\n"
                            "    <Label mydata=\"42\"/>\n"
                            "  </VerticalLayout>\n"
                            "</Window>\n");
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_NE(At(o, "main.xml:3:5: error: unknown class 'HorizontalLayuot' (did you mean 'HorizontalLayout'?)"), "");
    // Nothing inside a skipped element is looked at.
    EXPECT_EQ(At(o, "main.xml:4:"), "");
    EXPECT_NE(At(o, "main.xml:6:12: error: Label has no attribute 'textcolour' (did you mean 'textcolor'?)"), "");
    EXPECT_NE(At(o, "main.xml:7:13: error: Button has no attribute 'normalimgae' (did you mean 'normalimage'?)"), "");
    // The builder ignores letter case in class names; the spelling is still pointed out.
    EXPECT_NE(At(o, "main.xml:8:5: warning: class 'button' is spelled 'Button'"), "");
    // A name no known attribute is near is a custom attribute the program may read.
    EXPECT_NE(At(o, "main.xml:9:12: warning: Label has no attribute 'mydata'"), "");
    EXPECT_EQ(o.lines.size(), 5u);
}

TEST_F(SkintoolDiagnostics, MalformedValuesAreReportedAtTheValue)
{
    const Outcome o = Check("<Window size=\"300,x\">\n"
                            "  <VerticalLayout bkcolor=\"red\">\n"
                            "    <Label textcolor=\"#FF00GG00\" width=\"8O\" visible=\"True\"/>\n"
                            "    <Label pos=\"1,2,3\" padding=\"1,,3,4\" float=\"0.5,x,0,0\"/>\n"
                            "    <Control bkcolor=\"#FF0000\" bordercolor=\"#FF0000\"/>\n"
                            "  </VerticalLayout>\n"
                            "</Window>\n");
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_NE(At(o, "main.xml:1:15: error: 'size' takes a list of whole numbers, not '300,x'"), "");
    EXPECT_NE(At(o, "main.xml:2:28: error: 'bkcolor' takes a colour, not 'red'"), "");
    EXPECT_NE(At(o, "main.xml:3:23: error: 'textcolor' takes a colour, not '#FF00GG00'"), "");
    EXPECT_NE(At(o, "main.xml:3:41: error: 'width' takes a whole number, not '8O'"), "");
    EXPECT_NE(At(o, "main.xml:3:54: warning: 'visible' is true exactly for \"true\"; 'True' reads as false"), "");
    EXPECT_NE(At(o, "main.xml:4:17: warning: 'pos' takes 4 numbers, '1,2,3' has 3"), "");
    EXPECT_NE(At(o, "main.xml:4:33: error: 'padding' takes a list of whole numbers, not '1,,3,4'"), "");
    EXPECT_NE(At(o, "main.xml:4:48: error: 'float' takes a list of numbers, not '0.5,x,0,0'"), "");
    // A fill with six digits has alpha 0; a border colour's alpha is not used, so it is fine.
    EXPECT_NE(At(o, "main.xml:5:23: warning: fill colour '#FF0000' has alpha 0 and paints nothing; an opaque fill "
                    "is #FFFF0000"),
              "");
    EXPECT_EQ(At(o, "main.xml:5:46:"), "");
    EXPECT_EQ(o.lines.size(), 9u);
}

TEST_F(SkintoolDiagnostics, MissingImagesFontsIncludesAndBrokenDefinitions)
{
    WriteText(m_dir / "skin/part.xml", "<VerticalLayout>\n  <Label font=\"7\"/>\n</VerticalLayout>\n");
    WriteText(m_dir / "skin/self.xml", "<VerticalLayout>\n  <Include source=\"self.xml\"/>\n</VerticalLayout>\n");
    const Outcome o = Check("<Window>\n"
                            "  <Font id=\"1\" name=\"Sans\"/>\n"
                            "  <Font name=\"Serif\"/>\n"
                            "  <Image name=\"gone.png\"/>\n"
                            "  <Default name=\"Buton\" value=\"\"/>\n"
                            "  <Default name=\"Label\" value=\"textcolor=&quot;nope&quot;\"/>\n"
                            "  <VerticalLayout>\n"
                            "    <Button normalimage=\"missing.png\" hotimage=\"file='button.png' crner='1,1,1,1'\"/>\n"
                            "    <Label font=\"1\"/><Label font=\"2\"/>\n"
                            "    <Include source=\"nothere.xml\"/>\n"
                            "    <Include source=\"part.xml\"/>\n"
                            "    <Include source=\"self.xml\"/>\n"
                            "    <Font id=\"3\" name=\"Late\"/>\n"
                            "  </VerticalLayout>\n"
                            "</Window>\n");
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_NE(At(o, "main.xml:3:3: error: <Font> without 'id' is ignored"), "");
    EXPECT_NE(At(o, "main.xml:4:16: error: image 'gone.png' is not in the skin"), "");
    EXPECT_NE(At(o, "main.xml:5:18: warning: no class is named 'Buton'"), "");
    EXPECT_NE(At(o, "main.xml:6:32: error: 'textcolor' takes a colour, not 'nope'"), "");
    EXPECT_NE(At(o, "main.xml:8:26: error: image 'missing.png' is not in the skin"), "");
    EXPECT_NE(At(o, "main.xml:8:67: warning: image descriptors have no key 'crner'"), "");
    EXPECT_EQ(At(o, "main.xml:9:17:"), "");
    EXPECT_NE(At(o, "main.xml:9:35: error: font 2 is not defined"), "");
    EXPECT_NE(At(o, "main.xml:10:22: error: included file 'nothere.xml' does not load: Error opening file"), "");
    // Findings inside an included file name that file.
    EXPECT_NE(At(o, "part.xml:2:16: error: font 7 is not defined"), "");
    EXPECT_NE(At(o, "self.xml:2:20: error: including 'self.xml' here nests without end"), "");
    EXPECT_NE(At(o, "main.xml:13:5: warning: <Font> is read only as a child of the root element"), "");
    EXPECT_EQ(o.lines.size(), 11u);
}

TEST_F(SkintoolDiagnostics, WarningsFailOnlyWhenStrict)
{
    const std::string markup = "<Window>\n  <Control bkcolor=\"#00FF00\" mydata=\"1\"/>\n</Window>\n";
    const Outcome relaxed = Check(markup);
    EXPECT_EQ(relaxed.exitCode, 0);
    EXPECT_EQ(relaxed.out, "2\n");
    ASSERT_EQ(relaxed.lines.size(), 2u);
    EXPECT_NE(relaxed.lines[0].find(": warning: "), std::string::npos);
    const Outcome strict = Check(markup, "--strict");
    EXPECT_EQ(strict.exitCode, 1);
    EXPECT_EQ(strict.lines, relaxed.lines);
    EXPECT_EQ(strict.out, "");
}
