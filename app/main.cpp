// uninstall.exe: the program's entry hands over to the uninstaller's own entry function.
#include "app/Startup.h"

namespace {
// Stands for this program wherever the framework asks for its instance.
char s_programImage;
} // namespace

int main()
{
    return UninstallerEntry(reinterpret_cast<HINSTANCE>(&s_programImage), nullptr, "", SW_SHOWNORMAL);
}
