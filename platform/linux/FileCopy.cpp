// CopyFileReplacing on Linux: copy into a fresh file beside the target, then rename over it.
#include "platform/FileCopy.h"

#include "platform/FileSystem.h"
#include "platform/linux/FileTree.h"
#include "platform/linux/UniqueFd.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

using Fd = linux_impl::UniqueFd;

DWORD LastErrno()
{
    return DWORD(linux_impl::ErrorFromErrno(errno));
}

bool CopyBytes(int from, int to)
{
    char buffer[64 * 1024];
    for (;;) {
        ssize_t n = read(from, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = write(to, buffer + done, std::size_t(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w < 0)
                return false;
            done += w;
        }
    }
}

// Whether target is an executable that a process is running right now: Linux refuses to open
// such a file for writing. Only regular files are probed, so that no device or pipe is opened.
bool IsRunningProgram(const std::string& target)
{
    struct stat st
    {
    };
    if (lstat(target.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    const int fd = open(target.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        close(fd);
        return false;
    }
    return errno == ETXTBSY;
}

} // namespace

DWORD CopyFileReplacing(std::u16string_view source, std::u16string_view target)
{
    const std::string from = NativePath(source), to = NativePath(target);
    if (from.empty() || to.empty())
        return ERROR_PATH_NOT_FOUND;

    const Fd in(open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.Get() < 0)
        return LastErrno();
    struct stat sourceStat
    {
    };
    if (fstat(in.Get(), &sourceStat) != 0)
        return LastErrno();
    if (!S_ISREG(sourceStat.st_mode))
        return ERROR_ACCESS_DENIED;

    struct stat targetStat
    {
    };
    if (lstat(to.c_str(), &targetStat) == 0 && S_ISDIR(targetStat.st_mode))
        return ERROR_ACCESS_DENIED;
    if (IsRunningProgram(to))
        return ERROR_SHARING_VIOLATION;

    // mkostemp creates with O_EXCL, which never follows a link, under a name nobody can predict.
    std::string temporary = to + ".XXXXXX";
    const Fd out(mkostemp(temporary.data(), O_CLOEXEC));
    if (out.Get() < 0)
        return LastErrno();
    const mode_t mode = sourceStat.st_mode & 0755;
    if (!CopyBytes(in.Get(), out.Get()) || fchmod(out.Get(), mode | S_IRUSR | S_IWUSR) != 0 ||
        rename(temporary.c_str(), to.c_str()) != 0) {
        const DWORD error = LastErrno();
        unlink(temporary.c_str());
        return error;
    }
    return ERROR_SUCCESS;
}

} // namespace platform
