// The run's record and the end-of-run texts, built from the worker's RemovalReport.
#include "app/RunRecord.h"

#include "platform/Registry.h"
#include "platform/TextEncoding.h"
#include "platform/TextFile.h"

#include <algorithm>
#include <ctime>

namespace {

constexpr char16_t kRecordName[] = u"uninstall-record.txt";

std::u16string Number(std::size_t n)
{
    const std::string digits = std::to_string(n);
    return std::u16string(digits.begin(), digits.end());
}

// "3 entries" / "1 entry".
std::u16string Count(std::size_t n, const char16_t* one, const char16_t* many)
{
    return Number(n) + u" " + (n == 1 ? one : many);
}

// The first few names, then how many more there are.
std::u16string FirstNames(const std::vector<std::u16string>& names)
{
    std::u16string text;
    const std::size_t shown = std::min(names.size(), kNamesShownInBox);
    for (std::size_t i = 0; i < shown; ++i) {
        if (i > 0)
            text += u", ";
        text += names[i];
    }
    if (names.size() > shown)
        text.append(u" and ").append(Number(names.size() - shown)).append(u" more");
    return text;
}

std::u16string RecordSentence(const std::u16string& location, bool written)
{
    return written ? u"The full record of this run is in " + location + u"."
                   : u"The record of this run could not be written to " + location + u".";
}

std::string Timestamp(std::chrono::system_clock::time_point when)
{
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm utc{};
    gmtime_r(&t, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &utc);
    return text;
}

} // namespace

std::u16string RunRecordLocation()
{
    const std::u16string store = platform::Utf8ToUtf16(platform::RegistryStore::DefaultLocation());
    const std::size_t slash = store.find_last_of(u"/\\");
    const std::u16string folder = slash == std::u16string::npos ? std::u16string(u".") : store.substr(0, slash);
    std::u16string location = folder;
    location += u'/';
    location += kRecordName;
    return location;
}

std::string FormatRunRecord(const RemovalReport& report, std::chrono::system_clock::time_point when)
{
    using platform::Utf16ToUtf8;
    std::string text = "Tarvion VPN removal, " + Timestamp(when) + "\n";
    if (report.stopped)
        text += "Outcome: stopped by the user before the end; run the uninstaller again to finish.\n";
    else if (report.Complete())
        text += "Outcome: complete; nothing listed was left.\n";
    else
        text += "Outcome: incomplete; run the uninstaller again to finish.\n";
    text += std::string("Uninstall registration: ") + (report.registrationKept ? "kept" : "removed") + "\n";
    text += "\nProblems (" + std::to_string(report.problems.size()) + "):\n";
    for (const std::u16string& problem : report.problems)
        text += "  " + Utf16ToUtf8(problem) + "\n";
    text += "\nLeft behind (" + std::to_string(report.leftBehind.size()) + "):\n";
    for (const std::u16string& entry : report.leftBehind)
        text += "  " + Utf16ToUtf8(entry) + "\n";
    text += "\nRemoved (" + std::to_string(report.removed.size()) + "):\n";
    for (const std::u16string& entry : report.removed)
        text += "  " + Utf16ToUtf8(entry) + "\n";
    return text;
}

bool WriteRunRecord(const RemovalReport& report, const std::u16string& location)
{
    const std::string text = FormatRunRecord(report, std::chrono::system_clock::now());
    return platform::WriteFileReplacing(location, text, platform::LinkPolicyForThisUser()) == ERROR_SUCCESS;
}

std::u16string StopQuestionText()
{
    return u"Tarvion is still being removed. Stop now and leave it partly removed?\n\n"
           u"Yes stops now; No goes on removing it.";
}

std::u16string StoppedText(const std::u16string& recordLocation, bool recordWritten)
{
    return u"The removal was stopped: Tarvion was left partly removed. "
           u"Running the uninstaller again finishes the job.\n\n" +
           RecordSentence(recordLocation, recordWritten);
}

std::u16string OutcomeText(const RemovalReport& report, const std::u16string& recordLocation, bool recordWritten)
{
    if (report.Complete())
        return {};
    std::u16string text = u"Tarvion could not be removed completely.\n";
    if (!report.leftBehind.empty())
        text += Count(report.leftBehind.size(), u"entry was", u"entries were") + u" left behind: " +
                FirstNames(report.leftBehind) + u".\n";
    if (!report.problems.empty()) {
        // Problems are sentences of their own, one to a line.
        text += Count(report.problems.size(), u"problem", u"problems") + u":\n";
        const std::size_t shown = std::min(report.problems.size(), kNamesShownInBox);
        for (std::size_t i = 0; i < shown; ++i)
            text += report.problems[i] + u"\n";
        if (report.problems.size() > shown)
            text.append(u"and ").append(Number(report.problems.size() - shown)).append(u" more.\n");
    }
    if (report.registrationKept)
        text += u"The uninstall registration was kept, so running the uninstaller again can finish the job.\n";
    text += u'\n';
    text += RecordSentence(recordLocation, recordWritten);
    return text;
}
