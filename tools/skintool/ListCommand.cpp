// skintool list ARCHIVE [--password P]: one line per member, in directory order: name, compressed
// size, uncompressed size, separated by tabs.
#include "tools/skintool/Commands.h"

#include <iostream>

namespace skintool {

namespace zip = ui::zip;

int RunList(const Arguments& args)
{
    CommandLine cl;
    if (!ParseCommandLine(args, cl) || cl.positional.size() != 1)
        return kExitUsage;
    const char* password = cl.password ? cl.password->c_str() : nullptr;
    zip::ZipArchivePtr archive(zip::OpenFromFile(cl.positional[0].c_str(), password));
    if (!archive)
        return ReportZipError(zip::LastResult());
    const std::int32_t count = zip::MemberCount(archive.get());
    for (std::int32_t i = 0; i < count; ++i) {
        zip::TZipEntry entry;
        if (zip::ZipResult r = zip::GetMember(archive.get(), i, &entry); r != zip::kZipOk)
            return ReportZipError(r);
        std::cout << entry.name << '\t' << entry.compressedSize << '\t' << entry.uncompressedSize << '\n';
    }
    std::cout.flush();
    return std::cout ? kExitOk : ReportZipError(zip::kZipWriteFile);
}

} // namespace skintool
