// Helpers shared by the Win32 services: paths in the form the system takes them, and the
// attributes of an entry as the directory listing reports them (which, unlike a handle, shows a
// link as a reparse point under every system this runs on).
#pragma once

#include "platform/Win32Defs.h"

#include <string>
#include <string_view>

namespace platform::win32_impl {

// The path with '/' turned into '\\', as a zero-terminated wide string.
std::wstring WidePath(std::u16string_view path);

// The entry's attributes without following it, or INVALID_FILE_ATTRIBUTES with the last error set.
DWORD EntryAttributes(const std::wstring& path);

inline bool IsReparsePoint(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

inline bool IsFolder(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The length of the root of an absolute path ("C:\\" is 3, "\\\\server\\share\\" its whole
// length), or 0 for a path that is not absolute ("C:x", "\\x", "x").
std::size_t AbsoluteRootLength(std::wstring_view path);

// Deletes a file, a folder with everything in it, or a link, never following a reparse point:
// a link is removed as a link or, where the system cannot do that, left where it is (its target
// is never touched). Returns 0 or a Win32 error code.
DWORD RemoveTree(const std::wstring& path);

// Removes a reparse point itself, through a handle that does not follow it.
DWORD RemoveLinkItself(const std::wstring& path);

// A folder held open without delete sharing, so that it cannot be renamed, deleted or replaced by
// a link while held.
class HeldFolder
{
public:
    HeldFolder() = default;
    explicit HeldFolder(const std::wstring& path);
    ~HeldFolder();
    HeldFolder(HeldFolder&& other) noexcept;
    HeldFolder& operator=(HeldFolder&& other) noexcept;
    HeldFolder(const HeldFolder&) = delete;
    HeldFolder& operator=(const HeldFolder&) = delete;

    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Handle() const { return m_handle; }
    void Close();

private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
};

} // namespace platform::win32_impl
