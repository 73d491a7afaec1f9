// What the tests that run skintool as a process share: where the program is and how to write the
// skin files they hand it.
#pragma once

#include "tests/ui/skin/ZipTestSupport.h"

#include <string>

namespace skintooltest {

inline const std::string kSkintool = TVU_BINARY_DIR "/tools/skintool/skintool";

inline void WriteText(const ziptest::fs::path& path, const std::string& text)
{
    ziptest::WriteFile(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

} // namespace skintooltest
