// uninstall.exe: the platform's entry point hands over to the uninstaller's own entry function.
#include "app/Startup.h"
#include "platform/ProgramEntry.h"

int ProgramMain(const platform::ProgramStart& start)
{
    return UninstallerEntry(start.instance, nullptr, start.commandLine.c_str(), start.showCommand);
}
