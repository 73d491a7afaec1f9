// Text in the desktop's own sans face, the look of the window system's tooltips: measured, and
// drawn in black, word-wrapped at a width when one is given. The drawing backend provides it.
#pragma once

#include <string>

#include "platform/PixelBuffer.h"
#include "platform/Win32Defs.h"

namespace platform {

// The text's size in pixels at `size` pixels, wrapped at `wrapWidth` when that is positive.
SIZE MeasureSystemText(const std::u16string& text, int size, int wrapWidth);
// Draws the text with its top-left corner at `origin`.
void DrawSystemText(const PixelBuffer& pixels, const std::u16string& text, int size, int wrapWidth, POINT origin);

} // namespace platform
