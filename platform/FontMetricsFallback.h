// The part of measuring a font that every drawing backend shares: what the metrics become where
// the system gave no usable ones.
#pragma once

#include "platform/Font.h"

namespace platform {

// Settles measured metrics for layout: with no usable font data (no height) a line of the em
// size `pixelSize`; character widths of at least one pixel, the widest at least the average.
void SettleTextMetrics(TextMetrics& metrics, int pixelSize);

} // namespace platform
