// Names below a confined folder mean the same on every system: both separators split, empty and
// "." components vanish, and anything that could climb out is refused as a whole.
#include "platform/RelativeName.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Joined(std::string_view name)
{
    std::vector<std::string_view> parts;
    if (!platform::RelativeNameComponents(name, parts))
        return "(refused)";
    std::string out;
    for (const std::string_view part : parts)
        out.append(out.empty() ? "" : "|").append(part);
    return out;
}

TEST(RelativeName, BothSeparatorsSplitAndEmptyOrDotComponentsVanish)
{
    EXPECT_EQ(Joined("a"), "a");
    EXPECT_EQ(Joined("bin\\tools/run.exe"), "bin|tools|run.exe");
    EXPECT_EQ(Joined("./a//b/./c/"), "a|b|c");
    EXPECT_EQ(Joined("a\\\\b\\"), "a|b");
    // Dots that are part of a name are names.
    EXPECT_EQ(Joined("...x/.hidden/a..b"), "...x|.hidden|a..b");
}

TEST(RelativeName, AbsoluteClimbingOrEmptyNamesAreRefusedWithNoComponents)
{
    for (const char* name :
         {"", "/etc/passwd", "\\Windows\\System32", "..", "a/../../b", "a\\..\\b", "a/..", ".", "./", "//"}) {
        std::vector<std::string_view> parts{"left over"};
        EXPECT_FALSE(platform::RelativeNameComponents(name, parts)) << name;
        EXPECT_TRUE(parts.empty()) << name;
    }
}

} // namespace
