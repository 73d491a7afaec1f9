// The command-line tools run as real processes: regtool against a sandbox database, and
// tarvion-stage creating sandbox installations.
#include "platform/Processes.h"

#include "tests/app/TestSandbox.h"

#include <gtest/gtest.h>

using namespace tvu_test;

namespace {

const std::string kUninstall = "'HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarvion VPN'";

} // namespace

TEST(Regtool, AddQueryAndDeleteValuesAndKeys)
{
    Sandbox sandbox;
    EXPECT_EQ(sandbox.Regtool("add 'HKCU\\Software\\Tarvion VPN' /v Path /t REG_SZ /d '/opt/t \xC3\xA9'").exitCode, 0);
    EXPECT_EQ(sandbox.Regtool("add 'HKCU\\Software\\Tarvion VPN\\Sub' /v Count /t REG_DWORD /d 0x1F").exitCode, 0);
    EXPECT_EQ(sandbox.Regtool("add 'HKCU\\Software\\Tarvion VPN' /ve /d default").exitCode, 0);

    CommandResult r = sandbox.Regtool("query 'hkcu\\software\\tarvion vpn'");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "HKEY_CURRENT_USER\\Software\\Tarvion VPN\n"
                     "    (Default)    REG_SZ    default\n"
                     "    Path    REG_SZ    /opt/t \xC3\xA9\n"
                     "\n"
                     "HKEY_CURRENT_USER\\Software\\Tarvion VPN\\Sub\n");
    r = sandbox.Regtool("query 'HKCU\\Software\\Tarvion VPN\\Sub' /v count");
    EXPECT_EQ(r.out, "HKEY_CURRENT_USER\\Software\\Tarvion VPN\\Sub\n    Count    REG_DWORD    0x1f\n");

    EXPECT_EQ(sandbox.Regtool("delete 'HKCU\\Software\\Tarvion VPN' /v Path /f").exitCode, 0);
    EXPECT_EQ(sandbox.Regtool("query 'HKCU\\Software\\Tarvion VPN' /v Path").exitCode, 1);
    EXPECT_EQ(sandbox.Regtool("delete 'HKCU\\Software\\Tarvion VPN'").exitCode, 0);
    r = sandbox.Regtool("query 'HKCU\\Software\\Tarvion VPN\\Sub'");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("unable to find"), std::string::npos) << r.err;
}

TEST(Regtool, The64BitViewIsSeparate)
{
    Sandbox sandbox;
    EXPECT_EQ(sandbox.Regtool("add 'HKLM\\SOFTWARE\\T' /v V /d sixty-four /reg:64").exitCode, 0);
    EXPECT_EQ(sandbox.Regtool("query 'HKLM\\SOFTWARE\\T' /v V").exitCode, 1);
    EXPECT_EQ(sandbox.Regtool("query 'HKLM\\SOFTWARE\\T' /v V /reg:64").out,
              "HKEY_LOCAL_MACHINE\\SOFTWARE\\T\n    V    REG_SZ    sixty-four\n");
    EXPECT_EQ(sandbox.Regtool("delete 'HKLM\\SOFTWARE\\T'").exitCode, 1);
    EXPECT_EQ(sandbox.Regtool("delete 'HKLM\\SOFTWARE\\T' /reg:64").exitCode, 0);
}

TEST(Regtool, BadUsageGivesAMessageAndExitCodeOne)
{
    Sandbox sandbox;
    for (const char* args : {"", "query", "list HKLM", "query HKU\\Software", "query 'HKLM\\SOFTWARE' /x",
                             "add HKCU\\T /v N /t REG_MULTI_SZ /d x", "add HKCU\\T /v N /t REG_DWORD /d 12abc",
                             "add HKCU\\T /v N /t REG_DWORD /d 4294967296", "add HKCU\\T /v N /t REG_DWORD /d -1",
                             "delete HKCU", "query HKLM\\Missing"}) {
        const CommandResult r = sandbox.Regtool(args);
        EXPECT_EQ(r.exitCode, 1) << args;
        EXPECT_EQ(r.err.rfind("ERROR: ", 0), 0u) << args << ": " << r.err;
        EXPECT_EQ(r.out, "") << args;
    }
    EXPECT_EQ(sandbox.Regtool("/?").exitCode, 0);
    // A store that cannot be created is a clean failure too.
    setenv("TVU_REGISTRY", "/proc/no/such/place.db", 1);
    EXPECT_EQ(sandbox.Regtool("add HKCU\\T").exitCode, 1);
}

