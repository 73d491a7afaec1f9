// The table of embedded resources registered at run time, after the executable's own.
#include "platform/Resources.h"

#include <mutex>
#include <string>
#include <vector>

namespace platform {

namespace {

struct Entry
{
    std::u16string type;
    int id = 0;
    std::span<const std::uint8_t> bytes;
};

// Function-local so that registrations from static initialisers in other files find it built.
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

char16_t Lower(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c;
}

bool SameType(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    }
    return true;
}

} // namespace

bool RegisterResource(std::u16string_view type, int id, const std::uint8_t* data, std::size_t size)
{
    std::lock_guard guard(TableLock());
    for (Entry& e : Table()) {
        if (e.id == id && SameType(e.type, type)) {
            e.bytes = {data, size};
            return true;
        }
    }
    Table().push_back(Entry{std::u16string(type), id, {data, size}});
    return true;
}

std::span<const std::uint8_t> FindResource(std::u16string_view type, int id)
{
    if (const std::span<const std::uint8_t> own = FindExecutableResource(type, id); !own.empty())
        return own;
    std::lock_guard guard(TableLock());
    for (const Entry& e : Table()) {
        if (e.id == id && SameType(e.type, type))
            return e.bytes;
    }
    return {};
}

} // namespace platform
