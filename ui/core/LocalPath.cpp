// Skin paths as this system's file functions take them.
#include "ui/core/LocalPath.h"

#include "platform/TextEncoding.h"

namespace ui {

std::string LocalPath(std::u16string_view path)
{
    std::string local = platform::Utf16ToUtf8(path);
    UseForwardSlashes(local);
    return local;
}

std::filesystem::path FilePath(std::string_view utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::filesystem::path LocalFilePath(std::u16string_view path)
{
    return FilePath(LocalPath(path));
}

} // namespace ui
