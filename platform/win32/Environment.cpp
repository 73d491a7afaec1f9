// Environment variables and the executable's path on Windows.
#include "platform/Environment.h"

#include "platform/TextEncoding.h"
#include "platform/Win32Defs.h"

#include <shlobj.h>

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

char16_t PathSeparator()
{
    return u'\\';
}

std::u16string StateFilePath(std::u16string_view name)
{
    // The common application data folder is the machine's, not a user's: an administrator's run
    // keeps its record where the next administrator finds it. Without it the record goes to TEMP.
    wchar_t folder[MAX_PATH] = {};
    std::u16string path;
    if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
        path = std::u16string(Utf16Text(folder)) + u"\\Tarvion";
    else if (!GetEnvironmentVariable(u"TEMP", path))
        path = u".";
    path += u'\\';
    path += name;
    return path;
}

} // namespace platform
