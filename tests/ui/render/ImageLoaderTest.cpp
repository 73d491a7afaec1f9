// Tests of image loading: where the bytes come from (colour names, skin folder, skin archive,
// plain paths, resources), premultiplication and the mask rule, and the HSL recolouring.
#include "ui/render/ImageLoader.h"

#include "platform/PngFile.h"
#include "platform/Surface.h"
#include "tests/ui/skin/ZipTestSupport.h"
#include "ui/manager/WindowManager.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <string>

namespace {

using ui::CImageLoader;
using ui::CWindowManagerUI;
using ui::TImageRecord;
using namespace ziptest;

struct RecordDeleter
{
    void operator()(TImageRecord* record) const { CImageLoader::FreeImageRecord(record, true); }
};
using RecordPtr = std::unique_ptr<TImageRecord, RecordDeleter>;

std::u16string Wide(const std::string& text)
{
    return std::u16string(text.begin(), text.end());
}

// Stored bytes of a pixel in memory order B, G, R, A.
std::array<std::uint8_t, 4> Bytes(std::uint32_t pixel)
{
    std::array<std::uint8_t, 4> out;
    std::memcpy(out.data(), &pixel, 4);
    return out;
}

// Writes a PNG of straight ARGB colours.
void WriteImage(const fs::path& path, int width, int height, const std::vector<std::uint32_t>& argb)
{
    platform::Surface surface = platform::Surface::Create(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = argb[std::size_t(y * width + x)];
            const std::uint32_t a = c >> 24;
            const std::uint32_t pre = a == 255 ? c
                                               : (a << 24) | ((((c >> 16) & 0xFF) * a / 255) << 16) |
                                                     ((((c >> 8) & 0xFF) * a / 255) << 8) | ((c & 0xFF) * a / 255);
            surface.SetPixel(x, y, pre);
        }
    fs::create_directories(path.parent_path());
    ASSERT_TRUE(platform::WritePng(surface.Pixels(), path.string()));
}

class ImageLoaderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CWindowManagerUI::CloseArchive();
        CWindowManagerUI::SetSkinArchive(nullptr, ui::ArchiveMode::KeepOpen, nullptr);
        CWindowManagerUI::SetSkinFolder(nullptr);
        CImageLoader::SetResourceReader(nullptr);
    }
    void TearDown() override { SetUp(); }

    TempDir dir;
};

TEST_F(ImageLoaderTest, ColourNamesGiveOnePixelRecords)
{
    RecordPtr translucent(CImageLoader::LoadImageRecord(u"#80FF0000", CImageLoader::kColorType, 0));
    ASSERT_TRUE(translucent);
    EXPECT_EQ(translucent->width, 1);
    EXPECT_EQ(translucent->height, 1);
    EXPECT_TRUE(translucent->hasAlpha);
    EXPECT_EQ(Bytes(translucent->pixels[0]), (std::array<std::uint8_t, 4>{0, 0, 128, 128}));
    EXPECT_FALSE(translucent->useHsl);
    EXPECT_FALSE(translucent->pristinePixels);

    RecordPtr green(CImageLoader::LoadImageRecord(u"FF00FF00", CImageLoader::kColorType, 0));
    ASSERT_TRUE(green);
    EXPECT_EQ(green->pixels[0], 0xFF00FF00u);
    EXPECT_FALSE(green->hasAlpha);

    // A colour equal to the mask is cleared like any other pixel.
    RecordPtr masked(CImageLoader::LoadImageRecord(u"#FFFF00FF", CImageLoader::kColorType, 0xFFFF00FF));
    ASSERT_TRUE(masked);
    EXPECT_EQ(masked->pixels[0], 0u);
    EXPECT_TRUE(masked->hasAlpha);
}

TEST_F(ImageLoaderTest, OpaquePngHasNoAlphaAndMaskClearsExactlyItsPixels)
{
    WriteImage(dir / "skin/plain.png", 2, 2, {0xFFFF00FF, 0xFF102030, 0xFFFF00FF, 0xFFFF00FE});
    CWindowManagerUI::SetSkinFolder(Wide((dir / "skin").string()).c_str());

    RecordPtr plain(CImageLoader::LoadImageRecord(u"plain.png", nullptr, 0));
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->width, 2);
    EXPECT_EQ(plain->height, 2);
    EXPECT_FALSE(plain->hasAlpha);
    EXPECT_EQ(plain->pixels[1], 0xFF102030u);
    EXPECT_EQ(plain->View().stride, 8);

    RecordPtr masked(CImageLoader::LoadImageRecord(u"plain.png", nullptr, 0xFFFF00FF));
    ASSERT_TRUE(masked);
    EXPECT_TRUE(masked->hasAlpha);
    EXPECT_EQ(masked->pixels[0], 0u);
    EXPECT_EQ(masked->pixels[1], 0xFF102030u);
    EXPECT_EQ(masked->pixels[2], 0u);
    EXPECT_EQ(masked->pixels[3], 0xFFFF00FEu);
}

