// Argument parsing, error reporting and terminal text shared by the skintool commands.
#include "tools/skintool/Commands.h"

#include "platform/TextEncoding.h"

#include <iostream>
#include <vector>
#include <string_view>

namespace skintool {

bool CommandLine::Has(std::string_view flag) const
{
    for (const std::string& f : flags)
        if (f == flag)
            return true;
    return false;
}

bool ParseCommandLine(const Arguments& args, CommandLine& out, std::initializer_list<std::string_view> switches)
{
    constexpr std::string_view kPassword = "--password";
    out = CommandLine{};
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        if (arg == kPassword) {
            if (i + 1 >= args.size())
                return false;
            out.password = args[++i];
        } else if (arg.starts_with(kPassword) && arg.size() > kPassword.size() && arg[kPassword.size()] == '=') {
            out.password = std::string(arg.substr(kPassword.size() + 1));
        } else if (arg.size() > 1 && arg[0] == '-') {
            bool known = false;
            for (std::string_view s : switches)
                known = known || s == arg;
            if (!known)
                return false;
            out.flags.emplace_back(arg);
        } else {
            out.positional.emplace_back(arg);
        }
    }
    return true;
}

int ReportZipError(ui::zip::ZipResult code)
{
    std::cerr << ui::zip::ResultMessage(code) << '\n';
    return kExitFailure;
}

int ProbeArchiveMember(const std::string& archivePath, const std::string& member, const char* password)
{
    namespace zip = ui::zip;
    zip::ZipArchivePtr archive(zip::OpenFromFile(archivePath.c_str(), password));
    if (!archive)
        return ReportZipError(zip::LastResult());
    std::int32_t index = -1;
    zip::TZipEntry entry;
    if (zip::ZipResult r = zip::FindMember(archive.get(), member.c_str(), true, &index, &entry); r != zip::kZipOk)
        return ReportZipError(r);
    // Extraction is where a wrong or missing password shows; a small buffer is enough for that
    // ("more data" is success here).
    std::vector<char> buffer(64 * 1024);
    const zip::ZipResult r = zip::ExtractToMemory(archive.get(), index, buffer.data(), buffer.size());
    if (r != zip::kZipOk && r != zip::kZipMoreData)
        return ReportZipError(r);
    return kExitOk;
}

std::string ToPrintable(const char16_t* text)
{
    // Bytes below 0x80 never occur inside a multi-byte UTF-8 sequence, so escaping after the
    // conversion cannot split a character.
    const std::string utf8 = platform::Utf16ToUtf8(text);
    std::string out;
    out.reserve(utf8.size());
    for (const char c : utf8) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else
            out += c;
    }
    return out;
}

} // namespace skintool
