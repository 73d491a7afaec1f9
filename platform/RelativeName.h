// Names relative to a folder, as the confined directories take them: '/' and '\' both separate
// components, so a name means the same below a folder on every system.
#pragma once

#include <string_view>
#include <vector>

namespace platform {

// The components of `name` without empty and "." components (views into `name`). False, with no
// components, when the name is absolute, has a ".." component, or names nothing below the folder.
bool RelativeNameComponents(std::string_view name, std::vector<std::string_view>& components);

} // namespace platform
