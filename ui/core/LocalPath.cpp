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

} // namespace ui
