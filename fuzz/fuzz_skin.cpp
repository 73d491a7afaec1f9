// The skin end to end: the input is main.xml; it is built (definitions, window attributes, the
// control tree, includes of itself and of a second file, the sample picture), laid out and painted
// in a headless window.
#include "FuzzSupport.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::uint8_t> self(data, data + size);
    static const std::string second = "<VerticalLayout><Label text=\"{b}x{/b}\" showhtml=\"true\"/><Button "
                                      "text=\"b\" normalimage=\"a.png\"/></VerticalLayout>";
    fuzzing::ServeFiles({{u"1", self}, {u"2", std::vector<std::uint8_t>(second.begin(), second.end())}});
    fuzzing::RunSkin(nullptr);
    fuzzing::ServeFiles({});
    return 0;
}
