// The executable's own resources on Windows (compiled from a resource script with windres), found
// with FindResourceW and LoadResource.
#include "platform/Resources.h"

#include "platform/Win32Defs.h"

#include <string>

namespace platform {

std::span<const std::uint8_t> FindExecutableResource(std::u16string_view type, int id)
{
    if (id <= 0 || id > 0xFFFF || type.empty())
        return {};
    // Resource type names are upper case in the executable; FindResourceW ignores case as ours does.
    const std::wstring wide(type.begin(), type.end());
    const HMODULE self = ::GetModuleHandleW(nullptr);
    HRSRC found = ::FindResourceW(self, Win32Text(MAKEINTRESOURCEW(id)), wide.c_str());
    if (found == nullptr)
        return {};
    const DWORD size = ::SizeofResource(self, found);
    const HGLOBAL loaded = ::LoadResource(self, found);
    const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    // A module's resources stay mapped as long as the module: no copy is needed.
    if (bytes == nullptr || size == 0)
        return {};
    return {static_cast<const std::uint8_t*>(bytes), size};
}

} // namespace platform
