// Process identity and environment: environment variables and the full path of the running
// executable, the two things start-up needs to decide where the program runs from, and where the
// program keeps what it records.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The value of an environment variable. False when it is not set (an empty value is set).
bool GetEnvironmentVariable(std::u16string_view name, std::u16string& value);

// The full path of the running executable; empty when the system cannot tell.
std::u16string GetModuleFileName();

// The separator of the system's own paths (the executable's path, TEMP): '\\' on Windows, '/' on
// Linux.
char16_t PathSeparator();

// Where the program keeps a file it writes about its runs, by the file's name: beside the registry
// store on Linux (the store is a file of our own there), in the machine's common application data
// folder on Windows ("C:\ProgramData\Tarvion\NAME"). The folders on the way need not exist.
std::u16string StateFilePath(std::u16string_view name);

} // namespace platform
