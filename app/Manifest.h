// Reading the installation manifest uninstall.dat: a JSON array of objects whose "name" members
// list, in order, the files and folders of the installation relative to its directory.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The names the manifest text lists, in index order, as UTF-8. The list ends at the first element
// without a "name", with an empty one, or at the end of the array. Text that is not JSON, or whose
// top level is not an array, lists nothing; an element that is not an object, or whose "name" is
// an array or object, ends the list there, so only the well-formed elements before it count.
std::vector<std::string> ReadManifestNames(std::string_view text);

// The same names; false when the text is not JSON, its top level is not an array, or an element
// that is not an object (or a "name" that is an array or object) ended the list early. The names
// before such an element are given either way.
bool ParseManifestNames(std::string_view text, std::vector<std::string>& names);

// The largest manifest read, in bytes. A larger one is treated as unreadable, so a hostile file
// cannot make the read take memory without bound.
inline constexpr std::size_t kManifestSizeLimit = std::size_t(64) << 20;

// The same, always through the JSON reader. ReadManifestNames first tries a scanner for the plain
// form installers write (objects with only a "name" string free of escapes), which gives the same
// names at a fraction of the cost, and hands any other text to the reader.
std::vector<std::string> ReadManifestNamesWithReader(std::string_view text);
