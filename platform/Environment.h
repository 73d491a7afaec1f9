// Process identity and environment: environment variables and the full path of the running
// executable, the two things start-up needs to decide where the program runs from.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The value of an environment variable. False when it is not set (an empty value is set).
bool GetEnvironmentVariable(std::u16string_view name, std::u16string& value);

// The full path of the running executable; empty when the system cannot tell.
std::u16string GetModuleFileName();

} // namespace platform
