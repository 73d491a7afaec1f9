// The last plain-text layouts made on this thread, so that a control repainting the same text in
// the same place draws it without laying it out again.
#pragma once

#include "platform/DeviceContext.h"
#include "platform/TextLayout.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ui {

class CTextLayoutCache
{
public:
    // The cache of the calling thread (painting happens on each window's own thread).
    static CTextLayoutCache& ForThisThread();

    // The layout of `text` in `rect` by `format` with `font`: a kept one when all four match, else
    // a new one, which replaces the least recently used when the cache is full.
    const platform::TextLayout& Layout(const platform::Font& font, const char16_t* text, int length,
                                       const platform::Rect& rect, UINT format);

    std::size_t Size() const { return m_entries.size(); }
    static constexpr std::size_t kCapacity = 32;

private:
    struct TEntry
    {
        platform::Font font; // held, so that a freed font's address never matches a new one
        std::u16string text;
        platform::Rect rect;
        UINT format = 0;
        std::unique_ptr<platform::TextLayout> layout;
        std::uint64_t lastUse = 0;
    };
    std::vector<TEntry> m_entries;
    std::uint64_t m_clock = 0;
};

} // namespace ui