TEST_F(ImageLoaderTest, TranslucentPixelsArePremultiplied)
{
    WriteImage(dir / "half.png", 1, 1, {0x80FF8040});
    const std::u16string path = Wide((dir / "half.png").string());
    RecordPtr record(CImageLoader::LoadImageRecord(path.c_str(), nullptr, 0));
    ASSERT_TRUE(record);
    EXPECT_TRUE(record->hasAlpha);
    EXPECT_EQ(record->pixels[0] >> 24, 0x80u);
    EXPECT_EQ((record->pixels[0] >> 16) & 0xFF, 0x80u);
}

TEST_F(ImageLoaderTest, SourcesAndFallbacks)
{
    WriteImage(dir / "elsewhere/abs.png", 1, 1, {0xFF0000FF});
    const std::u16string absolute = Wide((dir / "elsewhere/abs.png").string());

    // No archive and nothing under the skin folder: the name as a path still loads.
    CWindowManagerUI::SetSkinFolder(Wide((dir / "skin").string()).c_str());
    RecordPtr fallback(CImageLoader::LoadImageRecord(absolute.c_str(), nullptr, 0));
    ASSERT_TRUE(fallback);
    EXPECT_EQ(fallback->pixels[0], 0xFF0000FFu);

    EXPECT_EQ(CImageLoader::LoadImageRecord(u"missing.png", nullptr, 0), nullptr);

    // A pipe is never opened: reading it would wait for a writer that never comes. (Windows has no
    // pipes in its file system.)
    fs::create_directories(dir / "skin");
#ifndef _WIN32
    ASSERT_EQ(RunShell("mkfifo " + Quote(dir / "skin/pipe.png")), 0);
    EXPECT_EQ(CImageLoader::LoadImageRecord(u"pipe.png", nullptr, 0), nullptr);
#endif

    // Bytes that are not an image give nothing.
    WriteFile(dir / "skin/text.png", {'n', 'o', 't'});
    EXPECT_EQ(CImageLoader::LoadImageRecord(u"text.png", nullptr, 0), nullptr);

    // Typed loads ask the resource reader, by the name as written.
    WriteImage(dir / "res.png", 1, 1, {0xFF00FF00});
    const std::vector<std::uint8_t> resource = ReadFile(dir / "res.png");
    std::u16string askedType, askedName;
    CImageLoader::SetResourceReader([&](const char16_t* type, const char16_t* name) {
        askedType = type;
        askedName = name;
        return std::u16string(name) == u"105" ? resource : std::vector<std::uint8_t>{};
    });
    RecordPtr fromResource(CImageLoader::LoadImageRecord(u"105", u"PNG", 0));
    ASSERT_TRUE(fromResource);
    EXPECT_EQ(askedType, u"PNG");
    EXPECT_EQ(askedName, u"105");
    EXPECT_EQ(fromResource->pixels[0], 0xFF00FF00u);
    EXPECT_EQ(CImageLoader::LoadImageRecord(u"106", u"PNG", 0), nullptr);
}

TEST_F(ImageLoaderTest, ArchiveMembersAreFoundIgnoringCase)
{
    WriteImage(dir / "pack/img/close.png", 1, 1, {0xFF123456});
    ASSERT_EQ(InfoZip(dir / "pack", "-X -P pw", dir / "skin.zip", "img/close.png", "image-loader.zip"), 0);
    CWindowManagerUI::SetSkinFolder(Wide(dir.Path().string()).c_str());

    // Opened for each load, then kept open: both find the member.
    CWindowManagerUI::SetSkinArchive(u"skin.zip", ui::ArchiveMode::OpenPerLoad, "pw");
    RecordPtr perLoad(CImageLoader::LoadImageRecord(u"IMG/Close.png", nullptr, 0));
    ASSERT_TRUE(perLoad);
    EXPECT_EQ(perLoad->pixels[0], 0xFF123456u);

    CWindowManagerUI::SetSkinArchive(u"skin.zip", ui::ArchiveMode::KeepOpen, "pw");
    ASSERT_NE(CWindowManagerUI::OpenArchive(), nullptr);
    RecordPtr kept(CImageLoader::LoadImageRecord(u"img\\CLOSE.PNG", nullptr, 0));
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->pixels[0], 0xFF123456u);

    // A wrong password extracts nothing usable.
    CWindowManagerUI::SetSkinArchive(u"skin.zip", ui::ArchiveMode::OpenPerLoad, "wrong");
    EXPECT_EQ(CImageLoader::LoadImageRecord(u"img/close.png", nullptr, 0), nullptr);
}

