// skintool check FILE.xml | check ARCHIVE MEMBER [--password P]: parses skin markup as the skin
// loader does and prints the number of elements, or the parser's error and where it happened.
#include "tools/skintool/Commands.h"

#include "ui/manager/WindowManager.h"
#include "ui/skin/XmlDocument.h"

#include <iostream>
#include <string>
#include <vector>

namespace skintool {

namespace zip = ui::zip;

namespace {

int Report(const ui::CXmlDocument& doc, bool loaded)
{
    if (loaded) {
        std::cout << doc.GetElementCount() << '\n';
        return kExitOk;
    }
    std::cerr << ToPrintable(doc.GetErrorMessage());
    if (doc.GetErrorLocation()[0] != 0) {
        std::cerr << " at \"" << ToPrintable(doc.GetErrorLocation()) << '"';
    }
    std::cerr << '\n';
    return kExitFailure;
}

// Skins are UTF-8; a UTF-16 byte-order mark selects UTF-16.
ui::MarkupEncoding EncodingOf(const std::vector<char>& bytes)
{
    if (bytes.size() >= 2) {
        const auto b0 = static_cast<unsigned char>(bytes[0]);
        const auto b1 = static_cast<unsigned char>(bytes[1]);
        if ((b0 == 0xFF && b1 == 0xFE) || (b0 == 0xFE && b1 == 0xFF)) {
            return ui::MarkupEncoding::Utf16;
        }
    }
    return ui::MarkupEncoding::Utf8;
}

int CheckFile(const std::string& path)
{
    // The file is named directly: no skin folder in front of it and no archive.
    ui::CWindowManagerUI::SetSkinArchive(u"", ui::ArchiveMode::OpenPerLoad, nullptr);
    ui::CWindowManagerUI::SetSkinFolder(u"");
    const ui::TDecodedText widePath = ui::DecodeMarkup(path.data(), path.size(), ui::MarkupEncoding::Utf8);
    ui::CXmlDocument doc;
    const bool loaded = doc.LoadFile(widePath.text.get(), ui::MarkupEncoding::Utf8);
    return Report(doc, loaded);
}

int CheckMember(const std::string& archivePath, const std::string& member, const char* password)
{
    zip::ZipArchivePtr archive(zip::OpenFromFile(archivePath.c_str(), password));
    if (!archive) {
        return ReportZipError(zip::LastResult());
    }
    std::int32_t index = -1;
    zip::TZipEntry entry;
    if (zip::ZipResult r = zip::FindMember(archive.get(), member.c_str(), true, &index, &entry); r != zip::kZipOk) {
        return ReportZipError(r);
    }
    ui::CXmlDocument doc;
    if (entry.uncompressedSize <= 0 || static_cast<std::uint64_t>(entry.uncompressedSize) > doc.kMaxFileSize) {
        std::cerr << (entry.uncompressedSize <= 0 ? "File is empty" : "File too large") << '\n';
        return kExitFailure;
    }
    std::vector<char> bytes(static_cast<std::size_t>(entry.uncompressedSize));
    const zip::ZipResult r = zip::ExtractToMemory(archive.get(), index, bytes.data(), bytes.size());
    if (r != zip::kZipOk && r != zip::kZipMoreData) {
        return ReportZipError(r);
    }
    const bool loaded = doc.LoadBytes(bytes.data(), bytes.size(), EncodingOf(bytes));
    return Report(doc, loaded);
}

} // namespace

int RunCheck(const Arguments& args)
{
    CommandLine cl;
    if (!ParseCommandLine(args, cl)) {
        return kExitUsage;
    }
    if (cl.positional.size() == 1 && !cl.password) {
        return CheckFile(cl.positional[0]);
    }
    if (cl.positional.size() == 2) {
        return CheckMember(cl.positional[0], cl.positional[1], cl.password ? cl.password->c_str() : nullptr);
    }
    return kExitUsage;
}

} // namespace skintool
