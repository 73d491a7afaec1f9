// IRenderResources: what drawing looks up while it paints a window: fonts by number, images by
// name, the text colours of links and selections, the mouse position for hovered links and the
// language texts of %{n} tokens. The window manager implements it over its resource tables, so
// rendering needs nothing of the layers above it.
#pragma once

#include "platform/Font.h"
#include "ui/core/UIRect.h"
#include "ui/core/UIString.h"

#include <cstdint>

namespace ui {

struct TImageRecord;

// Which level of a resource table a registration or removal addresses.
enum class ResourceScope
{
    Window,
    Shared,
};

// An entry of a font table. The font is a shared handle; the metrics are measured on first use
// (a zero height means not measured yet).
struct TFontInfo
{
    platform::Font font;
    CUIString faceName;
    int size = 0;
    bool bold = false;
    bool underline = false;
    bool italic = false;
    bool strikeout = false;
    platform::TextMetrics metrics;
};

class IRenderResources
{
public:
    // The font of that id; the default font when there is none (or id < 0).
    virtual platform::Font LookupFont(int id) = 0;
    virtual TFontInfo* LookupFontInfo(int id) = 0;
    virtual TFontInfo* DefaultFontInfo() = 0;
    // A registered font with exactly these attributes; null if none.
    virtual platform::Font FindFont(const char16_t* name, int size, bool bold, bool underline, bool italic,
                                    bool strikeout) = 0;
    virtual platform::Font RegisterFont(int id, const char16_t* name, int size, bool bold, bool underline, bool italic,
                                        bool strikeout, ResourceScope scope = ResourceScope::Window) = 0;
    virtual int FontCount(ResourceScope scope) const = 0;

    // The image of that name, loaded and stored on first use; null when it does not load.
    virtual TImageRecord* LookupOrLoadImage(const char16_t* name, const char16_t* type = nullptr,
                                            std::uint32_t mask = 0, bool keepPristine = false) = 0;

    virtual std::uint32_t LinkColor() const = 0;
    virtual std::uint32_t LinkHoverColor() const = 0;
    virtual std::uint32_t SelectedColor() const = 0;
    virtual CUIPoint LastMousePos() const = 0;
    // Replaces every %{n} token whose id has a text; others stay as written.
    virtual void ExpandTextTokens(CUIString& text) const = 0;

protected:
    ~IRenderResources() = default;
};

} // namespace ui
