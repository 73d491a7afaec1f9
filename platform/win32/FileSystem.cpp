// Win32 file services. Deletions below an installation folder walk it component by component,
// holding every folder on the way open without delete sharing (so none can be renamed or swapped
// for a link meanwhile) and refusing any reparse point on the way.
#include "platform/FileSystem.h"
#include "platform/RelativeName.h"

#include "platform/TextEncoding.h"
#include "platform/Win32Defs.h"
#include "platform/win32/WinPath.h"

#include <algorithm>
#include <vector>

namespace platform {

using namespace win32_impl;

std::string NativePath(std::u16string_view path)
{
    std::string native = Utf16ToUtf8(path);
    std::replace(native.begin(), native.end(), '/', '\\');
    return native;
}

bool FileExists(std::u16string_view path)
{
    if (path.empty())
        return false;
    return EntryAttributes(WidePath(path)) != INVALID_FILE_ATTRIBUTES;
}

namespace {

// A handle closed when it goes out of scope.
struct FileHandle
{
    HANDLE handle = INVALID_HANDLE_VALUE;
    ~FileHandle()
    {
        if (handle != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle);
    }
};

// Opens a file for reading; refuses folders, devices and pipes, whose reads could block.
bool OpenRegularFile(const std::wstring& path, FileHandle& file)
{
    file.handle = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file.handle == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info;
    if (::GetFileType(file.handle) != FILE_TYPE_DISK || !::GetFileInformationByHandle(file.handle, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        ::SetLastError(ERROR_INVALID_DATA);
        return false;
    }
    return true;
}

std::string CutAtZero(std::string text)
{
    const std::size_t zero = text.find('\0');
    if (zero != std::string::npos)
        text.resize(zero);
    return text;
}

// The path without trailing separators (a drive root keeps its own).
std::wstring Trimmed(std::wstring path)
{
    const std::size_t root = AbsoluteRootLength(path);
    while (path.size() > std::max<std::size_t>(root, 1) && (path.back() == L'\\' || path.back() == L'/'))
        path.pop_back();
    return path;
}

// The folder holding the path's last component, or empty when there is none to check.
std::wstring ContainingFolder(const std::wstring& path)
{
    const std::size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos)
        return {};
    std::wstring folder = path.substr(0, slash);
    if (slash < AbsoluteRootLength(path))
        folder = path.substr(0, slash + 1);
    return folder;
}

// Whether the folder holding the path is itself a link (a folder replaced by a link leads nowhere).
bool FolderIsLink(const std::wstring& path)
{
    const std::wstring folder = ContainingFolder(path);
    return !folder.empty() && folder.size() > AbsoluteRootLength(folder) && IsReparsePoint(EntryAttributes(folder));
}

} // namespace

std::string ReadFileBytes(std::u16string_view path)
{
    if (path.empty())
        return {};
    FileHandle file;
    if (!OpenRegularFile(WidePath(path), file))
        return {};
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file.handle, &size))
        return {};
    // Four spare bytes, as the file may have grown since its size was taken.
    std::string data(std::size_t(DWORD(size.QuadPart)) + 4, '\0');
    DWORD read = 0;
    if (!::ReadFile(file.handle, data.data(), DWORD(data.size()), &read, nullptr))
        return {};
    data.resize(read);
    return CutAtZero(std::move(data));
}

