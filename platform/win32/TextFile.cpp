// Writing a small file of the program's own on Windows: folders made on the way, the bytes
// written beside the target and moved over it.
#include "platform/TextFile.h"

#include "platform/Win32Defs.h"
#include "platform/win32/WinPath.h"

#include <shlobj.h>

namespace platform {

using namespace win32_impl;

LinkPolicy LinkPolicyForThisUser()
{
    return ::IsUserAnAdmin() ? LinkPolicy::Refuse : LinkPolicy::Follow;
}

DWORD WriteFileReplacing(std::u16string_view path, std::string_view bytes, LinkPolicy links)
{
    const std::wstring target = WidePath(path);
    const std::size_t root = AbsoluteRootLength(target);
    if (root == 0 || target.size() <= root || target.back() == L'\\')
        return ERROR_INVALID_PARAMETER;
    // The folders on the way, made when missing; with Refuse none may be a link.
    for (std::size_t end = target.find(L'\\', root); end != std::wstring::npos; end = target.find(L'\\', end + 1)) {
        const std::wstring folder = target.substr(0, end);
        DWORD attributes = EntryAttributes(folder);
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            if (!::CreateDirectoryW(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
                return ::GetLastError();
            attributes = EntryAttributes(folder);
        }
        if (!IsFolder(attributes))
            return ERROR_PATH_NOT_FOUND;
        if (links == LinkPolicy::Refuse && IsReparsePoint(attributes))
            return ERROR_ACCESS_DENIED;
    }
    const DWORD existing = EntryAttributes(target);
    if (IsFolder(existing) && !IsReparsePoint(existing))
        return ERROR_ACCESS_DENIED;
    if (links == LinkPolicy::Refuse && IsReparsePoint(existing))
        return ERROR_ACCESS_DENIED;

    const std::wstring temporary = target + L".tmp" + std::to_wstring(::GetCurrentProcessId());
    const HANDLE file =
        ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return ::GetLastError();
    DWORD written = 0;
    const bool ok = ::WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
                    written == bytes.size() && ::FlushFileBuffers(file);
    const DWORD writeError = ok ? ERROR_SUCCESS : ::GetLastError();
    ::CloseHandle(file);
    // Moving replaces a link at the target itself rather than writing through it.
    if (!ok || !::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = ok ? ::GetLastError() : writeError;
        ::DeleteFileW(temporary.c_str());
        return error != ERROR_SUCCESS ? error : ERROR_WRITE_PROTECT;
    }
    return ERROR_SUCCESS;
}

} // namespace platform
