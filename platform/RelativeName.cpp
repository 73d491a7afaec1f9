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

bool SplitRelativeName(std::string_view name, std::string& parent, std::string_view& leaf)
{
    parent.clear();
    std::string_view last;
    const bool relative = ForEachRelativeComponent(name, [&](std::string_view part) {
        if (!last.empty()) {
            if (!parent.empty())
                parent.push_back('/');
            parent.append(last);
        }
        last = part;
    });
    if (!relative || last.empty()) {
        parent.clear();
        leaf = {};
        return false;
    }
    leaf = last;
    return true;
}

} // namespace platform
