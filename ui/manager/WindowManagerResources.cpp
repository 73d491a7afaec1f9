// The window manager's resource tables and shared settings: fonts, images, default attribute lists,
// window attributes and extras, text colours, colour shift, language texts, private fonts, plug-ins.
#include "ui/manager/WindowManager.h"

#include "platform/PrivateFonts.h"
#include "platform/SharedLibrary.h"
#include "platform/TextEncoding.h"
#include "platform/WindowSystem.h"
#include "ui/controls/Control.h"
#include "ui/core/Limits.h"
#include "ui/core/LocalPath.h"
#include "ui/core/ValueParse.h"
#include "ui/manager/WindowManagerShared.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace ui {

using detail::Shared;

namespace detail {

platform::Font CreateUiFont(const char16_t* face, int size, bool bold, bool underline, bool italic, bool strikeout)
{
    platform::LogFont request = platform::Font::DefaultGuiLogFont();
    // A face name holds at most 31 characters, as the logical font record's field does.
    if (face != nullptr)
        request.face = std::u16string(face).substr(0, 31);
    request.pixelSize = size;
    // Bold is relative to the stock font: it adds weight to what that font has.
    request.bold = request.bold || bold;
    request.underline = underline;
    request.italic = italic;
    request.strikeout = strikeout;
    return platform::Font::Create(request);
}

} // namespace detail

