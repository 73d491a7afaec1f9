// The run's record: where it goes, how it is written (never through a planted link when the
// administrator writes it), and the end-of-run texts built from a removal report.
#include "E2eHarness.h"

#include "app/RunRecord.h"
#include "platform/TextEncoding.h"
#include "platform/TextFile.h"

namespace e2e {
namespace {

std::u16string Wide(const fs::path& path)
{
    return platform::Utf8ToUtf16(path.string());
}

TEST(RunRecordFile, CreatesMissingFoldersAndReplacesWhatIsThere)
{
    Sandbox box;
    const fs::path file = box.Dir() / "state" / "tarvion" / "uninstall-record.txt";
    ASSERT_EQ(platform::WriteFileReplacing(Wide(file), "first\n", platform::LinkPolicy::Refuse), ERROR_SUCCESS);
    EXPECT_EQ(ReadText(file), "first\n");
    ASSERT_EQ(platform::WriteFileReplacing(Wide(file), "second\n", platform::LinkPolicy::Refuse), ERROR_SUCCESS);
    EXPECT_EQ(ReadText(file), "second\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), fs::directory_iterator()), 1)
        << "no temporary file is left beside the record";
    EXPECT_EQ(platform::WriteFileReplacing(u"relative/record.txt", "x", platform::LinkPolicy::Refuse),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(platform::WriteFileReplacing(Wide(box.Dir() / "a" / ".." / "b"), "x", platform::LinkPolicy::Refuse),
              ERROR_INVALID_PARAMETER);
}

TEST(RunRecordFile, TheAdministratorsWriteFollowsNoLinkAndFollowingIsOnlyForOthers)
{
    Sandbox box;
    const fs::path elsewhere = box.Dir() / "elsewhere";
    fs::create_directories(elsewhere);
    const fs::path victim = elsewhere / "victim.txt";
    std::ofstream(victim) << "keep me";

    // A folder on the way that is a link: refused, nothing is written behind it.
    fs::create_directory_symlink(elsewhere, box.Dir() / "linked");
    EXPECT_EQ(
        platform::WriteFileReplacing(Wide(box.Dir() / "linked" / "victim.txt"), "owned", platform::LinkPolicy::Refuse),
        ERROR_ACCESS_DENIED);
    EXPECT_EQ(ReadText(victim), "keep me");

    // A link planted at the record itself is replaced by the record, its target untouched.
    fs::create_directories(box.Dir() / "state");
    fs::create_symlink(victim, box.Dir() / "state" / "record.txt");
    ASSERT_EQ(
        platform::WriteFileReplacing(Wide(box.Dir() / "state" / "record.txt"), "record", platform::LinkPolicy::Refuse),
        ERROR_SUCCESS);
    EXPECT_EQ(ReadText(victim), "keep me");
    EXPECT_FALSE(fs::is_symlink(box.Dir() / "state" / "record.txt"));
    EXPECT_EQ(ReadText(box.Dir() / "state" / "record.txt"), "record");

    // A person's own state folder may be a link to where they keep it.
    EXPECT_EQ(
        platform::WriteFileReplacing(Wide(box.Dir() / "linked" / "mine.txt"), "mine", platform::LinkPolicy::Follow),
        ERROR_SUCCESS);
    EXPECT_EQ(ReadText(elsewhere / "mine.txt"), "mine");
    EXPECT_EQ(platform::LinkPolicyForThisUser(),
              geteuid() == 0 ? platform::LinkPolicy::Refuse : platform::LinkPolicy::Follow);
}

TEST(RunRecordFile, LivesBesideTheRegistryStore)
{
    setenv("TVU_REGISTRY", "/srv/state/tarvion/registry.db", 1);
    EXPECT_EQ(RunRecordLocation(), u"/srv/state/tarvion/uninstall-record.txt");
    unsetenv("TVU_REGISTRY");
}

TEST(RunRecordText, SaysWhatWasLeftWithCountsTheFirstNamesAndWhereTheRecordIs)
{
    RemovalReport report;
    report.removed = {u"/opt/tarvion/a"};
    EXPECT_EQ(OutcomeText(report, u"/r.txt", true), u"") << "a complete success shows no box";

    report.leftBehind = {u"/opt/tarvion/1", u"/opt/tarvion/2", u"/opt/tarvion/3", u"/opt/tarvion/4", u"/opt/tarvion/5"};
    report.problems = {u"The registry store is locked."};
    report.registrationKept = true;
    EXPECT_EQ(OutcomeText(report, u"/r.txt", true),
              u"Tarvion could not be removed completely.\n"
              u"5 entries were left behind: /opt/tarvion/1, /opt/tarvion/2, /opt/tarvion/3 and 2 more.\n"
              u"1 problem:\nThe registry store is locked.\n"
              u"The uninstall registration was kept, so running the uninstaller again can finish the job.\n"
              u"\nThe full record of this run is in /r.txt.");
    report.leftBehind.resize(1);
    report.problems.clear();
    EXPECT_NE(OutcomeText(report, u"/r.txt", false).find(u"1 entry was left behind: /opt/tarvion/1.\n"),
              std::u16string::npos);
    EXPECT_NE(OutcomeText(report, u"/r.txt", false).find(u"The record of this run could not be written to /r.txt."),
              std::u16string::npos);

    // The time is civil UTC on every system, leap days and the last second of a day included.
    EXPECT_EQ(FormatRunRecord(report, std::chrono::system_clock::from_time_t(951868799)).substr(0, 42),
              "Tarvion VPN removal, 2000-02-29 23:59:59 U");
    const std::string record = FormatRunRecord(report, std::chrono::system_clock::from_time_t(0));
    EXPECT_EQ(record, "Tarvion VPN removal, 1970-01-01 00:00:00 UTC\n"
                      "Outcome: incomplete; run the uninstaller again to finish.\n"
                      "Uninstall registration: kept\n"
                      "\nProblems (0):\n"
                      "\nLeft behind (1):\n  /opt/tarvion/1\n"
                      "\nRemoved (1):\n  /opt/tarvion/a\n");
}

} // namespace
} // namespace e2e
