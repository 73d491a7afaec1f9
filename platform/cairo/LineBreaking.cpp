// Line breaking over Pango: its word wrapping at the width, with UTF-8 byte offsets turned back
// into UTF-16 indices.
#include "platform/LineBreaking.h"

#include <algorithm>

#include "platform/cairo/CairoShared.h"

namespace platform {

std::vector<std::pair<int, int>> BreakIntoLines(const Font& font, const std::u16string& text, int width)
{
    std::vector<int> offsets;
    const std::string utf8 = cairo::ToUtf8(text.data(), static_cast<int>(text.size()), &offsets);
    PangoLayout* layout = cairo::CreateLayout(cairo::SharedPangoContext(), font, utf8);
    pango_layout_set_width(layout, width * PANGO_SCALE);
    // As with GDI, lines break between words only; a word wider than the line keeps a line of its
    // own and is clipped (or cut with an ellipsis).
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD);

    // Byte offsets back to UTF-16 indices.
    auto toIndex = [&offsets](int byte) {
        return static_cast<int>(std::lower_bound(offsets.begin(), offsets.end(), byte) - offsets.begin());
    };
    std::vector<std::pair<int, int>> ranges;
    for (GSList* l = pango_layout_get_lines_readonly(layout); l; l = l->next) {
        const PangoLayoutLine* line = static_cast<const PangoLayoutLine*>(l->data);
        ranges.emplace_back(toIndex(line->start_index), toIndex(line->start_index + line->length));
    }
    g_object_unref(layout);
    return ranges;
}

} // namespace platform