bool IsDirectoryEmpty(std::u16string_view path)
{
    if (path.empty())
        return false;
    const std::wstring pattern = WidePath(path) + L"\\*.*";
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    bool empty = true;
    do {
        const std::wstring_view name = data.cFileName;
        if (name != L"." && name != L"..") {
            empty = false;
            break;
        }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return empty;
}

bool DeleteFile(std::u16string_view path)
{
    if (path.empty())
        return false;
    const std::wstring wide = Trimmed(WidePath(path));
    const DWORD attributes = EntryAttributes(wide);
    if (attributes == INVALID_FILE_ATTRIBUTES || FolderIsLink(wide))
        return false;
    if (IsReparsePoint(attributes))
        return !IsFolder(attributes) && RemoveLinkItself(wide) == ERROR_SUCCESS;
    if (IsFolder(attributes))
        return false;
    return ::DeleteFileW(wide.c_str()) != 0;
}

bool RemoveDirectory(std::u16string_view path)
{
    if (path.empty())
        return false;
    const std::wstring wide = Trimmed(WidePath(path));
    const DWORD attributes = EntryAttributes(wide);
    // A link in the folder's place is not removed: under Wine that would remove its target.
    if (!IsFolder(attributes) || IsReparsePoint(attributes) || FolderIsLink(wide))
        return false;
    return ::RemoveDirectoryW(wide.c_str()) != 0;
}

bool FolderIsTrusted(std::u16string_view folder, std::u16string& why)
{
    why.clear();
    // Every component below the drive root must be a real folder: a link on the way could be
    // turned to another folder at any time. (Access lists are not examined.)
    const std::wstring path = Trimmed(WidePath(folder));
    const std::size_t root = AbsoluteRootLength(path);
    if (root == 0 || path.size() <= root)
        return true;
    for (std::size_t end = root; end != std::wstring::npos && end <= path.size();) {
        end = path.find(L'\\', end + 1);
        const std::wstring prefix = path.substr(0, end);
        if (IsReparsePoint(EntryAttributes(prefix))) {
            why = std::u16string(prefix.begin(), prefix.end()) + u" is a link";
            return false;
        }
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// ConfinedDirectory
// ---------------------------------------------------------------------------------------------

namespace {

bool BadComponent(std::string_view part)
{
    // Wildcards would make a listing match other entries; ':' names a drive or a data stream;
    // Windows drops trailing dots and blanks, so "..." or ".. " could come to mean "..".
    if (part.back() == '.' || part.back() == ' ')
        return true;
    return std::any_of(part.begin(), part.end(), [](char c) {
        return (unsigned char)c < 32 || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' ||
               c == '|';
    });
}

// Cuts a relative name into its folder components and the last component. False also when a
// component is one Windows would read differently.
bool SplitRelativeName(std::string_view name, std::vector<std::string>& folders, std::string& leaf)
{
    folders.clear();
    leaf.clear();
    std::vector<std::string_view> components;
    if (!RelativeNameComponents(name, components) || std::any_of(components.begin(), components.end(), BadComponent))
        return false;
    leaf.assign(components.back());
    folders.assign(components.begin(), components.end() - 1);
    return true;
}

std::wstring Wide(std::string_view utf8)
{
    const std::u16string text = Utf8ToUtf16(utf8);
    return std::wstring(text.begin(), text.end());
}

// Identifies a folder by volume and file index, as far as a handle tells it.
struct Identity
{
    DWORD volume = 0;
    DWORD high = 0;
    DWORD low = 0;
    bool operator==(const Identity&) const = default;
};

bool IdentityOf(HANDLE handle, Identity& id)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(handle, &info))
        return false;
    id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}

bool IdentityOfPath(const std::wstring& path, Identity& id)
{
    HeldFolder folder(path);
    return folder.IsOpen() && IdentityOf(folder.Handle(), id);
}

} // namespace

struct ConfinedDirectory::State
{
    std::wstring path; // without a trailing separator
    HeldFolder base;
    Identity identity;
    // The folders of the previous name stay held: manifests list many names per folder.
    std::vector<std::string> cachedFolders;
    std::vector<HeldFolder> cachedHeld;
    std::wstring cachedPath;
};

ConfinedDirectory::ConfinedDirectory() = default;
ConfinedDirectory::~ConfinedDirectory() = default;

bool ConfinedDirectory::Open(std::u16string_view directory)
{
    m_state.reset();
    const std::wstring path = Trimmed(WidePath(directory));
    const std::size_t root = AbsoluteRootLength(path);
    if (root == 0 || path.size() <= root || path.find_first_of(L"*?") != std::wstring::npos)
        return false;
    auto state = std::make_unique<State>();
    state->path = path;
    state->base = HeldFolder(path);
    BY_HANDLE_FILE_INFORMATION info;
    if (!state->base.IsOpen() || !::GetFileInformationByHandle(state->base.Handle(), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return false;
    state->identity = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    m_state = std::move(state);
    return true;
}

bool ConfinedDirectory::IsOpen() const
{
    return m_state != nullptr;
}

bool ConfinedDirectory::IsAcceptableName(std::u16string_view relativeName)
{
    std::vector<std::string> folders;
    std::string leaf;
    return SplitRelativeName(Utf16ToUtf8(relativeName), folders, leaf);
}

bool ConfinedDirectory::NormalizeUtf8(std::string_view relativeName, std::string& normalized)
{
    std::vector<std::string> folders;
    std::string leaf;
    normalized.clear();
    if (!SplitRelativeName(relativeName, folders, leaf))
        return false;
    for (const std::string& folder : folders)
        normalized += folder + "/";
    normalized += leaf;
    return true;
}

// On Windows the folder path is returned through the cache; the result is 0 when reachable, else
// -1 with the Win32 error kept in the thread's last error.
int ConfinedDirectory::ParentBelow(std::string_view relativeName, std::string& leaf)
{
    if (!m_state) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    std::vector<std::string> folders;
    if (!SplitRelativeName(relativeName, folders, leaf)) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    State& s = *m_state;
    if (folders == s.cachedFolders && s.cachedHeld.size() == folders.size() && !s.cachedPath.empty())
        return 0;
    s.cachedFolders.clear();
    s.cachedHeld.clear();
    s.cachedPath.clear();
    std::wstring path = s.path;
    std::vector<HeldFolder> held;
    for (const std::string& folder : folders) {
        path += L"\\" + Wide(folder);
        const DWORD attributes = EntryAttributes(path);
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            ::SetLastError(ERROR_PATH_NOT_FOUND);
            return -1;
        }
        // A link on the way could lead anywhere: the name is refused, not followed.
        if (IsReparsePoint(attributes) || !IsFolder(attributes)) {
            ::SetLastError(IsReparsePoint(attributes) ? ERROR_INVALID_PARAMETER : ERROR_PATH_NOT_FOUND);
            return -1;
        }
        HeldFolder next(path);
        if (!next.IsOpen()) {
            ::SetLastError(ERROR_PATH_NOT_FOUND);
            return -1;
        }
        // Checked again once held: it cannot be swapped any more after this.
        if (IsReparsePoint(EntryAttributes(path))) {
            ::SetLastError(ERROR_INVALID_PARAMETER);
            return -1;
        }
        held.push_back(std::move(next));
    }
    s.cachedFolders = std::move(folders);
    s.cachedHeld = std::move(held);
    s.cachedPath = path;
    return 0;
}

bool ConfinedDirectory::ExistsBelowUtf8(std::string_view relativeName)
{
    std::string leaf;
    if (ParentBelow(relativeName, leaf) != 0)
        return false;
    return EntryAttributes(m_state->cachedPath + L"\\" + Wide(leaf)) != INVALID_FILE_ATTRIBUTES;
}

int ConfinedDirectory::ReadFileBelow(std::string_view relativeName, std::size_t limit, std::string& text)
{
    text.clear();
    std::string leaf;
    if (ParentBelow(relativeName, leaf) != 0)
        return int(::GetLastError());
    const std::wstring path = m_state->cachedPath + L"\\" + Wide(leaf);
    if (IsFolder(EntryAttributes(path)))
        return ERROR_INVALID_DATA;
    FileHandle file;
    if (!OpenRegularFile(path, file)) {
        const DWORD error = ::GetLastError();
        return int(error != ERROR_SUCCESS ? error : ERROR_ACCESS_DENIED);
    }
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file.handle, &size))
        return int(::GetLastError());
    if (std::uint64_t(size.QuadPart) > limit)
        return ERROR_FILE_TOO_LARGE;
    // One byte past the limit is read to see a file that grew, never more.
    text.resize(std::size_t(size.QuadPart) + 1);
    std::size_t filled = 0;
    for (;;) {
        if (filled == text.size()) {
            if (text.size() > limit)
                break;
            text.resize(std::min(limit + 1, text.size() * 2 + 4096));
        }
        DWORD read = 0;
        const DWORD want = DWORD(std::min<std::size_t>(text.size() - filled, 1u << 30));
        if (!::ReadFile(file.handle, text.data() + filled, want, &read, nullptr)) {
            text.clear();
            return int(::GetLastError());
        }
        if (read == 0)
            break;
        filled += read;
    }
    text.resize(filled);
    if (filled > limit) {
        text.clear();
        return ERROR_FILE_TOO_LARGE;
    }
    text = CutAtZero(std::move(text));
    return 0;
}

