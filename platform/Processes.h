// Process services: a snapshot of the running processes with their executable file names,
// forced termination, and detached start of helper programs.
#pragma once

#include <string>
#include <vector>

namespace platform {

struct ProcessEntry
{
    int pid = 0;
    std::u16string exeFileName; // the bare file name of the executable, without its folder
};

// Every process visible in /proc. A process whose executable cannot be read (another user's,
// without privilege, or a kernel thread) is listed with an empty name, since its self-chosen
// command name proves nothing. Zombies are left out.
std::vector<ProcessEntry> SnapshotProcesses();

// Ends the process at once (SIGKILL). False when it cannot be signalled or does not exist.
bool TerminateProcess(int pid);

// True while the process exists and has not yet ended (a zombie counts as ended).
bool IsProcessRunning(int pid);

// Starts a program in a session of its own, detached from this process (it is not this
// process's child and needs no reaping), with standard streams on /dev/null. Returns its pid,
// or -1 when it could not be started.
int StartDetachedProcess(const std::string& program, const std::vector<std::string>& arguments);

} // namespace platform
