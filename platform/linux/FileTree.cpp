// Deletion of folder trees through *at() calls on directory descriptors. Every directory is opened
// with O_NOFOLLOW, so a symbolic link met anywhere in the tree is removed as a link and its target
// is never entered. The descent is a loop over levels kept on the heap, not a recursion.
#include "platform/linux/FileTree.h"

#include "platform/Win32Defs.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace platform::linux_impl {

namespace {

// How many folder levels of a descent keep their descriptor open. Deeper levels are closed and
// reached again through ".." on the way up, each checked to be the very folder it was.
constexpr std::size_t kOpenLevels = 32;
// How many names of one folder are read at a time; the rest are read after those are handled.
constexpr std::size_t kBatch = 256;

struct Level
{
    std::string name; // the folder's name in the level above
    dev_t device = 0; // taken when the descriptor is closed early, to check the way back up
    ino_t inode = 0;
    int fd = -1;
    std::vector<std::pair<std::string, bool>> pending; // name, listed as a folder
    std::set<std::string> failed;                      // names that could not be deleted
    bool listed = false;                               // the whole listing has been handled
    bool lastReadEmpty = false;                        // the last reading found nothing to delete
    bool read = false;                                 // the descriptor's listing position moved
};

// Room for the entries one getdents64 call returns: large, so that a folder of a few hundred
// names is listed in one call.
constexpr std::size_t kListingBuffer = 32768;

struct RawEntry
{
    ino64_t d_ino;
    off64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[1];
};

// Reads the next batch of names that are neither "." nor ".." nor already failed. Reading starts
// from the beginning each time: what was deleted is gone, so only what is new or left shows up.
// A batch that reached the end of the listing marks the folder as listed: it is not read once more
// to find it empty, its removal tells (and a removal refused for something new reads it again).
// The level's own descriptor is listed (rewound for a second reading), so a reading costs no
// descriptor of its own.
bool ReadBatch(Level& level, std::vector<char>& buffer)
{
    if (level.read && lseek(level.fd, 0, SEEK_SET) != 0)
        return false;
    level.read = true;
    bool full = false;
    for (;;) {
        const ssize_t got = getdents64(level.fd, buffer.data(), buffer.size());
        if (got < 0)
            return false;
        if (got == 0)
            break;
        for (ssize_t at = 0; at < got;) {
            const auto* e = reinterpret_cast<const RawEntry*>(buffer.data() + at);
            at += e->d_reclen;
            const char* n = e->d_name;
            if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
                continue;
            if (!level.failed.empty() && level.failed.count(n) != 0)
                continue;
            level.pending.emplace_back(n, e->d_type == DT_DIR);
            if (level.pending.size() == kBatch) {
                full = true;
                break;
            }
        }
        if (full)
            break;
    }
    level.listed = !full;
    level.lastReadEmpty = level.pending.empty();
    return true;
}

int OpenChildDirectory(int parentFd, const std::string& name, Level& child)
{
    const int fd = openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return -1;
    child.name = name;
    child.fd = fd;
    return fd;
}

// Empties and removes the folder `name` of parentFd without recursion: the levels of the descent
// live on the heap and at most kOpenLevels + 1 of them hold a descriptor, so any depth is removed
// with bounded stack and descriptors.
int RemoveDirectoryAt(int parentFd, const char* name)
{
    std::vector<Level> levels;
    std::vector<char> buffer(kListingBuffer);
    levels.emplace_back();
    if (OpenChildDirectory(parentFd, name, levels.back()) < 0) {
        // Not a directory after all (replaced, or a link): delete the entry itself.
        if (errno == ENOTDIR || errno == ELOOP)
            return unlinkat(parentFd, name, 0) == 0 ? 0 : ErrorFromErrno(errno);
        return ErrorFromErrno(errno);
    }
    int result = 0;
    const auto fail = [&](Level& level, const std::string& entry, int error) {
        level.failed.insert(entry);
        if (result == 0)
            result = error;
    };
    const auto closeAll = [&] {
        for (Level& level : levels) {
            if (level.fd >= 0)
                close(level.fd);
        }
    };

    while (!levels.empty()) {
        Level& top = levels.back();
        if (top.pending.empty() && !top.listed && !ReadBatch(top, buffer)) {
            if (result == 0)
                result = ErrorFromErrno(errno);
            top.listed = true;
            top.lastReadEmpty = true; // not read again: the removal below reports the folder
        }
        if (!top.pending.empty()) {
            auto [entry, isDirectory] = std::move(top.pending.back());
            top.pending.pop_back();
            if (!isDirectory) {
                if (unlinkat(top.fd, entry.c_str(), 0) == 0 || errno == ENOENT)
                    continue;
                if (errno != EISDIR) {
                    fail(top, entry, ErrorFromErrno(errno));
                    continue;
                }
            }
            if (unlinkat(top.fd, entry.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT)
                continue;
            if (errno == ENOTDIR) {
                // Listed as a folder but replaced by a file or link since.
                if (unlinkat(top.fd, entry.c_str(), 0) != 0 && errno != ENOENT)
                    fail(top, entry, ErrorFromErrno(errno));
                continue;
            }
            if (errno != ENOTEMPTY && errno != EEXIST) {
                fail(top, entry, ErrorFromErrno(errno));
                continue;
            }
            Level child;
            if (OpenChildDirectory(top.fd, entry, child) < 0) {
                fail(top, entry, ErrorFromErrno(errno));
                continue;
            }
            levels.push_back(std::move(child));
            if (levels.size() > kOpenLevels + 1) {
                Level& far = levels[levels.size() - 1 - kOpenLevels - 1];
                if (far.fd >= 0) {
                    // What the folder is, so that ".." on the way back is accepted only if it
                    // leads to this very folder; a folder that cannot be told is not left.
                    struct stat st;
                    if (fstat(far.fd, &st) != 0) {
                        const int error = ErrorFromErrno(errno);
                        closeAll();
                        return result != 0 ? result : error;
                    }
                    far.device = st.st_dev;
                    far.inode = st.st_ino;
                    close(far.fd);
                    far.fd = -1;
                }
            }
            continue;
        }

        // The folder on top is handled: remove it from the level above.
        int aboveFd = parentFd;
        if (levels.size() > 1) {
            Level& above = levels[levels.size() - 2];
            if (above.fd < 0) {
                // Up through "..", accepted only if it is the folder that was entered: a folder
                // moved elsewhere meanwhile is never followed out of the tree.
                const int fd = openat(top.fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
                struct stat st;
                if (fd < 0 || fstat(fd, &st) != 0 || st.st_dev != above.device || st.st_ino != above.inode) {
                    if (fd >= 0)
                        close(fd);
                    closeAll();
                    return result != 0 ? result : ERROR_ACCESS_DENIED;
                }
                above.fd = fd;
            }
            aboveFd = above.fd;
        }
        if (unlinkat(aboveFd, top.name.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT) {
            close(top.fd);
            levels.pop_back();
            continue;
        }
        const int removeErrno = errno;
        const int error = ErrorFromErrno(removeErrno);
        if ((removeErrno == ENOTEMPTY || removeErrno == EEXIST) && !top.lastReadEmpty) {
            // Something is left or new since the listing was read: read it again; only a reading
            // that finds nothing more lets the refusal stand.
            top.listed = false;
            continue;
        }
        const std::string name = std::move(top.name);
        close(top.fd);
        levels.pop_back();
        if (levels.empty())
            return result != 0 ? result : error;
        fail(levels.back(), name, error);
    }
    return result;
}

} // namespace

int ErrorFromErrno(int error)
{
    switch (error) {
    case 0:
        return 0;
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
    case ELOOP:
    case ENAMETOOLONG:
        return ERROR_PATH_NOT_FOUND;
    case ENOTEMPTY:
        return ERROR_DIR_NOT_EMPTY;
    case EBUSY:
    case ETXTBSY:
        return ERROR_SHARING_VIOLATION;
    case EROFS:
        return ERROR_WRITE_PROTECT;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case EFBIG:
        return ERROR_FILE_TOO_LARGE;
    default:
        return ERROR_ACCESS_DENIED;
    }
}

int RemoveTreeAt(int parentFd, const char* name)
{
    if (unlinkat(parentFd, name, 0) == 0)
        return 0;
    // Linux answers EISDIR for a directory; POSIX allows EPERM, which is also what an immutable
    // file gives, so a file that is no folder keeps the first answer.
    const int unlinkError = errno;
    if (unlinkError != EISDIR && unlinkError != EPERM)
        return ErrorFromErrno(unlinkError);
    // Manifests list folders after their contents, so most are empty by now.
    if (unlinkat(parentFd, name, AT_REMOVEDIR) == 0)
        return 0;
    if (errno == ENOTDIR)
        return ErrorFromErrno(unlinkError);
    if (errno != ENOTEMPTY && errno != EEXIST)
        return ErrorFromErrno(errno);
    return RemoveDirectoryAt(parentFd, name);
}

} // namespace platform::linux_impl
