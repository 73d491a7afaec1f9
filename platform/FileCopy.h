// Copying a file to a path that other users may be able to write to (the temporary folder).
#pragma once

#include "platform/Win32Defs.h"

#include <string_view>

namespace platform {

// Copies source to target, replacing what is there. The bytes go into a new file created beside
// target and renamed over it, so a symbolic link or hard link planted at target is replaced and
// never written through. Fails with ERROR_SHARING_VIOLATION while target is a running program, as
// overwriting one does on Windows, and with ERROR_ACCESS_DENIED when target is a folder. Returns
// ERROR_SUCCESS or a Win32 error code.
DWORD CopyFileReplacing(std::u16string_view source, std::u16string_view target);

} // namespace platform
