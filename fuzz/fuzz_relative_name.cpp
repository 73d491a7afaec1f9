// Relative names, as a manifest hands them to the confined directories: any bytes go to the
// component scan and to the split into folder part and last component, which must agree with each
// other and never let a name climb out of its folder or start at the root.
#include "platform/RelativeName.h"

#include <string>

namespace {

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view name(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> components;
    const bool listed = platform::RelativeNameComponents(name, components);
    std::string parent;
    std::string_view leaf = "unset";
    const bool split = platform::SplitRelativeName(name, parent, leaf);
    if (listed != split)
        __builtin_trap();
    if (!listed) {
        if (!components.empty() || !parent.empty() || !leaf.empty())
            __builtin_trap();
        return 0;
    }
    if (name.empty() || IsSeparator(name.front()))
        __builtin_trap();
    std::string joined;
    for (std::size_t i = 0; i < components.size(); ++i) {
        const std::string_view part = components[i];
        // Every component is a piece of the name itself, and none is empty, "." or "..".
        if (part.empty() || part == "." || part == ".." || part.data() < name.data() ||
            part.data() + part.size() > name.data() + name.size())
            __builtin_trap();
        for (char c : part)
            if (IsSeparator(c))
                __builtin_trap();
        if (i + 1 < components.size()) {
            if (!joined.empty())
                joined.push_back('/');
            joined.append(part);
        }
    }
    if (leaf != components.back() || leaf.data() != components.back().data() || parent != joined)
        __builtin_trap();
    return 0;
}
