// Paths, entry attributes and the deletion of a tree that never follows a reparse point.
#include "platform/win32/WinPath.h"

#include <utility>

namespace platform::win32_impl {

std::wstring WidePath(std::u16string_view path)
{
    std::wstring wide(path.begin(), path.end());
    for (wchar_t& c : wide) {
        if (c == L'/')
            c = L'\\';
    }
    return wide;
}

DWORD EntryAttributes(const std::wstring& path)
{
    // The listing's attributes: a handle opened on a link reports its target's attributes under
    // Wine, the listing reports the link.
    if (path.find_first_of(L"*?") != std::wstring::npos) {
        ::SetLastError(ERROR_INVALID_NAME); // a pattern would match other entries
        return INVALID_FILE_ATTRIBUTES;
    }
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileExW(path.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
    if (find != INVALID_HANDLE_VALUE) {
        ::FindClose(find);
        return data.dwFileAttributes;
    }
    // A drive root has no listing entry of its own.
    WIN32_FILE_ATTRIBUTE_DATA info;
    if (::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &info))
        return info.dwFileAttributes;
    return INVALID_FILE_ATTRIBUTES;
}

std::size_t AbsoluteRootLength(std::wstring_view path)
{
    const auto separator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
    if (path.size() >= 3 && ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
        path[1] == L':' && separator(path[2]))
        return 3;
    if (path.size() >= 2 && separator(path[0]) && separator(path[1])) {
        // \\server\share\ (also \\?\C:\ and the like): the root ends after the fourth separator.
        std::size_t seen = 2;
        for (std::size_t i = 2; i < path.size(); ++i) {
            if (separator(path[i]) && ++seen == 4)
                return i + 1;
        }
    }
    return 0;
}

DWORD RemoveLinkItself(const std::wstring& path)
{
    const HANDLE link =
        ::CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (link == INVALID_HANDLE_VALUE)
        return ::GetLastError();
    FILE_DISPOSITION_INFO disposition{TRUE};
    DWORD result = ERROR_SUCCESS;
    if (!::SetFileInformationByHandle(link, FileDispositionInfo, &disposition, sizeof disposition)) {
        result = ::GetLastError();
        // Wine refuses without setting an error: the link stays, and so does its target.
        if (result == ERROR_SUCCESS)
            result = ERROR_ACCESS_DENIED;
    }
    ::CloseHandle(link);
    return result;
}

namespace {

DWORD DeleteOneFile(const std::wstring& path, DWORD attributes)
{
    // A read-only file is deleted as the shell's deletion deletes it.
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0)
        ::SetFileAttributesW(path.c_str(), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
    if (::DeleteFileW(path.c_str()))
        return ERROR_SUCCESS;
    return ::GetLastError();
}

DWORD RemoveFolderTree(const std::wstring& path)
{
    DWORD firstError = ERROR_SUCCESS;
    {
        // Held while its entries go, so that it cannot be swapped for a link meanwhile.
        HeldFolder held(path);
        if (!held.IsOpen())
            return ::GetLastError();
        WIN32_FIND_DATAW data;
        const std::wstring pattern = path + L"\\*";
        const HANDLE find =
            ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
        if (find == INVALID_HANDLE_VALUE)
            return ::GetLastError();
        do {
            const std::wstring_view name = data.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring child = path + L"\\" + data.cFileName;
            DWORD rc;
            if (IsReparsePoint(data.dwFileAttributes))
                rc = RemoveLinkItself(child);
            else if (IsFolder(data.dwFileAttributes))
                rc = RemoveFolderTree(child);
            else
                rc = DeleteOneFile(child, data.dwFileAttributes);
            if (rc != ERROR_SUCCESS && firstError == ERROR_SUCCESS)
                firstError = rc;
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    const DWORD attributes = EntryAttributes(path);
    if (IsReparsePoint(attributes))
        return ERROR_ACCESS_DENIED; // swapped for a link after all: never removed through it
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0)
        ::SetFileAttributesW(path.c_str(), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
    if (!::RemoveDirectoryW(path.c_str()))
        return firstError != ERROR_SUCCESS ? firstError : ::GetLastError();
    return ERROR_SUCCESS;
}

} // namespace

DWORD RemoveTree(const std::wstring& path)
{
    const DWORD attributes = EntryAttributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return ::GetLastError();
    if (IsReparsePoint(attributes))
        return RemoveLinkItself(path);
    if (IsFolder(attributes))
        return RemoveFolderTree(path);
    return DeleteOneFile(path, attributes);
}

HeldFolder::HeldFolder(const std::wstring& path)
{
    m_handle =
        ::CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

HeldFolder::~HeldFolder()
{
    Close();
}

HeldFolder::HeldFolder(HeldFolder&& other) noexcept : m_handle(std::exchange(other.m_handle, INVALID_HANDLE_VALUE)) {}

HeldFolder& HeldFolder::operator=(HeldFolder&& other) noexcept
{
    if (this != &other) {
        Close();
        m_handle = std::exchange(other.m_handle, INVALID_HANDLE_VALUE);
    }
    return *this;
}

void HeldFolder::Close()
{
    if (m_handle != INVALID_HANDLE_VALUE)
        ::CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
}

} // namespace platform::win32_impl
