// Names relative to a folder, as the confined directories take them: '/' and '\' both separate
// components, so a name means the same below a folder on every system.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Calls part(component) for every component of `name` but empty and "." ones, in order, as views
// into `name`. False when the name is absolute or has a ".." component; a ".." is found only where
// the scan reaches it, so part may have been called for the components before it.
template <typename Part> bool ForEachRelativeComponent(std::string_view name, Part&& part)
{
    if (name.empty() || name.front() == '/' || name.front() == '\\')
        return false;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = start;
        while (end < name.size() && name[end] != '/' && name[end] != '\\')
            ++end;
        const std::string_view component = name.substr(start, end - start);
        if (component == "..")
            return false;
        if (!component.empty() && component != ".")
            part(component);
        start = end + 1;
    }
    return true;
}

// The components of `name` without empty and "." components (views into `name`). False, with no
// components, when the name is absolute, has a ".." component, or names nothing below the folder.
bool RelativeNameComponents(std::string_view name, std::vector<std::string_view>& components);

// The same check, cutting the name into its folder part (the components before the last, joined by
// '/') and its last component (a view into `name`), without a list of components: a removal runs
// it once or twice for every entry of a manifest of possibly 100,000 names. False, with both
// empty, where RelativeNameComponents is false.
bool SplitRelativeName(std::string_view name, std::string& parent, std::string_view& leaf);

} // namespace platform
