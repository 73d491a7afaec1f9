// Embedded resources: bytes built into the executable and found by resource type and numeric id,
// as a Windows program finds its resources. The executable registers its resources before main
// runs (build-generated code calls RegisterResource from a static initialiser).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace platform {

// The resource type of icons: PNG pictures that WindowSystem::SetIconSource serves.
inline constexpr std::u16string_view kIconResourceType = u"ICON";

// Adds a resource; the bytes must live as long as the process. A later registration of the same
// type and id replaces the earlier one. Returns true so that it can initialise a static.
bool RegisterResource(std::u16string_view type, int id, const std::uint8_t* data, std::size_t size);

// The bytes of a resource; an empty span when there is none. Types compare ignoring ASCII case.
std::span<const std::uint8_t> FindResource(std::u16string_view type, int id);

} // namespace platform
