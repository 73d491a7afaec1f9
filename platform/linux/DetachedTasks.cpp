// The delayed detached children on Linux: a double fork so that init (or the nearest subreaper)
// adopts the worker, which sleeps, then execs or unlinks.
#include "platform/DetachedTasks.h"

#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "platform/TextEncoding.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {

namespace {

enum class Task
{
    Launch,
    Delete,
};

// Runs in the forked child of a possibly threaded process: async-signal-safe calls only.
void SleepMs(unsigned delayMs)
{
    timespec left{time_t(delayMs / 1000), long(delayMs % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

void DetachStreams()
{
    // Descriptors this process holds (a display connection, the instance marker, files) must not
    // stay open for seconds in the child, nor reach the program it starts.
    close_range(3, ~0U, 0);
    const int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        if (null > 2)
            close(null);
    }
}

bool StartDelayed(Task task, std::u16string_view path, unsigned delayMs)
{
    // Everything the child needs is prepared before fork.
    std::string native = NativePath(path);
    if (native.empty())
        return false;
    char* const argv[] = {native.data(), nullptr};
    // A copy that runs from a private folder of its own takes the folder with it.
    std::string folder;
    if (const std::size_t slash = native.rfind('/'); slash != std::string::npos && slash > 0) {
        folder = native.substr(0, slash);
        const std::string prefix = Utf16ToUtf8(kPrivateFolderPrefix);
        if (folder.compare(folder.rfind('/') + 1, prefix.size(), prefix) != 0)
            folder.clear();
    }

    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        // The intermediate child ends at once, so that the worker is adopted and never waits to be
        // reaped by this process.
        const pid_t worker = fork();
        if (worker == 0) {
            setsid();
            DetachStreams();
            SleepMs(delayMs);
            if (task == Task::Launch) {
                execv(argv[0], argv);
                _exit(127);
            }
            unlink(argv[0]);
            struct stat st;
            if (!folder.empty() && lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
                (st.st_mode & 07777) == 0700)
                rmdir(folder.c_str()); // only ever an empty folder
            _exit(0);
        }
        _exit(worker > 0 ? 0 : 1);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

bool StartDelayedLaunch(std::u16string_view path, unsigned delayMs)
{
    return StartDelayed(Task::Launch, path, delayMs);
}

bool StartDelayedDelete(std::u16string_view path, unsigned delayMs)
{
    return StartDelayed(Task::Delete, path, delayMs);
}

} // namespace platform
