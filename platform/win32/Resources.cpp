// Embedded resources on Windows: the executable's own resources (compiled from a resource script
// with windres), found with FindResourceW and LoadResource, and after them those registered at
// run time.
#include "platform/Resources.h"

#include "platform/Win32Defs.h"

#include <mutex>
#include <string>
#include <vector>

namespace platform {

namespace {

struct Entry
{
    std::wstring type;
    int id = 0;
    std::span<const std::uint8_t> bytes;
};

std::vector<Entry>& Table()
{
    static std::vector<Entry> table;
    return table;
}

std::mutex& TableLock()
{
    static std::mutex lock;
    return lock;
}

std::wstring Wide(std::u16string_view text)
{
    return std::wstring(text.begin(), text.end());
}

} // namespace

bool RegisterResource(std::u16string_view type, int id, const std::uint8_t* data, std::size_t size)
{
    std::lock_guard guard(TableLock());
    const std::wstring wide = Wide(type);
    for (Entry& e : Table()) {
        if (e.id == id && ::CompareStringOrdinal(e.type.c_str(), -1, wide.c_str(), -1, TRUE) == CSTR_EQUAL) {
            e.bytes = {data, size};
            return true;
        }
    }
    Table().push_back(Entry{wide, id, {data, size}});
    return true;
}

std::span<const std::uint8_t> FindResource(std::u16string_view type, int id)
{
    if (id <= 0 || id > 0xFFFF || type.empty())
        return {};
    const std::wstring wide = Wide(type);
    // Resource type names are upper case in the executable; the lookup ignores case as ours does.
    const HMODULE self = ::GetModuleHandleW(nullptr);
    if (HRSRC found = ::FindResourceW(self, Win32Text(MAKEINTRESOURCEW(id)), wide.c_str())) {
        const DWORD size = ::SizeofResource(self, found);
        const HGLOBAL loaded = ::LoadResource(self, found);
        const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
        // A module's resources stay mapped as long as the module: no copy is needed.
        if (bytes != nullptr && size > 0)
            return {static_cast<const std::uint8_t*>(bytes), size};
    }
    std::lock_guard guard(TableLock());
    for (const Entry& e : Table()) {
        if (e.id == id && ::CompareStringOrdinal(e.type.c_str(), -1, wide.c_str(), -1, TRUE) == CSTR_EQUAL)
            return e.bytes;
    }
    return {};
}

} // namespace platform
