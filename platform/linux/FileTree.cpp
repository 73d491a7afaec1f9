// Recursive deletion through *at() calls on directory descriptors. Every directory is opened with
// O_NOFOLLOW, so a symbolic link met anywhere in the tree is removed as a link and its target is
// never entered.
#include "platform/linux/FileTree.h"

#include "platform/Win32Defs.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

namespace platform::linux_impl {

namespace {

struct Entry
{
    std::string name;
    bool isDirectory;
};

// Reads the whole listing before anything is deleted, so the directory is never changed while
// it is being read and only one descriptor per level stays open during the descent.
bool ReadEntries(int dirFd, std::vector<Entry>& entries)
{
    const int listFd = openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listFd < 0)
        return false;
    DIR* dir = fdopendir(listFd);
    if (dir == nullptr) {
        close(listFd);
        return false;
    }
    while (const dirent* e = readdir(dir)) {
        const char* n = e->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        entries.push_back({n, e->d_type == DT_DIR});
    }
    closedir(dir);
    return true;
}

int RemoveDirectoryAt(int parentFd, const char* name);

int RemoveContents(int dirFd)
{
    std::vector<Entry> entries;
    if (!ReadEntries(dirFd, entries))
        return ErrorFromErrno(errno);
    int result = 0;
    for (const Entry& entry : entries) {
        const int r =
            entry.isDirectory ? RemoveDirectoryAt(dirFd, entry.name.c_str()) : RemoveTreeAt(dirFd, entry.name.c_str());
        if (r != 0 && result == 0)
            result = r;
    }
    return result;
}

int RemoveDirectoryAt(int parentFd, const char* name)
{
    const int fd = openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        // Not a directory after all (replaced, or a link): delete the entry itself.
        if (errno == ENOTDIR || errno == ELOOP)
            return unlinkat(parentFd, name, 0) == 0 ? 0 : ErrorFromErrno(errno);
        return ErrorFromErrno(errno);
    }
    RemoveContents(fd);
    close(fd);
    return unlinkat(parentFd, name, AT_REMOVEDIR) == 0 ? 0 : ErrorFromErrno(errno);
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
