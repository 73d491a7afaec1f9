// The window manager's process-wide state (skin settings, the shared resource tables, the list of
// managers and plug-ins) and the small helpers its parts share. Private to the manager's own source
// files; everything runs on the UI thread.
#pragma once

#include "platform/WindowSystem.h"
#include "ui/manager/WindowManager.h"

#include <algorithm>
#include <string>
#include <vector>

namespace ui::detail {

// Indices of the five default text colours, in the order the tables list them.
enum SharedColor
{
    kDisabledColor,
    kFontColor,
    kLinkColor,
    kLinkHoverColor,
    kSelectedColor,
    kColorCount
};

struct SharedState
{
    HINSTANCE appInstance = nullptr;
    HINSTANCE resourceInstance = nullptr;

    bool colorShiftOn = false;
    short hue = 180;
    short saturation = 100;
    short lightness = 100;

    CPtrArray managers;
    CPtrArray plugins;
    std::vector<void*> pluginLibraries;
    std::vector<int> memoryFonts;

    CFontTable fonts;         // by decimal id
    CImageTable images;       // by name
    CTextTable defaultLists;  // by class name
    CTextTable languageTexts; // by decimal id

    TFontInfo defaultFont;
    bool initialised = false; // the shared default font and colours are set up
    std::uint32_t colors[kColorCount] = {0xFFA7A6AA, 0xFF000000, 0xFF0000FF, 0xFFD3215F, 0xFFBAE4FF};
};

SharedState& Shared();

// Builds a font by the system GUI font with the given face, pixel size and styles; null on failure.
platform::Font CreateUiFont(const char16_t* face, int size, bool bold, bool underline, bool italic, bool strikeout);

// Decimal text of an id, the key of the font and language tables.
CUIString IdKey(int id);

inline platform::WindowSystem& Win()
{
    return platform::Windows();
}

// The lists of listeners, filters and translators: appended in order, null refused.
template <typename T> bool AppendIfSet(std::vector<T*>& list, T* item)
{
    if (item == nullptr)
        return false;
    list.push_back(item);
    return true;
}

// Removes the first entry equal to item; false when there is none.
template <typename T> bool EraseFirst(std::vector<T*>& list, T* item)
{
    const auto it = std::find(list.begin(), list.end(), item);
    if (it == list.end())
        return false;
    list.erase(it);
    return true;
}

template <typename T> bool Contains(const std::vector<T*>& list, const T* item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

} // namespace ui::detail
