// WriteFileReplacing on Linux: the folders are walked one component at a time from the root with
// openat, so that with LinkPolicy::Refuse no link anywhere on the way can redirect the write.
#include "platform/TextFile.h"

#include "platform/FileSystem.h"
#include "platform/linux/FileTree.h"
#include "platform/linux/UniqueFd.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

using Fd = linux_impl::UniqueFd;

DWORD LastErrno()
{
    // O_NOFOLLOW meeting a link reports ELOOP (or ENOTDIR for a link to a folder): refused access.
    if (errno == ELOOP || errno == ENOTDIR)
        return ERROR_ACCESS_DENIED;
    return DWORD(linux_impl::ErrorFromErrno(errno));
}

std::vector<std::string> Components(const std::string& path)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start < path.size()) {
        const std::size_t slash = path.find('/', start);
        const std::size_t end = slash == std::string::npos ? path.size() : slash;
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(std::size_t(n));
    }
    return true;
}

} // namespace

LinkPolicy LinkPolicyForThisUser()
{
    return geteuid() == 0 ? LinkPolicy::Refuse : LinkPolicy::Follow;
}

DWORD WriteFileReplacing(std::u16string_view path, std::string_view bytes, LinkPolicy links)
{
    const std::string native = NativePath(path);
    if (native.empty() || native[0] != '/' || native.back() == '/')
        return ERROR_INVALID_PARAMETER;
    const std::vector<std::string> parts = Components(native);
    if (parts.empty() || parts.back() == "." || parts.back() == "..")
        return ERROR_INVALID_PARAMETER;
    for (const std::string& part : parts)
        if (part == "..")
            return ERROR_INVALID_PARAMETER;

    const int noFollow = links == LinkPolicy::Refuse ? O_NOFOLLOW : 0;
    const mode_t folderMode = geteuid() == 0 ? 0755 : 0700;
    Fd folder(open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() < 0)
        return LastErrno();
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        int next = openat(folder.Get(), parts[i].c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | noFollow);
        if (next < 0 && errno == ENOENT) {
            if (mkdirat(folder.Get(), parts[i].c_str(), folderMode) != 0 && errno != EEXIST)
                return LastErrno();
            next = openat(folder.Get(), parts[i].c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | noFollow);
        }
        if (next < 0)
            return LastErrno();
        folder.Reset(next);
    }

    const std::string& name = parts.back();
    const std::string fresh = "." + name + "." + std::to_string(getpid()) + ".new";
    unlinkat(folder.Get(), fresh.c_str(), 0);
    Fd file(openat(folder.Get(), fresh.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (file.Get() < 0)
        return LastErrno();
    if (!WriteAll(file.Get(), bytes) || fsync(file.Get()) != 0) {
        const DWORD error = LastErrno();
        unlinkat(folder.Get(), fresh.c_str(), 0);
        return error == ERROR_SUCCESS ? ERROR_DISK_FULL : error;
    }
    // A folder planted where the file belongs is not replaced.
    struct stat existing;
    if (fstatat(folder.Get(), name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(existing.st_mode)) {
        unlinkat(folder.Get(), fresh.c_str(), 0);
        return ERROR_ACCESS_DENIED;
    }
    if (renameat(folder.Get(), fresh.c_str(), folder.Get(), name.c_str()) != 0) {
        const DWORD error = LastErrno();
        unlinkat(folder.Get(), fresh.c_str(), 0);
        return error;
    }
    return ERROR_SUCCESS;
}

} // namespace platform
