// The run's record and the end-of-run texts, built from the worker's RemovalReport.
#include "app/RunRecord.h"

#include "platform/Environment.h"
#include "platform/TextEncoding.h"
#include "platform/TextFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

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
    // Civil time from the clock alone: the C library's conversions differ between the systems.
    const auto seconds = std::chrono::floor<std::chrono::seconds>(when);
    const auto days = std::chrono::floor<std::chrono::days>(seconds);
    const std::chrono::year_month_day date(days);
    const std::chrono::hh_mm_ss<std::chrono::seconds> time(seconds - days);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02lld:%02lld:%02lld UTC", int(date.year()),
                  unsigned(date.month()), unsigned(date.day()), static_cast<long long>(time.hours().count()),
                  static_cast<long long>(time.minutes().count()), static_cast<long long>(time.seconds().count()));
    return text;
}

} // namespace

std::u16string RunRecordLocation()
{
    return platform::StateFilePath(kRecordName);
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
