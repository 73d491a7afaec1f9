// skintool preview, run as a real process without a display (the headless window backend): it
// builds the skin with its diagnostics, builds it again when a file of the skin folder changes -
// a fixed mistake then no longer reported - and ends after the asked number of builds.
#include "tests/tools/SkintoolProcess.h"

#include <gtest/gtest.h>

using namespace ziptest;
using namespace skintooltest;

TEST(SkintoolPreview, RebuildsWhenASkinFileChangesAndShowsTheDiagnosticsOfEachBuild)
{
    TempDir dir;
    WriteText(dir / "skin/main.xml", "<Window size=\"120,80\">\n  <Control bkcolor=\"red\"/>\n</Window>\n");
    WriteText(dir / "fixed.xml", "<Window size=\"120,80\">\n  <Control bkcolor=\"#FFFF0000\"/>\n</Window>\n");
    const fs::path out = dir / "out", err = dir / "err";
    // The edit waits for the first build, so that it is a change the running preview must notice.
    const std::string script =
        "cd " + Quote(dir.Path()) + " && unset DISPLAY WAYLAND_DISPLAY && (timeout 60 " + Quote(kSkintool) +
        " preview skin/main.xml --rebuilds 2 >" + Quote(out) + " 2>" + Quote(err) +
        " </dev/null & pid=$!; i=0; while ! grep -q 'build 1' " + Quote(out) +
        " && [ $i -lt 300 ]; do sleep 0.1; i=$((i+1)); done; sleep 0.2; cp fixed.xml skin/main.xml; wait $pid)";
    EXPECT_EQ(RunShell(script), 0);
    EXPECT_EQ(ReadText(out), "build 1: 1 errors, 0 warnings\nbuild 2: 0 errors, 0 warnings\n");
    const std::string diagnostics = ReadText(err);
    EXPECT_NE(diagnostics.find("skin/main.xml:2:21: error: 'bkcolor' takes a colour, not 'red'"), std::string::npos)
        << diagnostics;
    EXPECT_EQ(diagnostics.find('\n'), diagnostics.size() - 1) << "only the first build has a finding";
}

TEST(SkintoolPreview, BadCommandLinesPrintTheUsage)
{
    TempDir dir;
    const std::string skintool = Quote(kSkintool);
    EXPECT_EQ(RunShell(skintool + " preview >/dev/null 2>&1"), 2);
    EXPECT_EQ(RunShell(skintool + " preview a.xml --rebuilds 0 >/dev/null 2>&1"), 2);
    EXPECT_EQ(RunShell(skintool + " preview a.xml b.xml >/dev/null 2>&1"), 2);
}
