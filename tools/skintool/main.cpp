// skintool: packs skin folders into encrypted archives and looks inside them.
// Commands are rows of the table below; each lives in a file of its own.
#include "tools/skintool/Commands.h"

#include <iostream>
#include <string_view>

namespace {

struct Command
{
    std::string_view name;
    std::string_view synopsis;
    int (*run)(const skintool::Arguments& args);
};

constexpr Command kCommands[] = {
    {"pack", "pack DIR OUT.zip [--password P] [--include-all]", skintool::RunPack},
    {"list", "list ARCHIVE [--password P]", skintool::RunList},
    {"cat", "cat ARCHIVE MEMBER [--password P]", skintool::RunCat},
    {"check", "check FILE.xml | check ARCHIVE MEMBER [--password P] [--strict]", skintool::RunCheck},
    {"render",
     "render SKIN [--password P] [--size WxH] [--scale S] [--state NAME=hot|pushed|focused|selected|disabled]... --out "
     "FILE.png",
     skintool::RunRender},
    {"preview", "preview FILE.xml [--rebuilds N]", skintool::RunPreview},
};

int PrintUsage()
{
    std::cerr << "usage:\n";
    for (const Command& c : kCommands)
        std::cerr << "  skintool " << c.synopsis << '\n';
    return skintool::kExitUsage;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return PrintUsage();
    const std::string_view name = argv[1];
    for (const Command& c : kCommands) {
        if (c.name != name)
            continue;
        int code = c.run(skintool::Arguments(argv + 2, argv + argc));
        return code == skintool::kExitUsage ? PrintUsage() : code;
    }
    return PrintUsage();
}
