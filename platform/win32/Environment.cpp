// Environment variables and the executable's path on Windows.
#include "platform/Environment.h"

#include "platform/Win32Defs.h"

#include <string>

namespace platform {

bool GetEnvironmentVariable(std::u16string_view name, std::u16string& value)
{
    value.clear();
    if (name.empty() || name.find(u'=') != std::u16string_view::npos || name.find(u'\0') != std::u16string_view::npos)
        return false;
    const std::wstring wide(name.begin(), name.end());
    std::wstring buffer(256, L'\0');
    for (;;) {
        ::SetLastError(ERROR_SUCCESS);
        const DWORD n = ::GetEnvironmentVariableW(wide.c_str(), buffer.data(), DWORD(buffer.size()));
        if (n == 0)
            return ::GetLastError() != ERROR_ENVVAR_NOT_FOUND; // set but empty
        if (n < buffer.size()) {
            value.assign(buffer.begin(), buffer.begin() + n);
            return true;
        }
        buffer.resize(n); // n counts the terminator when the buffer was too small
    }
}

std::u16string GetModuleFileName()
{
    std::wstring buffer(260, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
        if (n == 0)
            return {};
        if (n < buffer.size())
            return std::u16string(buffer.begin(), buffer.begin() + n);
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace platform