TEST(TarvionStage, CreatesTheSampleInstallationAndPrintsOnlyExports)
{
    Sandbox sandbox;
    const fs::path dir = sandbox.Dir() / "stage";
    CommandResult r = sandbox.Run("'" + ToolPath("tarvion-stage") + "' '" + dir.string() + "'");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "export TVU_REGISTRY='" + (dir / "registry.db").string() + "'\n" + "export TVU_STARTMENU='" +
                         (dir / "startmenu").string() + "'\n" + "export TEMP='" + (dir / "temp").string() + "'\n");

    int files = 0;
    for (const auto& e : fs::recursive_directory_iterator(dir / "install/lib"))
        files += e.is_regular_file();
    EXPECT_EQ(files, 200);
    const std::string manifest = ReadText(dir / "install/uninstall.dat");
    EXPECT_NE(manifest.find("{\"name\": \"lib/p0/q0/r3/file199.dat\"}"), std::string::npos);
    EXPECT_NE(manifest.find("{\"name\": \"uninstall.dat\"}\n]"), std::string::npos);
    EXPECT_TRUE(fs::is_regular_file(dir / "desktop/Tarvion VPN.lnk"));
    EXPECT_TRUE(fs::is_regular_file(dir / "startmenu/Tarvion/Tarvion.lnk"));
    EXPECT_TRUE(fs::is_regular_file(dir / "startmenu/Tarvion/Remove Tarvion.lnk"));
    EXPECT_TRUE(fs::is_directory(dir / "temp") && fs::is_empty(dir / "temp"));

    // The exports prepare a shell for the other tools.
    r = sandbox.Run("eval \"$('" + ToolPath("tarvion-stage") + "' '" + (sandbox.Dir() / "second").string() +
                    "' --files 3)\" && '" + ToolPath("regtool") + "' query " + kUninstall + " /v UninstallString");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find((sandbox.Dir() / "second/install/uninstall.exe").string()), std::string::npos) << r.out;
    setenv("TVU_REGISTRY", (dir / "registry.db").c_str(), 1);
    r = sandbox.Regtool("query 'HKCR\\Software\\Tarvion VPN\\Settings' /v AutoConnect");
    EXPECT_EQ(r.out, "HKEY_CLASSES_ROOT\\Software\\Tarvion VPN\\Settings\n    AutoConnect    REG_DWORD    0x1\n");
}

TEST(TarvionStage, CopiesTheUninstallerAndRefusesBadArguments)
{
    Sandbox sandbox;
    WriteText(sandbox.Dir() / "my-uninstaller", "binary");
    const fs::path dir = sandbox.Dir() / "stage";
    CommandResult r = sandbox.Run("'" + ToolPath("tarvion-stage") + "' '" + dir.string() +
                                  "' --files 0 --uninstaller '" + (sandbox.Dir() / "my-uninstaller").string() + "'");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadText(dir / "install/uninstall.exe"), "binary");
    EXPECT_NE(ReadText(dir / "install/uninstall.dat").find("\"uninstall.exe\""), std::string::npos);

    const std::string stage = "'" + ToolPath("tarvion-stage") + "' ";
    for (const std::string& args :
         std::vector<std::string>{"", "'" + dir.string() + "'", "x --files 100001", "x --files -1", "x --files ten",
                                  "x --uninstaller /no/such/file", "x --bogus"}) {
        r = sandbox.Run(stage + args);
        EXPECT_EQ(r.exitCode, 1) << args;
        EXPECT_EQ(r.out, "") << args;
        EXPECT_FALSE(r.err.empty()) << args;
    }
}

TEST(TarvionStage, StartsTheProductProcessesAndRecordsThem)
{
    Sandbox sandbox;
    sandbox.Stage("--files 1 --processes");
    const std::vector<int> pids = sandbox.ReadPids();
    ASSERT_EQ(pids.size(), 2u);
    std::vector<std::u16string> names;
    ASSERT_TRUE(WaitFor([&] {
        names.clear();
        for (const platform::ProcessEntry& p : platform::SnapshotProcesses())
            if (p.pid == pids[0] || p.pid == pids[1])
                names.push_back(p.exeFileName);
        return names.size() == 2;
    }));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::u16string>{u"Tarvion.exe", u"transport.exe"}));
    // The sandbox ends them when the test ends.
}
