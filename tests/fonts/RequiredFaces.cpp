// Before any picture test runs, every face the pictures are drawn with must be installed as a face
// of its own. Fontconfig quietly stands in for a missing one (a slanted regular for an oblique, or
// another family altogether), which would surface only as a few hundred differing pixels; instead
// the test binary fails at once with the face and the Debian package that provides it.
#include <gtest/gtest.h>

#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

struct Face
{
    const char* family;
    int weight;
    int slant;
    const char* file; // the file that face is in
    const char* package;
};

constexpr Face kFaces[] = {
    {"DejaVu Sans", FC_WEIGHT_REGULAR, FC_SLANT_ROMAN, "DejaVuSans.ttf", "fonts-dejavu-core"},
    {"DejaVu Sans", FC_WEIGHT_BOLD, FC_SLANT_ROMAN, "DejaVuSans-Bold.ttf", "fonts-dejavu-core"},
    {"DejaVu Sans", FC_WEIGHT_REGULAR, FC_SLANT_OBLIQUE, "DejaVuSans-Oblique.ttf", "fonts-dejavu-extra"},
    {"DejaVu Sans", FC_WEIGHT_BOLD, FC_SLANT_OBLIQUE, "DejaVuSans-BoldOblique.ttf", "fonts-dejavu-extra"},
    {"DejaVu Serif", FC_WEIGHT_REGULAR, FC_SLANT_ROMAN, "DejaVuSerif.ttf", "fonts-dejavu-core"},
    {"DejaVu Serif", FC_WEIGHT_BOLD, FC_SLANT_ROMAN, "DejaVuSerif-Bold.ttf", "fonts-dejavu-core"},
    {"DejaVu Serif", FC_WEIGHT_REGULAR, FC_SLANT_ITALIC, "DejaVuSerif-Italic.ttf", "fonts-dejavu-extra"},
    {"DejaVu Sans Mono", FC_WEIGHT_REGULAR, FC_SLANT_ROMAN, "DejaVuSansMono.ttf", "fonts-dejavu-core"},
};

// What the generic names the tests use must resolve to.
constexpr std::pair<const char*, const char*> kGeneric[] = {
    {"Sans", "DejaVu Sans"}, {"Serif", "DejaVu Serif"}, {"Monospace", "DejaVu Sans Mono"}};

struct PatternFree
{
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternFree>;

// The best match fontconfig finds for family/weight/slant, or null.
PatternPtr Match(const char* family, int weight, int slant)
{
    PatternPtr pattern(FcPatternCreate());
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, weight);
    FcPatternAddInteger(pattern.get(), FC_SLANT, slant);
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    return PatternPtr(FcFontMatch(nullptr, pattern.get(), &result));
}

std::string Text(FcPattern* pattern, const char* object)
{
    FcChar8* value = nullptr;
    if (!pattern || FcPatternGetString(pattern, object, 0, &value) != FcResultMatch || !value)
        return {};
    return reinterpret_cast<const char*>(value);
}

std::string Describe(const Face& face)
{
    std::string name = face.family;
    name += face.weight == FC_WEIGHT_BOLD ? " Bold" : "";
    name += face.slant == FC_SLANT_OBLIQUE ? " Oblique" : face.slant == FC_SLANT_ITALIC ? " Italic" : "";
    return name;
}

} // namespace

// Every problem found, one per line; empty when all faces are there.
std::string MissingFacesOfThePictures()
{
    std::string problems;
    for (const Face& face : kFaces) {
        const PatternPtr found = Match(face.family, face.weight, face.slant);
        const std::string file = Text(found.get(), FC_FILE);
        const bool same =
            file.size() >= std::char_traits<char>::length(face.file) && file.ends_with(std::string("/") + face.file);
        if (!same)
            problems += "the font face " + Describe(face) + " (" + face.file + ") is not installed: install the " +
                        face.package + " package (scripts/install-deps does)" +
                        (file.empty() ? std::string() : "; fontconfig would draw it with " + file) + "\n";
    }
    for (const auto& [generic, family] : kGeneric) {
        const PatternPtr found = Match(generic, FC_WEIGHT_REGULAR, FC_SLANT_ROMAN);
        const std::string resolved = Text(found.get(), FC_FAMILY);
        if (resolved != family)
            problems += std::string("the family name \"") + generic + "\" resolves to \"" + resolved +
                        "\" instead of \"" + family + "\" (is FONTCONFIG_FILE the tests' fonts.conf?)\n";
    }
    return problems;
}
