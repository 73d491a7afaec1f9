// Text joined by appending to one string. GCC 12 warns falsely (-Warray-bounds) on chains of
// operator+ that start from a short temporary string, depending on how the calls get inlined (the
// precompiled test headers change that); appending to one reserved string leaves it nothing to
// misread.
#pragma once

#include <string>
#include <string_view>

namespace tvtest {

template <typename... Parts> std::string Joined(const Parts&... parts)
{
    std::string text;
    text.reserve((std::string_view(parts).size() + ... + 0));
    (text.append(std::string_view(parts)), ...);
    return text;
}

} // namespace tvtest
