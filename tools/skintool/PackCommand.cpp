// skintool pack DIR OUT.zip [--password P] [--include-all]: every regular file under DIR becomes a
// member named by its path relative to DIR with forward slashes. Hidden files and folders (a name
// starting with '.') and editor and desktop leftovers are left out unless --include-all is given.
#include "tools/skintool/ArchiveWriter.h"
#include "tools/skintool/Commands.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>

namespace skintool {

namespace fs = std::filesystem;
namespace zip = ui::zip;

namespace {

bool ReadWholeFile(const fs::path& path, std::vector<std::uint8_t>& out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool EndsWith(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// Names no skin means to ship: hidden files (".DS_Store", ".git"), editor backups and lock files
// ("main.xml~", "#main.xml#", ".#main.xml", "main.xml.swp") and the desktop's folder caches.
bool IsLeftover(std::string_view name)
{
    if (name.starts_with('.') || EndsWith(name, "~") ||
        (name.size() > 1 && name.starts_with('#') && EndsWith(name, "#")))
        return true;
    for (std::string_view suffix : {".swp", ".swo", ".swx", ".bak", ".orig", ".tmp"})
        if (EndsWith(name, suffix))
            return true;
    return name == "Thumbs.db" || name == "desktop.ini" || name == "Desktop.ini";
}

} // namespace

int RunPack(const Arguments& args)
{
    CommandLine cl;
    if (!ParseCommandLine(args, cl, {"--include-all"}) || cl.positional.size() != 2)
        return kExitUsage;
    const bool includeAll = cl.Has("--include-all");
    const fs::path dir = cl.positional[0];
    const fs::path output = cl.positional[1];

    std::error_code ec;
    if (!fs::is_directory(dir, ec))
        return ReportZipError(zip::kZipOpenFile);

    // An archive written into the folder it packs must not end up inside its next version.
    const fs::path outputPath = fs::weakly_canonical(output, ec);
    CArchiveWriter writer(cl.password.value_or(""));
    fs::recursive_directory_iterator it(dir, ec), end;
    if (ec)
        return ReportZipError(zip::kZipOpenFile);
    for (; it != end; it.increment(ec)) {
        if (ec)
            return ReportZipError(zip::kZipReadFile);
        if (!includeAll && IsLeftover(it->path().filename().string())) {
            if (it->is_directory(ec))
                it.disable_recursion_pending();
            continue;
        }
        if (!it->is_regular_file(ec) || fs::weakly_canonical(it->path(), ec) == outputPath)
            continue;
        // generic_string() gives forward slashes whatever the host's separator.
        std::string name = it->path().lexically_relative(dir).generic_string();
        std::vector<std::uint8_t> data;
        if (!ReadWholeFile(it->path(), data))
            return ReportZipError(zip::kZipReadFile);
        writer.Add(std::move(name), std::move(data));
    }
    if (ec)
        return ReportZipError(zip::kZipReadFile);

    std::vector<std::uint8_t> archive;
    if (!writer.Finish(archive))
        return ReportZipError(zip::kZipWrongSize);
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    if (!out)
        return ReportZipError(zip::kZipOpenFile);
    out.write(reinterpret_cast<const char*>(archive.data()), std::streamsize(archive.size()));
    out.close();
    if (!out)
        return ReportZipError(zip::kZipWriteFile);
    return kExitOk;
}

} // namespace skintool
