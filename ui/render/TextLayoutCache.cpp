// Laying plain text out measures it at every break opportunity, which costs several times what
// drawing the laid-out lines costs; labels repaint the same few texts over and over (a percentage
// beside an animated bar repaints with every frame of the bar).
#include "ui/render/TextLayoutCache.h"

#include <algorithm>

namespace ui {

CTextLayoutCache& CTextLayoutCache::ForThisThread()
{
    thread_local CTextLayoutCache cache;
    return cache;
}

const platform::TextLayout& CTextLayoutCache::Layout(const platform::Font& font, const char16_t* text, int length,
                                                     const platform::Rect& rect, UINT format)
{
    const std::u16string_view wanted(text, std::size_t(std::max(length, 0)));
    ++m_clock;
    for (TEntry& e : m_entries) {
        if (e.format == format && e.font == font && e.rect.left == rect.left && e.rect.top == rect.top &&
            e.rect.right == rect.right && e.rect.bottom == rect.bottom && e.text == wanted) {
            e.lastUse = m_clock;
            return *e.layout;
        }
    }
    TEntry* slot = nullptr;
    if (m_entries.size() < kCapacity) {
        slot = &m_entries.emplace_back();
    } else {
        slot = &*std::min_element(m_entries.begin(), m_entries.end(),
                                  [](const TEntry& a, const TEntry& b) { return a.lastUse < b.lastUse; });
    }
    slot->font = font;
    slot->text.assign(wanted);
    slot->rect = rect;
    slot->format = format;
    slot->layout =
        std::make_unique<platform::TextLayout>(font, slot->text.data(), int(slot->text.size()), rect, format);
    slot->lastUse = m_clock;
    return *slot->layout;
}

} // namespace ui
