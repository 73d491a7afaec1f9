// skintool cat ARCHIVE MEMBER [--password P]: the member's bytes on stdout. The member is looked up
// as the skin loaders do, ignoring letter case and accepting backslashes.
#include "tools/skintool/Commands.h"

#include <iostream>

namespace skintool {

namespace zip = ui::zip;

int RunCat(const Arguments& args)
{
    CommandLine cl;
    if (!ParseCommandLine(args, cl) || cl.positional.size() != 2)
        return kExitUsage;
    const char* password = cl.password ? cl.password->c_str() : nullptr;
    zip::ZipArchivePtr archive(zip::OpenFromFile(cl.positional[0].c_str(), password));
    if (!archive)
        return ReportZipError(zip::LastResult());
    std::int32_t index = -1;
    zip::TZipEntry entry;
    if (zip::ZipResult r = zip::FindMember(archive.get(), cl.positional[1].c_str(), true, &index, &entry);
        r != zip::kZipOk)
        return ReportZipError(r);

    // Extract piece by piece: the reader continues a member where the previous call stopped, so
    // output is written as it comes and no size in the directory is trusted for the allocation.
    std::vector<char> buffer(256 * 1024);
    std::uint64_t written = 0;
    zip::ZipResult r = zip::kZipMoreData;
    while (r == zip::kZipMoreData) {
        r = zip::ExtractToMemory(archive.get(), index, buffer.data(), buffer.size());
        if (r != zip::kZipOk && r != zip::kZipMoreData)
            return ReportZipError(r);
        // "More data" means the buffer is full. A finished member has exactly the size the
        // directory gives (the reader checks it), which tells how much of the last piece counts.
        std::uint64_t n = buffer.size();
        if (r == zip::kZipOk)
            n = std::uint64_t(entry.uncompressedSize) - written;
        std::cout.write(buffer.data(), std::streamsize(n));
        written += n;
    }
    std::cout.flush();
    return std::cout ? kExitOk : ReportZipError(zip::kZipWriteFile);
}

} // namespace skintool
