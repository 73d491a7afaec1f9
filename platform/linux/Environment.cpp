// Environment variables and the executable's path on Linux (/proc/self/exe).
#include "platform/Environment.h"

#include "platform/Registry.h"
#include "platform/TextEncoding.h"

#include <cstdlib>
#include <unistd.h>

namespace platform {

bool GetEnvironmentVariable(std::u16string_view name, std::u16string& value)
{
    value.clear();
    const std::string narrow = Utf16ToUtf8(name);
    if (narrow.empty() || narrow.find('=') != std::string::npos)
        return false;
    const char* found = std::getenv(narrow.c_str());
    if (found == nullptr)
        return false;
    value = Utf8ToUtf16(found);
    return true;
}

std::u16string GetModuleFileName()
{
    std::string path(256, '\0');
    for (;;) {
        const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
        if (n < 0)
            return {};
        if (std::size_t(n) < path.size()) {
            path.resize(std::size_t(n));
            return Utf8ToUtf16(path);
        }
        path.resize(path.size() * 2);
    }
}

char16_t PathSeparator()
{
    return u'/';
}

std::u16string StateFilePath(std::u16string_view name)
{
    const std::u16string store = Utf8ToUtf16(RegistryStore::DefaultLocation());
    const std::size_t slash = store.find_last_of(u'/');
    std::u16string path = slash == std::u16string::npos ? std::u16string(u".") : store.substr(0, slash);
    path += u'/';
    path += name;
    return path;
}

} // namespace platform
