// The ownership and permission walk over a path and its folders.
#include "platform/linux/Ownership.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>

namespace platform::linux_impl {

namespace {

bool Trusted(uid_t owner, uid_t trusted)
{
    return owner == 0 || owner == trusted;
}

// Judges one existing component; false with `where` set when others could change it.
bool ComponentIsSafe(const std::string& component, const struct stat& st, uid_t trusted, std::string& where)
{
    if (!Trusted(st.st_uid, trusted)) {
        where = component + " belongs to user " + std::to_string(st.st_uid);
        return false;
    }
    const bool othersWrite = (st.st_mode & (S_IWGRP | S_IWOTH)) != 0;
    if (S_ISDIR(st.st_mode) && othersWrite && (st.st_mode & S_ISVTX) == 0) {
        where = component + " is writable by other users";
        return false;
    }
    if (!S_ISDIR(st.st_mode) && !S_ISLNK(st.st_mode) && othersWrite) {
        where = component + " is writable by other users";
        return false;
    }
    return true;
}

// Every prefix of an absolute path that ends a component, "/" first.
template <typename Visit> bool ForEachPrefix(const std::string& path, Visit&& visit)
{
    if (!visit(std::string("/")))
        return false;
    for (std::size_t i = 1; i <= path.size(); ++i) {
        if ((i == path.size() || path[i] == '/') && path[i - 1] != '/') {
            if (!visit(path.substr(0, i)))
                return false;
        }
    }
    return true;
}

} // namespace

bool OthersCouldChange(const std::string& path, uid_t trusted, std::string& where)
{
    where.clear();
    if (path.empty() || path.front() != '/') {
        where = path + " is not an absolute path";
        return true;
    }
    // The path as written, every component of it: a link someone else owns could be pointed
    // anywhere, and a folder someone else can change could hold a link at the next moment. Judging
    // only the links seen now and then the path they resolved to let a swap between the two looks
    // pass a path whose folder another user can turn into a link to anybody's files.
    const bool writtenSafe = ForEachPrefix(path, [&](const std::string& prefix) {
        struct stat st;
        if (lstat(prefix.c_str(), &st) != 0)
            return errno == ENOENT || errno == ENOTDIR; // the rest does not exist yet
        return ComponentIsSafe(prefix, st, trusted, where);
    });
    if (!writtenSafe)
        return true;

    // Then the folders and the file the path really leads to, as far as they exist.
    std::string existing = path;
    char resolved[PATH_MAX];
    while (realpath(existing.c_str(), resolved) == nullptr) {
        if (errno != ENOENT && errno != ENOTDIR) {
            where = existing + " cannot be examined";
            return true;
        }
        const std::size_t slash = existing.rfind('/');
        existing = slash == 0 ? std::string("/") : existing.substr(0, slash);
    }
    return !ForEachPrefix(resolved, [&](const std::string& prefix) {
        struct stat st;
        if (stat(prefix.c_str(), &st) != 0) {
            where = prefix + " cannot be examined";
            return false;
        }
        return ComponentIsSafe(prefix, st, trusted, where);
    });
}

} // namespace platform::linux_impl
