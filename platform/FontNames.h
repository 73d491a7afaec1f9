// The family names a font file declares in its 'name' table, read from the bytes alone (for the
// drawing backend over GDI, which adds private fonts by these names but does not say which they are).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// The family (name id 1) of every face of a TrueType or OpenType font or collection, each once,
// in the order of the faces: the Windows-platform English name where there is one, else the first
// Windows-platform name, else the Macintosh Roman one. Empty when the bytes are no such font; never
// reads outside them. The records read over all faces are bounded, so that no file keeps it busy
// for long: the faces of a collection beyond that bound give no names.
std::vector<std::u16string> FontFamilyNames(const std::uint8_t* data, std::size_t size);

} // namespace platform
