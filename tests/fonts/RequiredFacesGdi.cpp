// Before any picture test runs under Windows, the faces the pictures are drawn with must be there
// as faces of their own, and the generic names the tests use must resolve to them (the test prefix
// sets them as GDI face substitutes, scripts/wine-prepare). GDI quietly stands in for a missing face
// (a synthesised slant, or another family altogether), which would surface only as differing
// pixels; instead the test binary fails at once, naming the face.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/Win32Defs.h"

namespace {

struct Face
{
    const wchar_t* family;
    int weight;
    bool italic;
};

constexpr Face kFaces[] = {
    {L"DejaVu Sans", FW_NORMAL, false}, {L"DejaVu Sans", FW_BOLD, false},        {L"DejaVu Sans", FW_NORMAL, true},
    {L"DejaVu Sans", FW_BOLD, true},    {L"DejaVu Serif", FW_NORMAL, false},     {L"DejaVu Serif", FW_BOLD, false},
    {L"DejaVu Serif", FW_NORMAL, true}, {L"DejaVu Sans Mono", FW_NORMAL, false},
};

constexpr std::pair<const wchar_t*, const wchar_t*> kGeneric[] = {
    {L"Sans", L"DejaVu Sans"}, {L"Serif", L"DejaVu Serif"}, {L"Monospace", L"DejaVu Sans Mono"}};

std::string Narrow(const wchar_t* text)
{
    std::string out;
    for (; *text; ++text)
        out += *text < 0x80 ? char(*text) : '?';
    return out;
}

int CALLBACK Found(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM data)
{
    const Face& face = *reinterpret_cast<const Face*>(data);
    const bool weight = (font->lfWeight >= FW_BOLD) == (face.weight >= FW_BOLD);
    const bool slant = (font->lfItalic != 0) == face.italic;
    return weight && slant ? 0 : 1; // 0 stops the enumeration: found
}

// The family of the font GDI picks for `family`, from the font's own names (GetTextFaceW would
// repeat a substitute's name).
std::wstring Resolve(HDC dc, const wchar_t* family)
{
    LOGFONTW request{};
    request.lfHeight = -12;
    request.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(request.lfFaceName, family, LF_FACESIZE - 1);
    HFONT font = ::CreateFontIndirectW(&request);
    HGDIOBJ previous = ::SelectObject(dc, font);
    std::wstring name;
    const UINT size = ::GetOutlineTextMetricsW(dc, 0, nullptr);
    if (size > 0) {
        std::string buffer(size, '\0');
        auto* metrics = reinterpret_cast<OUTLINETEXTMETRICW*>(buffer.data());
        if (::GetOutlineTextMetricsW(dc, size, metrics))
            name = reinterpret_cast<const wchar_t*>(buffer.data() +
                                                    reinterpret_cast<std::uintptr_t>(metrics->otmpFamilyName));
    }
    ::SelectObject(dc, previous);
    ::DeleteObject(font);
    return name;
}

} // namespace

// Every problem found, one per line; empty when all faces are there.
std::string MissingFacesOfThePictures()
{
    std::string problems;
    HDC dc = ::CreateCompatibleDC(nullptr);
    for (const Face& face : kFaces) {
        LOGFONTW request{};
        request.lfCharSet = DEFAULT_CHARSET;
        wcsncpy(request.lfFaceName, face.family, LF_FACESIZE - 1);
        // The callback ends the enumeration (result 0) when it meets the face.
        if (::EnumFontFamiliesExW(dc, &request, Found, reinterpret_cast<LPARAM>(&face), 0) != 0)
            problems += "the font face " + Narrow(face.family) + (face.weight >= FW_BOLD ? " Bold" : "") +
                        (face.italic ? " Oblique/Italic" : "") +
                        " is not installed: install fonts-dejavu-core and fonts-dejavu-extra (scripts/install-deps "
                        "does), which Wine finds among the system's fonts\n";
    }
    for (const auto& [generic, family] : kGeneric) {
        const std::wstring resolved = Resolve(dc, generic);
        if (resolved != family)
            problems += "the family name \"" + Narrow(generic) + "\" resolves to \"" + Narrow(resolved.c_str()) +
                        "\" instead of \"" + Narrow(family) +
                        "\" (is the prefix prepared by scripts/wine-prepare start?)\n";
    }
    ::DeleteDC(dc);
    return problems;
}
