// File services: existence, reading, emptiness of a folder, single deletes and the deletion of
// names confined to one directory. Paths are UTF-16; '\\' and '/' both separate components.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The UTF-8 path the operating system is given for a UTF-16 path ('\\' becomes '/').
std::string NativePath(std::u16string_view path);

// False for an empty path; otherwise true when anything exists there (folders count), without
// following a final symbolic link.
bool FileExists(std::u16string_view path);

// The bytes of a regular file up to its first zero byte; empty when it cannot be opened, is not a
// regular file, or is empty. Devices and pipes are refused so that a read can never block.
std::string ReadFileBytes(std::u16string_view path);

// True when the folder can be listed and holds nothing besides "." and "..".
bool IsDirectoryEmpty(std::u16string_view path);

// Deletes one file or symbolic link (never a folder, never a link's target). The entry is deleted
// relative to a descriptor of its folder, opened without following a link in the folder's last
// component, so a folder replaced by a link leads nowhere. True on success.
bool DeleteFile(std::u16string_view path);
// Removes one empty folder the same way (a link in its place is not removed). True on success.
bool RemoveDirectory(std::u16string_view path);

// Whether a folder may be trusted to hold only what this user (or root) put there: false, with
// why naming the component and the reason, when another user could change it, any folder above
// it, or a link on the way (see CopyIntoPrivateFolder for the rule).
bool FolderIsTrusted(std::u16string_view folder, std::u16string& why);

// A directory held open, below which names are deleted without ever leaving it: a name that is
// absolute, has a ".." component, or reaches outside through a symbolic link is refused, and
// deletion never follows a symbolic link (a link is removed, its target kept).
class ConfinedDirectory
{
public:
    ConfinedDirectory();
    ~ConfinedDirectory();
    ConfinedDirectory(const ConfinedDirectory&) = delete;
    ConfinedDirectory& operator=(const ConfinedDirectory&) = delete;

    // Opens an absolute path to a directory that is not the file-system root. False otherwise.
    bool Open(std::u16string_view directory);
    bool IsOpen() const;

    // Deletes the file, link or folder (with everything in it) the relative name gives. Returns 0
    // on success, else ERROR_INVALID_PARAMETER for a refused name, ERROR_FILE_NOT_FOUND or
    // ERROR_PATH_NOT_FOUND when it is missing or not reachable, ERROR_ACCESS_DENIED otherwise.
    int DeleteBelow(std::u16string_view relativeName);
    // The same for a name already in UTF-8, the form paths take on disk.
    int DeleteBelowUtf8(std::string_view relativeName);

    // Whether the relative name (UTF-8) names something below the directory, without following
    // a link in its last component. False for refused names.
    bool ExistsBelowUtf8(std::string_view relativeName);

    // What became of one name of DeleteEachBelowUtf8.
    enum class Outcome : unsigned char
    {
        NotTried,   // a stop was requested before its turn
        Removed,    // DeleteBelowUtf8 succeeded
        LeftBehind, // it failed and ExistsBelowUtf8 still finds the name
        Absent,     // it failed and nothing is there
    };
    // Deletes the names (UTF-8) with the outcome of DeleteBelowUtf8 and then, for a failure,
    // ExistsBelowUtf8, as if one after the other in their order. Independent folders may be
    // emptied at the same time on two threads where that cannot change any outcome. stop, when
    // given, is read before every name; once it is set no further name is tried.
    void DeleteEachBelowUtf8(const std::vector<std::string_view>& names, const std::atomic<bool>* stop,
                             std::vector<Outcome>& outcomes);

    // Reads the regular file the relative name gives (a link in its last component is followed),
    // up to its first zero byte, into text. Fails with ERROR_FILE_TOO_LARGE, reading nothing
    // beyond the limit, when the file holds more than limit bytes; with ERROR_INVALID_DATA when
    // it is not a regular file. Returns 0 or a Win32 error code.
    int ReadFileBelow(std::string_view relativeName, std::size_t limit, std::string& text);

    // Whether the open directory may be trusted: the path it was opened through still leads to it
    // (same device and inode) and no other user could change that path (FolderIsTrusted). False,
    // with why set, otherwise.
    bool IsTrusted(std::u16string& why) const;

    // Removes the directory itself when it is empty and the path it was opened through still
    // leads to this very directory (same device and inode), so that a folder put in its place
    // is never touched. Returns 0 or a Win32 error code (ERROR_DIR_NOT_EMPTY when not empty).
    int RemoveSelfIfEmpty();

    // The same refusal rules without touching the disk: false for names DeleteBelow never deletes.
    static bool IsAcceptableName(std::u16string_view relativeName);
    // The name with empty and "." components dropped and '/' between components; false for a
    // refused name. Two names that normalise alike name the same entry.
    static bool NormalizeUtf8(std::string_view relativeName, std::string& normalized);

private:
    // The open folder that holds the name's last component (cached between calls), with that
    // component in leaf; -1 with errno set when the name is refused or cannot be reached.
    int ParentBelow(std::string_view relativeName, std::string& leaf);

    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace platform
