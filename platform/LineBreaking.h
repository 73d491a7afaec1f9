// Where a paragraph of plain text breaks into lines at a width, between words only, as the drawing
// backend's text engine finds it (a word wider than the line keeps a line of its own). TextLayout
// uses it for DT_WORDBREAK; the drawing backend provides it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/Font.h"

namespace platform {

// The [begin, end) ranges of UTF-16 indices of each line in order, covering the whole paragraph
// (the spaces at a break belong to the line before it). At least one range for a non-empty text.
std::vector<std::pair<int, int>> BreakIntoLines(const Font& font, const std::u16string& text, int width);

} // namespace platform
