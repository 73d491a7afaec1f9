// The installation manifest: both readers over the bytes as text. They must agree.
#include "app/Manifest.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto names = ReadManifestNames(text);
    const auto viaReader = ReadManifestNamesWithReader(text);
    (void)names;
    (void)viaReader;
    return 0;
}
