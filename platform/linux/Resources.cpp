// Linux executables carry no resource section: every resource is registered at run time.
#include "platform/Resources.h"

namespace platform {

std::span<const std::uint8_t> FindExecutableResource(std::u16string_view, int)
{
    return {};
}

} // namespace platform
