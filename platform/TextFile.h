// Writing a small file of the program's own (the record of a run) into a state folder that may have
// to be created first, safely when the program runs as the administrator.
#pragma once

#include "platform/Win32Defs.h"

#include <string_view>

namespace platform {

// Whether symbolic links on the way to the file are followed.
enum class LinkPolicy
{
    // A folder on the way may be a link (a person's own state folder moved elsewhere).
    Follow,
    // No component of the path may be a link: the write fails with ERROR_ACCESS_DENIED instead.
    // The administrator's writes use this, so that nobody can point them at another file.
    Refuse,
};

// LinkPolicy::Refuse for the administrator, LinkPolicy::Follow for everyone else.
LinkPolicy LinkPolicyForThisUser();

// Writes bytes to the absolute path, replacing what is there. Missing folders on the way are
// created (mode 0755 for the administrator, 0700 otherwise). The bytes go into a new file beside
// the target that is then renamed over it, so a link planted at the target itself is replaced,
// never written through, and a reader never sees half a file. Returns ERROR_SUCCESS,
// ERROR_INVALID_PARAMETER for a path that is not absolute or names no file, ERROR_ACCESS_DENIED
// for a refused link or a folder that cannot be written, or another Win32 error code.
DWORD WriteFileReplacing(std::u16string_view path, std::string_view bytes, LinkPolicy links);

} // namespace platform
