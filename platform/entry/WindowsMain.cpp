// The entry point on Windows: wWinMain (the programs link with -municode), the command line split
// by the shell's own rules, so quoted arguments come out as they would for any Windows program.
#include "platform/ProgramEntry.h"
#include "platform/TextEncoding.h"

#include <shellapi.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand)
{
    platform::ProgramStart start;
    start.instance = instance;
    start.showCommand = showCommand;
    start.commandLine = platform::Utf16ToUtf8(platform::Utf16Text(commandLine ? commandLine : L""));
    int count = 0;
    if (LPWSTR* words = ::CommandLineToArgvW(::GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i)
            start.arguments.emplace_back(platform::Utf16Text(words[i]));
        ::LocalFree(words);
    }
    return ProgramMain(start);
}
