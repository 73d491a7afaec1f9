// Copying the uninstaller on Windows: CopyFileW over the target, or into a fresh folder of a
// name nobody can predict.
#include "platform/FileCopy.h"

#include "platform/FileSystem.h"

#include "platform/Win32Defs.h"
#include "platform/win32/WinPath.h"

#include <bcrypt.h>

namespace platform {

using namespace win32_impl;

DWORD CopyFileReplacing(std::u16string_view source, std::u16string_view target)
{
    const std::wstring from = WidePath(source);
    const std::wstring to = WidePath(target);
    if (from.empty() || to.empty())
        return ERROR_INVALID_PARAMETER;
    const DWORD attributes = EntryAttributes(to);
    if (IsFolder(attributes) && !IsReparsePoint(attributes))
        return ERROR_ACCESS_DENIED;
    // A link planted at the target is removed first, never written through.
    if (IsReparsePoint(attributes)) {
        if (DWORD rc = RemoveLinkItself(to); rc != ERROR_SUCCESS)
            return rc;
    }
    // Over a running program this fails with ERROR_SHARING_VIOLATION.
    if (!::CopyFileW(from.c_str(), to.c_str(), FALSE))
        return ::GetLastError();
    return ERROR_SUCCESS;
}

namespace {

bool RandomName(std::wstring& name)
{
    static constexpr wchar_t kLetters[] = L"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    unsigned char bytes[6];
    if (::BCryptGenRandom(nullptr, bytes, sizeof bytes, BCRYPT_USE_SYSTEM_PREFERRED_RNG) != 0)
        return false;
    name.clear();
    for (unsigned char b : bytes)
        name.push_back(kLetters[b % 62]);
    return true;
}

} // namespace

DWORD CopyIntoPrivateFolder(std::u16string_view source, std::u16string_view parent, std::u16string_view fileName,
                            std::u16string& copyPath)
{
    copyPath.clear();
    std::wstring folder = WidePath(parent);
    while (folder.size() > 3 && folder.back() == L'\\')
        folder.pop_back();
    if (folder.empty() || fileName.empty())
        return ERROR_INVALID_PARAMETER;
    if (!IsFolder(EntryAttributes(folder)))
        return ERROR_PATH_NOT_FOUND;
    std::u16string why;
    if (!FolderIsTrusted(std::u16string(folder.begin(), folder.end()), why))
        return ERROR_ACCESS_DENIED;
    const std::wstring prefix(kPrivateFolderPrefix,
                              kPrivateFolderPrefix + std::char_traits<char16_t>::length(kPrivateFolderPrefix));
    std::wstring made;
    for (int attempt = 0;; ++attempt) {
        std::wstring suffix;
        if (!RandomName(suffix))
            return ERROR_ACCESS_DENIED;
        made = folder + (folder.back() == L'\\' ? L"" : L"\\") + prefix + suffix;
        // CreateDirectoryW fails rather than reuse what exists; the folder inherits the parent's
        // access list (the temporary folder is the user's own).
        if (::CreateDirectoryW(made.c_str(), nullptr))
            break;
        if (::GetLastError() != ERROR_ALREADY_EXISTS || attempt == 16)
            return ::GetLastError();
    }
    const std::wstring copy = made + L"\\" + WidePath(fileName);
    if (!::CopyFileW(WidePath(source).c_str(), copy.c_str(), TRUE)) {
        const DWORD error = ::GetLastError();
        ::DeleteFileW(copy.c_str());
        ::RemoveDirectoryW(made.c_str());
        return error;
    }
    copyPath.assign(copy.begin(), copy.end());
    return ERROR_SUCCESS;
}

} // namespace platform
