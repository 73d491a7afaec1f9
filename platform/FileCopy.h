// Copying a file to a path that other users may be able to write to (the temporary folder).
#pragma once

#include "platform/Win32Defs.h"

#include <string>
#include <string_view>

namespace platform {

// Copies source to target, replacing what is there. The bytes go into a new file created beside
// target and renamed over it, so a symbolic link or hard link planted at target is replaced and
// never written through. Fails with ERROR_SHARING_VIOLATION while target is a running program, as
// overwriting one does on Windows, and with ERROR_ACCESS_DENIED when target is a folder. Returns
// ERROR_SUCCESS or a Win32 error code.
DWORD CopyFileReplacing(std::u16string_view source, std::u16string_view target);

// The name of the private folders CopyIntoPrivateFolder makes: this prefix and six random
// characters.
inline constexpr char16_t kPrivateFolderPrefix[] = u"tarvion-uninstall-";

// Copies source into a fresh folder made inside parent with a unique name, owned by the running
// user and mode 0700, as fileName (mode 0700), and gives the copy's full path. Nothing is written
// when another user could change parent (it belongs to a user other than this one and root, or it
// or a folder above it is writable by others without the sticky bit): that fails with
// ERROR_ACCESS_DENIED. Every other failure carries the code of the step that failed, as a copy
// reports it (a missing parent ERROR_PATH_NOT_FOUND, a full disk ERROR_DISK_FULL, ...); what was
// made is removed again.
DWORD CopyIntoPrivateFolder(std::u16string_view source, std::u16string_view parent, std::u16string_view fileName,
                            std::u16string& copyPath);

} // namespace platform
