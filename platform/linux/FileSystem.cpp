// Linux file services over POSIX descriptors; confinement of deletions through openat2 with
// RESOLVE_BENEATH, or a walk that refuses every symbolic link where the kernel lacks it.
#include "platform/FileSystem.h"
#include "platform/RelativeName.h"

#include "platform/TextEncoding.h"
#include "platform/Win32Defs.h"
#include "platform/linux/FileTree.h"
#include "platform/linux/Ownership.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace platform {

using linux_impl::ErrorFromErrno;

std::string NativePath(std::u16string_view path)
{
    std::string native = Utf16ToUtf8(path);
    for (char& c : native) {
        if (c == '\\')
            c = '/';
    }
    return native;
}

bool FileExists(std::u16string_view path)
{
    if (path.empty())
        return false;
    struct stat st;
    return lstat(NativePath(path).c_str(), &st) == 0;
}

std::string ReadFileBytes(std::u16string_view path)
{
    if (path.empty())
        return {};
    const int fd = open(NativePath(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    std::string data;
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        // Four spare bytes, as the file may have grown since its size was taken; the text ends at
        // the first zero byte either way.
        const std::size_t capacity = std::size_t(st.st_size) + 4;
        data.resize(capacity);
        std::size_t filled = 0;
        while (filled < capacity) {
            const ssize_t n = read(fd, data.data() + filled, capacity - filled);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            filled += std::size_t(n);
        }
        data.resize(filled);
        const std::size_t zero = data.find('\0');
        if (zero != std::string::npos)
            data.resize(zero);
    }
    close(fd);
    return data;
}

bool IsDirectoryEmpty(std::u16string_view path)
{
    if (path.empty())
        return false;
    DIR* dir = opendir(NativePath(path).c_str());
    if (dir == nullptr)
        return false;
    bool empty = true;
    while (const dirent* e = readdir(dir)) {
        const char* n = e->d_name;
        if (!(n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))) {
            empty = false;
            break;
        }
    }
    closedir(dir);
    return empty;
}

