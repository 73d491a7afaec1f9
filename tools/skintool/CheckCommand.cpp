// skintool check FILE.xml | check ARCHIVE MEMBER [--password P] [--strict]: reads skin markup as the
// skin builder does and reports, in the compiler convention "file:line:column: error: message",
// what the builder would skip or misread. Prints the number of elements when nothing is an error.
// Errors exit 1; warnings exit 0 unless --strict.
#include "tools/skintool/Commands.h"
#include "tools/skintool/SkinChecker.h"

#include "platform/WindowSystem.h"
#include "platform/headless/HeadlessBackend.h"
#include "ui/skin/MarkupDecoder.h"

#include <algorithm>
#include <iostream>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace skintool {

namespace {

std::u16string Widen(const std::string& text)
{
    const ui::TDecodedText decoded = ui::DecodeMarkup(text.data(), text.size(), ui::MarkupEncoding::Utf8);
    return std::u16string(decoded.text.get());
}

// The directory part of a path with its trailing separator; empty for a bare file name.
std::string DirectoryOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

int Run(const ui::CSkinSource& source, const std::string& file, const std::string& shownAs, bool strict)
{
    CSkinChecker checker(source);
    const bool loaded = checker.Check(Widen(file));
    // In file order (the file first reported first), then by place; a note stays behind the
    // finding it explains.
    std::vector<std::vector<TDiagnostic>> groups;
    std::vector<std::string> files;
    for (const TDiagnostic& d : checker.Diagnostics()) {
        if (d.severity == Severity::Note && !groups.empty()) {
            groups.back().push_back(d);
            continue;
        }
        groups.push_back({d});
        if (std::find(files.begin(), files.end(), d.file) == files.end()) {
            files.push_back(d.file);
        }
    }
    const auto rank = [&files](const std::vector<TDiagnostic>& g) {
        return std::tuple(std::find(files.begin(), files.end(), g.front().file) - files.begin(), g.front().line,
                          g.front().column);
    };
    std::stable_sort(groups.begin(), groups.end(), [&rank](const auto& a, const auto& b) { return rank(a) < rank(b); });
    for (const std::vector<TDiagnostic>& group : groups) {
        for (TDiagnostic d : group) {
            // Files are named as the user reaches them, not as the skin names them.
            d.file = shownAs + d.file;
            std::cerr << FormatDiagnostic(d) << '\n';
        }
    }
    const int errors = checker.Count(Severity::Error);
    const int warnings = checker.Count(Severity::Warning);
    if (!loaded || errors > 0 || (strict && warnings > 0)) {
        return kExitFailure;
    }
    std::cout << checker.ElementCount() << '\n';
    return kExitOk;
}

} // namespace

int RunCheck(const Arguments& args)
{
    CommandLine cl;
    if (!ParseCommandLine(args, cl, {"--strict"})) {
        return kExitUsage;
    }
    const bool strict = cl.Has("--strict");
    // The window attributes are read on a window manager; no display is needed for that.
    platform::WindowSystem::Install(std::make_unique<platform::HeadlessBackend>());
    struct TShutdown
    {
        ~TShutdown() { platform::WindowSystem::Shutdown(); }
    } shutdown;
    if (cl.positional.size() == 1 && !cl.password) {
        const std::string& path = cl.positional[0];
        const std::string folder = DirectoryOf(path);
        ui::CSkinSource source;
        source.SetFolder(Widen(folder).c_str());
        return Run(source, path.substr(folder.size()), folder, strict);
    }
    if (cl.positional.size() == 2) {
        const std::string& archivePath = cl.positional[0];
        const char* password = cl.password ? cl.password->c_str() : nullptr;
        if (const int code = ProbeArchiveMember(archivePath, cl.positional[1], password); code != kExitOk) {
            return code;
        }
        const std::string folder = DirectoryOf(archivePath);
        ui::CSkinSource source;
        source.SetFolder(Widen(folder).c_str());
        source.SetArchive(Widen(archivePath.substr(folder.size())).c_str(), true, password);
        return Run(source, cl.positional[1], archivePath + ":", strict);
    }
    return kExitUsage;
}

} // namespace skintool