bool ConfinedDirectory::IsTrusted(std::u16string& why) const
{
    why.clear();
    if (!m_state)
        return false;
    const std::u16string path(m_state->path.begin(), m_state->path.end());
    if (!FolderIsTrusted(path, why))
        return false;
    Identity now;
    if (!IdentityOfPath(m_state->path, now) || !(now == m_state->identity)) {
        why = path + u" changed while it was opened";
        return false;
    }
    return true;
}

int ConfinedDirectory::RemoveSelfIfEmpty()
{
    if (!m_state)
        return ERROR_INVALID_PARAMETER;
    State& s = *m_state;
    s.cachedHeld.clear();
    s.cachedFolders.clear();
    s.cachedPath.clear();
    if (!IsDirectoryEmpty(std::u16string(s.path.begin(), s.path.end())))
        return ERROR_DIR_NOT_EMPTY;
    // The entry must still be this very folder, and no link: under Wine removing a link removes
    // an empty target.
    Identity now;
    if (IsReparsePoint(EntryAttributes(s.path)) || !IdentityOfPath(s.path, now) || !(now == s.identity))
        return ERROR_ACCESS_DENIED;
    s.base.Close();
    if (!::RemoveDirectoryW(s.path.c_str())) {
        const DWORD error = ::GetLastError();
        s.base = HeldFolder(s.path);
        return int(error);
    }
    return 0;
}

int ConfinedDirectory::DeleteBelow(std::u16string_view relativeName)
{
    return DeleteBelowUtf8(Utf16ToUtf8(relativeName));
}

int ConfinedDirectory::DeleteBelowUtf8(std::string_view relativeName)
{
    std::string leaf;
    if (ParentBelow(relativeName, leaf) != 0)
        return int(::GetLastError());
    const DWORD rc = RemoveTree(m_state->cachedPath + L"\\" + Wide(leaf));
    return int(rc == ERROR_PATH_NOT_FOUND ? ERROR_FILE_NOT_FOUND : rc);
}

void ConfinedDirectory::DeleteEachBelowUtf8(const std::vector<std::string_view>& names, const std::atomic<bool>* stop,
                                            std::vector<Outcome>& outcomes)
{
    outcomes.assign(names.size(), Outcome::NotTried);
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (stop != nullptr && stop->load())
            return;
        if (DeleteBelowUtf8(names[i]) == 0)
            outcomes[i] = Outcome::Removed;
        else
            outcomes[i] = ExistsBelowUtf8(names[i]) ? Outcome::LeftBehind : Outcome::Absent;
    }
}

} // namespace platform
