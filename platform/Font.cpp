// What a font is apart from its drawing backend: its value semantics (a shared, immutable record)
// and the settling of the metrics the backend measured.
#include "platform/Font.h"

#include <algorithm>

#include "platform/FontMetricsFallback.h"

namespace platform {

Font::Font() = default;
Font::~Font() = default;
Font::Font(const Font&) = default;
Font& Font::operator=(const Font&) = default;

void SettleTextMetrics(TextMetrics& m, int pixelSize)
{
    if (m.height <= 0) {
        // No usable font data: keep layout arithmetic sane with a line of the em size.
        m.ascent = pixelSize;
        m.height = m.ascent;
    }
    m.averageCharWidth = std::max(m.averageCharWidth, 1);
    m.maxCharWidth = std::max(m.maxCharWidth, m.averageCharWidth);
}

} // namespace platform
