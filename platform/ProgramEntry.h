// A program's entry point belongs to the platform layer: main on POSIX systems, wWinMain on
// Windows (library tvu_platform_entry). It turns the system's arguments into our strings and calls
// the program's own ProgramMain, whose result is the exit code. A program links tvu_platform_entry
// and defines ProgramMain instead of main.
#pragma once

#include <string>
#include <vector>

#include "platform/Win32Defs.h"

namespace platform {

struct ProgramStart
{
    HINSTANCE instance = nullptr;          // the program's own module (an address standing for it elsewhere)
    std::vector<std::u16string> arguments; // after the program's name, one entry per argument
    std::string commandLine;               // the same as one line, UTF-8, as the system gave it
    int showCommand = SW_SHOWNORMAL;       // how the main window is asked to appear
};

} // namespace platform

// Defined by the program.
int ProgramMain(const platform::ProgramStart& start);