namespace {

// Opens the folder that holds the path's last component, without following a link in the folder's
// own last component, and gives that component in leaf. -1 when there is no such folder.
int OpenContainingFolder(std::u16string_view path, std::string& leaf)
{
    std::string native = NativePath(path);
    while (native.size() > 1 && native.back() == '/')
        native.pop_back();
    const std::size_t slash = native.rfind('/');
    leaf = slash == std::string::npos ? native : native.substr(slash + 1);
    if (leaf.empty() || leaf == "." || leaf == ".." || leaf == "/")
        return -1;
    if (slash == std::string::npos)
        return open(".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    const std::string folder = slash == 0 ? std::string("/") : native.substr(0, slash);
    return open(folder.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

} // namespace

bool DeleteFile(std::u16string_view path)
{
    std::string leaf;
    const int folderFd = path.empty() ? -1 : OpenContainingFolder(path, leaf);
    if (folderFd < 0)
        return false;
    // unlinkat without AT_REMOVEDIR never removes a folder and never follows the entry itself.
    const bool deleted = unlinkat(folderFd, leaf.c_str(), 0) == 0;
    close(folderFd);
    return deleted;
}

bool RemoveDirectory(std::u16string_view path)
{
    std::string leaf;
    const int folderFd = path.empty() ? -1 : OpenContainingFolder(path, leaf);
    if (folderFd < 0)
        return false;
    const bool removed = unlinkat(folderFd, leaf.c_str(), AT_REMOVEDIR) == 0;
    close(folderFd);
    return removed;
}

bool FolderIsTrusted(std::u16string_view folder, std::u16string& why)
{
    why.clear();
    std::string where;
    if (!linux_impl::OthersCouldChange(NativePath(folder), geteuid(), where))
        return true;
    why = Utf8ToUtf16(where);
    return false;
}

// ---------------------------------------------------------------------------------------------
// ConfinedDirectory
// ---------------------------------------------------------------------------------------------

namespace {

int OpenBeneath(int baseFd, const std::string& relative)
{
    open_how how{};
    how.flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
    const long fd = syscall(SYS_openat2, baseFd, relative.c_str(), &how, sizeof how);
    if (fd >= 0 || errno != ENOSYS)
        return int(fd);
    // Without openat2, refuse every symbolic link on the way instead of resolving it.
    int current = baseFd;
    std::size_t start = 0;
    while (start < relative.size()) {
        std::size_t end = relative.find('/', start);
        if (end == std::string::npos)
            end = relative.size();
        const std::string part = relative.substr(start, end - start);
        const int next = openat(current, part.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int savedErrno = errno;
        if (current != baseFd)
            close(current);
        if (next < 0) {
            errno = savedErrno;
            return -1;
        }
        current = next;
        start = end + 1;
    }
    return current == baseFd ? fcntl(baseFd, F_DUPFD_CLOEXEC, 0) : current;
}

} // namespace

struct ConfinedDirectory::State
{
    int baseFd = -1;
    std::string path; // as opened, for the final removal of the directory itself
    dev_t device = 0;
    ino_t inode = 0;
    // The parent folder of the previous name stays open: manifests list many names per folder.
    std::string cachedParent;
    int cachedFd = -1;
    // Buffers reused from one name to the next, so that deleting a listed file allocates nothing.
    std::string parent;
    std::string leaf;

    ~State()
    {
        if (cachedFd >= 0)
            close(cachedFd);
        if (baseFd >= 0)
            close(baseFd);
    }
};

ConfinedDirectory::ConfinedDirectory() = default;
ConfinedDirectory::~ConfinedDirectory() = default;

bool ConfinedDirectory::Open(std::u16string_view directory)
{
    m_state.reset();
    const std::string native = NativePath(directory);
    if (native.empty() || native.front() != '/')
        return false;
    const int fd = open(native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat dirStat, rootStat;
    if (fstat(fd, &dirStat) != 0 || stat("/", &rootStat) != 0 ||
        (dirStat.st_dev == rootStat.st_dev && dirStat.st_ino == rootStat.st_ino)) {
        close(fd);
        return false;
    }
    m_state = std::make_unique<State>();
    m_state->baseFd = fd;
    m_state->path = native;
    m_state->device = dirStat.st_dev;
    m_state->inode = dirStat.st_ino;
    return true;
}

bool ConfinedDirectory::IsOpen() const
{
    return m_state != nullptr;
}

bool ConfinedDirectory::IsAcceptableName(std::u16string_view relativeName)
{
    std::string parent;
    std::string_view leaf;
    const std::string utf8 = Utf16ToUtf8(relativeName);
    return SplitRelativeName(utf8, parent, leaf);
}

bool ConfinedDirectory::NormalizeUtf8(std::string_view relativeName, std::string& normalized)
{
    std::string_view leaf;
    if (!SplitRelativeName(relativeName, normalized, leaf))
        return false;
    if (!normalized.empty())
        normalized.push_back('/');
    normalized.append(leaf);
    return true;
}

int ConfinedDirectory::ParentBelow(std::string_view relativeName, std::string& leaf)
{
    if (!m_state) {
        errno = EINVAL;
        return -1;
    }
    std::string& parent = m_state->parent;
    std::string_view leafView;
    if (!SplitRelativeName(relativeName, parent, leafView)) {
        errno = EINVAL;
        return -1;
    }
    leaf.assign(leafView);
    if (parent.empty())
        return m_state->baseFd;
    if (m_state->cachedFd < 0 || parent != m_state->cachedParent) {
        const int fd = OpenBeneath(m_state->baseFd, parent);
        if (fd < 0) {
            if (errno == EXDEV || errno == ELOOP)
                errno = EINVAL;
            return -1;
        }
        if (m_state->cachedFd >= 0)
            close(m_state->cachedFd);
        m_state->cachedFd = fd;
        m_state->cachedParent.swap(parent);
    }
    return m_state->cachedFd;
}

bool ConfinedDirectory::ExistsBelowUtf8(std::string_view relativeName)
{
    std::string leaf;
    const int parentFd = ParentBelow(relativeName, leaf);
    struct stat st;
    return parentFd >= 0 && fstatat(parentFd, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

int ConfinedDirectory::ReadFileBelow(std::string_view relativeName, std::size_t limit, std::string& text)
{
    text.clear();
    std::string leaf;
    const int parentFd = ParentBelow(relativeName, leaf);
    if (parentFd < 0)
        return ErrorFromErrno(errno);
    // O_NONBLOCK: a pipe or device planted under the name must not block the open. A link is
    // followed: only the bytes are used, and only a regular file of bounded size is read.
    const int fd = openat(parentFd, leaf.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return ErrorFromErrno(errno);
    // Closed however the read ends, an allocation that throws included.
    const struct Closer
    {
        int fd;
        ~Closer() { close(fd); }
    } closer{fd};
    struct stat st;
    int result = 0;
    if (fstat(fd, &st) != 0) {
        result = ErrorFromErrno(errno);
    } else if (!S_ISREG(st.st_mode)) {
        result = ERROR_INVALID_DATA;
    } else if (std::uint64_t(st.st_size) > limit) {
        result = ERROR_FILE_TOO_LARGE;
    } else {
        // The file may grow after its size was taken: one byte past the limit is read to see it,
        // never more, so memory stays bounded whatever the file does.
        text.resize(std::size_t(st.st_size) + 1);
        std::size_t filled = 0;
        for (;;) {
            if (filled == text.size()) {
                if (text.size() > limit)
                    break;
                text.resize(std::min(limit + 1, text.size() * 2 + 4096));
            }
            const ssize_t n = read(fd, text.data() + filled, text.size() - filled);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                result = ErrorFromErrno(errno);
                break;
            }
            if (n == 0)
                break;
            filled += std::size_t(n);
        }
        text.resize(filled);
        if (result == 0 && filled > limit)
            result = ERROR_FILE_TOO_LARGE;
    }
    if (result != 0) {
        text.clear();
        return result;
    }
    const std::size_t zero = text.find('\0');
    if (zero != std::string::npos)
        text.resize(zero);
    return 0;
}

bool ConfinedDirectory::IsTrusted(std::u16string& why) const
{
    why.clear();
    if (!m_state)
        return false;
    if (!FolderIsTrusted(Utf8ToUtf16(m_state->path), why))
        return false;
    // Checked after the ownership walk: a path nobody else can change cannot be moved off the
    // folder that was opened once this holds.
    struct stat st;
    if (stat(m_state->path.c_str(), &st) != 0 || st.st_dev != m_state->device || st.st_ino != m_state->inode) {
        why = Utf8ToUtf16(m_state->path) + u" changed while it was opened";
        return false;
    }
    return true;
}

int ConfinedDirectory::RemoveSelfIfEmpty()
{
    if (!m_state)
        return ERROR_INVALID_PARAMETER;
    std::string path = m_state->path;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    const std::size_t slash = path.rfind('/');
    const std::string leaf = path.substr(slash + 1);
    if (leaf.empty() || leaf == "." || leaf == "..")
        return ERROR_INVALID_PARAMETER;
    const std::string parent = slash == 0 ? std::string("/") : path.substr(0, slash);
    const int parentFd = open(parent.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (parentFd < 0)
        return ErrorFromErrno(errno);
    // The entry must still be this directory; rmdir itself refuses anything but an empty one.
    struct stat st;
    int result = 0;
    if (fstatat(parentFd, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        result = ErrorFromErrno(errno);
    else if (!S_ISDIR(st.st_mode) || st.st_dev != m_state->device || st.st_ino != m_state->inode)
        result = ERROR_ACCESS_DENIED;
    else if (unlinkat(parentFd, leaf.c_str(), AT_REMOVEDIR) != 0)
        result = errno == EEXIST ? ERROR_DIR_NOT_EMPTY : ErrorFromErrno(errno);
    close(parentFd);
    return result;
}

int ConfinedDirectory::DeleteBelow(std::u16string_view relativeName)
{
    return DeleteBelowUtf8(Utf16ToUtf8(relativeName));
}

int ConfinedDirectory::DeleteBelowUtf8(std::string_view relativeName)
{
    if (!m_state)
        return ERROR_INVALID_PARAMETER;
    std::string& leaf = m_state->leaf;
    const int parentFd = ParentBelow(relativeName, leaf);
    if (parentFd < 0)
        return ErrorFromErrno(errno);
    return linux_impl::RemoveTreeAt(parentFd, leaf.c_str());
}

} // namespace platform

namespace platform {

namespace {

// Below this many names a second thread costs more than it can save.
constexpr std::size_t kTwoThreadMinimum = 256;
constexpr std::size_t kRefusedName = std::size_t(-1);

// Consecutive names of a list that share their folder part: the folder is reached once for all.
struct FolderRun
{
    std::size_t begin = 0; // the names [begin, end) of the list
    std::size_t end = 0;
    std::string parent;    // components joined by '/'; empty for the open directory itself
    std::size_t depth = 0; // how many components parent has
    int fd = -1;           // the folder, or -1 when it cannot be reached
    bool owned = false;    // fd is closed when the run is done
};

// Opens a folder to be emptied while another thread empties a different one: only real folders
// on the directory's own mount are crossed, so that the count of components is the folder's depth
// in the tree, and two different folders of one depth can never hold one another. -1 when the
// name does not resolve that way (a link or a mount point on it); the caller then falls back.
int OpenPlainBeneath(int baseFd, const std::string& relative)
{
    open_how how{};
    how.flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_XDEV | RESOLVE_NO_MAGICLINKS;
    return int(syscall(SYS_openat2, baseFd, relative.c_str(), &how, sizeof how));
}

// The second thread: runs one folder at a time, handed over by the thread that walks the list.
class RunHelper
{
public:
    template <typename Execute> explicit RunHelper(Execute execute) : m_thread([this, execute] { Loop(execute); }) {}

    ~RunHelper()
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_quit = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }

    RunHelper(const RunHelper&) = delete;
    RunHelper& operator=(const RunHelper&) = delete;

    bool Busy()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_job != nullptr;
    }

    void Give(FolderRun& run)
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_job = &run;
        }
        m_changed.notify_all();
    }

    // Waits until the run handed over is done; rethrows what ended it early.
    void WaitIdle()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return m_job == nullptr; });
        if (m_error) {
            std::exception_ptr error = std::exchange(m_error, nullptr);
            std::rethrow_exception(error);
        }
    }

private:
    template <typename Execute> void Loop(const Execute& execute)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_changed.wait(lock, [this] { return m_job != nullptr || m_quit; });
            if (m_job == nullptr)
                return;
            FolderRun& run = *m_job;
            lock.unlock();
            std::exception_ptr error;
            try {
                execute(run);
            } catch (...) {
                error = std::current_exception();
            }
            lock.lock();
            if (error && !m_error)
                m_error = error;
            m_job = nullptr;
            m_changed.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    FolderRun* m_job = nullptr;
    bool m_quit = false;
    std::exception_ptr m_error;
    std::thread m_thread; // last: started once everything it uses is ready
};

} // namespace

void ConfinedDirectory::DeleteEachBelowUtf8(const std::vector<std::string_view>& names, const std::atomic<bool>* stop,
                                            std::vector<Outcome>& outcomes)
{
    outcomes.assign(names.size(), Outcome::NotTried);
    const auto stopped = [stop] { return stop != nullptr && stop->load(); };
    if (!m_state) {
        for (std::size_t i = 0; i < names.size() && !stopped(); ++i)
            outcomes[i] = Outcome::Absent;
        return;
    }
    const int baseFd = m_state->baseFd;

    // Every name is split once; its last component is kept, ended by a zero, in one buffer.
    std::size_t bytes = 0;
    for (const std::string_view name : names)
        bytes += name.size() + 1;
    std::string leaves;
    leaves.reserve(bytes);
    std::vector<std::size_t> leafAt(names.size(), kRefusedName);
    std::vector<FolderRun> runs;
    std::string& parent = m_state->parent;
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::string_view leaf;
        // A refused name touches nothing, so it never starts a folder of its own.
        if (SplitRelativeName(names[i], parent, leaf)) {
            leafAt[i] = leaves.size();
            leaves.append(leaf);
            leaves.push_back('\0');
            if (runs.empty() || runs.back().parent != parent) {
                FolderRun& run = runs.emplace_back();
                run.begin = i;
                run.parent = parent;
                run.depth = parent.empty() ? 0 : std::size_t(std::count(parent.begin(), parent.end(), '/')) + 1;
            }
        } else if (runs.empty()) {
            runs.emplace_back().begin = i;
        }
        runs.back().end = i + 1;
    }

    const auto execute = [&](const FolderRun& run) {
        for (std::size_t i = run.begin; i < run.end; ++i) {
            if (stopped())
                return;
            if (leafAt[i] == kRefusedName || run.fd < 0) {
                outcomes[i] = Outcome::Absent;
                continue;
            }
            const char* leaf = leaves.c_str() + leafAt[i];
            struct stat st;
            if (linux_impl::RemoveTreeAt(run.fd, leaf) == 0)
                outcomes[i] = Outcome::Removed;
            else
                outcomes[i] =
                    fstatat(run.fd, leaf, &st, AT_SYMLINK_NOFOLLOW) == 0 ? Outcome::LeftBehind : Outcome::Absent;
        }
    };
    const auto finish = [](FolderRun& run) {
        if (run.owned && run.fd >= 0)
            close(run.fd);
        run.fd = -1;
    };

    // Two folders of one depth, reached through real folders only, are disjoint: emptying one
    // cannot change what is in the other or the way to it, so the outcome of every name is what
    // it would be one after the other. Anything else (the open directory itself, folders of other
    // depths, a folder reached through a link) waits until the second thread is idle, and is then
    // reached and handled exactly as a single thread would.
    const bool twoThreads =
        names.size() >= kTwoThreadMinimum && runs.size() >= 2 && std::thread::hardware_concurrency() >= 2;
    struct
    {
        std::size_t depth = 0;
        dev_t device = 0;
        ino_t inode = 0;
    } given;
    std::optional<RunHelper> helper;
    const auto handle = [&](FolderRun& run) {
        try {
            execute(run);
        } catch (...) {
            finish(run);
            throw;
        }
        finish(run);
    };
    for (FolderRun& run : runs) {
        if (stopped())
            break;
        const bool busy = helper && helper->Busy();
        if (twoThreads && !run.parent.empty() && (!busy || given.depth == run.depth)) {
            run.fd = OpenPlainBeneath(baseFd, run.parent);
            struct stat st;
            if (run.fd >= 0 && fstat(run.fd, &st) != 0) {
                close(run.fd);
                run.fd = -1;
            }
            if (run.fd >= 0) {
                run.owned = true;
                if (!busy) {
                    if (!helper)
                        helper.emplace(handle);
                    given = {run.depth, st.st_dev, st.st_ino};
                    helper->Give(run);
                    continue;
                }
                if (st.st_dev == given.device && st.st_ino == given.inode)
                    helper->WaitIdle();
                handle(run);
                continue;
            }
        }
        if (busy)
            helper->WaitIdle();
        if (run.parent.empty()) {
            run.fd = baseFd;
        } else {
            run.fd = OpenBeneath(baseFd, run.parent);
            run.owned = true;
        }
        handle(run);
    }
    if (helper)
        helper->WaitIdle();
}

} // namespace platform
