// The skintool commands and what they share: argument parsing, exit codes and error reporting.
// A command gets the arguments that follow its name and returns the process exit code.
#pragma once

#include "ui/skin/ZipArchive.h"

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skintool {

using Arguments = std::vector<std::string>;

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1; // the work failed: missing file, bad archive, wrong password, ...
constexpr int kExitUsage = 2;   // the command line is wrong; the caller prints the usage

// Positional arguments and the options every command understands.
struct CommandLine
{
    std::vector<std::string> positional;
    std::optional<std::string> password; // --password P or --password=P
    std::vector<std::string> flags;      // the switches of the command's own that were given

    bool Has(std::string_view flag) const;
};

// False for an unknown option or an option without its value. switches are the options without a
// value that the command understands besides --password ("--strict").
bool ParseCommandLine(const Arguments& args, CommandLine& out, std::initializer_list<std::string_view> switches = {});

// Prints the reader's message for a result code on stderr and returns kExitFailure.
int ReportZipError(ui::zip::ZipResult code);

// Opens the archive and extracts the member as the skin loaders will; on failure prints the archive
// reader's message (the same every command prints, "Correct password required" for a missing or
// wrong password) and returns kExitFailure.
int ProbeArchiveMember(const std::string& archivePath, const std::string& member, const char* password);

// UTF-16 to UTF-8 for the terminal; line breaks and tabs are shown escaped so that a report stays
// on one line.
std::string ToPrintable(const char16_t* text);

int RunPack(const Arguments& args);
int RunList(const Arguments& args);
int RunCat(const Arguments& args);
int RunCheck(const Arguments& args);
int RunRender(const Arguments& args);
int RunPreview(const Arguments& args);

} // namespace skintool
