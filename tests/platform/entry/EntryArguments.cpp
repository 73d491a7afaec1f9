// A program on the platform's entry point that checks what it was given: run with the arguments
// below (see CMakeLists.txt), it exits with 0 only when each arrived intact as UTF-16, with the
// instance set; otherwise it prints what it got and exits with 1.
#include "platform/ProgramEntry.h"
#include "platform/TextEncoding.h"

#include <cstdio>

int ProgramMain(const platform::ProgramStart& start)
{
    const std::vector<std::u16string> expected = {u"Привет", u"two words", u"ü€𝄞", u"last"};
    bool ok = start.instance != nullptr && start.arguments == expected;
    ok = ok && start.commandLine.find("last") != std::string::npos;
    if (!ok) {
        std::printf("instance %p, %zu arguments:\n", static_cast<void*>(start.instance), start.arguments.size());
        for (const std::u16string& argument : start.arguments)
            std::printf("  [%s]\n", platform::Utf16ToUtf8(argument).c_str());
    }
    return ok ? 0 : 1;
}
