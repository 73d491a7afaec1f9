// Linux shell services: recursive deletion that never follows symbolic links, and the Start Menu
// folder of the XDG desktop layout.
#include "platform/Shell.h"

#include "platform/FileSystem.h"
#include "platform/TextEncoding.h"
#include "platform/Win32Defs.h"
#include "platform/linux/FileTree.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace platform {

int ShellDeletePath(std::u16string_view path)
{
    std::string native = NativePath(path);
    while (native.size() > 1 && native.back() == '/')
        native.pop_back();
    if (native.empty())
        return ERROR_INVALID_PARAMETER;
    if (native == "/")
        return ERROR_ACCESS_DENIED;

    const std::size_t slash = native.rfind('/');
    const std::string leaf = slash == std::string::npos ? native : native.substr(slash + 1);
    if (leaf == "." || leaf == "..")
        return ERROR_INVALID_PARAMETER;

    // The folders leading to the path are the caller's to choose and are resolved normally; from
    // the named entry downwards nothing is followed.
    int parentFd = AT_FDCWD;
    if (slash != std::string::npos) {
        const std::string parent = slash == 0 ? std::string("/") : native.substr(0, slash);
        parentFd = open(parent.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (parentFd < 0)
            return linux_impl::ErrorFromErrno(errno) == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND
                                                                             : linux_impl::ErrorFromErrno(errno);
    }
    const int result = linux_impl::RemoveTreeAt(parentFd, leaf.c_str());
    if (parentFd != AT_FDCWD)
        close(parentFd);
    return result;
}

bool GetStartMenuFolder(std::u16string& folder)
{
    folder.clear();
    std::string path;
    if (const char* v = std::getenv("TVU_STARTMENU"); v != nullptr && *v != 0) {
        path = v;
    } else if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data == '/') {
        // The XDG rules ignore a relative XDG_DATA_HOME.
        path = std::string(data) + "/applications";
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != 0) {
        path = std::string(home) + "/.local/share/applications";
    } else {
        return false;
    }
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    folder = Utf8ToUtf16(path);
    return true;
}

} // namespace platform
