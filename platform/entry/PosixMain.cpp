// The entry point on POSIX systems: argv is UTF-8 (malformed bytes are replaced).
#include "platform/ProgramEntry.h"
#include "platform/TextEncoding.h"

namespace {
// Stands for the program wherever the framework asks for its instance.
char s_programImage;
} // namespace

int main(int argc, char** argv)
{
    platform::ProgramStart start;
    start.instance = reinterpret_cast<HINSTANCE>(&s_programImage);
    for (int i = 1; i < argc; ++i) {
        start.arguments.push_back(platform::Utf8ToUtf16(argv[i]));
        if (i > 1)
            start.commandLine += ' ';
        start.commandLine += argv[i];
    }
    return ProgramMain(start);
}
