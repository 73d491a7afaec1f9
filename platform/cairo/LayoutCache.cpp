// The last strings this thread shaped, kept as Pango layouts: measuring a run of text and then
// drawing it (or painting the same label again) shapes it once instead of every time.
#include "platform/cairo/CairoShared.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace platform::cairo {

namespace {

// Few entries are enough for a paint's measure-then-draw and for labels repainted unchanged; long
// strings are not kept, so the cache stays small whatever is drawn.
constexpr std::size_t kCapacity = 64;
constexpr int kLongestKept = 256;

class LayoutCache
{
public:
    ~LayoutCache()
    {
        for (Entry& e : m_entries)
            g_object_unref(e.layout);
    }

    PangoLayout* Layout(const Font& font, const char16_t* text, int length)
    {
        if (length > kLongestKept)
            return CreateLayout(SharedPangoContext(), font, ToUtf8(text, length));
        const std::u16string_view key(text, static_cast<std::size_t>(length));
        Entry* oldest = nullptr;
        for (Entry& e : m_entries) {
            if (e.font == font && e.text == key) {
                e.lastUse = ++m_clock;
                return static_cast<PangoLayout*>(g_object_ref(e.layout));
            }
            if (!oldest || e.lastUse < oldest->lastUse)
                oldest = &e;
        }
        if (m_entries.size() < kCapacity) {
            PangoLayout* layout = CreateLayout(SharedPangoContext(), font, ToUtf8(text, length));
            m_entries.push_back({font, std::u16string(key), layout, ++m_clock});
            return static_cast<PangoLayout*>(g_object_ref(layout));
        }
        // The oldest entry's layout is given the new text when no caller still holds it; making a
        // layout object costs about as much as shaping a short string.
        if (G_OBJECT(oldest->layout)->ref_count == 1) {
            SetLayoutText(oldest->layout, font, ToUtf8(text, length));
        } else {
            g_object_unref(oldest->layout);
            oldest->layout = CreateLayout(SharedPangoContext(), font, ToUtf8(text, length));
        }
        oldest->font = font;
        oldest->text.assign(key);
        oldest->lastUse = ++m_clock;
        return static_cast<PangoLayout*>(g_object_ref(oldest->layout));
    }

private:
    struct Entry
    {
        Font font; // held, so that a freed font's address never matches a new one
        std::u16string text;
        PangoLayout* layout = nullptr;
        std::uint64_t lastUse = 0;
    };
    std::vector<Entry> m_entries;
    std::uint64_t m_clock = 0;
};

} // namespace

PangoLayout* SharedLayout(const Font& font, const char16_t* text, int length)
{
    // Pango objects belong to the thread whose context made them.
    thread_local LayoutCache cache;
    return cache.Layout(font, text, text ? std::max(length, 0) : 0);
}

} // namespace platform::cairo