TEST_F(ImageLoaderTest, RecordsFromPixelsAreStraightBgra)
{
    const std::uint8_t pixels[8] = {10, 20, 30, 255, 200, 100, 50, 0x80};
    RecordPtr record(CImageLoader::ImageRecordFromPixels(pixels, 2, 1));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->pixels[0], 0xFF1E140Au);
    EXPECT_EQ(Bytes(record->pixels[1]), (std::array<std::uint8_t, 4>{100, 50, 25, 0x80}));
    EXPECT_TRUE(record->hasAlpha);
    EXPECT_EQ(CImageLoader::ImageRecordFromPixels(nullptr, 2, 1), nullptr);
    EXPECT_EQ(CImageLoader::ImageRecordFromPixels(pixels, 0, 1), nullptr);

    CImageLoader::FreeImageRecord(record.get(), false);
    EXPECT_EQ(record->bitmap, nullptr);
    EXPECT_EQ(record->pixels, nullptr);
    CImageLoader::FreeImageRecord(nullptr, true);
}

// A record set up for shifting, with its pristine copy.
RecordPtr ShiftableRecord(std::vector<std::uint32_t> pixels)
{
    RecordPtr record(CImageLoader::ImageRecordFromPixels(reinterpret_cast<const std::uint8_t*>(pixels.data()),
                                                         int(pixels.size()), 1));
    record->useHsl = true;
    record->pristinePixels.reset(new std::uint8_t[pixels.size() * 4]);
    std::memcpy(record->pristinePixels.get(), record->pixels, pixels.size() * 4);
    return record;
}

TEST_F(ImageLoaderTest, HslShiftOfImagesWorksFromThePristineCopy)
{
    RecordPtr record = ShiftableRecord({0xFFFF0000, 0xFF808080, 0xFF00FF00});
    CImageLoader::ShiftImageHsl(true, record.get(), 60, 100, 100);
    EXPECT_EQ(record->pixels[0], 0xFF0000FFu);
    EXPECT_EQ(record->pixels[1], 0xFF808080u); // grey has no hue to turn
    // A second shift starts again from the pristine pixels, not from the first result.
    CImageLoader::ShiftImageHsl(true, record.get(), 300, 100, 100);
    EXPECT_EQ(record->pixels[0], 0xFF00FF00u);
    CImageLoader::ShiftImageHsl(true, record.get(), 180, 100, 50);
    EXPECT_EQ(record->pixels[0], 0xFF7F0000u);
    EXPECT_EQ(record->pixels[2], 0xFF007F00u);
    CImageLoader::ShiftImageHsl(true, record.get(), 180, 100, 100);
    EXPECT_EQ(record->pixels[0], 0xFFFF0000u);
    EXPECT_EQ(record->pixels[1], 0xFF808080u);
    CImageLoader::ShiftImageHsl(true, record.get(), 60, 100, 100);
    CImageLoader::ShiftImageHsl(false, record.get(), 60, 100, 100);
    EXPECT_EQ(record->pixels[0], 0xFFFF0000u);

    // Without the flag or the pristine copy nothing changes.
    record->useHsl = false;
    CImageLoader::ShiftImageHsl(true, record.get(), 60, 100, 100);
    EXPECT_EQ(record->pixels[0], 0xFFFF0000u);
    CImageLoader::ShiftImageHsl(true, nullptr, 60, 100, 100);
}

TEST_F(ImageLoaderTest, ShiftedTranslucentPixelsStayPremultiplied)
{
    // Premultiplied half-transparent dark red: doubling the lightness must not push a colour byte
    // past the pixel's alpha.
    const std::uint8_t straight[4] = {0, 0, 255, 0x80};
    RecordPtr record(CImageLoader::ImageRecordFromPixels(straight, 1, 1));
    record->useHsl = true;
    record->pristinePixels.reset(new std::uint8_t[4]);
    std::memcpy(record->pristinePixels.get(), record->pixels, 4);
    CImageLoader::ShiftImageHsl(true, record.get(), 180, 100, 200);
    const std::uint32_t pixel = record->pixels[0];
    EXPECT_EQ(pixel >> 24, 0x80u);
    EXPECT_LE((pixel >> 16) & 0xFF, 0x80u);
    EXPECT_LE((pixel >> 8) & 0xFF, 0x80u);
    EXPECT_LE(pixel & 0xFF, 0x80u);
}

TEST_F(ImageLoaderTest, HslShiftOfColoursKeepsAlpha)
{
    EXPECT_EQ(CImageLoader::ShiftColorHsl(0x80FF0000, 60, 100, 100), 0x800000FFu);
    EXPECT_EQ(CImageLoader::ShiftColorHsl(0xFFFF0000, 300, 100, 100), 0xFF00FF00u);
    EXPECT_EQ(CImageLoader::ShiftColorHsl(0x12345678, 180, 100, 100), 0x12345678u);
    // Saturation 0 leaves grey of the same lightness.
    EXPECT_EQ(CImageLoader::ShiftColorHsl(0xFFFF0000, 180, 0, 100), 0xFF7F7F7Fu);
    // Lightness doubled on a mid colour reaches white.
    EXPECT_EQ(CImageLoader::ShiftColorHsl(0xFFFF0000, 180, 100, 200), 0xFFFFFFFFu);
}

} // namespace
