// Argument parsing, error reporting and terminal text shared by the skintool commands.
#include "tools/skintool/Commands.h"

#include "platform/TextEncoding.h"

#include <iostream>
#include <string_view>

namespace skintool {

bool ParseCommandLine(const Arguments& args, CommandLine& out)
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
            return false;
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
