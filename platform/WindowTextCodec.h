// UTF-16 window texts to and from the UTF-8 that display servers, files and environment variables use.
#pragma once

#include <string>

namespace platform {

// Invalid sequences become U+FFFD.
std::string WindowTextToUtf8(const std::u16string& text);
std::u16string WindowTextFromUtf8(const std::string& text);

} // namespace platform
