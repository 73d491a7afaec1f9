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

// The bytes of a resource; an empty span when there is none. The executable's own resource
// section comes first, then what was registered. Types compare ignoring ASCII case.
std::span<const std::uint8_t> FindResource(std::u16string_view type, int id);

// The resources the system itself keeps in the executable (a Windows resource section, compiled
// from a resource script); an empty span where the system keeps none. Implemented by the backend.
std::span<const std::uint8_t> FindExecutableResource(std::u16string_view type, int id);

} // namespace platform
