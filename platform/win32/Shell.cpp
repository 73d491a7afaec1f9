// Win32 shell services: the recursive silent deletion and the Start Menu folder.
//
// The deletion walks the tree itself rather than through SHFileOperationW: the shell's operation
// gives no promise about reparse points met on the way, and under Wine it deletes what a link to a
// folder leads to. This walk never enters a reparse point (see win32_impl::RemoveTree).
#include "platform/Shell.h"

#include "platform/Win32Defs.h"
#include "platform/win32/WinPath.h"

#include <shlobj.h>

namespace platform {

using namespace win32_impl;

int ShellDeletePath(std::u16string_view path)
{
    std::wstring wide = WidePath(path);
    const std::size_t root = AbsoluteRootLength(wide);
    while (wide.size() > std::max<std::size_t>(root, 1) && wide.back() == L'\\')
        wide.pop_back();
    if (wide.empty() || wide.find_first_of(L"*?") != std::wstring::npos)
        return ERROR_INVALID_PARAMETER;
    if (root != 0 && wide.size() <= root)
        return ERROR_ACCESS_DENIED;
    const std::size_t slash = wide.rfind(L'\\');
    const std::wstring_view leaf =
        slash == std::wstring::npos ? std::wstring_view(wide) : std::wstring_view(wide).substr(slash + 1);
    if (leaf == L"." || leaf == L"..")
        return ERROR_INVALID_PARAMETER;
    return int(RemoveTree(wide));
}

bool GetStartMenuFolder(std::u16string& folder)
{
    folder.clear();
    wchar_t buffer[1024] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, buffer, CSIDL_STARTMENU, FALSE) || buffer[0] == 0)
        return false;
    std::wstring path = buffer;
    while (path.size() > 3 && path.back() == L'\\')
        path.pop_back();
    folder.assign(path.begin(), path.end());
    return true;
}

} // namespace platform
