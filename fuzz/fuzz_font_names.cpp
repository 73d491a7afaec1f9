// Font files' name tables: the bytes (a font, a collection or anything else) go to the reader of
// family names, which must stay inside them and give each family once, never an empty one.
#include "platform/FontNames.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::u16string> families = platform::FontFamilyNames(data, size);
    for (auto it = families.begin(); it != families.end(); ++it) {
        if (it->empty() || std::find(it + 1, families.end(), *it) != families.end())
            __builtin_trap();
        // A name is read from the input's bytes: two for a character at least in a Windows
        // record, one in a Macintosh one.
        if (it->size() > size)
            __builtin_trap();
    }
    return 0;
}
