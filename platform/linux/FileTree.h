// Internal to the Linux backend: deletion of directory trees through file descriptors, so that
// no symbolic link is ever followed and no path is resolved twice.
#pragma once

namespace platform::linux_impl {

// The Win32 error code closest to an errno value.
int ErrorFromErrno(int error);

// Deletes the entry `name` of the directory open as parentFd: a file or link is unlinked, a
// directory is emptied recursively and removed. Returns 0 or a Win32 error code.
int RemoveTreeAt(int parentFd, const char* name);

} // namespace platform::linux_impl
