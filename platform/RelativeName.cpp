#include "platform/RelativeName.h"

namespace platform {

bool RelativeNameComponents(std::string_view name, std::vector<std::string_view>& components)
{
    components.clear();
    if (name.empty() || name.front() == '/' || name.front() == '\\')
        return false;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = start;
        while (end < name.size() && name[end] != '/' && name[end] != '\\')
            ++end;
        const std::string_view part = name.substr(start, end - start);
        if (part == "..") {
            components.clear();
            return false;
        }
        if (!part.empty() && part != ".")
            components.push_back(part);
        start = end + 1;
    }
    return !components.empty();
}

} // namespace platform