namespace {

bool SameFont(const TFontInfo& info, const char16_t* name, int size, bool bold, bool underline, bool italic,
              bool strikeout)
{
    return info.faceName == (name != nullptr ? name : u"") && info.size == size && info.bold == bold &&
           info.underline == underline && info.italic == italic && info.strikeout == strikeout;
}

// The number a decimal table key stands for.
int KeyNumber(const char16_t* key)
{
    long long value = 0;
    bool negative = false;
    const char16_t* p = key;
    if (*p == u'-') {
        negative = true;
        ++p;
    }
    for (; *p >= u'0' && *p <= u'9' && value < 0x7FFFFFFFLL; ++p)
        value = value * 10 + (*p - u'0');
    if (value > 0x7FFFFFFFLL)
        value = 0x7FFFFFFFLL;
    return int(negative ? -value : value);
}

// ---- value forms of the window attributes ----

// Window attribute numbers are read in the C library's string-to-long form, clamped to ±(2^31 - 1).
void ParseIntList(const char16_t* text, int* out, int count)
{
    markup::ParseIntList(text, out, count, -0x7FFFFFFF, 0x7FFFFFFF);
}

// Hexadecimal ARGB after an optional leading '#' and white space.
std::uint32_t ParseColor(const char16_t* text)
{
    return markup::ParseHexColor(text, {markup::THexColorForm::Lead::None, true, false});
}

float ParseFloat(const char16_t* text)
{
    std::string narrow;
    for (; *text != 0 && *text < 0x80; ++text)
        narrow += char(*text);
    return std::strtof(narrow.c_str(), nullptr);
}

bool NameIs(const char16_t* name, const char16_t* wanted)
{
    return CUIString(name).CompareNoCase(wanted) == 0;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Fonts
// ---------------------------------------------------------------------------------------------

void CWindowManagerUI::MeasureFont(TFontInfo& info) const
{
    if (!info.font.IsNull())
        info.metrics = info.font.Metrics();
}

TFontInfo* CWindowManagerUI::DefaultFontLevel(ResourceScope scope)
{
    return IsShared(scope) ? &Shared().defaultFont : &m_defaultFont;
}

CFontTable& CWindowManagerUI::FontTable(ResourceScope scope)
{
    return IsShared(scope) ? Shared().fonts : m_fonts;
}

CImageTable& CWindowManagerUI::ImageTable(ResourceScope scope)
{
    return IsShared(scope) ? Shared().images : m_images;
}

CTextTable& CWindowManagerUI::DefaultListTable(ResourceScope scope)
{
    return IsShared(scope) ? Shared().defaultLists : m_defaultLists;
}

bool CWindowManagerUI::ChangeDefaultFont(const char16_t* name, int size, bool bold, bool underline, bool italic,
                                         bool strikeout, ResourceScope scope)
{
    platform::Font font = detail::CreateUiFont(name, size, bold, underline, italic, strikeout);
    if (font.IsNull())
        return false;
    TFontInfo& info = *DefaultFontLevel(scope);
    info.font = font;
    info.faceName = name != nullptr ? name : u"";
    info.size = size;
    info.bold = bold;
    info.underline = underline;
    info.italic = italic;
    info.strikeout = strikeout;
    info.metrics = platform::TextMetrics{};
    if (m_measureDC)
        MeasureFont(info);
    return true;
}

TFontInfo* CWindowManagerUI::DefaultFontInfo()
{
    TFontInfo* info = !m_defaultFont.faceName.IsEmpty() ? &m_defaultFont : &Shared().defaultFont;
    if (info->metrics.height == 0)
        MeasureFont(*info);
    return info;
}

platform::Font CWindowManagerUI::RegisterFont(int id, const char16_t* name, int size, bool bold, bool underline,
                                              bool italic, bool strikeout, ResourceScope scope)
{
    platform::Font font = detail::CreateUiFont(name, size, bold, underline, italic, strikeout);
    if (font.IsNull())
        return {};
    auto info = std::make_unique<TFontInfo>();
    info->font = font;
    info->faceName = name != nullptr ? name : u"";
    info->size = size;
    info->bold = bold;
    info->underline = underline;
    info->italic = italic;
    info->strikeout = strikeout;
    if (m_measureDC)
        MeasureFont(*info);
    if (FontTable(scope).Replace(detail::IdKey(id).CStr(), std::move(info)) == nullptr)
        return {};
    return font;
}

platform::Font CWindowManagerUI::LookupFont(int id)
{
    return LookupFontInfo(id)->font;
}

TFontInfo* CWindowManagerUI::LookupFontInfo(int id)
{
    TFontInfo* info = nullptr;
    if (id >= 0) {
        const CUIString key = detail::IdKey(id);
        info = m_fonts.Lookup(key.CStr());
        if (info == nullptr)
            info = Shared().fonts.Lookup(key.CStr());
    }
    if (info == nullptr)
        return DefaultFontInfo();
    if (info->metrics.height == 0)
        MeasureFont(*info);
    return info;
}

TFontInfo* CWindowManagerUI::LookupFontInfo(const platform::Font& font)
{
    if (!font.IsNull()) {
        for (CFontTable* table : {&m_fonts, &Shared().fonts}) {
            for (int i = 0; TFontInfo* info = table->ValueAt(i); ++i) {
                if (info->font == font) {
                    if (info->metrics.height == 0)
                        MeasureFont(*info);
                    return info;
                }
            }
        }
    }
    return DefaultFontInfo();
}

platform::Font CWindowManagerUI::FindFont(const char16_t* name, int size, bool bold, bool underline, bool italic,
                                          bool strikeout)
{
    for (CFontTable* table : {&m_fonts, &Shared().fonts}) {
        for (int i = 0; TFontInfo* info = table->ValueAt(i); ++i) {
            if (SameFont(*info, name, size, bold, underline, italic, strikeout))
                return info->font;
        }
    }
    return {};
}

int CWindowManagerUI::FindFontId(const platform::Font& font, ResourceScope scope) const
{
    auto& table = const_cast<CWindowManagerUI*>(this)->FontTable(scope);
    for (int i = 0; TFontInfo* info = table.ValueAt(i); ++i) {
        if (info->font == font)
            return KeyNumber(table.KeyAt(i));
    }
    return -1;
}

int CWindowManagerUI::FindFontId(const char16_t* name, int size, bool bold, bool underline, bool italic, bool strikeout,
                                 ResourceScope scope) const
{
    auto& table = const_cast<CWindowManagerUI*>(this)->FontTable(scope);
    for (int i = 0; TFontInfo* info = table.ValueAt(i); ++i) {
        if (SameFont(*info, name, size, bold, underline, italic, strikeout))
            return KeyNumber(table.KeyAt(i));
    }
    return -1;
}

bool CWindowManagerUI::DropFont(const platform::Font& font, ResourceScope scope)
{
    CFontTable& table = FontTable(scope);
    for (int i = 0; TFontInfo* info = table.ValueAt(i); ++i) {
        if (info->font == font) {
            const CUIString key = table.KeyAt(i);
            return table.Erase(key.CStr());
        }
    }
    return false;
}

bool CWindowManagerUI::DropFontById(int id, ResourceScope scope)
{
    return FontTable(scope).Erase(detail::IdKey(id).CStr());
}

void CWindowManagerUI::DropAllFonts(ResourceScope scope)
{
    FontTable(scope).Clear();
}

int CWindowManagerUI::FontCount(ResourceScope scope) const
{
    return const_cast<CWindowManagerUI*>(this)->FontTable(scope).GetCount();
}

// ---------------------------------------------------------------------------------------------
// Images
// ---------------------------------------------------------------------------------------------

namespace {

// Keeps the converted pixels as the source of every later recolouring.
void TakePristineCopy(TImageRecord& record)
{
    record.pristinePixels.reset();
    if (!record.useHsl || record.pixels == nullptr)
        return;
    const std::size_t bytes = std::size_t(record.width) * std::size_t(record.height) * 4;
    record.pristinePixels.reset(new (std::nothrow) std::uint8_t[bytes]);
    if (record.pristinePixels)
        std::memcpy(record.pristinePixels.get(), record.pixels, bytes);
}

void ApplyCurrentShift(TImageRecord& record)
{
    const detail::SharedState& s = Shared();
    if (s.colorShiftOn)
        CImageLoader::ShiftImageHsl(true, &record, s.hue, s.saturation, s.lightness);
}

// Stores a record under a name, freeing an entry it replaces; frees the record when it cannot be stored.
TImageRecord* StoreImage(CImageTable& table, const char16_t* name, CImageTable::Owned record)
{
    return table.Replace(name, std::move(record));
}

// Loads a record again from the source it came from and takes over its pixels.
void ReloadTable(CImageTable& table)
{
    for (int i = 0; const char16_t* key = table.KeyAt(i); ++i) {
        TImageRecord* record = table.Lookup(key, false);
        if (record == nullptr || (record->bitmap != nullptr && record->pixels == nullptr))
            continue; // a directly registered bitmap has no source to reload from
        const char16_t* type = record->resourceType.IsEmpty() ? nullptr : record->resourceType.CStr();
        TImageRecord* fresh = CImageLoader::LoadImageRecord(key, type, record->maskColor);
        if (fresh == nullptr)
            continue;
        DeleteBitmap(record->bitmap);
        record->bitmap = fresh->bitmap;
        record->pixels = fresh->pixels;
        record->width = fresh->width;
        record->height = fresh->height;
        record->hasAlpha = fresh->hasAlpha;
        // The @2x picture is looked for again on the next scaled draw.
        record->detail.reset();
        record->detailLooked = false;
        fresh->bitmap = nullptr;
        fresh->pixels = nullptr;
        TakePristineCopy(*record);
        ApplyCurrentShift(*record);
        CImageLoader::FreeImageRecord(fresh, true);
    }
}

} // namespace

TImageRecord* CWindowManagerUI::RegisterImage(const char16_t* name, const char16_t* type, std::uint32_t mask,
                                              bool keepPristine, ResourceScope scope)
{
    if (name == nullptr || *name == 0)
        return nullptr;
    CImageTable::Owned record{CImageLoader::LoadImageRecord(name, type, mask)};
    if (record == nullptr)
        return nullptr;
    record->useHsl = keepPristine;
    if (type != nullptr)
        record->resourceType = type;
    record->maskColor = mask;
    TakePristineCopy(*record);
    ApplyCurrentShift(*record);
    UnresolveLayeredImage();
    return StoreImage(ImageTable(scope), name, std::move(record));
}

TImageRecord* CWindowManagerUI::RegisterBitmap(const char16_t* name, HBITMAP bitmap, int width, int height, bool alpha,
                                               ResourceScope scope)
{
    if (name == nullptr || *name == 0 || bitmap == nullptr || width <= 0 || height <= 0)
        return nullptr;
    CImageTable::Owned record{new TImageRecord};
    record->bitmap = bitmap;
    record->width = width;
    record->height = height;
    record->hasAlpha = alpha;
    UnresolveLayeredImage();
    return StoreImage(ImageTable(scope), name, std::move(record));
}

TImageRecord* CWindowManagerUI::RegisterPixels(const char16_t* name, const std::uint8_t* pixels, int width, int height)
{
    if (name == nullptr || *name == 0)
        return nullptr;
    CImageTable::Owned record{CImageLoader::ImageRecordFromPixels(pixels, width, height)};
    if (record == nullptr)
        return nullptr;
    UnresolveLayeredImage();
    return StoreImage(Shared().images, name, std::move(record));
}

TImageRecord* CWindowManagerUI::LookupImage(const char16_t* name)
{
    if (name == nullptr || *name == 0)
        return nullptr;
    TImageRecord* record = m_images.Lookup(name);
    if (record == nullptr)
        record = Shared().images.Lookup(name);
    return record;
}

TImageRecord* CWindowManagerUI::LookupOrLoadImage(const char16_t* name, const char16_t* type, std::uint32_t mask,
                                                  bool keepPristine)
{
    if (TImageRecord* record = LookupImage(name))
        return record;
    return RegisterImage(name, type, mask, keepPristine, ResourceScope::Window);
}

bool CWindowManagerUI::DropImage(const char16_t* name, ResourceScope scope)
{
    if (name == nullptr)
        return false;
    CImageTable& table = ImageTable(scope);
    TImageRecord* record = table.Lookup(name);
    if (record == nullptr)
        return false;
    if (m_layeredImage.image == record)
        UnresolveLayeredImage();
    return table.Erase(name);
}

void CWindowManagerUI::DropAllImages(ResourceScope scope)
{
    UnresolveLayeredImage();
    ImageTable(scope).Clear();
}

void CWindowManagerUI::ReloadSharedImages()
{
    ReloadTable(Shared().images);
}

void CWindowManagerUI::ReloadImages()
{
    ReloadTable(m_images);
    if (m_root != nullptr)
        m_root->Invalidate();
}

void CWindowManagerUI::ReloadAllSkins()
{
    ReloadSharedImages();
    const CPtrArray& managers = Shared().managers;
    for (int i = 0; i < managers.GetSize(); ++i)
        static_cast<CWindowManagerUI*>(managers[i])->ReloadImages();
}

// ---------------------------------------------------------------------------------------------
// Default attribute lists, window attributes and extras
// ---------------------------------------------------------------------------------------------

void CWindowManagerUI::RegisterDefaultAttributes(const char16_t* className, const char16_t* text, ResourceScope scope)
{
    if (className == nullptr || *className == 0 || text == nullptr)
        return;
    DefaultListTable(scope).Set(className, std::make_unique<CUIString>(text));
}

const char16_t* CWindowManagerUI::LookupDefaultAttributes(const char16_t* className)
{
    if (className == nullptr || *className == 0)
        return nullptr;
    const CUIString* text = m_defaultLists.Lookup(className);
    if (text == nullptr)
        text = Shared().defaultLists.Lookup(className);
    return text != nullptr ? text->CStr() : nullptr;
}

bool CWindowManagerUI::DropDefaultAttributes(const char16_t* className, ResourceScope scope)
{
    if (className == nullptr)
        return false;
    return DefaultListTable(scope).Erase(className);
}

void CWindowManagerUI::DropAllDefaultAttributes(ResourceScope scope)
{
    DefaultListTable(scope).Clear();
}

namespace {

// A window side from the skin: the window's picture is allocated in full, so it is bounded.
int WindowSide(int side)
{
    return std::clamp(side, 0, limits::kMaxWindowSide);
}

} // namespace

void CWindowManagerUI::SetWindowAttribute(const char16_t* name, const char16_t* value)
{
    if (name == nullptr || value == nullptr)
        return;
    int v[4];
    const CUIString exact(name);
    if (NameIs(name, u"size")) {
        ParseIntList(value, v, 2);
        SetInitialSize(WindowSide(v[0]), WindowSide(v[1]));
    } else if (NameIs(name, u"shadowsize")) {
        ParseIntList(value, v, 1);
        SetShadowSize(v[0]);
    } else if (NameIs(name, u"shadowcolor")) {
        SetShadowColor(ParseColor(value));
    } else if (NameIs(name, u"shadowfocusscales")) {
        SetShadowFocusScale(ParseFloat(value));
    } else if (NameIs(name, u"sizebox")) {
        ParseIntList(value, v, 4);
        SetSizeBox(CUIRect(v[0], v[1], v[2], v[3]));
    } else if (NameIs(name, u"caption")) {
        ParseIntList(value, v, 4);
        SetCaptionRect(CUIRect(v[0], v[1], v[2], v[3]));
    } else if (NameIs(name, u"roundcorner")) {
        ParseIntList(value, v, 2);
        SetRoundCorner(v[0], v[1]);
    } else if (NameIs(name, u"mininfo")) {
        ParseIntList(value, v, 2);
        SetMinTrackSize(WindowSide(v[0]), WindowSide(v[1]));
    } else if (NameIs(name, u"maxinfo")) {
        ParseIntList(value, v, 2);
        SetMaxTrackSize(WindowSide(v[0]), WindowSide(v[1]));
    } else if (NameIs(name, u"showdirty")) {
        SetShowDirty(markup::ParseBoolNoCase(value));
    } else if (exact == u"noactivate") {
        SetNoActivate(markup::ParseBoolNoCase(value));
    } else if (NameIs(name, u"opacity")) {
        ParseIntList(value, v, 1);
        SetOpacity(v[0]);
    } else if (exact == u"layeredopacity") {
        ParseIntList(value, v, 1);
        SetLayeredOpacity(v[0]);
    } else if (exact == u"layeredimage") {
        SetLayeredImage(value);
    } else if (NameIs(name, u"nolayeredpadding")) {
        ParseIntList(value, v, 4);
        SetLayeredInset(CUIRect(v[0], v[1], v[2], v[3]));
    } else if (NameIs(name, u"disabledfontcolor")) {
        SetDisabledColor(ParseColor(value));
    } else if (NameIs(name, u"defaultfontcolor")) {
        SetFontColor(ParseColor(value));
    } else if (NameIs(name, u"linkfontcolor")) {
        SetLinkColor(ParseColor(value));
    } else if (NameIs(name, u"linkhoverfontcolor")) {
        SetLinkHoverColor(ParseColor(value));
    } else if (NameIs(name, u"selectedcolor")) {
        SetSelectedColor(ParseColor(value));
    } else {
        RegisterWindowExtra(name, value);
    }
}

bool CWindowManagerUI::RegisterWindowExtra(const char16_t* name, const char16_t* value)
{
    if (name == nullptr || *name == 0 || value == nullptr || *value == 0)
        return false;
    if (m_windowExtras.Lookup(name) != nullptr)
        return false;
    return m_windowExtras.Insert(name, std::make_unique<CUIString>(value));
}

const char16_t* CWindowManagerUI::LookupWindowExtra(const char16_t* name)
{
    if (name == nullptr || *name == 0)
        return nullptr;
    const CUIString* text = m_windowExtras.Lookup(name);
    return text != nullptr ? text->CStr() : nullptr;
}

bool CWindowManagerUI::DropWindowExtra(const char16_t* name)
{
    if (name == nullptr)
        return false;
    return m_windowExtras.Erase(name);
}

void CWindowManagerUI::DropAllWindowExtras()
{
    m_windowExtras.Clear();
}

// ---------------------------------------------------------------------------------------------
// Colours
// ---------------------------------------------------------------------------------------------

void CWindowManagerUI::SetColor(std::uint32_t& windowColor, std::uint32_t& sharedColor, std::uint32_t color,
                                ResourceScope scope)
{
    if (scope != ResourceScope::Shared) {
        windowColor = color;
        return;
    }
    // A window colour that still follows the shared one moves with it; one the skin set stays.
    if (windowColor == sharedColor)
        windowColor = color;
    sharedColor = color;
}

void CWindowManagerUI::SetDisabledColor(std::uint32_t color, ResourceScope scope)
{
    SetColor(m_disabledColor, Shared().colors[detail::kDisabledColor], color, scope);
}

void CWindowManagerUI::SetFontColor(std::uint32_t color, ResourceScope scope)
{
    SetColor(m_fontColor, Shared().colors[detail::kFontColor], color, scope);
}

void CWindowManagerUI::SetLinkColor(std::uint32_t color, ResourceScope scope)
{
    SetColor(m_linkColor, Shared().colors[detail::kLinkColor], color, scope);
}

void CWindowManagerUI::SetLinkHoverColor(std::uint32_t color, ResourceScope scope)
{
    SetColor(m_linkHoverColor, Shared().colors[detail::kLinkHoverColor], color, scope);
}

void CWindowManagerUI::SetSelectedColor(std::uint32_t color, ResourceScope scope)
{
    SetColor(m_selectedColor, Shared().colors[detail::kSelectedColor], color, scope);
}

std::uint32_t CWindowManagerUI::SharedDefaultFontColor()
{
    return Shared().colors[detail::kFontColor];
}

// ---------------------------------------------------------------------------------------------
// Colour shift
// ---------------------------------------------------------------------------------------------

void CWindowManagerUI::SetColorShift(bool enabled, short hue, short saturation, short lightness)
{
    detail::SharedState& s = Shared();
    if (!enabled && !s.colorShiftOn)
        return;
    const bool switched = enabled != s.colorShiftOn;
    s.colorShiftOn = enabled;
    // Switching the shift on or off must recolour even with unchanged values, or images shifted
    // before would stay shifted after the shift was turned off.
    if (!switched && hue == s.hue && saturation == s.saturation && lightness == s.lightness)
        return;
    s.hue = hue < 0 ? 0 : (hue > 360 ? 360 : hue);
    s.saturation = saturation < 0 ? 0 : (saturation > 200 ? 200 : saturation);
    s.lightness = lightness < 0 ? 0 : (lightness > 200 ? 200 : lightness);
    auto recolour = [&s](CImageTable& table) {
        for (int i = 0; const char16_t* key = table.KeyAt(i); ++i) {
            TImageRecord* record = table.Lookup(key, false);
            if (record != nullptr && record->useHsl)
                CImageLoader::ShiftImageHsl(s.colorShiftOn, record, s.hue, s.saturation, s.lightness);
        }
    };
    recolour(s.images);
    for (int i = 0; i < s.managers.GetSize(); ++i) {
        auto* manager = static_cast<CWindowManagerUI*>(s.managers[i]);
        recolour(manager->m_images);
        if (manager->m_window != nullptr)
            platform::Windows().InvalidateRect(manager->m_window, nullptr, false);
    }
}

bool CWindowManagerUI::ColorShift(short& hue, short& saturation, short& lightness)
{
    const detail::SharedState& s = Shared();
    hue = s.hue;
    saturation = s.saturation;
    lightness = s.lightness;
    return s.colorShiftOn;
}

bool CWindowManagerUI::IsColorShiftOn()
{
    return Shared().colorShiftOn;
}

// ---------------------------------------------------------------------------------------------
// Language texts
// ---------------------------------------------------------------------------------------------

bool CWindowManagerUI::RegisterLanguageText(int id, const char16_t* text)
{
    if (text == nullptr)
        return false;
    const CUIString key = detail::IdKey(id);
    Shared().languageTexts.Set(key.CStr(), std::make_unique<CUIString>(text));
    return true;
}

const char16_t* CWindowManagerUI::LookupLanguageText(int id)
{
    const CUIString key = detail::IdKey(id);
    const CUIString* text = Shared().languageTexts.Lookup(key.CStr());
    return text != nullptr ? text->CStr() : nullptr;
}

bool CWindowManagerUI::DropLanguageText(int id)
{
    return Shared().languageTexts.Erase(detail::IdKey(id).CStr());
}

void CWindowManagerUI::DropAllLanguageTexts()
{
    Shared().languageTexts.Clear();
}

void CWindowManagerUI::ExpandLanguageTokens(CUIString& text)
{
    // A language text that contains its own token would otherwise grow the text for ever; no real
    // text comes near this many replacements.
    constexpr int kMaxExpansions = 256;
    int expansions = 0;
    for (int pos = text.FindChar(u'%'); pos >= 0 && expansions < kMaxExpansions; pos = text.FindChar(u'%', pos + 1)) {
        if (text[pos + 1] != u'{')
            continue;
        int end = pos + 2;
        while (text[end] >= u'0' && text[end] <= u'9')
            ++end;
        if (end == pos + 2 || text[end] != u'}')
            continue;
        const CUIString digits = text.Mid(pos + 2, end - pos - 2);
        const char16_t* stored = LookupLanguageText(KeyNumber(digits.CStr()));
        if (stored == nullptr)
            continue;
        const CUIString token = text.Mid(pos, end - pos + 1);
        text.ReplaceAll(token.CStr(), stored);
        ++expansions;
    }
}

// ---------------------------------------------------------------------------------------------
// Private fonts and plug-ins
// ---------------------------------------------------------------------------------------------

int CWindowManagerUI::AddFontData(const void* data, std::size_t size)
{
    if (data == nullptr || size == 0)
        return 0;
    const int handle = platform::AddPrivateFontData(data, size);
    if (handle != 0)
        Shared().memoryFonts.push_back(handle);
    return handle;
}

int CWindowManagerUI::LoadFontFile(const char16_t* path)
{
    if (path == nullptr || *path == 0)
        return 0;
    const int handle = platform::AddPrivateFontFile(ui::LocalFilePath(path));
    if (handle != 0)
        Shared().memoryFonts.push_back(handle);
    return handle;
}

bool CWindowManagerUI::RemoveFontData(int handle)
{
    std::vector<int>& fonts = Shared().memoryFonts;
    for (auto it = fonts.begin(); it != fonts.end(); ++it) {
        if (*it == handle) {
            fonts.erase(it);
            return platform::RemovePrivateFont(handle);
        }
    }
    return false;
}

void CWindowManagerUI::RemoveAllFontData()
{
    for (int handle : Shared().memoryFonts)
        platform::RemovePrivateFont(handle);
    Shared().memoryFonts.clear();
}

bool CWindowManagerUI::LoadPluginLibrary(const char16_t* file)
{
    if (file == nullptr || *file == 0)
        return false;
    platform::SharedLibraryHandle library = platform::LoadSharedLibrary(platform::Utf16ToUtf8(file));
    if (library == nullptr)
        return false;
    void* factory = platform::FindLibrarySymbol(library, "CreateControl");
    if (factory == nullptr) {
        platform::FreeSharedLibrary(library);
        return false;
    }
    // The library stays loaded for the life of the process: controls it made may still be alive.
    detail::SharedState& s = Shared();
    s.pluginLibraries.push_back(library);
    if (s.plugins.IndexOf(factory) < 0)
        s.plugins.Add(factory);
    return true;
}

const CPtrArray& CWindowManagerUI::Plugins()
{
    return Shared().plugins;
}

} // namespace ui
