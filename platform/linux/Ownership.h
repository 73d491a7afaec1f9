// Internal to the Linux backend: whether a user other than the trusted ones could change a path,
// so that a program running as root neither writes into nor trusts what another user controls.
#pragma once

#include <string>
#include <sys/types.h>

namespace platform::linux_impl {

// True when someone other than root and `trusted` could change the file or folder at path, or
// any folder above it, or could redirect it through a link on the way: a component owned by
// another user, a folder writable by group or others without the sticky bit, or a file writable
// by group or others. `where` then names the component and why. A path that does not exist yet is
// judged by the folders that do.
bool OthersCouldChange(const std::string& path, uid_t trusted, std::string& where);

} // namespace platform::linux_impl
