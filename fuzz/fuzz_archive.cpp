// The skin archive reader: opening an archive from memory (with and without the password), listing
// its members and extracting each, in pieces.
#include "ui/skin/ZipArchive.h"

#include <algorithm>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    for (const char* password : {static_cast<const char*>(nullptr), "tarvion"}) {
        ui::zip::ZipArchivePtr archive(ui::zip::OpenFromMemory(data, size, password));
        if (!archive)
            continue;
        const std::int32_t count = std::min<std::int32_t>(ui::zip::MemberCount(archive.get()), 64);
        std::vector<std::uint8_t> buffer(4096);
        for (std::int32_t i = 0; i < count; ++i) {
            ui::zip::TZipEntry entry;
            if (ui::zip::GetMember(archive.get(), i, &entry) != ui::zip::kZipOk)
                continue;
            ui::zip::FindMember(archive.get(), entry.name.c_str(), true, nullptr, nullptr);
            // At most 64 pieces of a member: a deflate bomb would otherwise only cost time.
            for (int piece = 0; piece < 64; ++piece) {
                if (ui::zip::ExtractToMemory(archive.get(), i, buffer.data(), buffer.size()) != ui::zip::kZipMoreData)
                    break;
            }
        }
    }
    return 0;
}
