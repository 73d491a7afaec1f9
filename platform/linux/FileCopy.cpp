// File copies on Linux: CopyFileReplacing copies into a fresh file beside the target and renames it
// over; CopyIntoPrivateFolder copies into a fresh 0700 folder of this user's.
#include "platform/FileCopy.h"

#include "platform/FileSystem.h"
#include "platform/TextEncoding.h"
#include "platform/linux/FileTree.h"
#include "platform/linux/Ownership.h"
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

// Opens the file to copy, which must be a regular file; -1 with error set otherwise.
int OpenSource(const std::string& from, struct stat& st, DWORD& error)
{
    const int fd = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = LastErrno();
        return -1;
    }
    if (fstat(fd, &st) != 0)
        error = LastErrno();
    else if (!S_ISREG(st.st_mode))
        error = ERROR_ACCESS_DENIED;
    else
        return fd;
    close(fd);
    return -1;
}

} // namespace

DWORD CopyFileReplacing(std::u16string_view source, std::u16string_view target)
{
    const std::string from = NativePath(source), to = NativePath(target);
    if (from.empty() || to.empty())
        return ERROR_PATH_NOT_FOUND;

    struct stat sourceStat
    {
    };
    DWORD sourceError = ERROR_SUCCESS;
    const Fd in(OpenSource(from, sourceStat, sourceError));
    if (in.Get() < 0)
        return sourceError;

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
    if (out.Get() < 0) {
        // The source was found, so "no such file" here means the target's folder is missing.
        return errno == ENOENT ? ERROR_PATH_NOT_FOUND : LastErrno();
    }
    const mode_t mode = sourceStat.st_mode & 0755;
    if (!CopyBytes(in.Get(), out.Get()) || fchmod(out.Get(), mode | S_IRUSR | S_IWUSR) != 0 ||
        rename(temporary.c_str(), to.c_str()) != 0) {
        const DWORD error = LastErrno();
        unlink(temporary.c_str());
        return error;
    }
    return ERROR_SUCCESS;
}

DWORD CopyIntoPrivateFolder(std::u16string_view source, std::u16string_view parent, std::u16string_view fileName,
                            std::u16string& copyPath)
{
    copyPath.clear();
    std::string folder = NativePath(parent);
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    const std::string from = NativePath(source), name = NativePath(fileName);
    if (folder.empty() || from.empty() || name.empty() || name.find('/') != std::string::npos)
        return ERROR_PATH_NOT_FOUND;

    struct stat sourceStat
    {
    };
    DWORD sourceError = ERROR_SUCCESS;
    const Fd in(OpenSource(from, sourceStat, sourceError));
    if (in.Get() < 0)
        return sourceError;

    struct stat parentStat
    {
    };
    if (stat(folder.c_str(), &parentStat) != 0)
        return errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : LastErrno();
    if (!S_ISDIR(parentStat.st_mode))
        return ERROR_PATH_NOT_FOUND;
    std::string why;
    if (linux_impl::OthersCouldChange(folder, geteuid(), why))
        return ERROR_ACCESS_DENIED;

    // mkdtemp makes the folder 0700 under a name nobody can predict, and fails rather than reuse
    // anything already there.
    std::string made = (folder == "/" ? std::string() : folder) + "/" + Utf16ToUtf8(kPrivateFolderPrefix) + "XXXXXX";
    if (mkdtemp(made.data()) == nullptr)
        return errno == ENOENT ? ERROR_PATH_NOT_FOUND : LastErrno();
    const Fd dir(open(made.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    DWORD error = dir.Get() < 0 ? LastErrno() : ERROR_SUCCESS;
    if (error == ERROR_SUCCESS) {
        const Fd out(openat(dir.Get(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0700));
        if (out.Get() < 0 || !CopyBytes(in.Get(), out.Get()) || fchmod(out.Get(), 0700) != 0 || fsync(out.Get()) != 0)
            error = LastErrno();
        if (error != ERROR_SUCCESS && out.Get() >= 0)
            unlinkat(dir.Get(), name.c_str(), 0);
    }
    if (error != ERROR_SUCCESS) {
        rmdir(made.c_str());
        return error;
    }
    copyPath = Utf8ToUtf16(made + "/" + name);
    return ERROR_SUCCESS;
}

} // namespace platform
