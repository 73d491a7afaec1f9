// Delayed work that outlives the process: starting a program, or deleting a file, a moment after
// this process has ended. Each runs in a detached child of its own (a new session, not this
// process's child, standard streams on /dev/null, no inherited descriptors). No shell is involved
// and no command line is built, so a path is only ever a path, whatever characters it holds.
#pragma once

#include <string_view>

namespace platform {

// After delayMs, runs the program at path with no arguments in this process's environment and
// current folder. False when the child could not be started; a later failure to run the program
// is not reported.
bool StartDelayedLaunch(std::u16string_view path, unsigned delayMs);

// After delayMs, removes the file or symbolic link at path (never a folder, never a link's target),
// and then the folder holding it when that is a private folder CopyIntoPrivateFolder made (by its
// name, owned by this user, mode 0700) and is left empty. False when the child could not be started.
bool StartDelayedDelete(std::u16string_view path, unsigned delayMs);

} // namespace platform
