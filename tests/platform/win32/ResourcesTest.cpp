// Resources compiled into the test executable by windres: found by type and id through the
// platform's lookup, and the icon loadable by the system.
#include "platform/Resources.h"
#include "platform/Win32Defs.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

TEST(Win32Resources, TheSkinArchiveComesFromTheResourceSection)
{
    const std::span<const std::uint8_t> zip = platform::FindResource(u"ZIPRES", 102);
    std::ifstream in(TVU_SOURCE_DIR "/tests/fixtures/zip/archive-stored.zip", std::ios::binary);
    const std::vector<char> expected{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_FALSE(expected.empty());
    ASSERT_EQ(zip.size(), expected.size());
    EXPECT_TRUE(std::equal(zip.begin(), zip.end(), reinterpret_cast<const std::uint8_t*>(expected.data())));
    EXPECT_EQ(platform::FindResource(u"zipres", 102).data(), zip.data()) << "types ignore case";
    EXPECT_TRUE(platform::FindResource(u"ZIPRES", 103).empty());
    EXPECT_TRUE(platform::FindResource(u"ZIPRES", 0).empty());
    EXPECT_TRUE(platform::FindResource(u"", 102).empty());
}

TEST(Win32Resources, RegisteredResourcesStillServeAndTheIconLoads)
{
    static const std::uint8_t bytes[] = {1, 2, 3};
    platform::RegisterResource(u"EXTRA", 7, bytes, 3);
    EXPECT_EQ(platform::FindResource(u"extra", 7).data(), bytes);
    const HANDLE icon =
        ::LoadImageW(::GetModuleHandleW(nullptr), platform::Win32Text(MAKEINTRESOURCEW(101)), IMAGE_ICON, 16, 16, 0);
    EXPECT_NE(icon, nullptr);
    if (icon != nullptr)
        ::DestroyIcon(static_cast<HICON>(icon));
}

} // namespace
