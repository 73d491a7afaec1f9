// The window manager's process-wide state: skin settings, the shared resource tables, the list of
// managers and plug-ins. Private to the manager's own source files; everything runs on the UI thread.
#pragma once

#include "ui/manager/WindowManager.h"

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

    CStringPtrMap fonts;         // decimal id -> TFontInfo*
    CStringPtrMap images;        // name -> TImageRecord*
    CStringPtrMap defaultLists;  // class name -> CUIString*
    CStringPtrMap languageTexts; // decimal id -> CUIString*

    TFontInfo defaultFont;
    bool initialised = false; // the shared default font and colours are set up
    std::uint32_t colors[kColorCount] = {0xFFA7A6AA, 0xFF000000, 0xFF0000FF, 0xFFD3215F, 0xFFBAE4FF};

    ~SharedState();
};

SharedState& Shared();

// Deletes every TFontInfo, TImageRecord or CUIString value of a table and empties it.
void FreeFontTable(CStringPtrMap& table);
void FreeImageTable(CStringPtrMap& table);
void FreeStringTable(CStringPtrMap& table);

// Builds a font by the system GUI font with the given face, pixel size and styles; null on failure.
platform::Font CreateUiFont(const char16_t* face, int size, bool bold, bool underline, bool italic, bool strikeout);

// Decimal text of an id, the key of the font and language tables.
CUIString IdKey(int id);

} // namespace ui::detail
