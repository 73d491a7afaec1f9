// Shell services: the silent, permanent, recursive deletion of one path and the per-user Start
// Menu folder.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Deletes a file, a symbolic link or a folder with everything in it, without asking, without a
// recycle bin, and without following any symbolic link met on the way (links are removed, their
// targets kept; a link given as the path itself is removed as a link). Returns 0 on success, else
// a Win32 error code (ERROR_FILE_NOT_FOUND when nothing is there).
int ShellDeletePath(std::u16string_view path);

// The current user's Start Menu folder: TVU_STARTMENU when set and not empty, else
// $XDG_DATA_HOME/applications, else $HOME/.local/share/applications. False when none of these
// can be formed. The folder is returned without a trailing separator and need not exist.
bool GetStartMenuFolder(std::u16string& folder);

} // namespace platform
