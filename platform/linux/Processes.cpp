// Linux process services over /proc and signals.
#include "platform/Processes.h"

#include "platform/TextEncoding.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

namespace platform {

namespace {

// The command name and the state letter from /proc/PID/stat ("pid (comm) S ...").
bool ReadStat(int pid, std::string& comm, char& state)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (!in || !std::getline(in, text))
        return false;
    // The name may itself hold parentheses and blanks; it ends at the last ')'.
    const std::size_t open = text.find('(');
    const std::size_t close = text.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open || close + 2 >= text.size())
        return false;
    comm = text.substr(open + 1, close - open - 1);
    state = text[close + 2];
    return true;
}

bool ReadExeFileName(int pid, std::string& name)
{
    char buffer[4096];
    const std::string link = "/proc/" + std::to_string(pid) + "/exe";
    const ssize_t n = readlink(link.c_str(), buffer, sizeof buffer - 1);
    if (n <= 0)
        return false;
    std::string target(buffer, std::size_t(n));
    constexpr std::string_view kDeleted = " (deleted)";
    if (target.size() > kDeleted.size() && target.ends_with(kDeleted))
        target.resize(target.size() - kDeleted.size());
    const std::size_t slash = target.rfind('/');
    name = slash == std::string::npos ? target : target.substr(slash + 1);
    return !name.empty();
}

bool ParsePid(const char* text, int& pid)
{
    if (*text == 0)
        return false;
    long value = 0;
    for (const char* p = text; *p; ++p) {
        if (*p < '0' || *p > '9' || value > 1'000'000'000)
            return false;
        value = value * 10 + (*p - '0');
    }
    pid = int(value);
    return pid > 0;
}

} // namespace

std::vector<ProcessEntry> SnapshotProcesses()
{
    std::vector<ProcessEntry> processes;
    DIR* proc = opendir("/proc");
    if (proc == nullptr)
        return processes;
    while (const dirent* e = readdir(proc)) {
        int pid = 0;
        if (!ParsePid(e->d_name, pid))
            continue;
        // Another user's process (without privilege), a kernel thread or a zombie has no
        // readable executable. Its command name is chosen by the process itself, so it says
        // nothing about what runs: such a process is listed without a name and never matches.
        std::string name;
        if (!ReadExeFileName(pid, name)) {
            std::string comm;
            char state = 0;
            if (!ReadStat(pid, comm, state) || state == 'Z' || state == 'X')
                continue;
            name.clear();
        }
        processes.push_back({pid, Utf8ToUtf16(name)});
    }
    closedir(proc);
    return processes;
}

bool TerminateProcess(int pid)
{
    // kill() with 0 or a negative pid would signal whole process groups.
    if (pid <= 0)
        return false;
    return kill(pid_t(pid), SIGKILL) == 0;
}

bool IsProcessRunning(int pid)
{
    if (pid <= 0)
        return false;
    std::string comm;
    char state = 0;
    return ReadStat(pid, comm, state) && state != 'Z' && state != 'X';
}

int StartDetachedProcess(const std::string& program, const std::vector<std::string>& arguments)
{
    if (access(program.c_str(), X_OK) != 0)
        return -1;
    // Everything the children need is prepared before fork: after it only async-signal-safe
    // calls are allowed in a threaded process.
    std::vector<std::string> argStorage;
    argStorage.push_back(program);
    argStorage.insert(argStorage.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : argStorage)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    // fds carries the program's pid back to us; execFds stays open in the program until exec
    // succeeds, so the intermediate child knows whether the program really started.
    int fds[2], execFds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return -1;
    if (pipe2(execFds, O_CLOEXEC) != 0) {
        close(fds[0]);
        close(fds[1]);
        return -1;
    }
    const pid_t child = fork();
    if (child < 0) {
        for (int fd : {fds[0], fds[1], execFds[0], execFds[1]})
            close(fd);
        return -1;
    }
    if (child == 0) {
        // The intermediate child starts the program and ends at once, so that the program is
        // adopted by init (or the nearest subreaper) and never waits to be reaped by us.
        close(fds[0]);
        const pid_t grandchild = fork();
        if (grandchild == 0) {
            setsid();
            const int null = open("/dev/null", O_RDWR);
            if (null >= 0) {
                dup2(null, 0);
                dup2(null, 1);
                dup2(null, 2);
            }
            execv(argv[0], argv.data());
            const char failed = 1;
            ssize_t ignored = write(execFds[1], &failed, 1);
            (void)ignored;
            _exit(127);
        }
        close(execFds[1]);
        char failed = 0;
        ssize_t n;
        while ((n = read(execFds[0], &failed, 1)) < 0 && errno == EINTR) {
        }
        const int value = grandchild > 0 && n == 0 ? int(grandchild) : -1;
        ssize_t ignored = write(fds[1], &value, sizeof value);
        (void)ignored;
        _exit(0);
    }
    close(execFds[0]);
    close(execFds[1]);
    close(fds[1]);
    int pid = -1;
    if (read(fds[0], &pid, sizeof pid) != ssize_t(sizeof pid))
        pid = -1;
    close(fds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return pid > 0 ? pid : -1;
}

} // namespace platform
