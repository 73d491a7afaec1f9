#include "platform/RelativeName.h"

namespace platform {

bool RelativeNameComponents(std::string_view name, std::vector<std::string_view>& components)
{
    components.clear();
    if (!ForEachRelativeComponent(name, [&](std::string_view part) { components.push_back(part); })) {
        components.clear();
        return false;
    }
    return !components.empty();
}

} // namespace platform
